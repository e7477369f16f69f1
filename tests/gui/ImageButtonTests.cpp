#include "gui/AlphaMaskImageButton.h"
#include "gui/DoubleAlphaMaskImageButton.h"
#include "gui/ImageToggleButton.h"

#include <gtest/gtest.h>

using Korvalden::GUI::AlphaMaskImageButton;
using Korvalden::GUI::DoubleAlphaMaskImageButton;
using Korvalden::GUI::ImageToggleButton;

namespace
{
/** An opaque greyscale mask: a white square in the middle of black. */
juce::Image squareMask (int size = 8)
{
    juce::Image mask (juce::Image::RGB, size, size, true);
    mask.clear ({ size / 4, size / 4, size / 2, size / 2 }, juce::Colours::white);
    return mask;
}

juce::Image solid (juce::Colour colour)
{
    juce::Image image (juce::Image::ARGB, 4, 4, false);
    image.clear (image.getBounds(), colour);
    return image;
}

template <typename ButtonType>
juce::Colour paintedCentre (ButtonType& button, bool over, bool down)
{
    juce::Image canvas (juce::Image::ARGB, button.getWidth(), button.getHeight(), true);
    juce::Graphics g (canvas);
    button.paintButton (g, over, down);
    return canvas.getPixelAt (button.getWidth() / 2, button.getHeight() / 2);
}

const juce::Colour stateColours[] = { juce::Colour (0xFF000010), juce::Colour (0xFF000011), juce::Colour (0xFF000012),
                                      juce::Colour (0xFF000013), juce::Colour (0xFF000014) };

void useStateColours (juce::Button& button)
{
    for (int id = 0; id < 5; ++id)
        button.setColour (id, stateColours[id]);
}
} // namespace

TEST (AlphaMaskImageButton, StateIndexesOfTogglingAndPlainButtons)
{
    juce::TextButton plain;
    EXPECT_EQ (AlphaMaskImageButton::getStateIndex (plain, false, false), 0);
    EXPECT_EQ (AlphaMaskImageButton::getStateIndex (plain, true, false), 1);
    EXPECT_EQ (AlphaMaskImageButton::getStateIndex (plain, true, true), 2);

    juce::TextButton toggle;
    toggle.setClickingTogglesState (true);
    EXPECT_EQ (AlphaMaskImageButton::getStateIndex (toggle, false, false), 0);
    EXPECT_EQ (AlphaMaskImageButton::getStateIndex (toggle, true, false), 1);
    EXPECT_EQ (AlphaMaskImageButton::getStateIndex (toggle, true, true), 2);
    toggle.setToggleState (true, juce::dontSendNotification);
    EXPECT_EQ (AlphaMaskImageButton::getStateIndex (toggle, false, false), 3);
    EXPECT_EQ (AlphaMaskImageButton::getStateIndex (toggle, true, false), 2);
    EXPECT_EQ (AlphaMaskImageButton::getStateIndex (toggle, true, true), 1);

    juce::Component parent;
    parent.addAndMakeVisible (toggle);
    parent.setEnabled (false);
    EXPECT_EQ (AlphaMaskImageButton::getStateIndex (toggle, true, true), 4);
}

TEST (AlphaMaskImageButton, DrawsTheMaskInTheColourOfItsState)
{
    AlphaMaskImageButton button ("Save", squareMask());
    EXPECT_EQ (button.findColour (0).getARGB(), 0xFF555555u);
    EXPECT_EQ (button.findColour (4).getARGB(), 0xFF000000u);
    useStateColours (button);
    button.setBounds (0, 0, 12, 12);
    button.setClickingTogglesState (true);
    button.setToggleState (true, juce::dontSendNotification);

    EXPECT_EQ (paintedCentre (button, true, false), stateColours[2]);
    EXPECT_EQ (button.getCurrentStateIndex(), 2);
    EXPECT_EQ (paintedCentre (button, true, true), stateColours[1]);
    EXPECT_EQ (paintedCentre (button, false, false), stateColours[3]);

    // The mask's black stays transparent; the image is not scaled to the button.
    EXPECT_EQ (button.getTintedImage().getPixelAt (0, 0).getAlpha(), 0);
    EXPECT_EQ (button.getTintedImage().getWidth(), 8);

    // A new colour for the current state recolours at once.
    button.setColour (3, juce::Colour (0xFF00FF00));
    EXPECT_EQ (button.getTintedImage().getPixelAt (4, 4).getARGB(), 0xFF00FF00u);
    EXPECT_EQ (paintedCentre (button, false, false).getARGB(), 0xFF00FF00u);
}

TEST (DoubleAlphaMaskImageButton, SecondImageTakesTheMirroredColour)
{
    juce::Image left (juce::Image::RGB, 8, 8, true), right (juce::Image::RGB, 8, 8, true);
    left.clear ({ 0, 0, 4, 8 }, juce::Colours::white);
    right.clear ({ 4, 0, 4, 8 }, juce::Colours::white);

    DoubleAlphaMaskImageButton button ("Link", left, right);
    useStateColours (button);
    button.setBounds (0, 0, 8, 8);
    button.setClickingTogglesState (true);

    juce::Image canvas (juce::Image::ARGB, 8, 8, true);
    {
        juce::Graphics g (canvas);
        button.paintButton (g, false, false);
    }
    EXPECT_EQ (button.getFirstStateIndex(), 0);
    EXPECT_EQ (button.getSecondStateIndex(), 3);
    EXPECT_EQ (canvas.getPixelAt (1, 4), stateColours[0]);
    EXPECT_EQ (canvas.getPixelAt (6, 4), stateColours[3]);

    button.paintButton (*std::make_unique<juce::Graphics> (canvas), true, false);
    EXPECT_EQ (button.getFirstStateIndex(), 1);
    EXPECT_EQ (button.getSecondStateIndex(), 2);
    EXPECT_EQ (button.getSecondTintedImage().getPixelAt (6, 4), stateColours[2]);

    button.setEnabled (false);
    button.paintButton (*std::make_unique<juce::Graphics> (canvas), true, false);
    EXPECT_EQ (button.getFirstStateIndex(), 4);
    EXPECT_EQ (button.getSecondStateIndex(), 4);
    EXPECT_EQ (button.getFirstTintedImage().getPixelAt (1, 4), stateColours[4]);
}

TEST (ImageToggleButton, PressedShowsWhereTheClickLeads)
{
    const auto off = solid (juce::Colours::red), offOver = solid (juce::Colours::orange);
    const auto on = solid (juce::Colours::green), onOver = solid (juce::Colours::lime);

    ImageToggleButton button ("Switch");
    button.setImages (off, offOver, on, onOver);
    button.setBounds (0, 0, 6, 6);
    EXPECT_TRUE (button.getClickingTogglesState());

    EXPECT_EQ (paintedCentre (button, false, false), juce::Colours::red);
    EXPECT_EQ (paintedCentre (button, true, false), juce::Colours::orange);
    EXPECT_EQ (paintedCentre (button, true, true), juce::Colours::lime);

    button.setToggleState (true, juce::dontSendNotification);
    EXPECT_EQ (paintedCentre (button, false, false), juce::Colours::green);
    EXPECT_EQ (paintedCentre (button, true, false), juce::Colours::lime);
    EXPECT_EQ (paintedCentre (button, true, true), juce::Colours::orange);
}
