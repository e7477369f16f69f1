#include "host/ViewFocus.h"

#include <X11/Xlib.h>

namespace KestHost
{
void ViewFocus::Closer::operator() (_XDisplay* connection) const
{
    XCloseDisplay (connection);
}

ViewFocus::ViewFocus (unsigned long window) : display (XOpenDisplay (nullptr)), hostWindow (window)
{
    if (display == nullptr || hostWindow == 0)
        return;

    // This connection's own interest in the window: the framework's stays as it is.
    XSelectInput (display.get(), (::Window) hostWindow, FocusChangeMask);
    owed = windowHoldsFocus();
}

ViewFocus::~ViewFocus() = default;

void ViewFocus::idle()
{
    if (display == nullptr || hostWindow == 0)
        return;

    bool focusArrived = false;
    while (XPending (display.get()) > 0)
    {
        XEvent event {};
        XNextEvent (display.get(), &event);
        focusArrived = focusArrived || event.type == FocusIn;
    }
    if (focusArrived)
        owed = windowHoldsFocus();

    if (owed && giveFocusToView())
        owed = false;
}

bool ViewFocus::windowHoldsFocus() const
{
    ::Window focused = 0;
    int revertTo = 0;
    XGetInputFocus (display.get(), &focused, &revertTo);
    return focused == (::Window) hostWindow;
}

bool ViewFocus::giveFocusToView() const
{
    // The view is the window's only child window (the host draws its own
    // content into the window itself); only a viewable one takes the focus.
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    ::Window view = 0;
    if (XQueryTree (display.get(), (::Window) hostWindow, &root, &parent, &children, &count) != 0)
    {
        for (unsigned int i = 0; i < count && view == 0; ++i)
        {
            XWindowAttributes attributes {};
            if (XGetWindowAttributes (display.get(), children[i], &attributes) != 0 && attributes.map_state == IsViewable)
                view = children[i];
        }
    }
    if (children != nullptr)
        XFree (children);
    if (view == 0)
        return false;

    XSetInputFocus (display.get(), view, RevertToParent, CurrentTime);
    XSync (display.get(), False);
    return true;
}
} // namespace KestHost
