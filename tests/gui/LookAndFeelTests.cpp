#include "gui/KESTLookAndFeel.h"
#include "gui/MasterVolSliderLookAndFeel.h"
#include "gui/PreferencesLookAndFeel.h"

#include "PaintTestSupport.h"
#include "ResourceFolderFixture.h"

#include <gtest/gtest.h>

namespace
{
/** An editor-like window: holds the shared look-and-feel while it lives. */
struct EditorWindow : juce::Component
{
    EditorWindow()
    {
        label.setFont (juce::Font (15.0f));
        addAndMakeVisible (label);
        setSize (200, 40);
        label.setBounds (getLocalBounds());
    }

    KESTLookAndFeel::Ptr lookAndFeel = KESTLookAndFeel::getShared();
    juce::Label label { "Name", "Name" };
};

/** A small typeface of two glyphs in the framework's stream format. */
juce::MemoryBlock typefaceStream (const juce::String& name)
{
    juce::CustomTypeface typeface;
    typeface.setCharacteristics (name, 0.8f, false, false, ' ');
    juce::Path square;
    square.addRectangle (0.1f, -0.7f, 0.5f, 0.7f);
    typeface.addGlyph ('A', square, 0.7f);
    typeface.addGlyph (' ', juce::Path(), 0.3f);
    juce::MemoryOutputStream out;
    typeface.writeToStream (out);
    return out.getMemoryBlock();
}

/** A stream that claims two billion glyphs and holds none. */
juce::MemoryBlock hugeGlyphCountStream()
{
    juce::MemoryOutputStream compressed;
    {
        juce::GZIPCompressorOutputStream out (compressed);
        out.writeString ("Liar");
        out.writeBool (false);
        out.writeBool (false);
        out.writeFloat (0.8f);
        out.writeShort (' ');
        out.writeInt (0x7FFFFFFF);
    }
    return compressed.getMemoryBlock();
}

juce::Image whiteSquareMask (int size)
{
    juce::Image mask (juce::Image::RGB, size, size, true);
    mask.clear (mask.getBounds(), juce::Colours::white);
    return mask;
}
} // namespace

using LookAndFeelTest = ResourceFolderFixture;

TEST_F (LookAndFeelTest, OneSharedInstanceOutlivesTheFirstWindowAndTheLastRestoresTheDefault)
{
    auto first = std::make_unique<EditorWindow>();
    auto second = std::make_unique<EditorWindow>();
    ASSERT_EQ (first->lookAndFeel.get(), second->lookAndFeel.get());
    EXPECT_EQ (first->lookAndFeel->getReferenceCount(), 2);
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), first->lookAndFeel.get());

    juce::WeakReference<KESTLookAndFeel> watch (first->lookAndFeel.get());
    first.reset();

    // The second window still draws with it: black label text, its default colour.
    ASSERT_NE (watch.get(), nullptr);
    EXPECT_EQ (&second->label.getLookAndFeel(), watch.get());
    EXPECT_EQ (second->label.findColour (juce::Label::textColourId), juce::Colours::black);
    const auto image = paintToImage (*second);
    int darkTextPixels = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getAlpha() > 200 && image.getPixelAt (x, y).getBrightness() < 0.2f)
                ++darkTextPixels;
    EXPECT_GT (darkTextPixels, 10);
    savePngForLooking (image, "lookandfeel-label");

    second.reset();
    EXPECT_EQ (watch.get(), nullptr);
    EXPECT_EQ (dynamic_cast<KESTLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
    EXPECT_NE (dynamic_cast<juce::LookAndFeel_V4*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);

    // The next window builds a new one.
    EditorWindow third;
    EXPECT_EQ (third.lookAndFeel->getReferenceCount(), 1);
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), third.lookAndFeel.get());
}

