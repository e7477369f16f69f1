#include "PreviewRegistry.h"

#include "editor/EditorComponentNames.h"
#include "gui/ResourceManager.h"

// The preset-overwrite question as the product's message box lays it out on
// "MessageBackground": title and text at the box's fixed places, buttons 1
// and 3 from the "MsgButton" images (message-box.png).
namespace
{
    namespace N = EditorNames;
    using Resources = Korvalden::Resources::ResourceManager;

    void drawButton (const PreviewContext& context, juce::Graphics& g, int x, int y, const char* image, const juce::String& text)
    {
        g.drawImageAt (Resources::getImage (image), x, y);
        g.setColour (juce::Colours::white);
        g.setFont (context.font (43.0f * 0.4f));
        g.drawText (text, juce::Rectangle<int> (x + 6, y + 3, 118, 28), juce::Justification::centred, false);
    }

    bool renderQuestion (const PreviewContext& context)
    {
        const auto& background = Resources::getImage (N::Images::messageBackground);
        if (! background.isValid())
            return false;

        juce::Image image (juce::Image::RGB, background.getWidth() + 40, background.getHeight() + 40, false);
        juce::Graphics g (image);
        g.fillAll (juce::Colour (0xFFE6E3DE).interpolatedWith (juce::Colours::white, 0.5f));   // the panel under a white shade
        g.setOrigin ({ 20, 20 });
        g.drawImageAt (background, 0, 0);

        g.setColour (juce::Colours::black);
        g.setFont (context.font (18.0f));
        g.drawText ("Rename Preset", juce::Rectangle<int> (231, 63, 240, 30), juce::Justification::topLeft, false);
        g.setFont (context.font (14.0f));
        juce::AttributedString unused;
        g.drawMultiLineText ("The Preset \"Glass Choir\" already exists.\n\nDo you want to overwrite it with the current preset data?",
                             231, 110, 350);

        drawButton (context, g, 225, 290, N::Images::messageButtons[0], "Overwrite");
        drawButton (context, g, 481, 290, N::Images::messageButtons[1], "Keep Both");
        return context.writePng ("message-box", image);
    }

    PreviewRegistration question ("message-box", "the preset-overwrite question on the message background (message-box.png)", renderQuestion);
}
