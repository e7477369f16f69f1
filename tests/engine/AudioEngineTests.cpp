#include "engine/AudioEngine.h"
#include "tests/support/EngineBlocks.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cmath>
#include <thread>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
void clearDirtyFlags (AudioEngine& engine)
{
    for (int i = 0; i < engine.getTotalNumParameters(); ++i)
        engine.isParameterDirty (i);
}

void process (AudioEngine& engine, int numSamples, juce::MidiBuffer midi = {})
{
    juce::AudioBuffer<float> buffer (2, numSamples);
    engine.processBlock (buffer, midi);
}
} // namespace

TEST (AudioEngine, answersTheHostsParameterCallsWithNamesTextsAndDefaults)
{
    AudioEngine engine;
    EXPECT_EQ (engine.getName(), "Kest");
    EXPECT_EQ (engine.getNumParameters(), 92);
    EXPECT_EQ (engine.getTotalNumParameters(), 93);

    EXPECT_EQ (engine.getParameterName (0), "Glide_1");
    EXPECT_EQ (engine.getParameterName (24), "OscillatorModulationMode_2");
    EXPECT_EQ (engine.getParameterName (79), "MidiOn_4");
    EXPECT_EQ (engine.getParameterName (80), "MAKRO_1");
    EXPECT_EQ (engine.getParameterName (87), "MAKRO_8");
    EXPECT_EQ (engine.getParameterName (88), "Voice_Mode");
    EXPECT_EQ (engine.getParameterName (89), "Voice_Direction");
    EXPECT_EQ (engine.getParameterName (90), "Voice_Fill");
    EXPECT_EQ (engine.getParameterName (91), "Monophon");
    EXPECT_EQ (engine.getParameterName (92), "MasterVolume");

    // Defaults are applied at construction and reported as the values.
    EXPECT_FLOAT_EQ (engine.getParameter (1), 0.5f);    // Tune
    EXPECT_FLOAT_EQ (engine.getParameter (43), 1.0f);   // OscillatorMode_3
    EXPECT_FLOAT_EQ (engine.getParameter (64), 0.5f);   // OscillatorModulationMode_4
    EXPECT_FLOAT_EQ (engine.getParameter (73), 1.0f);   // Accent_4
    EXPECT_FLOAT_EQ (engine.getParameter (77), 0.5f);   // Release_4
    EXPECT_FLOAT_EQ (engine.getParameter (92), 6.0f / 7.0f);
    EXPECT_FLOAT_EQ (engine.getParameterDefaultValue (19), 1.0f); // MidiOn_1

    EXPECT_EQ (engine.getParameterText (1), "+0.00  st");
    EXPECT_EQ (engine.getParameterText (3), "Pulse");
    EXPECT_EQ (engine.getParameterText (8), "Full");
    EXPECT_EQ (engine.getParameterText (19), "On");
    EXPECT_EQ (engine.getParameterText (88), "Unison");
    EXPECT_EQ (engine.getParameterText (89), "Up");
    EXPECT_EQ (engine.getParameterText (92), "0.0 dB");
}

TEST (AudioEngine, indexesOutsideTheTableAreHarmless)
{
    AudioEngine engine;
    for (int index : { -1, 93, 1000 })
    {
        EXPECT_FLOAT_EQ (engine.getParameter (index), 0.0f);
        EXPECT_FLOAT_EQ (engine.getParameterDefaultValue (index), 0.0f);
        EXPECT_EQ (engine.getParameterName (index), "");
        EXPECT_EQ (engine.getParameterText (index), "");
        EXPECT_FALSE (engine.isParameterDirty (index));
        engine.setParameter (index, 0.3f);
    }
    EXPECT_EQ (engine.getOutputChannelName (0), "1");
    EXPECT_TRUE (engine.isOutputChannelStereoPair (1));
    EXPECT_FALSE (engine.isOutputChannelStereoPair (2));
}

TEST (AudioEngine, dirtyFlagsAreSetByEveryStoreAndClearedByTheTest)
{
    AudioEngine engine;
    // The defaults went through setParameter, so the editor's first poll refreshes everything.
    for (int i = 0; i < 93; ++i)
        EXPECT_TRUE (engine.isParameterDirty (i)) << i;
    for (int i = 0; i < 93; ++i)
        EXPECT_FALSE (engine.isParameterDirty (i)) << i;

    engine.setParameter (12, 0.25f);
    EXPECT_TRUE (engine.isParameterDirty (12));
    EXPECT_FALSE (engine.isParameterDirty (12));
    EXPECT_FALSE (engine.isParameterDirty (13));
}