TEST_F (LookAndFeelTest, TooltipsAreTheTextWidthPlusEightByTwentyTwo)
{
    auto lookAndFeel = KESTLookAndFeel::getShared();
    const juce::Rectangle<int> screen (0, 0, 1000, 800);

    const auto empty = lookAndFeel->getTooltipBounds ({}, { 100, 100 }, screen);
    EXPECT_EQ (empty.getWidth(), 8);
    EXPECT_EQ (empty.getHeight(), 22);
    EXPECT_EQ (empty.getPosition(), juce::Point<int> (124, 106));

    // Beyond the middle of the screen the tip goes to the other side of the mouse.
    const auto text = lookAndFeel->getTooltipBounds ("Glide time", { 900, 700 }, screen);
    const auto expectedWidth = juce::roundToInt (lookAndFeel->getBaseFont().withHeight (14.0f)
                                                     .getStringWidthFloat ("Glide time")) + 8;
    EXPECT_EQ (text, juce::Rectangle<int> (900 - (expectedWidth + 12), 700 - 28, expectedWidth, 22));

    // A tooltip window in the editor takes those bounds and draws a dark plate.
    juce::Component editor;
    editor.setBounds (screen);
    juce::TooltipWindow tooltip (&editor);
    tooltip.displayTip ({ 900, 700 }, "Glide time");
    EXPECT_EQ (tooltip.getBounds(), text);
    EXPECT_EQ (paintToImage (tooltip).getPixelAt (1, 1), juce::Colour (0xFF3A3A3A));
    savePngForLooking (paintToImage (tooltip), "tooltip");
}

TEST_F (LookAndFeelTest, TheSplitPointSliderShowsFourDeviceZonesAndNoThumbs)
{
    auto lookAndFeel = KESTLookAndFeel::getShared();
    juce::Slider slider (juce::Slider::ThreeValueHorizontal, juce::Slider::NoTextBox);
    slider.setLookAndFeel (lookAndFeel.get());
    slider.setRange (0.0, 127.0, 1.0);
    slider.setSize (400, 30);
    slider.setMinAndMaxValues (32.0, 96.0, juce::dontSendNotification);
    slider.setValue (64.0, juce::dontSendNotification);

    auto zoneAt = [&slider] (const juce::Image& image, double value)
    {
        return nearestDevice (image.getPixelAt (juce::roundToInt (slider.getPositionOfValue (value)), 15));
    };

    auto image = paintToImage (slider);
    savePngForLooking (image, "split-zones");
    EXPECT_EQ (zoneAt (image, 10.0), 0);
    EXPECT_EQ (zoneAt (image, 48.0), 1);
    EXPECT_EQ (zoneAt (image, 80.0), 2);
    EXPECT_EQ (zoneAt (image, 120.0), 3);
    EXPECT_EQ (zoneAt (image, 31.0), 0);
    EXPECT_EQ (zoneAt (image, 33.0), 1);
    // Outside the band nothing is drawn: no thumbs.
    EXPECT_EQ (image.getPixelAt (juce::roundToInt (slider.getPositionOfValue (64.0)), 4).getAlpha(), 0);

    // All three points together: only the outer zones remain.
    slider.setMinAndMaxValues (64.0, 64.0, juce::dontSendNotification);
    image = paintToImage (slider);
    EXPECT_EQ (zoneAt (image, 62.0), 0);
    EXPECT_EQ (zoneAt (image, 66.0), 3);

    // A disabled slider is shaded lighter than an enabled one... by its lesser shade.
    slider.setMinAndMaxValues (32.0, 96.0, juce::dontSendNotification);
    const auto enabled = paintToImage (slider).getPixelAt (juce::roundToInt (slider.getPositionOfValue (48.0)), 13);
    slider.setEnabled (false);
    const auto disabled = paintToImage (slider).getPixelAt (juce::roundToInt (slider.getPositionOfValue (48.0)), 13);
    EXPECT_GT (disabled.getBrightness(), enabled.getBrightness());
    slider.setLookAndFeel (nullptr);
}

