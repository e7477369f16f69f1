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
        running = managed();
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
    juce::ChildProcess process;
};
