#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** The program's warning: a window of its own with the warning icon, a
    title, a text and "OK" (Return and Escape answer it too), modal over all
    of the program's windows, drawn by the default look-and-feel.

    It stays in front of every window it blocks until it is answered: the
    window manager hears that it belongs over the window it blocks (the
    top-most modal window when one is open, else the owner's window, also
    when that gets its window only after the alert opened), and each time the
    framework brings the modal windows to the front the alert is raised over
    them once that is done (the framework's own restacking on X11 puts a
    second modal window in front of the first).  When it closes,
    the keyboard focus goes back where it was (KeyboardFocusReturn, with the
    owner as the window to give it to when nothing of the program held it).

    Message thread only.
*/
class WarningAlert
{
public:
    WarningAlert() = delete;

    /** Shows the alert and returns at once.  owner: a component of the
        window the alert belongs to (may be null, and need not be on the
        screen yet). */
    static void show (const juce::String& title, const juce::String& text, juce::Component* owner);
};
} // namespace Korvalden::GUI
