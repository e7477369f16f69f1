#pragma once

// The window system's own mouse and key events, sent with xdotool as a user's
// hands would send them (through the server's pointer and input focus, not
// to a chosen window), and what the server says about its windows.

#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace XInput
{
/** Whether xdotool can be run (tools/setup.sh installs it). */
inline bool available()
{
    juce::ChildProcess probe;
    return probe.start (juce::StringArray { "xdotool", "version" }, juce::ChildProcess::wantStdOut)
           && probe.waitForProcessToFinish (10000) && probe.getExitCode() == 0;
}

/** Runs xdotool with the arguments and waits for it; true when it succeeded. */
inline bool xdotool (const juce::StringArray& arguments)
{
    juce::StringArray command { "xdotool" };
    command.addArray (arguments);
    juce::ChildProcess process;
    return process.start (command, juce::ChildProcess::wantStdOut) && process.waitForProcessToFinish (10000)
           && process.getExitCode() == 0;
}

/** Moves the pointer to a screen point and waits until the server has it
    there.  xdotool's own wait would never end for a pointer that is there
    already, so that one stays where it is. */
inline bool moveTo (juce::Point<int> screen)
{
    juce::ChildProcess where;
    if (! where.start (juce::StringArray { "xdotool", "getmouselocation", "--shell" }, juce::ChildProcess::wantStdOut))
        return false;
    juce::StringArray lines;
    lines.addLines (where.readAllProcessOutput());
    if (where.getExitCode() == 0 && lines.contains ("X=" + juce::String (screen.x)) && lines.contains ("Y=" + juce::String (screen.y)))
        return true;
    return xdotool ({ "mousemove", "--sync", juce::String (screen.x), juce::String (screen.y) });
}

/** Moves the pointer to a screen point and clicks there with button (1 left,
    3 right), holding Ctrl when asked.  settle runs after the move and after
    the press: a program that reads its own events lets them arrive there,
    as they would while a hand moves. */
inline bool clickAt (juce::Point<int> screen, int button, bool withCtrl = false, const std::function<void()>& settle = {})
{
    const juce::String number (button);
    const auto settled = [&settle] (bool done)
    {
        if (done && settle)
            settle();
        return done;
    };
    if (! settled (moveTo (screen)))
        return false;
    if (withCtrl && ! xdotool ({ "keydown", "ctrl" }))
        return false;
    const bool clicked = settled (xdotool ({ "mousedown", number })) && xdotool ({ "mouseup", number });
    return clicked && (! withCtrl || xdotool ({ "keyup", "ctrl" }));
}

struct DisplayCloser
{
    void operator() (Display* display) const { XCloseDisplay (display); }
};
using DisplayConnection = std::unique_ptr<Display, DisplayCloser>;

/** While it lives, the keys given do not repeat on the display, and then
    repeat as they did before.  The display repeats a key held past a fixed
    delay, however long its holder took to get there: a test that holds a
    key across something a loaded machine may make slow (a field that
    opens, xdotool between a key's press and its release) switches it off
    for that key, so that what the program reads is what the test pressed. */
class RepeatOff
{
public:
    /** Keys by their X names ("a", "Return"). */
    explicit RepeatOff (const juce::StringArray& names)
    {
        std::vector<KeySym> symbols;
        for (auto& name : names)
            symbols.push_back (XStringToKeysym (name.toRawUTF8()));
        switchOff (symbols);
    }

    /** The keys that type these characters. */
    explicit RepeatOff (const juce::String& text)
    {
        // Below U+0100 a character's key symbol is its own code.
        std::vector<KeySym> symbols;
        for (auto character : text)
            symbols.push_back (character == '\r' || character == '\n' ? XStringToKeysym ("Return")
                               : character < 0x100                  ? (KeySym) character
                                                                    : (KeySym) (0x01000000 | character));
        switchOff (symbols);
    }

    ~RepeatOff()
    {
        if (display == nullptr)
            return;
        for (auto& key : keys)
            setRepeat (key.code, key.repeated ? AutoRepeatModeOn : AutoRepeatModeOff);
        XSync (display.get(), False);
    }

    RepeatOff (const RepeatOff&) = delete;
    RepeatOff& operator= (const RepeatOff&) = delete;

private:
    struct Key
    {
        KeyCode code;
        bool repeated;
    };

    void switchOff (const std::vector<KeySym>& symbols)
    {
        display.reset (XOpenDisplay (nullptr));
        if (display == nullptr)
            return;
        XKeyboardState state {};
        XGetKeyboardControl (display.get(), &state);
        for (auto symbol : symbols)
        {
            const KeyCode code = symbol != NoSymbol ? XKeysymToKeycode (display.get(), symbol) : 0;
            if (code == 0 || std::any_of (keys.begin(), keys.end(), [code] (const Key& key) { return key.code == code; }))
                continue;
            keys.push_back ({ code, ((state.auto_repeats[code >> 3] >> (code & 7)) & 1) != 0 });
            setRepeat (code, AutoRepeatModeOff);
        }
        XSync (display.get(), False);
    }

    void setRepeat (KeyCode code, int mode)
    {
        XKeyboardControl control {};
        control.key = code;
        control.auto_repeat_mode = mode;
        XChangeKeyboardControl (display.get(), KBKey | KBAutoRepeatMode, &control);
    }

    DisplayConnection display;
    std::vector<Key> keys;
};

/** Types text as key presses, to whatever holds the input focus. */
inline bool type (const juce::String& text)
{
    const RepeatOff typedOnce (text);
    return xdotool ({ "type", "--delay", "20", text });
}

/** Types lower-case letters as a fast typist does: each key goes down
    before the one typed before it comes up; the keys named by then (such as
    "Return") are pressed and released in turn before the last letter comes
    up. */
inline bool typeOverlapping (const juce::String& letters, const juce::StringArray& then = {})
{
    juce::StringArray arguments;
    for (int i = 0; i < letters.length(); ++i)
    {
        arguments.addArray ({ "keydown", juce::String::charToString (letters[i]) });
        if (i > 0)
            arguments.addArray ({ "keyup", juce::String::charToString (letters[i - 1]) });
    }
    for (auto& key : then)
        arguments.addArray ({ "keydown", key, "keyup", key });
    if (letters.isNotEmpty())
        arguments.addArray ({ "keyup", juce::String::charToString (letters.getLastCharacter()) });
    const RepeatOff typedOnce (letters), thenOnce (then);
    return xdotool (arguments);
}

/** Presses and releases one key by its X name ("Return", "Escape", "Down"). */
inline bool key (const juce::String& name)
{
    const RepeatOff pressedOnce (juce::StringArray { name });
    return xdotool ({ "key", name });
}

/** Sends a window a message that means nothing to it.  The framework reads
    its display connection only when data arrives there: an event that came
    with the answer to one of its own questions to the server waits unread
    until the next one (a user's hand moving sends plenty). */
inline void wake (Display* display, ::Window window)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom (display, "KEST_TEST_WAKE", False);
    event.xclient.format = 32;
    XSendEvent (display, window, False, NoEventMask, &event);
    XFlush (display);
}

