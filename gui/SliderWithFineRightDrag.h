#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** A slider on which a right-button drag works as a ctrl + left-button drag
    (the fine adjustment), for those without a ctrl key to hand, from the
    press on: a right press no more jumps the thumb to the pointer than a
    ctrl + left press does.  Releasing stays the slider's own.  Message thread. */
class SliderWithFineRightDrag : public juce::Slider
{
public:
    using juce::Slider::Slider;

    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;

    /** The event as a ctrl + left-button drag: right, left and ctrl cleared,
        then left and ctrl set; everything else kept. */
    static juce::MouseEvent asFineLeftDrag (const juce::MouseEvent& e);
};
} // namespace Korvalden::GUI
