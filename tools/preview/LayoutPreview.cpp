#include "PreviewPanels.h"
#include "PreviewRegistry.h"

#include "editor/EditorComponentNames.h"
#include "gui/ResourceManager.h"

// Each layout with the box and name of every component it places, drawn at
// twice the size so the names can be read.  The editor's link-target
// placeholders get a sheet of their own (they lie over the knobs on
// purpose); the options dialog gets one sheet per tab page.
namespace
{
    constexpr float zoom = 2.0f;

    bool isLinkPlaceholder (const juce::String& name)
    {
        return name.startsWith ("LinkerPar_") || name.startsWith ("LinkerGrp_");
    }

    juce::Colour boxColour (const juce::Component& c)
    {
        const auto name = c.getName();
        if (isLinkPlaceholder (name))                            return juce::Colour (0xFF00AFDB);
        if (name.startsWith ("Value_"))                          return juce::Colour (0xFF7A5C00);
        if (dynamic_cast<const juce::Label*> (&c) != nullptr)     return juce::Colour (0xFF2E7D32);
        if (dynamic_cast<const juce::ComboBox*> (&c) != nullptr)  return juce::Colour (0xFF6A1B9A);
        if (dynamic_cast<const juce::Slider*> (&c) != nullptr)    return juce::Colour (0xFFC62828);
        if (dynamic_cast<const juce::Button*> (&c) != nullptr)    return juce::Colour (0xFF1565C0);
        if (dynamic_cast<const juce::ImageComponent*> (&c) != nullptr) return juce::Colour (0xFF8D6E63);
        return juce::Colour (0xFF37474F);
    }

    struct Box
    {
        juce::Rectangle<int> bounds;
        juce::String name;
        juce::Colour colour;
    };

    // The placed components of root, depth first, skipping the root-sized backdrop.
    void collect (const LaidOutPanel& panel, const juce::Component& parent, std::vector<Box>& boxes,
                  const std::function<bool (const juce::Component&)>& wanted)
    {
        for (auto* child : parent.getChildren())
        {
            if (wanted (*child))
                boxes.push_back ({ panel.boundsInRoot (*child), child->getName(), boxColour (*child) });
            if (dynamic_cast<juce::Slider*> (child) == nullptr && dynamic_cast<juce::ComboBox*> (child) == nullptr
                && dynamic_cast<juce::MidiKeyboardComponent*> (child) == nullptr)
                collect (panel, *child, boxes, wanted);
        }
    }

    juce::Image drawBoxes (const PreviewContext& context, const LaidOutPanel& panel, const juce::Image& backdrop,
                           const std::vector<Box>& boxes)
    {
        const auto size = panel.root.getLocalBounds();
        juce::Image sheet (juce::Image::RGB, juce::roundToInt ((float) size.getWidth() * zoom),
                           juce::roundToInt ((float) size.getHeight() * zoom), false);
        juce::Graphics g (sheet);
        g.fillAll (juce::Colour (0xFFC4C4C4));
        g.addTransform (juce::AffineTransform::scale (zoom));
        if (backdrop.isValid())
        {
            g.drawImageAt (backdrop, 0, 0);
            g.setColour (juce::Colours::white.withAlpha (0.6f));
            g.fillRect (size);
        }

        for (auto& box : boxes)
        {
            if (box.bounds.isEmpty())
                continue;
            const auto r = box.bounds.toFloat();
            g.setColour (box.colour.withAlpha (0.10f));
            g.fillRect (r);
            g.setColour (box.colour);
            g.drawRect (r, 0.5f);

            g.setFont (context.font (5.0f));
            g.drawFittedText (box.name, box.bounds.reduced (1), juce::Justification::topLeft,
                              juce::jmax (1, box.bounds.getHeight() / 6), 0.6f);
        }
        return sheet;
    }

    bool renderMainPanel (const PreviewContext& context)
    {
        auto panel = layOutPanel (EditorNames::mainLayout);
        if (! panel->applied)
            return false;

        juce::Image backdrop;
        if (auto* background = dynamic_cast<juce::ImageComponent*> (Korvalden::Resources::findChildComponentByName (&panel->root, EditorNames::background)))
            backdrop = background->getImage();

        std::vector<Box> controls, targets;
        collect (*panel, panel->root, controls, [] (const juce::Component& c) {
            return ! isLinkPlaceholder (c.getName()) && c.getName() != EditorNames::background;
        });
        collect (*panel, panel->root, targets, [] (const juce::Component& c) { return isLinkPlaceholder (c.getName()); });

        return context.writePng ("MainControlPanel-layout", drawBoxes (context, *panel, backdrop, controls))
            && context.writePng ("MainControlPanel-link-targets", drawBoxes (context, *panel, backdrop, targets));
    }

    bool renderOptionsDialog (const PreviewContext& context)
    {
        auto panel = layOutPanel (EditorNames::optionsLayout);
        auto* tabs = dynamic_cast<juce::TabbedComponent*> (Korvalden::Resources::findChildComponentByName (&panel->root, EditorNames::Options::tabs));
        if (! panel->applied || tabs == nullptr)
            return false;

        bool ok = true;
        for (int tab = 0; tab < tabs->getNumTabs(); ++tab)
        {
            tabs->setCurrentTabIndex (tab, false);
            std::vector<Box> boxes;
            collect (*panel, panel->root, boxes, [tabs] (const juce::Component& c) {
                return c.isVisible() && c.getParentComponent() != tabs && dynamic_cast<const juce::TabBarButton*> (&c) == nullptr;
            });
            ok = context.writePng ("OptionsDialog-" + tabs->getTabNames()[tab], drawBoxes (context, *panel, {}, boxes)) && ok;
        }
        return ok;
    }

    PreviewRegistration mainPanel ("layout-editor", "the editor's layout: boxes and names (MainControlPanel-*.png)", renderMainPanel);
    PreviewRegistration optionsDialog ("layout-options", "the options dialog's layout, one sheet per tab (OptionsDialog-*.png)", renderOptionsDialog);
}
