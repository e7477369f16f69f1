#include "platform/WindowStacking.h"

// After the framework's headers: Xlib's macros (KeyPress, None, Bool, ...)
// would otherwise rename the framework's own names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace Korvalden::Platform::WindowStacking
{
namespace
{
extern "C" int ignoreError (Display*, XErrorEvent*)
{
    return 0;
}

/** Runs work on a connection of its own, with its X errors ignored. */
template <typename Work>
void withDisplay (Work&& work)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    Display* display = XOpenDisplay (nullptr);
    if (display == nullptr)
        return;

    auto* const previous = XSetErrorHandler (ignoreError);
    work (display);
    XSync (display, False);
    XSetErrorHandler (previous);
    XCloseDisplay (display);
}

::Window windowOf (const juce::Component& component)
{
    auto* peer = component.getPeer();
    return peer != nullptr ? (::Window) (juce::pointer_sized_uint) peer->getNativeHandle() : 0;
}

bool hasProperty (Display* display, ::Window window, Atom property)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool read = XGetWindowProperty (display, window, property, 0, 0, False, AnyPropertyType, &type, &format, &count, &after, &data) == Success;
    if (data != nullptr)
        XFree (data);
    return read && type != 0;
}

/** The top-level window around window that a window manager manages (the
    outermost one it marked with WM_STATE), else the one right below the
    root; 0 when the window is gone. */
::Window topLevelOf (Display* display, ::Window window)
{
    const auto managedMark = XInternAtom (display, "WM_STATE", True);
    ::Window managed = 0;
    // Deeper than any window tree a desktop builds: a loop guard only.
    for (int depth = 0; window != 0 && depth < 64; ++depth)
    {
        if (managedMark != 0 && hasProperty (display, window, managedMark))
            managed = window;

        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree (display, window, &root, &parent, &children, &count) == 0)
            return 0;
        if (children != nullptr)
            XFree (children);
        if (parent == root || parent == 0)
            return managed != 0 ? managed : window;
        window = parent;
    }
    return 0;
}
} // namespace

void keepInFrontOf (const juce::Component& window, const juce::Component& blocked)
{
    const auto own = windowOf (window), under = windowOf (blocked);
    if (own == 0 || under == 0)
        return;

    withDisplay ([&] (Display* display)
    {
        const auto ownTop = topLevelOf (display, own), underTop = topLevelOf (display, under);
        if (ownTop != 0 && underTop != 0 && ownTop != underTop)
            XSetTransientForHint (display, ownTop, underTop);
    });
}

void raise (const juce::Component& window)
{
    const auto own = windowOf (window);
    if (own == 0)
        return;

    withDisplay ([&] (Display* display)
    {
        if (const auto top = topLevelOf (display, own); top != 0)
            XRaiseWindow (display, top);
    });
}
} // namespace Korvalden::Platform::WindowStacking
