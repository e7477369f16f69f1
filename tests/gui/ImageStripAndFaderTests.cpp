#include "gui/AlphaFader.h"
#include "gui/ImageStrip.h"
#include "gui/ImageStripIndictorComponent.h"

#include <gtest/gtest.h>

using Korvalden::GUI::AlphaFader;
using Korvalden::GUI::ImageStrip;
using Korvalden::GUI::ImageStripIndictorComponent;

namespace
{
/** count frames, each frameSize pixels, whose pixels carry their index in
    red (low byte) and green (high byte). */
juce::Image numberedStrip (int count, bool horizontal, juce::Point<int> frameSize = { 2, 3 })
{
    juce::Image strip (juce::Image::RGB, horizontal ? count * frameSize.x : frameSize.x,
                       horizontal ? frameSize.y : count * frameSize.y, false);
    for (int i = 0; i < count; ++i)
    {
        const auto area = horizontal ? juce::Rectangle<int> (i * frameSize.x, 0, frameSize.x, frameSize.y)
                                     : juce::Rectangle<int> (0, i * frameSize.y, frameSize.x, frameSize.y);
        strip.clear (area, juce::Colour ((juce::uint8) (i & 0xFF), (juce::uint8) (i >> 8), 0));
    }
    return strip;
}

int frameNumber (const juce::Image& frame)
{
    const auto c = frame.getPixelAt (frame.getWidth() - 1, frame.getHeight() - 1);
    return c.getRed() + 256 * c.getGreen();
}
} // namespace

TEST (ImageStrip, ValuesPickTheNearestFrame)
{
    ImageStrip knob (numberedStrip (128, true), 128, true);
    EXPECT_EQ (knob.getFrameWidth(), 2);
    EXPECT_EQ (knob.getFrameHeight(), 3);
    EXPECT_EQ (knob.getCurrentIndex(), 0);
    EXPECT_EQ (frameNumber (knob.getCurrentFrame()), 0);

    EXPECT_TRUE (knob.setValue (1.0f));
    EXPECT_EQ (frameNumber (knob.getCurrentFrame()), 127);
    EXPECT_TRUE (knob.setValue (0.5f));
    EXPECT_EQ (knob.getCurrentIndex(), 64);
    EXPECT_EQ (frameNumber (knob.getCurrentFrame()), 64);
    EXPECT_FALSE (knob.setValue (0.5f));
    EXPECT_TRUE (knob.setValue (0.0f));
    EXPECT_EQ (frameNumber (knob.getCurrentFrame()), 0);

    ImageStrip stacked (numberedStrip (512, false, { 3, 1 }), 512, false);
    EXPECT_EQ (stacked.getFrameWidth(), 3);
    EXPECT_EQ (stacked.getFrameHeight(), 1);
    stacked.setValue (0.5f);
    EXPECT_EQ (frameNumber (stacked.getCurrentFrame()), 256);

    ImageStrip ninetyOne (numberedStrip (91, true), 91, true);
    ninetyOne.setValue (0.5f);
    EXPECT_EQ (ninetyOne.getCurrentIndex(), 45);
    EXPECT_EQ (frameNumber (ninetyOne.getCurrentFrame()), 45);
}

TEST (ImageStrip, ValuesOutsideTheStripGiveNoFrameAndNeverCrash)
{
    ImageStrip knob (numberedStrip (11, true), 11, true);
    knob.setValue (1.2f);
    EXPECT_TRUE (knob.getCurrentFrame().isNull());
    knob.setValue (-0.2f);
    EXPECT_TRUE (knob.getCurrentFrame().isNull());
    for (float v : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -1.0e30f })
        knob.setValue (v);
    knob.setValue (std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ (frameNumber (knob.getCurrentFrame()), 0);

    ImageStrip broken ({}, 0, true);
    EXPECT_EQ (broken.getFrameCount(), 1);
    broken.setValue (1.0f);
    EXPECT_TRUE (broken.getCurrentFrame().isNull());
}

TEST (ImageStrip, IndicatorDrawsTheFrameCentredAtItsOwnSize)
{
    ImageStripIndictorComponent led ("Led", numberedStrip (2, true, { 4, 4 }), 2, true);
    led.setBounds (0, 0, 10, 10);
    led.setValue (1.0f);

    juce::Image canvas (juce::Image::ARGB, 10, 10, true);
    juce::Graphics g (canvas);
    led.paint (g);
    EXPECT_EQ (canvas.getPixelAt (5, 5).getRed(), 1);
    EXPECT_EQ (canvas.getPixelAt (5, 5).getAlpha(), 255);
    EXPECT_EQ (canvas.getPixelAt (2, 2).getAlpha(), 0);
    EXPECT_EQ (canvas.getPixelAt (3, 3).getAlpha(), 255);
    EXPECT_EQ (canvas.getPixelAt (7, 7).getAlpha(), 0);
}

TEST (AlphaFader, AlphaBytesFollowTheLevel)
{
    EXPECT_EQ (AlphaFader::alphaByteFor (0.98f), 250);
    EXPECT_EQ (AlphaFader::alphaByteFor (1.0f), 255);
    EXPECT_EQ (AlphaFader::alphaByteFor (1.5f), 255);
    EXPECT_EQ (AlphaFader::alphaByteFor (0.0f), 0);
    EXPECT_EQ (AlphaFader::alphaByteFor (-0.1f), 0);
    EXPECT_EQ (AlphaFader::alphaByteFor (std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ (AlphaFader::alphaByteFor (0.5f), 127);
}

TEST (AlphaFader, FadeFromFullTakesTwentyFiveTicksAndStops)
{
    juce::Label value, other;
    value.setColour (juce::Label::textColourId, juce::Colour (0xFF102030));
    other.setColour (juce::Label::backgroundColourId, juce::Colour (0x80FFFFFF));

    AlphaFader fader;
    fader.addTarget (&value, juce::Label::textColourId);
    fader.addTarget (&value, juce::Label::textColourId);
    fader.addTarget (&other, juce::Label::backgroundColourId);

    fader.alpha = 1.0f;
    fader.applyAlpha();
    fader.startTimer (AlphaFader::tickIntervalMs);
    EXPECT_EQ (value.findColour (juce::Label::textColourId).getARGB(), 0xFF102030u);
    EXPECT_EQ (other.findColour (juce::Label::backgroundColourId).getAlpha(), 255);

    fader.timerCallback();
    EXPECT_EQ (value.findColour (juce::Label::textColourId).getARGB(), 0xF5102030u); // 0.96 -> 245

    int ticks = 1;
    while (fader.isTimerRunning() && ticks < 100)
    {
        fader.timerCallback();
        ++ticks;
    }
    EXPECT_EQ (ticks, 25);
    EXPECT_EQ (fader.alpha, 0.0f);
    EXPECT_EQ (value.findColour (juce::Label::textColourId).getARGB(), 0x00102030u);
    EXPECT_EQ (other.findColour (juce::Label::backgroundColourId).getARGB(), 0x00FFFFFFu);
}

TEST (AlphaFader, TargetsDeletedBeforeTheFaderAreSkipped)
{
    AlphaFader fader;
    auto label = std::make_unique<juce::Label>();
    fader.addTarget (label.get(), juce::Label::textColourId);
    label.reset();
    fader.alpha = 0.5f;
    fader.applyAlpha();
    fader.timerCallback();
    EXPECT_NEAR (fader.alpha, 0.46f, 1.0e-6f);
}
