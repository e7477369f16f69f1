// kest-host editor driven as a user drives it, with the window system's own
// mouse and key events: a right-click on a macro's caption opens the link
// menu at the click (not below the window), "Rename" takes the name typed at
// once, and the state saved on closing holds it; the computer keys play and
// the tooltips show without a click into the window, from its opening (also
// after an alert there, and after a window manager lagging behind told a
// stale size: the window keeps the view's) and whenever the window gets the
// focus back.

#include "editor/EditorComponentNames.h"
#include "editor/MainControlPanel.h"
#include "engine/AudioEngine.h"
#include "gui/MultiColoredMidiKeyboard.h"
#include "host/WindowSnapshot.h"
#include "platform/ApplicationSupport.h"
#include "platform/BundleResources.h"
#include "tests/host/HostProgram.h"
#include "tests/support/WindowManager.h"
#include "tests/support/XInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace
{
/** A window's title as the framework sets it (UTF-8), or its plain name. */
std::string windowName (Display* display, ::Window window)
{
    XTextProperty property {};
    if (XGetTextProperty (display, window, &property, XInternAtom (display, "_NET_WM_NAME", False)) == 0 || property.value == nullptr)
        if (XGetWMName (display, window, &property) == 0 || property.value == nullptr)
            return {};
    std::string name (reinterpret_cast<const char*> (property.value), property.nitems);
    XFree (property.value);
    return name;
}

/** The top-level window with this name, if it is viewable: a child of the
    root, or of the frame a window manager put around it. */
::Window findTopLevel (Display* display, const char* name, ::Window parentWindow = 0, int framesDeep = 1)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    ::Window found = 0;
    if (XQueryTree (display, parentWindow != 0 ? parentWindow : DefaultRootWindow (display), &root, &parent, &children, &count) == 0)
        return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i)
    {
        if (windowName (display, children[i]) == name && ! XInput::screenBounds (display, children[i]).isEmpty())
            found = children[i];
        else if (framesDeep > 0)
            found = findTopLevel (display, name, children[i], framesDeep - 1);
    }
    if (children != nullptr)
        XFree (children);
    return found;
}

/** The plug-in's view: the first viewable child of the host's window. */
::Window viewIn (Display* display, ::Window hostWindow)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    ::Window view = 0;
    if (hostWindow != 0 && XQueryTree (display, hostWindow, &root, &parent, &children, &count) != 0)
        for (unsigned int i = 0; i < count && view == 0; ++i)
            if (! XInput::screenBounds (display, children[i]).isEmpty())
                view = children[i];
    if (children != nullptr)
        XFree (children);
    return view;
}

/** Polls until done() or the time runs out (a loaded machine, or a
    sanitizer, can make a window take seconds). */
bool waitFor (const std::function<bool()>& done, int milliseconds = TimeScale::hangLimitMs (20000))
{
    for (int elapsed = 0; ! done() && elapsed < milliseconds; elapsed += 20)
        juce::Thread::sleep (20);
    return done();
}

/** Where the third macro's caption, the first macro's knob and the
    keyboard's keys 48 (the computer key "a"), 50 ("s") and 64 lie in the
    editor, as the bundle's own layout places them. */
struct EditorSpots
{
    juce::Point<int> macroCaption;
    juce::Point<int> key64;
    juce::Rectangle<int> size;
    juce::Point<int> key48;
    juce::Point<int> firstMacro;
    juce::Point<int> blank; // the panel itself, no control
    juce::Point<int> key50; // the computer key "s"
};

