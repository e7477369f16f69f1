#include "gui/ImageStrip.h"

#include <cmath>

namespace Korvalden::GUI
{
ImageStrip::ImageStrip (const juce::Image& stripImage, int count, bool framesSideBySide)
    : strip (stripImage),
      frameCount (juce::jmax (1, count)),
      horizontal (framesSideBySide),
      frameWidth (framesSideBySide ? stripImage.getWidth() / frameCount : stripImage.getWidth()),
      frameHeight (framesSideBySide ? stripImage.getHeight() : stripImage.getHeight() / frameCount)
{
    setValue (0.0f);
}

bool ImageStrip::setValue (float v)
{
    if (! std::isfinite (v))
        v = 0.0f;

    // Rounded to the nearest frame; the conversion truncates toward zero.
    // Far-out values are limited first so that the conversion stays defined.
    const float position = juce::jlimit (-1.0f, (float) frameCount, (float) (frameCount - 1) * v + 0.5f);
    const int index = (int) position;

    const auto area = horizontal ? juce::Rectangle<int> (frameWidth * index, 0, frameWidth, frameHeight)
                                 : juce::Rectangle<int> (0, frameHeight * index, frameWidth, frameHeight);
    const bool insideStrip = strip.isValid() && index >= 0 && index < frameCount && ! area.isEmpty();
    currentFrame = insideStrip ? strip.getClippedImage (area) : juce::Image();

    const bool changed = index != currentIndex;
    currentIndex = index;
    return changed;
}
} // namespace Korvalden::GUI
