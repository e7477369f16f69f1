#include "BundleResourcesFixture.h"

using Korvalden::Resources::ResourceManager;
namespace N = EditorNames;

namespace
{
/** Every image name the program asks the bundle for. */
juce::StringArray imagesTheProgramAsksFor()
{
    juce::StringArray names;
    for (auto* strip : N::Images::deviceKnobStrips)
        names.add (strip);
    names.add (N::Images::macroKnobStrip);
    for (auto* strip : N::Images::deviceLedStrips)
        names.add (strip);
    for (auto& button : N::oscillatorSwitches) names.add (button.image);
    for (auto& button : N::lfo1Switches)       names.add (button.image);
    for (auto& button : N::trackingSwitches)   names.add (button.image);
    for (auto* button : N::alphaImageButtons)
        names.add (N::alphaMask (button));
    for (auto* name : { N::Images::linkBackground, N::Images::midiOn, N::Images::directionDown, N::Images::directionUp,
                        N::Images::comboBoxArrow, N::Images::presetTreeDivider, N::Images::presetFolderOpen,
                        N::Images::presetFolderClosed, N::Images::messageBackground, N::Images::makerLogoAbout,
                        N::Images::technologyLogoAbout, N::Images::cutLinkCursor })
        names.add (name);
    for (auto* name : N::Images::presetBrowserButtons) names.add (name);
    for (auto* name : N::Images::favouriteButtons)     names.add (name);
    for (auto* name : N::Images::messageButtons)       names.add (name);
    return names;
}

bool isOpaqueGreyscale (const juce::Image& image)
{
    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            const auto c = pixels.getPixelColour (x, y);
            if (c.getAlpha() != 255 || c.getRed() != c.getGreen() || c.getGreen() != c.getBlue())
                return false;
        }
    return true;
}

/** Fraction of the pixels at full white: how much of a mask is icon. */
float whiteShare (const juce::Image& image)
{
    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
    int white = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            white += pixels.getPixelColour (x, y).getRed() > 200 ? 1 : 0;
    return (float) white / (float) (image.getWidth() * image.getHeight());
}
} // namespace

TEST_F (BundleResourcesFixture, EveryImageTheProgramAsksForIsInTheBundleAndDecodes)
{
    const auto names = imagesTheProgramAsksFor();
    ASSERT_GT (names.size(), 50);
    for (auto& name : names)
    {
        EXPECT_TRUE (folder.getChildFile (name + ".IMAGE").existsAsFile()) << name;
        const auto& image = ResourceManager::getImage (name);
        EXPECT_TRUE (image.isValid()) << name << " does not decode";
    }
}

TEST_F (BundleResourcesFixture, StripsHoldWholeSquareFramesOfTheCountsTheProgramCutsThemInto)
{
    auto expectStrip = [] (const juce::String& name, int frames)
    {
        const auto& strip = ResourceManager::getImage (name);
        ASSERT_TRUE (strip.isValid()) << name;
        EXPECT_EQ (strip.getHeight() % frames, 0) << name;
        EXPECT_EQ (strip.getHeight() / frames, strip.getWidth()) << name << ": frames are not square";
    };

    for (auto* strip : N::Images::deviceKnobStrips)
        expectStrip (strip, N::Images::knobFrames);
    expectStrip (N::Images::macroKnobStrip, N::Images::knobFrames);
    for (auto* strip : N::Images::deviceLedStrips)
        expectStrip (strip, N::ledFrames);

    // All knobs and all LEDs are one size.
    const auto knobWidth = ResourceManager::getImage (N::Images::macroKnobStrip).getWidth();
    const auto ledWidth = ResourceManager::getImage (N::Images::deviceLedStrips[0]).getWidth();
    for (int d = 0; d < N::numDevices; ++d)
    {
        EXPECT_EQ (ResourceManager::getImage (N::Images::deviceKnobStrips[d]).getWidth(), knobWidth);
        EXPECT_EQ (ResourceManager::getImage (N::Images::deviceLedStrips[d]).getWidth(), ledWidth);
    }
}

