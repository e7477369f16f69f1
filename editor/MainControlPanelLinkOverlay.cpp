#include "editor/MainControlPanel.h"

#include "editor/EditorComponentNames.h"

// The link overlay as the panel's behaviour sees it: shown or hidden by its
// view switch, painted on a layer over the controls, refreshed after a resync.
namespace
{
    /** The panel-sized layer the overlay paints on.  It lies over every
        control but under whatever opens later (a message box and its cover,
        the rename field), so those cover the overlay as they cover the rest
        of the panel.  It takes no clicks: the overlay hears the panel's. */
    class LinkOverlayLayer final : public juce::Component
    {
    public:
        explicit LinkOverlayLayer (ParameterLinkEditor& editorToPaint) : juce::Component (EditorNames::linkOverlay), overlay (editorToPaint)
        {
            setInterceptsMouseClicks (false, false);
        }

        void paint (juce::Graphics& g) override   { overlay.paintOverlay (g); }
        void parentSizeChanged() override          { fitParent(); }

        void fitParent()
        {
            if (auto* parent = getParentComponent())
                setBounds (parent->getLocalBounds());
        }

    private:
        ParameterLinkEditor& overlay;
    };
}

void MainControlPanel::setLinksVisible (bool visible)
{
    linkEditor.setLinksVisible (visible);
}

void MainControlPanel::addLinkOverlayLayer()
{
    // Deleted with the other children.
    auto* layer = new LinkOverlayLayer (linkEditor);
    addOnTop (*layer);
    layer->fitParent();
}

void MainControlPanel::refreshLinkOverlay()
{
    linkEditor.updateConnections();
}
