#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

#include <cstdlib>

namespace
{
/** Gives every test its own empty home and data folders, removed when the
    test ends, whether the binary runs under CTest (which isolates each test
    already) or by hand with all its tests in one process: no test sees the
    real home folder or what an earlier test left behind. */
class FreshHomeForEveryTest : public ::testing::EmptyTestEventListener
{
public:
    void OnTestStart (const ::testing::TestInfo&) override
    {
        root = juce::File::getSpecialLocation (juce::File::tempDirectory)
                   .getChildFile ("kest-test." + juce::Uuid().toString());
        for (const char* name : { "home", "data", "shared" })
            root.getChildFile (name).createDirectory();
        ::setenv ("HOME", root.getChildFile ("home").getFullPathName().toRawUTF8(), 1);
        ::setenv ("XDG_DATA_HOME", root.getChildFile ("data").getFullPathName().toRawUTF8(), 1);
        ::setenv ("XDG_DATA_DIRS", root.getChildFile ("shared").getFullPathName().toRawUTF8(), 1);
    }

    void OnTestEnd (const ::testing::TestInfo&) override
    {
        root.deleteRecursively();
    }

private:
    juce::File root;
};
} // namespace

// All test binaries share this main: JUCE is initialised once per process so
// that message-thread objects (timers, async updaters, the message manager)
// exist, and the calling thread is the message thread.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append (new FreshHomeForEveryTest);
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    return RUN_ALL_TESTS();
}