TEST_F (BundleResourcesFixture, KnobStripsMoveTheirPointerAndLedStripsLightUpFrameByFrame)
{
    // The first and last knob frames differ (the value arc and pointer move);
    // an LED's last frame is brighter than its first.
    const auto& knob = ResourceManager::getImage (N::Images::deviceKnobStrips[0]);
    const int frame = knob.getWidth();
    EXPECT_NE (knob.getClippedImage ({ 0, 0, frame, frame }).createCopy().getPixelAt (frame / 2, 3),
               knob.getClippedImage ({ 0, 90 * frame, frame, frame }).createCopy().getPixelAt (frame / 2, 3));

    const auto& led = ResourceManager::getImage (N::Images::deviceLedStrips[2]);
    const int size = led.getWidth();
    const auto off = led.getPixelAt (size / 2, size / 2);
    const auto on = led.getPixelAt (size / 2, (N::ledFrames - 1) * size + size / 2);
    EXPECT_GT (on.getBrightness(), off.getBrightness() + 0.3f);
}

TEST_F (BundleResourcesFixture, AlphaMasksAreOpaqueGreyscaleWithAnIconOnThem)
{
    for (auto& name : imagesTheProgramAsksFor())
    {
        if (! name.endsWith ("_Alpha"))
            continue;
        const auto& mask = ResourceManager::getImage (name);
        ASSERT_TRUE (mask.isValid()) << name;
        EXPECT_TRUE (isOpaqueGreyscale (mask)) << name;
        const float share = whiteShare (mask);
        EXPECT_GT (share, 0.02f) << name << " is (nearly) empty";
        EXPECT_LT (share, 0.6f) << name << " is (nearly) all icon";
    }
}

TEST_F (BundleResourcesFixture, ImagesWhoseSizeTheProgramReliesOnHaveIt)
{
    // The message box takes its background's size; the program puts its
    // three 128 x 43 buttons at x 225, 353 and 481, y 290.
    const auto box = ResourceManager::getImage (N::Images::messageBackground).getBounds();
    for (int x : { 225, 353, 481 })
        EXPECT_TRUE (box.reduced (8).contains (juce::Rectangle<int> (x, 290, 128, 43))) << x;
    for (auto* button : N::Images::messageButtons)
        EXPECT_EQ (ResourceManager::getImage (button).getBounds(), juce::Rectangle<int> (128, 43)) << button;

    // The about box draws its two logos unscaled at fixed places on the background.
    EXPECT_TRUE (box.contains (ResourceManager::getImage (N::Images::makerLogoAbout).getBounds().withPosition (489, 254)));
    EXPECT_TRUE (box.contains (ResourceManager::getImage (N::Images::technologyLogoAbout).getBounds().withPosition (543, 180)));

    // The preset tree draws its pictures unscaled into its 17-pixel rows and its 7-pixel divider.
    EXPECT_LE (ResourceManager::getImage (N::Images::presetTreeDivider).getHeight(), 7);
    for (auto* name : N::Images::favouriteButtons)
        EXPECT_LE (ResourceManager::getImage (name).getHeight(), 17) << name;
    for (auto* name : { N::Images::presetFolderOpen, N::Images::presetFolderClosed })
        EXPECT_LE (ResourceManager::getImage (name).getHeight(), 17) << name;

    // The cut cursor's hot spot (8, 5) lies on the image.
    EXPECT_TRUE (ResourceManager::getImage (N::Images::cutLinkCursor).getBounds().contains (8, 5));

    // Knobs draw the part of the link background under their own bounds: it covers the whole panel.
    EditorStandIn editor;
    ASSERT_TRUE (ResourceManager::applyComponentLayout (&editor.root, N::mainLayout));
    EXPECT_EQ (ResourceManager::getImage (N::Images::linkBackground).getBounds(), editor.root.getLocalBounds());
}
