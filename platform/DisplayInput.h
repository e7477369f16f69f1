#pragma once

#include <juce_core/juce_core.h>

#include <vector>

namespace Korvalden::Platform
{
/** True when no window holds the window system's input focus: it went
    back to the screen's root or to nothing, as when the window that held it
    went away on a display without a window manager.  False when a window
    (the program's or another program's) holds it, and without a display.

    Message thread only (asks on the framework's display connection). */
bool inputFocusIsWithNoWindow();

/** True when the display has the key of this character (a plain,
    unshifted one such as 'a' or ';') down now, whatever window it goes to:
    the key's state as the server keeps it, not as the framework last heard
    of it.  False for another key and without a display.

    Message thread only (asks on the framework's display connection). */
bool characterKeyIsDownOnTheDisplay (juce::juce_wchar character);

/** Has the display send the framework a held key's repeats as presses
    alone, without the release it otherwise sends before each.  The
    framework takes such a release for the key going up unless the press
    that follows it has come in already, which on a loaded machine it has
    not always: the key would count as let go while it is held.  It stays so
    for the connection's life.  Nothing without a display, or where the
    display cannot.

    Message thread only (asks on the framework's display connection). */
void sendKeyRepeatsAsPressesAlone();

/** The characters (from the space to 0xFF, each one a key gives, shifted
    or not) whose keys are down both as the framework has read the key
    events so far and on the display now: keys held, not those pressed
    since whose events are still to be read, nor those whose release went
    to another program's window.  Empty without a display.

    Message thread only (asks on the framework's display connection). */
std::vector<juce::juce_wchar> characterKeysHeldDown();
} // namespace Korvalden::Platform
