#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

// All test binaries share this main: JUCE is initialised once per process so
// that message-thread objects (timers, async updaters, the message manager)
// exist, and the calling thread is the message thread.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    return RUN_ALL_TESTS();
}
