// Events that the framework's display connection read while the framework
// asked the server something (as an open menu asks where the pointer is, on
// its timer) reach the program's windows although nothing else arrives.

#include "DesktopEditorFixture.h"
#include "platform/PendingWindowEvents.h"

class PendingWindowEvents : public DesktopEditorFixture
{
};

TEST_F (PendingWindowEvents, APressTheFrameworkReadWhileAskingTheServerSomethingReachesTheWindowWithoutAnotherEvent)
{
    // A window that draws nothing after it is shown, on a bare display:
    // no other event comes to wake the framework's loop.
    juce::Component window;
    window.setBounds (100, 100, 240, 120);
    window.addToDesktop (0);
    window.setVisible (true);
    ASSERT_TRUE (waitFor ([&] { return XInput::screenBounds (display.get(), window) == window.getScreenBounds(); }));
    const juce::SharedResourcePointer<Korvalden::Platform::PendingWindowEvents> pendingWindowEvents;
    ASSERT_TRUE (XInput::moveTo (window.getScreenBounds().getCentre()));
    settle();

    for (int press = 0; press < 3; ++press)
    {
        SCOPED_TRACE ("press " + juce::String (press));
        const MouseRead read;
        ASSERT_TRUE (XInput::xdotool ({ "mousedown", "1" }));
        // The server sent the press before this answer: Xlib holds it now.
        EXPECT_TRUE (juce::ComponentPeer::getCurrentModifiersRealtime().isLeftButtonDown());
        // The message loop alone, without the nudges of waitFor.
        for (int waited = 0; read.presses == 0 && waited < 5000; waited += 10)
            pump (10);
        EXPECT_EQ (read.presses, 1) << "the press waits unread";
        ASSERT_TRUE (XInput::xdotool ({ "mouseup", "1" }));
        ASSERT_TRUE (waitFor ([&read] { return read.releases > 0; }));
    }
}