std::optional<EditorSpots> spotsFromTheLayout()
{
    Korvalden::Platform::setResourceFolderForTesting (juce::File (KEST_BUNDLE_PATH).getChildFile ("Contents/Resources"));
    std::optional<EditorSpots> spots;
    {
        AudioEngine engine;
        std::unique_ptr<juce::AudioProcessorEditor> editor (engine.createEditorIfNeeded());
        auto* panel = dynamic_cast<MainControlPanel*> (editor.get());
        auto* keyboard = panel != nullptr ? panel->findChildAs<MultiColoredMidiKeyboard> (EditorNames::keyboard) : nullptr;
        auto* macro = panel != nullptr ? panel->findChildAs<juce::Component> (EditorNames::macroKnob (1)) : nullptr;
        const auto onKey = [keyboard] (int note, float across, float down)
        {
            const auto key = keyboard->getRectangleForKey (note);
            return keyboard->getBoundsInParent().getPosition()
                   + juce::Point<float> (key.getX() + key.getWidth() * across, key.getY() + key.getHeight() * down).toInt();
        };
        // Beside the logo in the top bar: a click there reaches the panel itself.
        juce::Point<int> blank;
        if (panel != nullptr)
            panel->setVisible (true);
        for (int x = 100; panel != nullptr && x < panel->getWidth() && blank.isOrigin(); x += 4)
            if (panel->getComponentAt (x, 20) == panel)
                blank = { x, 20 };
        if (keyboard != nullptr && macro != nullptr && ! blank.isOrigin())
            for (auto& target : panel->getLinkEditor().getTargets())
                if (target->indexes == std::vector<int> { 82 })
                    spots = EditorSpots { target->centre(), onKey (64, 0.5f, 0.5f), panel->getLocalBounds(),
                                          onKey (48, 0.4f, 0.8f), // below the black key beside it
                                          macro->getBoundsInParent().getCentre(), blank, onKey (50, 0.4f, 0.8f) };
    }
    Korvalden::Platform::setResourceFolderForTesting ({});
    return spots;
}
/** What the screen shows at a point. */
juce::Colour shownAt (Display* display, juce::Point<int> screen)
{
    const auto image = XInput::screenImage (display, { screen.x, screen.y, 1, 1 });
    return image.isValid() ? image.getPixelAt (0, 0) : juce::Colour();
}

/** A window manager lagging behind the program it serves, as one on a busy
    machine does: it maps a window when asked and gives it the input focus,
    but carries out the sizes asked for the window once mapped only after
    the window has asked for none for a while (in the order asked).  Until
    then it tells the window the stale size it has (a synthetic
    ConfigureNotify, as window managers send for a request they do not
    carry out), at each request and every few milliseconds, so the window
    hears of it whenever its message loop turns.  Served from the test's
    polling; once it has caught up it leaves the display, and the program's
    later requests go straight to the server. */
class LaggingWindowManager
{
public:
    LaggingWindowManager() : display (XOpenDisplay (nullptr))
    {
        if (display == nullptr)
            return;
        const auto root = DefaultRootWindow (display.get());
        XSelectInput (display.get(), root, SubstructureRedirectMask);
        XWindowAttributes attributes {};
        running = XGetWindowAttributes (display.get(), root, &attributes) != 0 // refused when another manager runs
                  && (attributes.your_event_mask & SubstructureRedirectMask) != 0;
    }

    /** Handles the requests that came; true once it has left the display. */
    bool serve()
    {
        if (display == nullptr)
            return true;
        auto* x = display.get();
        const auto now = juce::Time::getMillisecondCounter();
        while (XPending (x) > 0)
        {
            XEvent event {};
            XNextEvent (x, &event);
            if (event.type == MapRequest)
            {
                const auto window = event.xmaprequest.window;
                XMapWindow (x, window);
                XSetInputFocus (x, window, RevertToParent, CurrentTime);
                mapped.push_back (window);
                tellTheSizeItHas (window);
            }
            else if (event.type == ConfigureRequest)
            {
                const auto& asked = event.xconfigurerequest;
                if (std::find (mapped.begin(), mapped.end(), asked.window) == mapped.end())
                {
                    carryOut (asked);
                }
                else
                {
                    held.push_back (asked);
                    lastAskedAt = now;
                    tellTheSizeItHas (asked.window);
                }
            }
        }
        // Until it catches up it keeps telling the stale size, which the
        // window reads whenever its loop turns.
        if (juce::Time::getMillisecondCounter() - lastToldAt >= retellMs)
            for (auto window : mapped)
                tellTheSizeItHas (window);
        XFlush (x);
        if (held.empty() || now - lastAskedAt < lagMs)
            return false;
        for (const auto& asked : held)
            carryOut (asked);
        XSync (x, False);
        display.reset();
        return true;
    }

