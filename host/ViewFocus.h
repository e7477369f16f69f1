#pragma once

#include <memory>

struct _XDisplay;

namespace KestHost
{
/** Hands the window system's input focus on to the plug-in's view whenever
    it lands on the host's window around the view: the window manager gives
    it to that window when the window opens, when it becomes active again and
    when its title bar is clicked, and the window itself has nothing to type
    into.  So the computer keys reach the view, and the plug-in counts as the
    active program (its tooltips show), without a click into the view.

    It follows the focus changes of the window on a display connection of its
    own and acts in idle(), trying again at each call until the view has a
    window that can take the focus (mapped).  X errors must be harmless
    (WindowSnapshot::tolerateXErrors): the plug-in may take its window away
    while this asks.  Without a display it does nothing.

    Main thread.
*/
class ViewFocus
{
public:
    /** window: the X11 window the view was opened in. */
    explicit ViewFocus (unsigned long window);
    ~ViewFocus();

    ViewFocus (const ViewFocus&) = delete;
    ViewFocus& operator= (const ViewFocus&) = delete;

    /** Reads the window's focus changes and hands the focus on when the
        window itself holds it. */
    void idle();

private:
    bool windowHoldsFocus() const;
    bool giveFocusToView() const;

    struct Closer
    {
        void operator() (_XDisplay* display) const;
    };
    std::unique_ptr<_XDisplay, Closer> display;
    unsigned long hostWindow;
    bool owed = false;
};
} // namespace KestHost