TEST (AudioEngine, valuesAreStoredAsGivenButNonFiniteValuesAreIgnored)
{
    AudioEngine engine;
    clearDirtyFlags (engine);

    engine.setParameter (5, 1.5f);
    EXPECT_FLOAT_EQ (engine.getParameter (5), 1.5f);

    engine.setParameter (5, std::numeric_limits<float>::quiet_NaN());
    engine.setParameter (5, std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ (engine.getParameter (5), 1.5f);
    EXPECT_TRUE (engine.isParameterDirty (5));
    EXPECT_FALSE (engine.isParameterDirty (5));
}

TEST (AudioEngine, hostParametersMarkThePresetButTheMasterVolumeDoesNot)
{
    AudioEngine engine;
    EXPECT_TRUE (engine.isPresetModified()); // the constructor applies the defaults that way

    engine.clearPresetModified();
    engine.setParameter (92, 0.5f);
    EXPECT_FALSE (engine.isPresetModified());

    engine.setParameter (91, 1.0f);
    EXPECT_TRUE (engine.isPresetModified());
    engine.setParameter (80, 0.3f);
    EXPECT_TRUE (engine.isPresetModified());
}

TEST (AudioEngine, masterVolumeRampsOverTenMillisecondsAndRestartsOnASecondChange)
{
    AudioEngine engine;
    engine.prepareToPlay (44100.0, 512);
    process (engine, 64);
    ASSERT_FLOAT_EQ (engine.getCurrentGain(), 1.0f);

    engine.setParameter (92, 0.0f); // -60 dB
    const float target = 0.001f;

    process (engine, 100);
    EXPECT_NEAR (engine.getCurrentGain(), 1.0f + 100.0f * (target - 1.0f) / 441.0f, 1e-5f);

    process (engine, 340);
    EXPECT_GT (engine.getCurrentGain(), target + 1e-4f); // one sample short of 441

    process (engine, 1);
    EXPECT_NEAR (engine.getCurrentGain(), target, 1e-6f);

    // A second change in the middle of a ramp ramps the full 441 samples from the gain reached.
    engine.setParameter (92, 6.0f / 7.0f);
    process (engine, 200);
    const float reached = engine.getCurrentGain();
    EXPECT_NEAR (reached, target + 200.0f * (1.0f - target) / 441.0f, 1e-5f);
    engine.setParameter (92, 0.0f);
    process (engine, 440);
    EXPECT_GT (engine.getCurrentGain(), target + 1e-5f);
    process (engine, 1);
    EXPECT_NEAR (engine.getCurrentGain(), target, 1e-6f);
}

TEST (AudioEngine, volumeChangesFromAnotherThreadAlwaysRampAndNeverJump)
{
    AudioEngine engine;
    engine.prepareToPlay (44100.0, 1);

    // The host automates the volume between -60 dB and 0 dB, each change
    // after the previous ramp has ended, while the audio thread renders
    // single samples.  No sample may move the gain by more than one step of
    // a 441-sample ramp across the whole range.
    constexpr int numChanges = 1500;
    std::atomic<int> samplesRendered { 0 };
    std::atomic<bool> done { false };

    std::thread host ([&]
    {
        for (int change = 0; change < numChanges; ++change)
        {
            const int start = samplesRendered.load();
            while (samplesRendered.load() - start < 450)
                std::this_thread::yield();
            engine.setParameter (92, change % 2 == 0 ? 0.0f : 6.0f / 7.0f);
        }
        done = true;
    });

    juce::AudioBuffer<float> buffer (2, 1);
    juce::MidiBuffer midi;
    const float largestStep = (1.0f - 0.001f) / 441.0f;
    float previous = engine.getCurrentGain();
    float largestMove = 0.0f;

    while (! done.load())
    {
        const float gain = asTheAudioThread (engine, [&]
        {
            engine.processBlock (buffer, midi);
            return engine.getCurrentGain();
        });
        largestMove = juce::jmax (largestMove, std::abs (gain - previous));
        previous = gain;
        ++samplesRendered;
    }
    host.join();

    EXPECT_LE (largestMove, largestStep * 1.001f);
    EXPECT_GT (largestMove, largestStep * 0.5f); // the changes did ramp
}

TEST (AudioEngine, volumeSetBeforeAnyRateIsKnownDoesNotRamp)
{
    AudioEngine engine;
    engine.setParameter (92, 0.0f);
    EXPECT_NEAR (engine.getCurrentGain(), 0.001f, 1e-6f);

    engine.prepareToPlay (48000.0, 256);
    process (engine, 16);
    EXPECT_NEAR (engine.getCurrentGain(), 0.001f, 1e-6f);

    // At 48 kHz the ramp is 480 samples long.
    engine.setParameter (92, 6.0f / 7.0f);
    process (engine, 479);
    EXPECT_LT (engine.getCurrentGain(), 0.999f);
    process (engine, 1);
    EXPECT_NEAR (engine.getCurrentGain(), 1.0f, 1e-5f);
}

TEST (AudioEngine, aPrepareWithoutARateIsIgnored)
{
    AudioEngine engine;
    engine.prepareToPlay (0.0, 512);
    engine.prepareToPlay (-44100.0, 512);
    engine.setParameter (92, 0.0f);
    // Still no rate: the gain jumps instead of ramping.
    EXPECT_NEAR (engine.getCurrentGain(), 0.001f, 1e-6f);
}

TEST (AudioEngine, aRateNoHostUsesIsIgnoredLikeAnInvalidOneWithoutAllocatingOrSounding)
{
    // Bytes the process holds from the heap, large blocks included.
    auto heapBytes = [] { const auto info = ::mallinfo2(); return (long long) (info.uordblks + info.hblkhd); };
    auto playNote = [] (AudioEngine& engine)
    {
        juce::AudioBuffer<float> all (2, 4 * 256);
        for (int block = 0; block < 4; ++block)
        {
            juce::AudioBuffer<float> buffer (2, 256);
            juce::MidiBuffer midi;
            if (block == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
            playBlockAsHost (engine, buffer, midi);
            for (int channel = 0; channel < 2; ++channel)
                all.copyFrom (channel, block * 256, buffer, channel, 0, 256);
        }
        return all;
    };

    const struct
    {
        double rate;
        bool taken;
    } cases[] = {
        { 0.1, false }, { 0.001, false }, { 1.0e-30, false }, { 7999.0, false },
        { 1.0e6 + 1.0, false }, { 1.0e9, false }, { 8000.0, true }, { 1.0e6, true },
    };
    for (auto& c : cases)
    {
        SCOPED_TRACE (c.rate);
        AudioEngine engine;
        const auto before = heapBytes();
        engine.prepareToPlay (c.rate, 256);
        ASSERT_LT (heapBytes() - before, 1 << 20) << "a usual prepare takes some ten kilobytes";

        const auto played = playNote (engine);
        if (c.taken)
        {
            EXPECT_FLOAT_EQ (engine.getSound (0).getSampleRate(), (float) c.rate);
            EXPECT_GT (played.getRMSLevel (0, 0, played.getNumSamples()), 1e-3f);
            for (int i = 0; i < played.getNumSamples(); ++i)
                ASSERT_TRUE (std::isfinite (played.getSample (0, i))) << i;
            continue;
        }
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < played.getNumSamples(); ++i)
                ASSERT_EQ (played.getSample (channel, i), 0.0f) << i;

        // After a valid prepare, such a rate leaves the valid one in place.
        engine.prepareToPlay (48000.0, 256);
        engine.prepareToPlay (c.rate, 256);
        EXPECT_FLOAT_EQ (engine.getSound (0).getSampleRate(), 48000.0f);
    }
}

TEST (AudioEngine, blocksClearTheHostsInputAndTheMidiAndKeepEventsInsideTheBlock)
{
    AudioEngine engine;
    engine.prepareToPlay (44100.0, 512);

    juce::AudioBuffer<float> buffer (2, 256);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 256; ++i)
            buffer.setSample (c, i, 0.5f); // the host's input is not used

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 5000); // past the end
    engine.processBlock (buffer, midi);
    EXPECT_TRUE (midi.isEmpty());
    EXPECT_FLOAT_EQ (buffer.getMagnitude (0, 256), 0.0f);

    // The note was taken at the block's end: it sounds from the next block on.
    juce::MidiBuffer none;
    engine.processBlock (buffer, none);
    EXPECT_GT (buffer.getRMSLevel (0, 0, 256), 1e-3f);

    // An event before the block is taken at its start.
    juce::AudioBuffer<float> early (2, 256), atStart (2, 256);
    for (auto [position, output] : { std::pair<int, juce::AudioBuffer<float>*> { -20, &early }, { 0, &atStart } })
    {
        AudioEngine fresh;
        fresh.prepareToPlay (44100.0, 512);
        juce::MidiBuffer notes;
        notes.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), position);
        fresh.processBlock (*output, notes);
    }
    EXPECT_GT (early.getRMSLevel (0, 0, 256), 1e-3f);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ (early.getSample (0, i), atStart.getSample (0, i)) << i;

    // A buffer with fewer channels than prepared is processed on what it has.
    juce::AudioBuffer<float> mono (1, 64);
    engine.processBlock (mono, none);
    EXPECT_GT (mono.getRMSLevel (0, 0, 64), 1e-3f);
}

TEST (AudioEngine, reportsItsProcessorProperties)
{
    AudioEngine engine;
    EXPECT_TRUE (engine.acceptsMidi());
    EXPECT_FALSE (engine.producesMidi());
    EXPECT_FALSE (engine.silenceInProducesSilenceOut());
    EXPECT_DOUBLE_EQ (engine.getTailLengthSeconds(), 0.0);
    EXPECT_EQ (engine.getNumPrograms(), 0);
    EXPECT_EQ (engine.getProgramName (0), "");
    EXPECT_EQ (engine.getOwnerThread(), juce::Thread::getCurrentThreadId());
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
