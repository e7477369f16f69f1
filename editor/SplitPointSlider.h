#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

class MultiSoundVoiceController;

/** The three-thumb slider "SplitPointSlider" of the split points between the
    four devices: lower thumb split point 1, middle 2, upper 3.  The layout
    makes it and gives it range, interval and bounds; the framework's
    three-value slider keeps lower <= middle <= upper.

    The engine keeps its points as they were read, in whatever order: the
    slider only shows them, and writes into the engine only the points whose
    thumbs the user moved.  A resync never writes, so opening the editor
    changes neither the sound nor the saved state.  Message thread.
*/
namespace SplitPointSlider
{
    /** Whether the slider has the three thumbs this needs. */
    bool hasThreeThumbs (const juce::Slider& slider);

    /** Shows the engine's points: the outer thumbs at the smaller and the
        larger of its points 1 and 3, the middle one at point 2 (held
        between them); each limited to the range and snapped to the
        interval.  Notifies no listener and writes nothing.  Nothing happens
        to a slider without three thumbs. */
    void show (juce::Slider& slider, const MultiSoundVoiceController& controller);

    /** After a user's move: each thumb that stands elsewhere than it was
        last shown or written writes its point, and only that one.  The
        outer thumb showing the smaller of points 1 and 3 writes that point
        (point 3 of points held out of order), the other outer thumb the
        other.  A slider never shown writes all three. */
    void writeMovedThumbs (juce::Slider& slider, MultiSoundVoiceController& controller);

    /** The three thumbs as note numbers, each truncated toward zero. */
    std::array<int, 3> read (const juce::Slider& slider);
}
