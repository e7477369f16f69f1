#include "PreviewPanels.h"
#include "PreviewRegistry.h"

#include "editor/EditorComponentNames.h"
#include "engine/ParameterTable.h"
#include "gui/ResourceManager.h"
#include "linking/LinkableParameterKnob.h"
#include "linking/ParameterLinkEditor.h"
#include "tests/support/SilentProcessor.h"

#include <array>

// The link overlay over the editor's knobs with the link view on: the real
// linkable knobs from the bundle's strips, with value labels, registered as
// link targets from the layout's placeholders.  Two groups are linked: the
// four filter frequencies as a named column, and macro 1 with ORVA's drive
// and MUNE's emphasis, the latter at -50 % (its handle held, so its ratio
// arc and label show), highlighted as if the mouse rested on the macro.
// Written at the context's scale (link-overlay.png; link-overlay@2x.png).
namespace
{
    namespace N = EditorNames;
    using Resources = Korvalden::Resources::ResourceManager;

    /** Parameter values at their defaults, with the table's value texts; nothing behind them. */
    struct PreviewProcessor final : SilentProcessor<juce::AudioProcessor>
    {
        PreviewProcessor()
        {
            for (int i = 0; i < ParameterTable::numParameters; ++i)
                values[(size_t) i] = ParameterTable::getEntry (i).defaultValue;
        }

        JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
        int getNumParameters() override { return ParameterTable::numHostParameters; }
        float getParameter (int i) override { return juce::isPositiveAndBelow (i, ParameterTable::numParameters) ? values[(size_t) i] : 0.0f; }
        void setParameter (int i, float v) override
        {
            if (juce::isPositiveAndBelow (i, ParameterTable::numParameters))
                values[(size_t) i] = v;
        }
        const juce::String getParameterText (int i) override
        {
            return juce::isPositiveAndBelow (i, ParameterTable::numParameters) ? ParameterTable::getEntry (i).text (getParameter (i)) : juce::String();
        }
        JUCE_END_IGNORE_WARNINGS_GCC_LIKE

        std::array<float, (size_t) ParameterTable::numParameters> values {};
    };

    /** Draws the overlay after its children, as the editor panel does. */
    struct OverlayPanel final : juce::Component
    {
        ParameterLinkEditor* overlay = nullptr;
        void paintOverChildren (juce::Graphics& g) override
        {
            if (overlay != nullptr)
                overlay->paintOverlay (g);
        }
    };

    struct Knobs
    {
        explicit Knobs (ParameterLinkManager& managerToUse) : manager (&managerToUse) {}

        ParameterLinkManager* manager;
        std::vector<std::unique_ptr<Korvalden::GUI::ImageStrip>> strips;
        std::vector<std::unique_ptr<LinkableParameterKnob>> knobs;
        std::vector<std::unique_ptr<juce::Label>> labels;
        std::map<int, LinkableParameterKnob*> byIndex;

        void add (juce::Component& root, const juce::String& name, int index, const juce::String& stripName, juce::Colour colour)
        {
            strips.push_back (std::make_unique<Korvalden::GUI::ImageStrip> (Resources::getImage (stripName), N::Images::knobFrames, false));
            knobs.push_back (std::make_unique<LinkableParameterKnob> (name, manager, index, strips.back().get(),
                                                                       Resources::getImage (N::Images::linkBackground)));
            auto& knob = *knobs.back();
            knob.setColour (0, colour);
            root.addAndMakeVisible (knob);
            byIndex[index] = &knob;

            labels.push_back (std::make_unique<juce::Label> (N::valueLabel (name)));
            auto& label = *labels.back();
            label.setFont (juce::Font (10.0f));
            label.setColour (juce::Label::textColourId, juce::Colours::black);
            label.setJustificationType (juce::Justification::centred);
            root.addAndMakeVisible (label);
            knob.setValueLabel (&label);
        }

        void make (juce::Component& root)
        {
            for (int d = 1; d <= N::numDevices; ++d)
                for (const auto& kind : N::deviceKnobs)
                    add (root, N::deviceKnob (d, kind), (d - 1) * N::parametersPerDevice + kind.offset,
                         N::Images::deviceKnobStrips[d - 1], juce::Colour (N::deviceColours[d - 1]));
            for (int m = 1; m <= N::numMacros; ++m)
                add (root, N::macroKnob (m), N::firstMacroParameter + m - 1, N::Images::macroKnobStrip, juce::Colour (N::macroColour));
        }
    };

