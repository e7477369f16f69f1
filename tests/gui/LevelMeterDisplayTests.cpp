#include "engine/AudioEngine.h"
#include "gui/LevelMeterDisplay.h"

#include "PaintTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using Korvalden::GUI::LevelMeterDisplay;

namespace
{
struct FakeLevels : LevelMeterDisplay::LevelSource
{
    int getMeterChannels() const override { return 2; }
    float getMeterLevel (int channel) const override { return levels[channel]; }
    int getClipHoldSamples (int channel) const override { return clipHold[channel]; }

    float levels[2] {};
    int clipHold[2] {};
};

const juce::Colour track (0xFF000000), bar (0xFFFFFFFF), hot (0xFFFFA500), clip (0xFFFF0000);

/** The squared peak of a level in decibels. */
float squaredPeakAt (float decibels)
{
    return std::pow (10.0f, decibels / 10.0f);
}
} // namespace

TEST (LevelMeterDisplay, barFollowsTheLevelInDecibelsWithTheHotZoneFromMinusSix)
{
    FakeLevels levels;
    LevelMeterDisplay meter (&levels, 0, "MeterL");
    meter.setSize (100, 10);
    // The bar is 89 long; the clip square starts at 90; the hot zone at 80.
    const int middle = 5;

    levels.levels[0] = 0.0f;
    auto image = paintToImage (meter);
    EXPECT_EQ (image.getPixelAt (10, middle), track);
    EXPECT_EQ (image.getPixelAt (60, middle), track);
    EXPECT_EQ (image.getPixelAt (95, middle).getAlpha(), 0); // no clip indicator

    levels.levels[0] = squaredPeakAt (-6.0f);
    image = paintToImage (meter);
    EXPECT_EQ (image.getPixelAt (10, middle), bar);
    EXPECT_EQ (image.getPixelAt (75, middle), bar);
    EXPECT_EQ (image.getPixelAt (83, middle), track);

    levels.levels[0] = squaredPeakAt (-30.0f);
    image = paintToImage (meter);
    EXPECT_EQ (image.getPixelAt (40, middle), bar);
    EXPECT_EQ (image.getPixelAt (48, middle), track);

    levels.levels[0] = 1.0f;
    image = paintToImage (meter);
    EXPECT_EQ (image.getPixelAt (75, middle), bar);
    EXPECT_EQ (image.getPixelAt (82, middle), hot);
    EXPECT_EQ (image.getPixelAt (86, middle), hot);

    // The smoothed left end is white, not tinted by the hot zone at the far
    // end of the bar's image (seen on a display at twice the size).
    juce::Image doubled (juce::Image::ARGB, 200, 20, true);
    {
        juce::Graphics g (doubled);
        g.addTransform (juce::AffineTransform::scale (2.0f));
        meter.paintEntireComponent (g, true);
    }
    for (int x = 0; x < 4; ++x)
    {
        const auto edge = doubled.getPixelAt (x, 10);
        EXPECT_GE ((int) edge.getBlue(), (int) edge.getRed() - 2) << x;
    }
    savePngForLooking (image, "meter-full");
}

TEST (LevelMeterDisplay, clipIndicatorLightsWhileItsHoldLastsAndOnlyForItsChannel)
{
    FakeLevels levels;
    levels.levels[0] = levels.levels[1] = 4.0f; // beyond full scale: a full bar
    levels.clipHold[1] = 4410;
    LevelMeterDisplay left (&levels, 0, "MeterL"), right (&levels, 1, "MeterR");
    left.setSize (100, 10);
    right.setSize (100, 10);

    EXPECT_EQ (paintToImage (right).getPixelAt (95, 5), clip);
    EXPECT_EQ (paintToImage (right).getPixelAt (86, 5), hot);
    EXPECT_EQ (paintToImage (left).getPixelAt (95, 5).getAlpha(), 0);

    levels.clipHold[1] = 0;
    EXPECT_EQ (paintToImage (right).getPixelAt (95, 5).getAlpha(), 0);
    savePngForLooking (paintToImage (left), "meter-left");
}

TEST (LevelMeterDisplay, levelsThatAreNoNumberOrNotPositiveShowAnEmptyBar)
{
    FakeLevels levels;
    LevelMeterDisplay meter (&levels, 0, "MeterL");
    meter.setSize (100, 10);

    for (float level : { -1.0f, 0.0f, 1.0e-12f, std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity() })
    {
        levels.levels[0] = level;
        const auto image = paintToImage (meter);
        EXPECT_EQ (image.getPixelAt (3, 5), track) << level;
        EXPECT_EQ (image.getPixelAt (60, 5), track) << level;
    }
    EXPECT_EQ (LevelMeterDisplay::levelToFraction (std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_FLOAT_EQ (LevelMeterDisplay::levelToFraction (0.001f), 0.5f);
}

TEST (LevelMeterDisplay, aChannelBeyondTheSourceShowsAFullBarWithoutClip)
{
    FakeLevels levels;
    levels.clipHold[0] = levels.clipHold[1] = 1;
    LevelMeterDisplay meter (&levels, 2, "MeterX");
    meter.setSize (100, 10);
    const auto image = paintToImage (meter);
    EXPECT_EQ (image.getPixelAt (40, 5), bar);
    EXPECT_EQ (image.getPixelAt (86, 5), hot);
    EXPECT_EQ (image.getPixelAt (95, 5).getAlpha(), 0);
}

TEST (LevelMeterDisplay, colourChangesAndTinySizesAreHarmless)
{
    FakeLevels levels;
    levels.levels[0] = 1.0f;
    LevelMeterDisplay meter (&levels, 0, "MeterL");

    // Too short for a bar beside its clip square: nothing is drawn.
    meter.setSize (10, 10);
    EXPECT_EQ (paintToImage (meter).getPixelAt (2, 5).getAlpha(), 0);

    meter.setSize (100, 10);
    meter.setColour (LevelMeterDisplay::barColourId, juce::Colour (0xFF00FF00));
    meter.setColour (LevelMeterDisplay::hotZoneColourId, juce::Colour (0xFF0000FF));
    const auto image = paintToImage (meter);
    EXPECT_EQ (image.getPixelAt (40, 5), juce::Colour (0xFF00FF00));
    EXPECT_EQ (image.getPixelAt (86, 5), juce::Colour (0xFF0000FF));
}

TEST (LevelMeterDisplay, showsTheEnginesOutputLevel)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    LevelMeterDisplay::SourceOf<AudioEngine> source (engine);
    LevelMeterDisplay meter (&source, 0, "MeterL");
    meter.setSize (100, 10);
    EXPECT_EQ (paintToImage (meter).getPixelAt (3, 5), track);

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (globalPlayingChannel (engine), 60, (juce::uint8) 127), 0);
    juce::AudioBuffer<float> buffer (2, 256);
    for (int block = 0; block < 20; ++block)
    {
        engine.processBlock (buffer, midi);
        midi.clear();
    }
    ASSERT_GT (engine.getMeterLevel (0), 0.0f);
    EXPECT_EQ (paintToImage (meter).getPixelAt (3, 5), bar);
}
