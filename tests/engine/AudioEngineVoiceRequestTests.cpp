#include "engine/AudioEngine.h"
#include "engine/VoiceCountChanger.h"
#include "engine/XmlBinaryBlock.h"
#include "tests/support/EngineBlocks.h"

#include <gtest/gtest.h>

#include <climits>

TEST (AudioEngineVoiceRequests, aCountBelowOneOrAbove1024IsRefusedAndTheOldCountKept)
{
    AudioEngine engine;
    for (int count : { 0, -1, -16, INT_MIN, 1025, INT_MAX })
    {
        EXPECT_FALSE (engine.requestNumberOfVoices (count)) << count;
        EXPECT_EQ (engine.getRequestedNumberOfVoices(), 16) << count;
    }
    engine.setNumberOfVoices (0);
    EXPECT_TRUE (engine.waitForNumberOfVoicesRequests (1000));
    EXPECT_EQ (engine.getNumberOfVoices(), 16);
    EXPECT_EQ (totalVoices (engine), 16u);

    for (const char* stored : { "0", "-3", "1025", "99999999999" })
    {
        juce::MemoryBlock state;
        XmlBinaryBlock::write (*juce::parseXML ("<KEST_Plugin_State NumberOfVoices=\"" + juce::String (stored) + "\"/>"), state);
        engine.setStateInformation (state.getData(), (int) state.getSize());
        EXPECT_EQ (engine.getNumberOfVoices(), 16) << stored;
    }

    EXPECT_TRUE (engine.requestNumberOfVoices (1024));
    EXPECT_TRUE (engine.waitForNumberOfVoicesRequests (20000));
    EXPECT_EQ (totalVoices (engine), 1024u);
    EXPECT_TRUE (engine.requestNumberOfVoices (1));
    EXPECT_TRUE (engine.waitForNumberOfVoicesRequests (20000));
    EXPECT_EQ (totalVoices (engine), 1u);
}

TEST (AudioEngineVoiceRequests, aRequestReturnsAtOnceWhileTheAudioSideIsBusyAndTheLatestCountLands)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    {
        CallbackLockHolder busyAudio (engine);

        // Each request returns although the resize cannot run yet.
        EXPECT_TRUE (engine.requestNumberOfVoices (20));
        EXPECT_TRUE (engine.requestNumberOfVoices (30));
        EXPECT_TRUE (engine.requestNumberOfVoices (40));
        EXPECT_EQ (engine.getRequestedNumberOfVoices(), 40);
        EXPECT_FALSE (engine.waitForNumberOfVoicesRequests (0));

        // A state saved meanwhile keeps the count asked for.
        juce::MemoryBlock state;
        engine.getStateInformation (state);
        EXPECT_EQ (XmlBinaryBlock::read (state)->getIntAttribute ("NumberOfVoices"), 40);
    }
    EXPECT_TRUE (engine.waitForNumberOfVoicesRequests (20000));
    EXPECT_EQ (engine.getNumberOfVoices(), 40);
    EXPECT_EQ (totalVoices (engine), 40u);
}

TEST (VoiceCountChangerTests, aCountIsPendingUntilItHasBeenAppliedAndOnlyTheLatestWaitingCountIsApplied)
{
    juce::ScopedJuceInitialiser_GUI messageThread;
    std::atomic<int> applied { 0 };
    std::atomic<int> calls { 0 };
    juce::WaitableEvent entered, release;
    std::atomic<bool> holdFirst { true };

    VoiceCountChanger changer ([&] (unsigned int count)
    {
        if (holdFirst.exchange (false))
        {
            entered.signal();
            release.wait (20000);
        }
        applied = (int) count;
        ++calls;
    });

    // While the worker applies one count, newer requests merge into one.
    changer.request (20);
    ASSERT_TRUE (entered.wait (20000));
    EXPECT_EQ (changer.getPendingCount(), 20);
    changer.request (30);
    changer.request (40);
    EXPECT_EQ (changer.getPendingCount(), 40);
    release.signal();
    ASSERT_TRUE (changer.waitUntilIdle (20000));
    EXPECT_EQ (applied.load(), 40);
    EXPECT_EQ (calls.load(), 2);

    // A count on its way to the worker is never reported as gone before it lands.
    for (int count = 1; count <= 2000; ++count)
    {
        changer.request ((unsigned int) count);
        while (! changer.isIdle())
        {
            const int seen = changer.getPendingCount();
            if (seen < 0)
                EXPECT_EQ (applied.load(), count);
            else
                EXPECT_EQ (seen, count);
        }
        ASSERT_EQ (applied.load(), count);
    }
}
