#include "PreviewPanels.h"
#include "PreviewRegistry.h"

#include "editor/EditorComponentNames.h"
#include "gui/ResourceManager.h"

// The options dialog's pages painted by the framework's own widgets in the
// colours the dialog's look-and-feel sets (options-<tab>.png), until the
// dialog itself exists.
namespace
{
    struct DialogColours : juce::LookAndFeel_V2
    {
        DialogColours (const juce::Font& f) : font (f)
        {
            setColour (juce::TextButton::buttonColourId, juce::Colour (0xFF00AFDB));
            setColour (juce::ComboBox::buttonColourId, juce::Colour (0xFF00AFDB));
            setColour (juce::Label::textColourId, juce::Colours::black);
            setColour (juce::ComboBox::backgroundColourId, juce::Colours::white);
            setColour (juce::ComboBox::textColourId, juce::Colours::black);
            setColour (juce::TextEditor::highlightColourId, juce::Colour (0xFF00AFDB));
        }

        juce::Typeface::Ptr getTypefaceForFont (const juce::Font& f) override
        {
            return font.getTypefacePtr() != nullptr ? font.getTypefacePtr() : LookAndFeel_V2::getTypefaceForFont (f);
        }

        juce::Font font;
    };

    bool renderOptions (const PreviewContext& context)
    {
        DialogColours lookAndFeel (context.font (14.0f));
        auto panel = layOutPanel (EditorNames::optionsLayout);
        auto* tabs = dynamic_cast<juce::TabbedComponent*> (Korvalden::Resources::findChildComponentByName (&panel->root, EditorNames::Options::tabs));
        if (! panel->applied || tabs == nullptr)
            return false;
        panel->root.setLookAndFeel (&lookAndFeel);

        bool ok = true;
        for (int tab = 0; tab < tabs->getNumTabs(); ++tab)
        {
            tabs->setCurrentTabIndex (tab, false);
            juce::Image image (juce::Image::RGB, panel->root.getWidth(), panel->root.getHeight(), false);
            juce::Graphics g (image);
            g.fillAll (juce::Colour (0xFFC4C4C4));
            panel->root.paintEntireComponent (g, false);
            ok = context.writePng ("options-" + tabs->getTabNames()[tab], image) && ok;
        }
        panel->root.setLookAndFeel (nullptr);
        return ok;
    }

    PreviewRegistration options ("options", "the options dialog's pages in framework widgets (options-*.png)", renderOptions);
}
