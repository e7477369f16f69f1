#pragma once

// A window manager on the X display while it lives (openbox, installed by
// tools/setup.sh); none is started where one runs already.

#include <juce_core/juce_core.h>

#include <X11/Xlib.h>

class WindowManager
{
public:
    explicit WindowManager (Display* display)
    {
        const auto check = XInternAtom (display, "_NET_SUPPORTING_WM_CHECK", False);
        const auto managed = [display, check]
        {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            const bool found = XGetWindowProperty (display, DefaultRootWindow (display), check, 0, 1, False, AnyPropertyType,
                                                   &type, &format, &count, &after, &data) == Success && count > 0;
            if (data != nullptr)
                XFree (data);
            return found;
        };
        if (managed())
        {
            running = true;
            return;
        }
        // Its theme, and with it the frames it puts around windows, lies in
        // the system's data folders, which the tests' own environment hides.
        if (! process.start (juce::StringArray { "env", "XDG_DATA_DIRS=/usr/local/share:/usr/share", "openbox", "--sm-disable" }, 0))
            return;
        for (int waited = 0; ! managed() && waited < 20000 && process.isRunning(); waited += 10)
            juce::Thread::sleep (10);
        running = managed() && managesNewWindows (display);
    }

    ~WindowManager()
    {
        if (process.isRunning())
            process.kill();
    }

    WindowManager (const WindowManager&) = delete;
    WindowManager& operator= (const WindowManager&) = delete;

    bool running = false;

private:
    /** Whether a window mapped now is managed.  Openbox names itself on the
        root before it reads its events, and a window mapped until then it
        never maps: the probe is mapped again while it stays unmapped. */
    static bool managesNewWindows (Display* display)
    {
        const auto probe = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 1, 1, 0, 0, 0);
        const auto state = XInternAtom (display, "WM_STATE", False);
        const auto hasState = [display, probe, state]
        {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            const bool found = XGetWindowProperty (display, probe, state, 0, 2, False, AnyPropertyType, &type, &format, &count, &after, &data) == Success
                               && count > 0;
            if (data != nullptr)
                XFree (data);
            return found;
        };
        bool managed = false;
        for (int waited = 0; ! (managed = hasState()) && waited < 20000; waited += 10)
        {
            XWindowAttributes attributes {};
            if (waited % 200 == 0 && XGetWindowAttributes (display, probe, &attributes) != 0 && attributes.map_state == IsUnmapped)
                XMapWindow (display, probe);
            XFlush (display);
            juce::Thread::sleep (10);
        }
        XDestroyWindow (display, probe);
        XFlush (display);
        return managed;
    }

    juce::ChildProcess process;
};
