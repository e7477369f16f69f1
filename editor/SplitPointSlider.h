#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

class MultiSoundVoiceController;

/** The three-thumb slider "SplitPointSlider" of the split points between the
    four devices: lower thumb split point 1, middle 2, upper 3.  The layout
    makes it and gives it range, interval and bounds; the framework's
    three-value slider keeps lower <= middle <= upper.

    The engine plays the points the slider shows: a user's move writes all
    three, and so does a resync whose thumbs show other points than the
    engine holds (points out of order or beyond the range).  Message thread.
*/
namespace SplitPointSlider
{
    /** Whether the slider has the three thumbs this needs. */
    bool hasThreeThumbs (const juce::Slider& slider);

    /** Shows the engine's points: the outer thumbs at the smaller and the
        larger of its points 1 and 3, the middle one at point 2 (held
        between them); each limited to the range and snapped to the
        interval.  When the thumbs then show other points than the engine
        holds, the engine takes the shown ones.  Nothing happens to a slider
        without three thumbs. */
    void showAndApply (juce::Slider& slider, MultiSoundVoiceController& controller);

    /** Writes the three thumbs into the engine as its split points 1 to 3. */
    void apply (const juce::Slider& slider, MultiSoundVoiceController& controller);

    /** The three thumbs as note numbers, each truncated toward zero. */
    std::array<int, 3> read (const juce::Slider& slider);
}
