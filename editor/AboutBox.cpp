#include "editor/AboutBox.h"

#include "editor/EditorComponentNames.h"
#include "gui/ImageURLButton.h"
#include "gui/ResourceManager.h"

namespace
{
    namespace N = EditorNames;
    using Resources = Korvalden::Resources::ResourceManager;

    const juce::Colour ink (0xFF000000);
    const juce::Colour blankPlate (0xFFF2F0EC);

    const char* const credits = "Written by the Kest developers.";
    const char* const thanks = "Thank you for making music with it.";
    // The README link sits at the end of the first line.
    const char* const whatItIs = "More about it is in its\n"
                                 "Four analogue-modelled devices share\n"
                                 "one pool of voices: one polyphonic instrument.";
    const char* const notice = "Copyright the Kest developers.\n"
                               "Licence: GPL-3.0-or-later.\n"
                               "Free software, made to be shared.";
    const char* const licenceParagraph = "Kest is free software under the GNU General Public License, version 3 "
                                         "or any later version, and comes with no warranty.";

    /** The popup-menu font at a height, with extra kerning. */
    juce::Font menuFont (float height, float kerning)
    {
        return juce::LookAndFeel::getDefaultLookAndFeel().getPopupMenuFont().withHeight (height).withExtraKerningFactor (kerning);
    }
}

juce::String AboutBox::getVersionText()   { return KEST_VERSION_STRING; }
juce::File AboutBox::getReadmeFile()      { return juce::File (KEST_REPOSITORY_DIR).getChildFile ("README.md"); }
juce::File AboutBox::getLicenceFile()     { return juce::File (KEST_REPOSITORY_DIR).getChildFile ("LICENSE"); }

juce::Image AboutBox::drawBackground()
{
    const auto source = Resources::getImage (N::Images::messageBackground);
    juce::Image image;
    if (source.isValid())
    {
        // A private copy: the cached image stays as it is.
        image = source.createCopy();
    }
    else
    {
        image = juce::Image (juce::Image::ARGB, defaultWidth, defaultHeight, true);
        juce::Graphics (image).fillAll (blankPlate);
    }

    juce::Graphics g (image);
    g.setColour (ink);
    const auto f = menuFont (14.5f, -0.025f);

    g.setFont (f.withHeight (20.0f).withStyle (juce::Font::underlined));
    g.drawText ("VERSION " + getVersionText(), juce::Rectangle<int> (238, 62, 400, 30), juce::Justification::topLeft, false);

    g.setFont (f);
    g.drawText ("(AAX Plugin, 64 Bit)", juce::Rectangle<int> (25, 247, 189, 20), juce::Justification::centred, false);
    g.drawMultiLineText (juce::String (credits) + "\n\n" + thanks, 238, 103, 350);
    g.drawMultiLineText (whatItIs, 238, 190, 350);

    const auto logo = Resources::getImage (N::Images::technologyLogoAbout);
    if (logo.isValid())
        g.drawImageAt (logo, 543, 180);

    g.drawMultiLineText (notice, 238, 248, 350);

    g.setFont (menuFont (13.5f, -0.03f));
    g.drawMultiLineText (licenceParagraph, 65, 308, 520);
    return image;
}

AboutBox::AboutBox()
{
    Resources::acquire();
    setBackgroundImage (drawBackground());
    setColour (coverColourId, juce::Colour (0x80FFFFFF));

    auto* readme = new juce::HyperlinkButton ("README", juce::URL (getReadmeFile()));
    readme->setFont (menuFont (14.5f, -0.025f), false, juce::Justification::centred);
    readme->setColour (juce::HyperlinkButton::textColourId, ink);
    readme->setMouseCursor (juce::MouseCursor::PointingHandCursor);
    readme->setTooltip (getReadmeFile().getFullPathName());
    readme->setBounds (354, 175, 96, 20);
    addAndMakeVisible (readme);

    auto* licence = new Korvalden::GUI::ImageURLButton ("KorvaldenButton", juce::URL (getLicenceFile()));
    const auto logo = Resources::getImage (N::Images::makerLogoAbout);
    licence->setImages (false, false, true, logo, 1.0f, juce::Colour (0x00000000), logo, 1.0f, juce::Colour (0x20000000),
                        logo, 1.0f, juce::Colour (0x30000000));
    licence->setMouseCursor (juce::MouseCursor::PointingHandCursor);
    licence->setTooltip (getLicenceFile().getFullPathName());
    licence->setBounds (489, 254, logo.getWidth(), logo.getHeight());
    addAndMakeVisible (licence);

    Resources::release();
}
