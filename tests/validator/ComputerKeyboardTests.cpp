// The computer keys that play notes, pressed and released in the editor's
// real window as the window system reports them: "awsedftgyhujkolp;" play
// the seventeen notes from 48 (the C of the key-press octave 4) upwards,
// on the keyboard's channel, and other letters play nothing.

#include "editor/MainControlPanel.h"
#include "engine/AudioEngine.h"
#include "host/WindowSnapshot.h"
#include "platform/BundleResources.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <functional>
#include <memory>

namespace
{
/** A key press or release as the window system sends it to the window. */
void sendKey (Display* display, ::Window window, KeySym symbol, bool press)
{
    XKeyEvent event {};
    event.type = press ? KeyPress : KeyRelease;
    event.display = display;
    event.window = window;
    event.root = DefaultRootWindow (display);
    event.subwindow = None;
    event.time = CurrentTime;
    event.same_screen = True;
    event.keycode = XKeysymToKeycode (display, symbol);
    XSendEvent (display, window, True, press ? KeyPressMask : KeyReleaseMask, reinterpret_cast<XEvent*> (&event));
    XFlush (display);
}

/** Runs the message loop until done() or about five seconds; the result of done(). */
bool pumpUntil (const std::function<bool()>& done)
{
    for (int elapsed = 0; ! done() && elapsed < 5000; elapsed += 10)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    return done();
}

int heldNotes (juce::MidiKeyboardState& state, int channel)
{
    int held = 0;
    for (int note = 0; note < 128; ++note)
        held += state.isNoteOn (channel, note) ? 1 : 0;
    return held;
}
} // namespace

TEST (ComputerKeyboard, TheSeventeenNoteKeysPlayNotesFrom48UpwardsAndOtherKeysNone)
{
    // The window manager's properties that a bare virtual display lacks are no failure here.
    KestHost::WindowSnapshot::tolerateXErrors();
    Korvalden::Platform::setResourceFolderForTesting (juce::File (KEST_BUNDLE_PATH).getChildFile ("Contents/Resources"));
    Display* display = XOpenDisplay (nullptr);
    ASSERT_NE (display, nullptr);
    {
        AudioEngine engine;
        std::unique_ptr<juce::AudioProcessorEditor> editor (engine.createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        editor->addToDesktop (juce::ComponentPeer::windowIsTemporary);
        editor->setVisible (true);
        ASSERT_NE (editor->getPeer(), nullptr);
        const auto window = (::Window) (juce::pointer_sized_uint) editor->getPeer()->getNativeHandle();
        auto& keys = engine.getKeyboardState();

        const KeySym noteKeys[] { XK_a, XK_w, XK_s, XK_e, XK_d, XK_f, XK_t, XK_g, XK_y,
                                  XK_h, XK_u, XK_j, XK_k, XK_o, XK_l, XK_p, XK_semicolon };
        for (int i = 0; i < 17; ++i)
        {
            SCOPED_TRACE (XKeysymToString (noteKeys[i]));
            sendKey (display, window, noteKeys[i], true);
            EXPECT_TRUE (pumpUntil ([&] { return keys.isNoteOn (1, 48 + i); }));
            EXPECT_EQ (heldNotes (keys, 1), 1);
            sendKey (display, window, noteKeys[i], false);
            EXPECT_TRUE (pumpUntil ([&] { return ! keys.isNoteOn (1, 48 + i); }));
            EXPECT_EQ (heldNotes (keys, 1), 0);
        }

        // A letter that is no note key, then a note key to show the window still listens: only the note sounds.
        sendKey (display, window, XK_z, true);
        sendKey (display, window, XK_z, false);
        sendKey (display, window, XK_a, true);
        EXPECT_TRUE (pumpUntil ([&] { return keys.isNoteOn (1, 48); }));
        EXPECT_EQ (heldNotes (keys, 1), 1);
        sendKey (display, window, XK_a, false);
        EXPECT_TRUE (pumpUntil ([&] { return heldNotes (keys, 1) == 0; }));

        // On a fixed global channel the keys play on that channel.
        engine.setReceiveChannel (0, 10, false);
        dynamic_cast<MainControlPanel&> (*editor).setKeyboardMidiChannel (10);
        sendKey (display, window, XK_semicolon, true);
        EXPECT_TRUE (pumpUntil ([&] { return keys.isNoteOn (10, 64); }));
        EXPECT_EQ (heldNotes (keys, 1), 0);
        sendKey (display, window, XK_semicolon, false);
        EXPECT_TRUE (pumpUntil ([&] { return ! keys.isNoteOn (10, 64); }));
    }
    XCloseDisplay (display);
    Korvalden::Platform::setResourceFolderForTesting ({});
}
