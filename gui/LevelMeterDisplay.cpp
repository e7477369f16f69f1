#include "gui/LevelMeterDisplay.h"

#include <cmath>

namespace Korvalden::GUI
{
LevelMeterDisplay::LevelMeterDisplay (const LevelSource* levelSource, int channelShown, const juce::String& componentName)
    : juce::Component (componentName), levels (levelSource), channel (channelShown)
{
    setColour (trackColourId, juce::Colour (0xFF000000));
    setColour (barColourId, juce::Colour (0xFFFFFFFF));
    setColour (hotZoneColourId, juce::Colour (0xFFFFA500));
    setColour (clipColourId, juce::Colour (0xFFFF0000));
    startTimer (30);
}

LevelMeterDisplay::~LevelMeterDisplay()
{
    stopTimer();
}

float LevelMeterDisplay::levelToFraction (float squaredPeak) noexcept
{
    // No logarithm of zero, a negative number or NaN: such a level is silence.
    if (! std::isfinite (squaredPeak) || squaredPeak <= 0.0f)
        return 0.0f;

    const auto decibels = 10.0f * std::log10 (std::max (squaredPeak, 1.0e-10f));
    return juce::jlimit (0.0f, 1.0f, (decibels + 60.0f) / 60.0f);
}

void LevelMeterDisplay::timerCallback()
{
    repaint();
}

void LevelMeterDisplay::resized()
{
    updateBackgroundImage();
}

void LevelMeterDisplay::colourChanged()
{
    updateBackgroundImage();
}

void LevelMeterDisplay::updateBackgroundImage()
{
    const auto length = getBarLength();
    const auto height = getHeight();

    // A meter too short for its clip square has no bar to draw.
    if (length <= 0 || height <= 0)
        return;

    juce::Image image (juce::Image::ARGB, length, height, true);
    {
        juce::Graphics g (image);
        g.setColour (findColour (barColourId));
        g.fillAll();
        const auto hotStart = (int) (0.9f * (float) length);
        g.setColour (findColour (hotZoneColourId));
        g.fillRect (hotStart, 0, length - hotStart, height);
    }
    backgroundFill = juce::FillType (image, juce::AffineTransform());
}

void LevelMeterDisplay::paint (juce::Graphics& g)
{
    const auto length = getBarLength();
    if (length <= 0 || getHeight() <= 0)
        return;

    const bool hasChannel = levels != nullptr && channel >= 0 && channel < levels->getMeterChannels();
    const auto fraction = hasChannel ? levelToFraction (levels->getMeterLevel (channel)) : 1.0f;

    const auto w = (float) getWidth();
    const auto h = (float) getHeight();
    const auto l = (float) length;
    const auto corner = std::min (h, l) * 0.5f;

    g.setColour (findColour (trackColourId, true));
    g.fillRoundedRectangle (0.0f, 0.0f, l, h, corner);

    if (fraction > 0.0f)
    {
        // The bar's outline clips the cached image.  Filling the outline with
        // the image instead would tile it, and the smoothed left edge would
        // pick up the hot zone from the image's far end.
        juce::Path outline;
        if (h > l)
            outline.addRoundedRectangle (0.0f, 0.0f, l, fraction * h, corner);
        else
            outline.addRoundedRectangle (0.0f, 0.0f, fraction * l, h, corner);

        const juce::Graphics::ScopedSaveState saved (g);
        g.reduceClipRegion (outline);
        if (backgroundFill.isTiledImage())
            g.drawImageAt (backgroundFill.image, 0, 0);
        else
        {
            g.setFillType (backgroundFill);
            g.fillRect (outline.getBounds());
        }
    }

    if (hasChannel && levels->getClipHoldSamples (channel) != 0)
    {
        g.setColour (findColour (clipColourId));
        g.fillEllipse (w - h, 0.0f, h, h);
    }
}
} // namespace Korvalden::GUI