    bool running = false;

private:
    /** A synthetic ConfigureNotify with the window's size now, as a window
        manager sends for a request it does not carry out (yet). */
    void tellTheSizeItHas (::Window window)
    {
        XEvent event {};
        auto& told = event.xconfigure;
        told.type = ConfigureNotify;
        told.event = told.window = window;
        ::Window root = 0;
        unsigned int width = 0, height = 0, border = 0, depth = 0;
        XGetGeometry (display.get(), window, &root, &told.x, &told.y, &width, &height, &border, &depth);
        told.width = (int) width;
        told.height = (int) height;
        XSendEvent (display.get(), window, False, StructureNotifyMask, &event);
        lastToldAt = juce::Time::getMillisecondCounter();
    }

    void carryOut (const XConfigureRequestEvent& asked)
    {
        XWindowChanges changes {};
        changes.x = asked.x;
        changes.y = asked.y;
        changes.width = asked.width;
        changes.height = asked.height;
        changes.border_width = asked.border_width;
        changes.sibling = asked.above;
        changes.stack_mode = asked.detail;
        XConfigureWindow (display.get(), asked.window, (unsigned int) asked.value_mask, &changes);
    }

    static constexpr juce::uint32 lagMs = 1500, retellMs = 2;
    XInput::DisplayConnection display;
    std::vector<::Window> mapped;
    std::vector<XConfigureRequestEvent> held;
    juce::uint32 lastAskedAt = 0, lastToldAt = 0;
};

} // namespace

TEST (EditorProgramMenus, ALinkMenuOpensAtTheClickAndRenameTakesTheNameTypedIntoTheSavedState)
{
    ASSERT_TRUE (XInput::available()) << "xdotool is missing: tools/setup.sh installs it";
    KestHost::WindowSnapshot::tolerateXErrors();
    const auto spots = spotsFromTheLayout();
    ASSERT_TRUE (spots.has_value());
    XInput::DisplayConnection display (XOpenDisplay (nullptr));
    ASSERT_NE (display, nullptr);

    ScratchFolder scratch ("kest-editor-menus");
    const auto state = scratch.getFile().getChildFile ("renamed.kst");
    juce::Rectangle<int> menu;
    juce::Point<int> pressedAt;
    std::string failure;

    HostProgram::Launch launch;
    launch.folder = scratch.getFile();
    launch.arguments = { "editor", "--save-state", state.getFullPathName().toStdString() };
    launch.interruptWhen = [&]
    {
        // Not yet open, or still being sized and centred on the screen.
        auto* x = display.get();
        const auto view = viewIn (x, findTopLevel (x, "Kest"));
        const auto bounds = XInput::screenBounds (x, view);
        const auto screen = XInput::screenBounds (x, DefaultRootWindow (x));
        const auto centred = juce::Rectangle<int> (screen.getCentreX() - spots->size.getWidth() / 2, screen.getCentreY() - spots->size.getHeight() / 2,
                                                   spots->size.getWidth(), spots->size.getHeight());
        if (view == 0 || bounds != centred)
            return false;

        pressedAt = bounds.getPosition() + spots->macroCaption;
        if (! XInput::clickAt (pressedAt, 3) || ! waitFor ([&] { return findTopLevel (x, "menu") != 0; }))
            return (failure = "no menu opened"), true;

        menu = XInput::screenBounds (x, findTopLevel (x, "menu"));

        // The first item that can be chosen is "Rename" (the macro is linked
        // to nothing).  The name and Return ("\r") follow the choice at once,
        // in one stroke, without waiting for the field to show.
        const XInput::RepeatOff typedOnce (juce::String ("Bass line 1\r")), keysOnce (juce::StringArray { "Down" });
        if (! XInput::xdotool ({ "key", "--delay", "0", "Down", "Return", "type", "--delay", "0", "Bass line 1\r" }))
            return (failure = "xdotool failed"), true;
        if (! waitFor ([&] { return findTopLevel (x, "menu") == 0; }))
            return (failure = "the menu stays open"), true;

        // The field goes with Return: the keys typed after it reach the
        // keyboard, which plays and shows note 64 (";", which no name holds).
        const auto keyShown = [&] { return KestHost::WindowSnapshot::capture (view).getPixelAt (spots->key64.x, spots->key64.y); };
        const auto keyAtRest = keyShown();
        bool played = false;
        for (int attempt = 0; attempt < 50 && ! played; ++attempt)
        {
            // Each press is held longer than the one before, up to the
            // usual limit: a program too busy to draw the key while it is
            // down is given the time it takes.
            XInput::xdotool ({ "keydown", "semicolon" });
            played = waitFor ([&] { return keyShown() != keyAtRest; }, juce::jmin (200 << juce::jmin (attempt, 7), TimeScale::hangLimitMs (20000)));
            XInput::xdotool ({ "keyup", "semicolon" });
        }
        if (! played)
            failure = "the keys typed after the name never reached the editor";
        return true;
    };

    const auto run = HostProgram::run (launch);
    EXPECT_EQ (run.exitCode, 0) << run.errors;
    EXPECT_EQ (failure, "");
    EXPECT_LE (XInput::distanceToNearestCorner (menu, pressedAt), 8) << "menu at " << menu.toString() << ", pressed at " << pressedAt.toString();
    juce::MemoryBlock saved;
    state.loadFileAsData (saved);
    const std::string bytes (static_cast<const char*> (saved.getData()), saved.getSize());
    const auto named = bytes.find ("Index=\"82\"");
    EXPECT_NE (bytes.find ("Name=\"Bass line 1\""), std::string::npos)
        << "the third macro's group is saved as: " << (named == std::string::npos ? "(nothing)" : bytes.substr (named, 60));
}