TEST_F (LookAndFeelTest, TheComboArrowIsGreyAndWhiteWhilePressed)
{
    writePng ("ComboBoxArrow_Alpha", whiteSquareMask (6));
    PreferencesLookAndFeel lookAndFeel;
    juce::ComboBox box;
    box.setLookAndFeel (&lookAndFeel);
    box.setSize (100, 20);

    juce::Image image (juce::Image::ARGB, 100, 20, true);
    auto paintArrow = [&] (bool pressed)
    {
        juce::Graphics g (image);
        lookAndFeel.drawComboBox (g, 100, 20, pressed, 80, 0, 20, 20, box);
        return image.getPixelAt (90, 10);
    };

    EXPECT_EQ (paintArrow (false), juce::Colour (0xFF666666));
    EXPECT_EQ (paintArrow (true), juce::Colours::white);
    EXPECT_EQ (paintArrow (false), juce::Colour (0xFF666666));
    EXPECT_EQ (image.getPixelAt (10, 10), juce::Colours::white); // the dialog's white box background
    box.setLookAndFeel (nullptr);
}

TEST_F (LookAndFeelTest, EveryTextUsesTheBundlesTypefaceWhenThereIsOne)
{
    writeBytes ("HelveticaNeue", "BINARY", typefaceStream ("Bundled"));
    PreferencesLookAndFeel preferences;
    ASSERT_NE (preferences.getEmbeddedTypeface(), nullptr);
    EXPECT_EQ (preferences.getEmbeddedTypeface()->getName(), "Bundled");
    EXPECT_EQ (preferences.getPopupMenuFont().getTypefacePtr(), preferences.getEmbeddedTypeface());
    EXPECT_FLOAT_EQ (preferences.getPopupMenuFont().getHeight(), 14.0f);
    EXPECT_FLOAT_EQ (preferences.getPopupMenuFont().getExtraKerningFactor(), 0.05f);
    EXPECT_EQ (preferences.getTypefaceForFont (juce::Font ("__", 15.0f, 0)), preferences.getEmbeddedTypeface());

    // As the default look-and-feel, fonts of no installed name take it too.
    auto editor = KESTLookAndFeel::getShared();
    EXPECT_EQ (juce::Font ("__", 19.0f, juce::Font::underlined).getTypefacePtr()->getName(), "Bundled");
}

TEST_F (LookAndFeelTest, AMissingOrDamagedTypefaceLeavesTheFrameworkFont)
{
    {
        PreferencesLookAndFeel missing;
        EXPECT_EQ (missing.getEmbeddedTypeface(), nullptr);
        EXPECT_EQ (missing.getPopupMenuFont().getTypefaceName(), juce::Font::getDefaultSansSerifFontName());
    }

    auto whole = typefaceStream ("Cut");
    writeBytes ("HelveticaNeue", "BINARY", juce::MemoryBlock (whole.getData(), whole.getSize() - 12));
    {
        PreferencesLookAndFeel cut;
        EXPECT_EQ (cut.getEmbeddedTypeface(), nullptr);
    }

    juce::MemoryInputStream huge (hugeGlyphCountStream(), true);
    EXPECT_EQ (EmbeddedTypefaceLookAndFeel::readCustomTypeface (huge), nullptr);

    juce::MemoryInputStream garbage ("not a typeface at all", 21, false);
    EXPECT_EQ (EmbeddedTypefaceLookAndFeel::readCustomTypeface (garbage), nullptr);
}

TEST_F (LookAndFeelTest, TheMasterVolumeSliderIsAWhiteBarOnNoTrack)
{
    MasterVolSliderLookAndFeel lookAndFeel;
    juce::Slider slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slider.setLookAndFeel (&lookAndFeel);
    slider.setColour (juce::Slider::backgroundColourId, juce::Colours::transparentBlack);
    slider.setRange (0.0, 1.0);
    slider.setSize (200, 12);
    slider.setValue (0.5, juce::dontSendNotification);
    EXPECT_EQ (lookAndFeel.getSliderThumbRadius (slider), 5);

    const auto image = paintToImage (slider);
    const auto thumbX = juce::roundToInt (slider.getPositionOfValue (0.5));
    EXPECT_EQ (image.getPixelAt (thumbX, 6), juce::Colours::white);
    EXPECT_EQ (image.getPixelAt (thumbX - 20, 6).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (thumbX + 20, 6).getAlpha(), 0);
    slider.setLookAndFeel (nullptr);
}
