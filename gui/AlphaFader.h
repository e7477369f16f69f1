#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

namespace Korvalden::GUI
{
/** Fades chosen colours of components out: every tick lowers alpha by 0.04
    and writes it into the alpha byte of each (component, colour id) target,
    until alpha reaches 0 and the timer stops.

    To flash the targets: stop the timer, set alpha = 1, applyAlpha(), and
    unless pinned start the timer at 20 ms (25 ticks, half a second).  The
    fader does not read pinned itself; it marks for its users that the
    targets are to stay visible.  A target component deleted before the fader
    is skipped.  Message thread.
*/
class AlphaFader : public juce::Timer
{
public:
    static constexpr float stepPerTick = 0.04f;
    static constexpr int tickIntervalMs = 20;

    /** Adds a target unless the same pair is listed already. */
    void addTarget (juce::Component* component, int colourId);

    /** Writes the current alpha into every target's own colour and repaints it. */
    void applyAlpha();

    void timerCallback() override;

    /** The alpha byte for a fade level: 0 at or below 0, 255 at or above 1. */
    static juce::uint8 alphaByteFor (float level);

    float alpha = 1.0f;
    bool pinned = false;

private:
    struct Target
    {
        juce::Component::SafePointer<juce::Component> component;
        int colourId;
    };
    std::vector<Target> targets;
};
} // namespace Korvalden::GUI
