#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

/** The three-thumb slider of the split points between the four devices:
    lower thumb split point 1, middle 2, upper 3.  The layout gives it range,
    interval and bounds; the slider keeps lower <= middle <= upper.

    Only a user's move notifies the listeners: showing the engine's points
    sends nothing, so a resync never writes points back into the engine (an
    engine that holds them out of order keeps them until the user moves a
    thumb).  Message thread.
*/
class SplitPointSlider : public juce::Slider
{
public:
    SplitPointSlider();

    /** Shows the engine's points: the outer thumbs at the smaller and the
        larger of s1 and s3, the middle one at s2 (held between them); each
        snapped to the range and interval.  Notifies no listener. */
    void showSplitPoints (int s1, int s2, int s3);

    /** The three thumbs as note numbers, each truncated toward zero. */
    std::array<int, 3> getSplitPoints() const;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SplitPointSlider)
};