TEST (EditorProgramKeys, TheComputerKeysPlayAndTooltipsShowWithoutAClickFromTheOpeningAndWheneverTheWindowGetsTheFocusBack)
{
    ASSERT_TRUE (XInput::available()) << "xdotool is missing: tools/setup.sh installs it";
    KestHost::WindowSnapshot::tolerateXErrors();
    const auto spots = spotsFromTheLayout();
    ASSERT_TRUE (spots.has_value());
    XInput::DisplayConnection display (XOpenDisplay (nullptr));
    ASSERT_NE (display, nullptr);

    enum class ReadError { none, answeredWithReturn, answeredWithItsButton };
    const struct
    {
        const char* what;
        bool withWindowManager;
        ReadError readError; // an unreadable favourites file is told as the editor opens
        bool lagging = false; // a window manager that reports a stale size before the real one, then leaves
    } openings[] {
        { "on a bare display", false, ReadError::none },
        { "on a bare display, the Read Error at opening answered with Return", false, ReadError::answeredWithReturn },
        { "on a bare display, the Read Error at opening answered with its button", false, ReadError::answeredWithItsButton },
        { "after a lagging window manager reported a stale size", false, ReadError::none, true },
        { "under a window manager", true, ReadError::none },
    };
    const auto favourites = Korvalden::Platform::getUserMakerFolder().getChildFile ("Kest.Favorites.xml");
    for (const auto& opening : openings)
    {
        SCOPED_TRACE (opening.what);
        std::optional<WindowManager> manager;
        if (opening.withWindowManager)
        {
            manager.emplace (display.get());
            ASSERT_TRUE (manager->running) << "no window manager: tools/setup.sh installs openbox";
        }
        std::optional<LaggingWindowManager> lagging;
        if (opening.lagging)
        {
            lagging.emplace();
            ASSERT_TRUE (lagging->running) << "another window manager holds the display";
        }
        ASSERT_TRUE (favourites.getParentDirectory().createDirectory());
        ASSERT_TRUE (opening.readError == ReadError::none ? favourites.deleteFile() : favourites.replaceWithText ("not a favourites file"));

        ScratchFolder scratch ("kest-editor-keys");
        std::string failure;
        juce::Rectangle<int> boundsSeen;
        double seenSince = 0.0;
        HostProgram::Launch launch;
        launch.folder = scratch.getFile();
        launch.arguments = { "editor" };
        launch.interruptWhen = [&]
        {
            // Not yet open, or still being sized and placed on the screen
            // (where a window manager may place it as it likes).
            if (lagging.has_value() && ! lagging->serve())
                return false;
            auto* x = display.get();
            const auto window = findTopLevel (x, "Kest");
            const auto view = viewIn (x, window);
            const auto bounds = XInput::screenBounds (x, view);
            const auto now = juce::Time::getMillisecondCounterHiRes();
            if (bounds != boundsSeen)
                seenSince = now;
            boundsSeen = bounds;
            if (view == 0 || bounds.getWidth() != spots->size.getWidth() || bounds.getHeight() != spots->size.getHeight() || now - seenSince < 500.0)
                return false;
            const auto fails = [&failure] (const char* what) { return (failure = what), true; };
            if (! waitFor ([&] { return XInput::screenBounds (x, window).contains (XInput::screenBounds (x, view)); }))
                return fails ("the host's window cuts the editor off");

            if (opening.readError != ReadError::none)
            {
                if (! waitFor ([&] { return findTopLevel (x, "Read Error") != 0; }))
                    return fails ("no Read Error showed");
                // In front of the editor's window, which the host showed after
                // it, and known to the window manager as belonging to it.
                const auto alert = findTopLevel (x, "Read Error");
                const auto alertBounds = XInput::screenBounds (x, alert);
                const auto belongsInFront = [&]
                {
                    ::Window over = 0;
                    return XGetTransientForHint (x, alert, &over) != 0 && over == window
                           && XInput::stackingPosition (x, alert) > XInput::stackingPosition (x, window);
                };
                if (! waitFor (belongsInFront))
                    return fails ("the Read Error does not stay in front of the editor's window");
                const auto aWhile = [] { juce::Thread::sleep (100); };
                // The button sits at the foot of the alert, in the middle.
                const bool answered = (opening.readError != ReadError::answeredWithReturn || waitFor ([&] { return XInput::focusedWindow (x) == alert; }))
                                      && (opening.readError == ReadError::answeredWithReturn
                                              ? XInput::key ("Return")
                                              : XInput::clickAt ({ alertBounds.getCentreX(), alertBounds.getBottom() - 26 }, 1, false, aWhile));
                if (! answered || ! waitFor ([&] { return findTopLevel (x, "Read Error") == 0; }))
                    return fails ("the Read Error could not be answered");
            }

            // Where the editor is now (a window manager may still move it), and
            // its key 48: held in a device's colour, at rest in white.
            const auto at = [&] (juce::Point<int> spot) { return XInput::screenBounds (x, view).getPosition() + spot; };
            const auto keyDown = [&] { return shownAt (x, at (spots->key48)).getSaturation() > 0.5f; };
            const auto keyUp = [&]
            {
                const auto shown = shownAt (x, at (spots->key48));
                return shown.getSaturation() < 0.2f && shown.getBrightness() > 0.6f;
            };
            bool stayedHeld = false;
            const auto heldKeyPlays = [&]
            {
                if (! waitFor (keyUp))
                    return false;
                const bool played = XInput::xdotool ({ "keydown", "a" }) && waitFor (keyDown);
                XInput::xdotool ({ "keyup", "a" });
                stayedHeld = played && ! waitFor (keyUp);
                return played && ! stayedHeld;
            };
            // What the screen shows of a key needs the whole editor in the host's window.
            const auto keysFail = [&] (const char* what)
            {
                const bool wholeViewShown = XInput::screenBounds (x, window).contains (XInput::screenBounds (x, view));
                return fails (! wholeViewShown ? "the host's window cuts the editor off"
                              : stayedHeld     ? "the key stayed drawn held after it was let go"
                                               : what);
            };

            // The pointer rests on a knob: its tooltip shows, though nothing was clicked.
            if (! XInput::moveTo (at (spots->firstMacro)) || ! waitFor ([&] { return findTopLevel (x, "tooltip") != 0; }))
                return fails ("no tooltip showed");

            if (! XInput::moveTo (at (spots->macroCaption)) || ! heldKeyPlays())
                return keysFail ("the keys played nothing with the pointer over the editor");
            if (! XInput::moveTo (at (spots->size.getBottomRight() + juce::Point<int> (40, 40))) || ! heldKeyPlays())
                return keysFail ("the keys played nothing with the pointer beside the window");

            // The window manager gives the window itself the focus when it is
            // activated again or its title bar is clicked (on a bare display the
            // test gives it): with the focus elsewhere, and after a click into the editor.
            for (const bool clickedIntoTheEditor : { false, true })
            {
                if (clickedIntoTheEditor ? ! XInput::clickAt (at (spots->blank), 1) || ! heldKeyPlays()
                                         : XSetInputFocus (x, PointerRoot, RevertToParent, CurrentTime) == 0)
                    return keysFail ("the keys played nothing after a click into the editor");
                const bool focused = opening.withWindowManager ? XInput::clickAt (at ({ spots->size.getCentreX(), -8 }), 1)
                                                               : XSetInputFocus (x, window, RevertToParent, CurrentTime) != 0;
                if (! focused || ! heldKeyPlays())
                    return keysFail ("the keys played nothing once the window itself got the focus");
            }

            // "a" held as another program's window takes the focus and let go
            // there: its note ends then, and once the window gets the focus
            // back, "s" going down plays its own note alone.
            {
                const auto drawnDown = [&] (juce::Point<int> spot) { return shownAt (x, at (spot)).getSaturation() > 0.5f; };
                if (! waitFor (keyUp) || ! XInput::xdotool ({ "keydown", "a" }) || ! waitFor (keyDown))
                    return keysFail ("the keys played nothing before another window took the focus");
                const XInput::OtherProgramsWindow other (x);
                const bool otherFocused = waitFor ([&]
                {
                    if (XInput::screenBounds (x, other.window).isEmpty())
                        return false;
                    if (XInput::focusedWindow (x) != other.window)
                        XSetInputFocus (x, other.window, RevertToParent, CurrentTime);
                    return XInput::focusedWindow (x) == other.window;
                });
                XInput::xdotool ({ "keyup", "a" });
                if (! otherFocused)
                    return fails ("the other window did not take the focus");
                if (! waitFor (keyUp))
                    return fails ("the key let go in another program's window stays held");
                const bool focused = opening.withWindowManager ? XInput::clickAt (at ({ spots->size.getCentreX(), -8 }), 1)
                                                               : XSetInputFocus (x, window, RevertToParent, CurrentTime) != 0;
                if (! focused || ! waitFor ([&] { return viewIn (x, window) == XInput::focusedWindow (x); }))
                    return fails ("the editor did not get the focus back");
                const bool played = XInput::xdotool ({ "keydown", "s" }) && waitFor ([&] { return drawnDown (spots->key50); });
                const bool aStayedUp = keyUp();
                XInput::xdotool ({ "keyup", "s" });
                if (! played)
                    return keysFail ("the keys played nothing after another window had the focus");
                if (! aStayedUp)
                    return fails ("the key let go in another program's window played again as another key went down");
                if (! waitFor ([&] { return ! drawnDown (spots->key50); }))
                    return fails ("the key let go stayed drawn held");
            }
            return true;
        };

        const auto run = HostProgram::run (launch);
        EXPECT_EQ (run.exitCode, 0) << run.errors;
        EXPECT_EQ (failure, "") << run.errors;
    }
    favourites.deleteFile();
}
