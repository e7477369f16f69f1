#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::Platform
{
/** How the program's own windows stand on the screen relative to each
    other, told to the X server and its window manager through a display
    connection of this code's own (the framework keeps its connection to
    itself).

    A window is named by a component on the desktop; a component inside a
    window, or inside a window of another program that holds ours (a host's
    window around the editor), stands for the top-level window the window
    manager manages around it.  A component without a window, a window that
    is gone, or no display to connect to changes nothing.  X errors on this
    connection are harmless: a window may go while it is asked about.

    Message thread only.
*/
namespace WindowStacking
{
    /** Tells the window manager that window belongs to the window of
        blocked and stays in front of it (the window is "transient for" it),
        as a dialog stays in front of the window it blocks.  Best told before
        window is first shown. */
    void keepInFrontOf (const juce::Component& window, const juce::Component& blocked);

    /** Raises window above the other windows on the screen. */
    void raise (const juce::Component& window);
} // namespace WindowStacking
} // namespace Korvalden::Platform