    bool renderLinkOverlay (const PreviewContext& context)
    {
        PreviewProcessor processor;
        ParameterLinkManager manager (processor);
        Knobs knobs (manager);
        auto panel = layOutPanel (N::mainLayout, [&knobs] (juce::Component& root) { knobs.make (root); });
        if (! panel->applied)
            return false;

        // The overlay draws on the panel the layout filled; the panel sits under everything.
        OverlayPanel overlayPanel;
        overlayPanel.setBounds (panel->root.getLocalBounds());
        ParameterClipboard clipboard;
        ParameterLinkEditor overlay (&overlayPanel, &manager);
        overlayPanel.overlay = &overlay;
        overlayPanel.addAndMakeVisible (panel->root);

        for (int d = 1; d <= N::numDevices; ++d)
            for (const auto& kind : N::deviceKnobs)
                if (auto* place = Korvalden::Resources::findChildComponentByName (&panel->root, N::linkTarget (d, kind)))
                {
                    const int index = (d - 1) * N::parametersPerDevice + kind.offset;
                    overlay.addParameterTarget (N::deviceKnob (d, kind), place->getBounds(), index, juce::Colour (N::deviceColours[d - 1]),
                                                new ParameterCopyGroup (&clipboard, &manager, index), true);
                }
        for (int m = 1; m <= N::numMacros; ++m)
            if (auto* place = Korvalden::Resources::findChildComponentByName (&panel->root, N::macroLinkTarget (m)))
            {
                const int index = N::firstMacroParameter + m - 1;
                overlay.addParameterTarget (N::macroKnob (m), place->getBounds(), index, juce::Colour (N::macroLinkTargetColour),
                                            new ParameterCopyGroup (&clipboard, &manager, index), true);
            }

        const int frequency = 7, drive = 18, emphasis = 12, macro1 = N::firstMacroParameter;
        for (int d = 0; d + 1 < N::numDevices; ++d)
            manager.link (d * N::parametersPerDevice + frequency, (d + 1) * N::parametersPerDevice + frequency);
        manager.link (macro1, drive);
        manager.link (macro1, 2 * N::parametersPerDevice + emphasis);
        manager.getLinkEntry (frequency).name = "Cutoffs";
        manager.getLinkEntry (macro1).name = "Grit";
        manager.getLinkEntry (2 * N::parametersPerDevice + emphasis).ratio = -0.5f;
        for (const int index : { frequency, macro1 })
            if (auto* knob = knobs.byIndex[index])
                manager.propagateValue (knob, true, 0.62f);
        for (auto& knob : knobs.knobs)
            knob->updateValueLabel();

        overlay.updateConnections();
        overlay.setLinksVisible (true);
        if (auto* macro = knobs.byIndex[macro1])
        {
            const auto centre = macro->getBounds().getCentre().toFloat();
            overlay.mouseMove (juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), centre, {}, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                                 &overlayPanel, &overlayPanel, juce::Time(), centre, juce::Time(), 1, false));
            overlay.showHighlight();
        }
        if (auto* held = knobs.byIndex[2 * N::parametersPerDevice + emphasis])
        {
            const auto handle = held->getHandleArea().getCentre().toFloat();
            held->mouseDown (juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), handle,
                                               juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                               held, held, juce::Time(), handle, juce::Time(), 1, false));
        }

        // The preset tree is not made here: its strip at the right edge is left out.
        auto size = overlayPanel.getLocalBounds();
        if (auto* tree = Korvalden::Resources::findChildComponentByName (&panel->root, N::presetTree))
            if (tree->getX() > 0)
                size.setWidth (tree->getX());
        juce::Image image (juce::Image::RGB, juce::roundToInt ((float) size.getWidth() * context.scale),
                           juce::roundToInt ((float) size.getHeight() * context.scale), false);
        {
            juce::Graphics g (image);
            g.addTransform (juce::AffineTransform::scale (context.scale));
            g.fillAll (juce::Colour (0xFFCECECE));
            overlayPanel.paintEntireComponent (g, false);
        }
        for (auto& knob : knobs.knobs)
            knob->endDrag();
        overlayPanel.removeAllChildren();

        return context.writePng (context.scale > 1.0f ? "link-overlay@" + juce::String ((int) context.scale) + "x" : juce::String ("link-overlay"),
                                 image);
    }

    PreviewRegistration linkOverlay ("link-overlay", "the link overlay with two linked groups over the editor's knobs (link-overlay.png)",
                                     renderLinkOverlay);
}