/** Errors about window-manager properties that a bare virtual display lacks
    are no failure: Xlib's own handler would end the program. */
inline void tolerateErrors()
{
    XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });
}

/** Where the server shows a window on the screen, and whether it is viewable
    at all (empty when not). */
inline juce::Rectangle<int> screenBounds (Display* display, ::Window window)
{
    XWindowAttributes attributes {};
    if (window == 0 || XGetWindowAttributes (display, window, &attributes) == 0 || attributes.map_state != IsViewable)
        return {};
    int x = 0, y = 0;
    ::Window child = 0;
    XTranslateCoordinates (display, window, DefaultRootWindow (display), 0, 0, &x, &y, &child);
    return { x, y, attributes.width, attributes.height };
}

/** The same for a component's own window. */
inline juce::Rectangle<int> screenBounds (Display* display, juce::Component& component)
{
    auto* peer = component.getPeer();
    return peer != nullptr ? screenBounds (display, (::Window) (juce::pointer_sized_uint) peer->getNativeHandle())
                           : juce::Rectangle<int>();
}

/** The window that holds the window system's input focus. */
inline ::Window focusedWindow (Display* display)
{
    ::Window focused = 0;
    int revertTo = 0;
    XGetInputFocus (display, &focused, &revertTo);
    return focused;
}

