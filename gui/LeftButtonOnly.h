#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <utility>

namespace Korvalden::GUI
{
/** A button of ButtonType that only a press of the left button presses.

    The framework's buttons take a press of any mouse button; a switch bound
    to a parameter must not, since a right press in the editor is the press
    for a menu.  A press that began with the right button neither shows the
    button pressed nor clicks it, whatever other button joins or leaves
    before its release; the release brings back the look the pointer calls
    for (a change of enablement during the press may have shown it pressed).
    Message thread, as the button's own mouse handling.
*/
template <class ButtonType>
class LeftButtonOnly : public ButtonType
{
public:
    using ButtonType::ButtonType;

    void mouseDown (const juce::MouseEvent& e) override
    {
        rightPress = e.mods.isRightButtonDown();
        if (! rightPress)
            ButtonType::mouseDown (e);
    }

    void mouseDrag (const juce::MouseEvent& e) override
    {
        if (! rightPress)
            ButtonType::mouseDrag (e);
    }

    void mouseUp (const juce::MouseEvent& e) override
    {
        if (! std::exchange (rightPress, false))
            ButtonType::mouseUp (e);
        else if (this->isMouseOver())
            ButtonType::mouseEnter (e);
        else
            ButtonType::mouseExit (e);
    }

private:
    bool rightPress = false;
};
} // namespace Korvalden::GUI
