// Events that the framework's display connection read while the framework
// asked the server something (as an open menu asks where the pointer is, on
// its timer) reach the program's windows although nothing else arrives.

#include "DesktopEditorFixture.h"
#include "platform/PendingWindowEvents.h"
#include "tests/support/TimeScale.h"

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
        // The message loop alone, without the nudges of waitFor, for about
        // what a hand feels (150 ms): counted in the turns of a timer as
        // frequent as the check's, which a loaded machine or a sanitizer
        // delays as much as the check itself, so the bound holds there too.
        struct Turns final : juce::Timer
        {
            void timerCallback() override { ++count; }
            int count = 0;
        } turns;
        turns.startTimer (10);
        const auto giveUpAt = juce::Time::getMillisecondCounter() + (juce::uint32) TimeScale::hangLimitMs (5000);
        while (read.presses == 0 && turns.count < 15 && juce::Time::getMillisecondCounter() < giveUpAt)
            pump (5);
        turns.stopTimer();
        EXPECT_EQ (read.presses, 1) << "the press waits unread after " << turns.count << " turns of a 10 ms timer";
        ASSERT_TRUE (XInput::xdotool ({ "mouseup", "1" }));
        ASSERT_TRUE (waitFor ([&read] { return read.releases > 0; }));
    }
}
