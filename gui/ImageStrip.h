#pragma once

#include <juce_graphics/juce_graphics.h>

namespace Korvalden::GUI
{
/** Picks one frame of a strip image (all frames side by side or stacked)
    for a value in 0..1: knobs and LEDs are drawn this way.

    Frame n of count frames shows the value n / (count - 1); a value rounds
    to the nearest frame.  A value outside 0..1 gives an empty frame, a
    non-finite one frame 0.  The frame shares the strip's pixels.
    Message thread (it is part of the editor's widgets).
*/
class ImageStrip
{
public:
    /** A frame count below 1 is taken as 1.  Starts at frame 0. */
    ImageStrip (const juce::Image& strip, int count, bool horizontal);

    /** Selects the frame for v; true when it differs from the previous one. */
    bool setValue (float v);

    const juce::Image& getCurrentFrame() const noexcept { return currentFrame; }
    int getCurrentIndex() const noexcept { return currentIndex; }
    int getFrameCount() const noexcept { return frameCount; }
    int getFrameWidth() const noexcept { return frameWidth; }
    int getFrameHeight() const noexcept { return frameHeight; }

private:
    juce::Image currentFrame;
    juce::Image strip;
    int frameCount;
    bool horizontal;
    int frameWidth, frameHeight;
    int currentIndex = 0;
};
} // namespace Korvalden::GUI
