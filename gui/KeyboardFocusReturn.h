#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** The keyboard focus as it was when an alert or a question opened, given
    back when it closes: the window that held it takes the window system's
    input focus again and the component that held it the keyboard focus, so
    the computer keys that play the editor's keyboard keep playing without a
    click.  When nothing of the program held the focus as it opened (an
    alert that an editor shows while it is still being built), the window of
    the owner takes it: the window the alert belongs to.  Nothing happens for
    a component or window that is gone or no longer showing.

    Message thread only.
*/
class KeyboardFocusReturn
{
public:
    /** Remembers the component that has the keyboard focus now, or else the
        window that has the input focus, if any; else owner (may be null, and
        need not be on the screen yet). */
    explicit KeyboardFocusReturn (juce::Component* owner = nullptr);

    /** Gives the focus back to what was remembered. */
    void giveBack() const;

private:
    juce::Component::SafePointer<juce::Component> focused;
    juce::Component::SafePointer<juce::Component> focusedWindow;
    juce::Component::SafePointer<juce::Component> owner;
    bool heldNothing = false;
};
} // namespace Korvalden::GUI
