#include "PreviewRegistry.h"

#include "editor/EditorComponentNames.h"
#include "gui/ResourceManager.h"

// The preset-overwrite question as the product's message box lays it out on
// "MessageBackground": title and text at the box's fixed places, buttons 1
// and 3 from the "MsgButton" images (message-box.png); and the about box's
// places on the same background, with stand-in texts (about-box.png).
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
        g.drawMultiLineText ("The Preset \"Glass Choir\" already exists.\n\nDo you want to overwrite it with the current preset data?",
                             231, 110, 350);

        drawButton (context, g, 225, 290, N::Images::messageButtons[0], "Overwrite");
        drawButton (context, g, 481, 290, N::Images::messageButtons[1], "Keep Both");
        return context.writePng ("message-box", image);
    }

    bool renderAbout (const PreviewContext& context)
    {
        auto image = Resources::getImage (N::Images::messageBackground).createCopy();
        if (! image.isValid())
            return false;

        juce::Graphics g (image);
        g.setColour (juce::Colours::black);
        g.setFont (context.font (20.0f).withExtraKerningFactor (-0.025f).withStyle (juce::Font::underlined));
        g.drawText ("VERSION 1.0.3", juce::Rectangle<int> (238, 62, 400, 30), juce::Justification::topLeft, false);
        const auto font = context.font (14.5f).withExtraKerningFactor (-0.025f);
        g.setFont (font);
        g.drawText ("(AAX Plugin, 64 Bit)", juce::Rectangle<int> (25, 247, 189, 20), juce::Justification::centred, false);
        g.drawMultiLineText ("Sound and code: stand-in names\n\nThanks to everyone who played it first.", 238, 103, 350);
        g.drawMultiLineText ("Inspired by a four-voice hardware synthesizer.\nBuilt on a cross-platform audio framework.", 238, 190, 350);
        g.drawMultiLineText ("All rights reserved.\nContact line\nPlace of making", 238, 248, 350);
        g.setFont (context.font (13.5f).withExtraKerningFactor (-0.03f));
        g.drawMultiLineText ("Trademark notice: product names belong to their owners.", 65, 308, 520);
        g.drawImageAt (Resources::getImage (N::Images::technologyLogoAbout), 543, 180);
        g.drawImageAt (Resources::getImage (N::Images::makerLogoAbout), 489, 254);
        return context.writePng ("about-box", image);
    }

    PreviewRegistration about ("about-box", "the about box's places on the message background (about-box.png)", renderAbout);
    PreviewRegistration question ("message-box", "the preset-overwrite question on the message background (message-box.png)", renderQuestion);
}
