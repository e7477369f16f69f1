// kest-host editor driven as a user drives it, with the window system's own
// mouse and key events: a right-click on a macro's caption opens the link
// menu at the click (not below the window), "Rename" takes the name typed at
// once, and the state saved on closing holds it.

#include "editor/EditorComponentNames.h"
#include "editor/MainControlPanel.h"
#include "engine/AudioEngine.h"
#include "gui/MultiColoredMidiKeyboard.h"
#include "host/WindowSnapshot.h"
#include "platform/BundleResources.h"
#include "tests/host/HostProgram.h"
#include "tests/support/XInput.h"

#include <gtest/gtest.h>

#include <optional>

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

/** The top-level window with this name, if it is viewable. */
::Window findTopLevel (Display* display, const char* name)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    ::Window found = 0;
    if (XQueryTree (display, DefaultRootWindow (display), &root, &parent, &children, &count) == 0)
        return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i)
    {
        if (windowName (display, children[i]) == name && ! XInput::screenBounds (display, children[i]).isEmpty())
            found = children[i];
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
bool waitFor (const std::function<bool()>& done, int milliseconds = 20000)
{
    for (int elapsed = 0; ! done() && elapsed < milliseconds; elapsed += 20)
        juce::Thread::sleep (20);
    return done();
}

/** Where the third macro's caption and the keyboard's key 64 lie in the
    editor, as the bundle's own layout places them. */
struct EditorSpots
{
    juce::Point<int> macroCaption;
    juce::Point<int> key64;
    juce::Rectangle<int> size;
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
        if (keyboard != nullptr)
            for (auto& target : panel->getLinkEditor().getTargets())
                if (target->indexes == std::vector<int> { 82 })
                    spots = EditorSpots { target->centre(),
                                          keyboard->getBoundsInParent().getPosition() + keyboard->getRectangleForKey (64).getCentre().toInt(),
                                          panel->getLocalBounds() };
    }
    Korvalden::Platform::setResourceFolderForTesting ({});
    return spots;
}
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

        // The first item that can be chosen is "Rename" (the macro is linked to nothing).
        const auto focusInView = [&]
        {
            ::Window focused = 0;
            int revert = 0;
            XGetInputFocus (x, &focused, &revert);
            return focused == view;
        };
        if (! XInput::key ("Down") || ! XInput::key ("Return") || ! waitFor ([&] { return findTopLevel (x, "menu") == 0 && focusInView(); }))
            return (failure = "the rename field did not take the input focus"), true;

        if (! XInput::type ("Bass line 1") || ! XInput::key ("Return"))
            return (failure = "xdotool failed"), true;

        // The field hears of Return a moment after the key: until then the
        // field swallows the note key ";" (no name holds it); after it the
        // keyboard plays and shows note 64.
        const auto keyShown = [&] { return KestHost::WindowSnapshot::capture (view).getPixelAt (spots->key64.x, spots->key64.y); };
        const auto keyAtRest = keyShown();
        bool played = false;
        for (int attempt = 0; attempt < 50 && ! played; ++attempt)
        {
            XInput::xdotool ({ "keydown", "semicolon" });
            played = waitFor ([&] { return keyShown() != keyAtRest; }, 200);
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