/** A small window of the test's own, at the screen's top left corner
    (away from the editor), as another program's window. */
struct OtherProgramsWindow
{
    explicit OtherProgramsWindow (Display* x) : display (x)
    {
        window = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 60, 40, 0, 0, 0);
        XSizeHints where {};
        where.flags = USPosition | USSize;
        where.width = 60;
        where.height = 40;
        XSetWMNormalHints (display, window, &where);
        XMapWindow (display, window);
        XSync (display, False);
    }
    ~OtherProgramsWindow()
    {
        XDestroyWindow (display, window);
        XSync (display, False);
    }
    OtherProgramsWindow (const OtherProgramsWindow&) = delete;
    OtherProgramsWindow& operator= (const OtherProgramsWindow&) = delete;

    Display* display;
    ::Window window = 0;
};

/** Where a window stands among the windows on the screen: the place,
    counted from the bottom, of the top-level window around it (the window
    manager's frame, when one manages it); -1 when there is none. */
inline int stackingPosition (Display* display, ::Window window)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    while (window != 0 && XQueryTree (display, window, &root, &parent, &children, &count) != 0)
    {
        if (children != nullptr)
            XFree (children);
        if (parent == root)
            break;
        window = parent;
    }
    int position = -1;
    if (window != 0 && XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &count) != 0)
    {
        for (unsigned int i = 0; i < count; ++i)
            if (children[i] == window)
                position = (int) i;
        if (children != nullptr)
            XFree (children);
    }
    return position;
}

/** The same for a component's own window. */
inline int stackingPosition (Display* display, juce::Component& component)
{
    auto* peer = component.getPeer();
    return peer != nullptr ? stackingPosition (display, (::Window) (juce::pointer_sized_uint) peer->getNativeHandle()) : -1;
}

/** What the server shows in an area of the screen (an invalid image when it
    cannot be read): what a user sees, not what a program would paint. */
inline juce::Image screenImage (Display* display, juce::Rectangle<int> area)
{
    auto* shown = XGetImage (display, DefaultRootWindow (display), area.getX(), area.getY(), (unsigned) area.getWidth(),
                             (unsigned) area.getHeight(), AllPlanes, ZPixmap);
    if (shown == nullptr)
        return {};
    juce::Image image (juce::Image::RGB, area.getWidth(), area.getHeight(), false);
    for (int y = 0; y < area.getHeight(); ++y)
        for (int x = 0; x < area.getWidth(); ++x)
            image.setPixelAt (x, y, juce::Colour ((juce::uint32) (XGetPixel (shown, x, y) | 0xFF000000u)));
    XDestroyImage (shown);
    return image;
}

/** How far a point is from the nearest corner of an area. */
inline int distanceToNearestCorner (juce::Rectangle<int> area, juce::Point<int> point)
{
    const juce::Point<int> corners[] { area.getTopLeft(), area.getTopRight(), area.getBottomLeft(), area.getBottomRight() };
    int nearest = std::numeric_limits<int>::max();
    for (auto corner : corners)
        nearest = juce::jmin (nearest, juce::roundToInt (corner.getDistanceFrom (point)));
    return nearest;
}
} // namespace XInput
