#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::Platform
{
/** Delivers the window system's events that the framework's display
    connection has read but not handed on.

    The framework hands on the X events of its connection when the
    connection's socket has data; but several of its own calls made outside
    that reading (an open menu asking where the pointer is on its timer, a
    window's repaint timer waiting for its last paint to complete, a window
    brought to the front) read whatever the server sent meanwhile into
    Xlib's queue.  A press read that way waits, with the socket empty, until
    the server sends something else: a list that a held press should open
    stays shut, for good while the windows repaint and each repaint's reply
    is read the same way.  While an instance exists, such events are handed
    on within a few milliseconds.

    Hold it through juce::SharedResourcePointer wherever windows of the
    program are on the screen (one check serves them all).  Without a
    display it does nothing.

    Message thread only (made and destroyed there; it works on the message
    thread's timer).
*/
class PendingWindowEvents final : private juce::Timer
{
public:
    PendingWindowEvents();
    ~PendingWindowEvents() override;

private:
    void timerCallback() override;

    JUCE_DECLARE_NON_COPYABLE (PendingWindowEvents)
};
} // namespace Korvalden::Platform
