#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

/** The three-thumb slider "SplitPointSlider" of the split points between the
    four devices: lower thumb split point 1, middle 2, upper 3.  The layout
    makes it and gives it range, interval and bounds; the framework's
    three-value slider keeps lower <= middle <= upper.

    The editor shows the engine's points without notifying the listeners, so
    a resync never writes points back into the engine (an engine that holds
    them out of order keeps them until the user moves a thumb), and only a
    user's move writes all three back.  Message thread.
*/
namespace SplitPointSlider
{
    /** Whether the slider has the three thumbs this needs. */
    bool hasThreeThumbs (const juce::Slider& slider);

    /** Shows the engine's points: the outer thumbs at the smaller and the
        larger of s1 and s3, the middle one at s2 (held between them); each
        limited to the range and snapped to the interval.  Notifies no
        listener.  Nothing happens to a slider without three thumbs. */
    void show (juce::Slider& slider, int s1, int s2, int s3);

    /** The three thumbs as note numbers, each truncated toward zero. */
    std::array<int, 3> read (const juce::Slider& slider);
}
