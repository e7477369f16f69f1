#include "engine/AudioEngine.h"
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
