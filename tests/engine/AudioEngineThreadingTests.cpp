#include "EngineProbes.h"
#include "tests/support/EngineBlocks.h"
#include "engine/XmlBinaryBlock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <random>
#include <thread>
#include <vector>

// Which thread changes what: parameter effects reach the voices on the audio
// thread, the engine knows when no audio runs, and a prepare leaves no voice
// behind that no key can release.

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
constexpr int frequency1 = 7;  // Frequency_1
constexpr int emphasis2 = 32;  // Emphasis_2

juce::AudioBuffer<float> render (AudioEngine& engine, int numSamples, juce::MidiBuffer midi = {})
{
    juce::AudioBuffer<float> buffer (2, numSamples);
    engine.processBlock (buffer, midi);
    return buffer;
}

juce::MidiBuffer oneEvent (const juce::MidiMessage& message)
{
    juce::MidiBuffer midi;
    midi.addEvent (message, 0);
    return midi;
}

juce::MemoryBlock stateWithVoices (int count)
{
    juce::MemoryBlock data;
    XmlBinaryBlock::write (*juce::parseXML ("<KEST_Plugin_State NumberOfVoices=\"" + juce::String (count) + "\"/>"), data);
    return data;
}

double millisecondsSince (std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start).count();
}

/** Plays blocks of 256 samples on a thread of its own, under the callback
    lock as a host does, until stopped: the first block holds a chord (unless
    told not to), and every later one gets the MIDI that moreMidi (if any)
    gives for its number. */
class AudioThread
{
public:
    using MidiSource = std::function<void (juce::MidiBuffer&, int block)>;

    explicit AudioThread (AudioEngine& engineToUse, MidiSource moreMidi = {}, bool holdChord = true)
        : engine (engineToUse), midiSource (std::move (moreMidi))
    {
        thread = std::thread ([this, holdChord]
        {
            juce::AudioBuffer<float> buffer (2, 256);
            juce::MidiBuffer midi;
            if (holdChord)
                for (int note : { 48, 55, 60, 64 })
                    midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 110), 0);

            for (int block = 0; running; ++block)
            {
                if (block > 0 && midiSource)
                    midiSource (midi, block);

                playBlockAsHost (engine, buffer, midi);
                midi.clear();

                for (int c = 0; c < 2; ++c)
                    for (int i = 0; i < 256; ++i)
                        if (! std::isfinite (buffer.getSample (c, i)))
                            ++nonFiniteSamples;

                ++blocks;
                std::this_thread::sleep_for (std::chrono::microseconds (500));
            }
        });

        while (blocks.load() == 0)
            std::this_thread::yield();
    }

    ~AudioThread() { stop(); }

    /** The blocks played so far.  Read without ordering anything after the
        audio thread's work, so that a test waiting for progress adds no
        synchronisation that would hide a missing guard from ThreadSanitizer. */
    int blocksPlayed() const noexcept { return blocks.load (std::memory_order_relaxed); }

    /** Returns once the audio thread has played that many more blocks. */
    void waitForBlocks (int count) const
    {
        const int target = blocksPlayed() + count;
        while (blocksPlayed() < target)
            std::this_thread::yield();
    }

    void stop()
    {
        running = false;
        if (thread.joinable())
            thread.join();
    }

    std::atomic<int> blocks { 0 };
    std::atomic<int> nonFiniteSamples { 0 };

private:
    AudioEngine& engine;
    MidiSource midiSource;
    std::atomic<bool> running { true };
    std::thread thread;
};

/** Whether some voice of any device still holds its key down. */
bool anyGateOpen (AudioEngine& engine)
{
    for (int device = 0; device < 4; ++device)
        if (engine.getDeviceIndicators (device).gate)
            return true;
    return false;
}
} // namespace

//==============================================================================
TEST (AudioEngineThreading, aParameterChangeWhileProcessingReachesTheSoundAtTheNextBlock)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    render (engine, 256, oneEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100)));

    // The record holds the value at once; the sound does not change behind
    // the audio thread's back.
    engine.setParameter (frequency1, 0.25f);
    EXPECT_FLOAT_EQ (engine.getParameter (frequency1), 0.25f);
    EXPECT_FLOAT_EQ (engine.getSound (0).getFrequency(), 0.5f);
    render (engine, 256);
    EXPECT_FLOAT_EQ (engine.getSound (0).getFrequency(), 0.25f);

    // Preset loads take the same way.
    juce::MemoryBlock preset;
    engine.writePresetState (preset);
    engine.setParameter (emphasis2, 0.75f);
    render (engine, 256);
    engine.readPresetState (preset);
    EXPECT_FLOAT_EQ (engine.getParameter (emphasis2), 0.0f);
    EXPECT_FLOAT_EQ (engine.getSound (1).getEmphasis(), 0.75f);
    render (engine, 256);
    EXPECT_FLOAT_EQ (engine.getSound (1).getEmphasis(), 0.0f);
}

TEST (AudioEngineThreading, theVoiceSettingsTakeEffectAtOnceWhileProcessingSoTheEditorReadsBackWhatWasSet)
{
    // Blocks of 4096 samples: the engine counts as processing for 90 ms after one.
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 4096);
    render (engine, 256);
    auto& voices = engine.getGlobalController();

    engine.setParameter (88, 0.2f);
    EXPECT_EQ (voices.getAllocationMode(), MultiSoundVoiceController::split);
    engine.setParameter (89, 1.0f);
    EXPECT_TRUE (voices.getDirection());
    engine.setParameter (90, 1.0f);
    EXPECT_TRUE (voices.getFill());
    engine.setParameter (91, 1.0f);
    EXPECT_TRUE (engine.isMonophonic());

    // The next block keeps what was set.
    render (engine, 256);
    EXPECT_EQ (voices.getAllocationMode(), MultiSoundVoiceController::split);
    EXPECT_TRUE (voices.getDirection() && voices.getFill() && engine.isMonophonic());
}

TEST (AudioEngineThreading, changesApplyAtOnceWhenNoAudioRuns)
{
    AudioEngine engine;
    engine.setParameter (frequency1, 0.3f); // never prepared
    EXPECT_FLOAT_EQ (engine.getSound (0).getFrequency(), 0.3f);

    engine.prepareToPlay (48000.0, 256);
    engine.setParameter (frequency1, 0.4f); // prepared, no block yet
    EXPECT_FLOAT_EQ (engine.getSound (0).getFrequency(), 0.4f);

    render (engine, 256);
    engine.releaseResources();
    engine.setParameter (frequency1, 0.6f);
    EXPECT_FLOAT_EQ (engine.getSound (0).getFrequency(), 0.6f);

    // A change left for a block that never came is applied by the release.
    engine.prepareToPlay (48000.0, 256);
    render (engine, 256);
    engine.setParameter (frequency1, 0.7f);
    engine.releaseResources();
    EXPECT_FLOAT_EQ (engine.getSound (0).getFrequency(), 0.7f);
}

TEST (AudioEngineThreading, processingInRealTimeEndsWithTheReleaseOrWhenBlocksStop)
{
    AudioEngine engine;
    EXPECT_FALSE (engine.isProcessingInRealTime());
    engine.prepareToPlay (48000.0, 256);
    EXPECT_FALSE (engine.isProcessingInRealTime()); // no block yet

    render (engine, 256);
    EXPECT_TRUE (engine.isProcessingInRealTime());
    engine.releaseResources();
    EXPECT_FALSE (engine.isProcessingInRealTime());

    engine.prepareToPlay (48000.0, 256);
    render (engine, 256);
    std::this_thread::sleep_for (std::chrono::milliseconds (150)); // longer than four blocks and 90 ms
    EXPECT_FALSE (engine.isProcessingInRealTime());
}

TEST (AudioEngineThreading, aVoiceCountChangeWithoutAudioDoesNotWait)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 512);

    // Prepared, but the host sends no blocks (it has not started yet).
    auto start = std::chrono::steady_clock::now();
    engine.setNumberOfVoices (8);
    EXPECT_LT (millisecondsSince (start), shorterThanTheWaitForAudioMs);
    EXPECT_EQ (engine.getVoicePool().getNumVoices(), 8u);

    // The same for a state restore with another count.
    const auto state = stateWithVoices (12);
    start = std::chrono::steady_clock::now();
    engine.setStateInformation (state.getData(), (int) state.getSize());
    EXPECT_LT (millisecondsSince (start), shorterThanTheWaitForAudioMs);
    EXPECT_EQ (engine.getNumberOfVoices(), 12);

    // Blocks came and stopped without a release: the wait ends with them.
    render (engine, 512, oneEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100)));
    ASSERT_GT (busyVoices (engine), 0u);
    start = std::chrono::steady_clock::now();
    engine.setNumberOfVoices (6);
    EXPECT_LT (millisecondsSince (start), shorterThanTheWaitForAudioMs);
    EXPECT_EQ (busyVoices (engine), 0u);
    EXPECT_EQ (engine.getVoicePool().getNumFreeVoices(), 6u);
}

TEST (AudioEngineThreading, aSecondPrepareLeavesNoVoiceThatNoKeyCanRelease)
{
    for (double secondRate : { 48000.0, 44100.0 })
    {
        AudioEngine engine;
        engine.prepareToPlay (48000.0, 256);
        render (engine, 256, oneEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100)));
        ASSERT_GT (busyVoices (engine), 0u);

        engine.prepareToPlay (secondRate, 256);
        render (engine, 256, oneEvent (juce::MidiMessage::noteOff (1, 60)));
        for (int block = 0; block < 20; ++block)
            render (engine, 256);

        EXPECT_EQ (busyVoices (engine), 0u) << secondRate;
        EXPECT_LT (render (engine, 256).getMagnitude (0, 0, 256), 1e-6f) << secondRate;
    }
}

TEST (AudioEngineThreading, aPrepareWithAnInfiniteOrNaNRateIsIgnored)
{
    AudioEngine engine;
    engine.prepareToPlay (44100.0, 512);

    for (double rate : { std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(), 1.0e300 })
    {
        engine.prepareToPlay (rate, 512);
        EXPECT_FLOAT_EQ (engine.getSound (0).getSampleRate(), 44100.0f) << rate;
    }

    auto block = render (engine, 512, oneEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100)));
    EXPECT_GT (block.getRMSLevel (0, 0, 512), 1e-3f);
    for (int i = 0; i < 512; ++i)
        ASSERT_TRUE (std::isfinite (block.getSample (0, i)));
}

TEST (AudioEngineThreading, anEngineWithoutAValidPrepareIsExactlySilentAndPlaysOnceItGetsOne)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();

    // No prepare at all, then prepares with rates that are ignored.
    for (const auto& rates : { std::vector<double> {}, { 0.0 }, { -48000.0 }, { nan }, { inf }, { 0.0, -1.0, nan, inf } })
    {
        AudioEngine engine;
        for (double rate : rates)
            engine.prepareToPlay (rate, 256);

        // Notes from the host and the keyboard, a mapped controller (Frequency_1)
        // and pitch bend meanwhile: nothing sounds, nothing is left behind.
        engine.getKeyboardState().noteOn (1, 64, 0.8f);
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 8, 127), 10);
        midi.addEvent (juce::MidiMessage::pitchWheel (1, 12000), 20);
        for (int block = 0; block < 4; ++block)
        {
            const auto out = render (engine, 256, block == 0 ? midi : juce::MidiBuffer());
            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < 256; ++i)
                    ASSERT_EQ (out.getSample (channel, i), 0.0f) << rates.size() << " rates, block " << block;
        }
        EXPECT_FLOAT_EQ (engine.getParameter (frequency1), 1.0f) << "the controller still moves its parameter";
        engine.getKeyboardState().noteOff (1, 64, 0.0f);

        engine.prepareToPlay (48000.0, 256);
        const auto played = render (engine, 512, oneEvent (juce::MidiMessage::noteOn (1, 48, (juce::uint8) 100)));
        EXPECT_GT (played.getRMSLevel (0, 0, 512), 1e-3f) << rates.size() << " rates";
        for (int i = 0; i < 512; ++i)
            ASSERT_TRUE (std::isfinite (played.getSample (0, i)));
    }
}

//==============================================================================
TEST (AudioEngineThreading, theHostsThreadAndTheAudioThreadShareNoVoiceState)
{
    // The host automates every device parameter and the voice settings while
    // the audio thread plays, in real time (the audio thread applies them)
    // and in an offline render (the host's thread applies them under the
    // callback lock); under ThreadSanitizer any write of the setters to a
    // voice outside the audio thread or that lock is reported.
    for (bool offline : { false, true })
    {
        AudioEngine engine;
        engine.setNonRealtime (offline);
        engine.prepareToPlay (48000.0, 256);
        AudioThread audio (engine);

        for (int round = 0; round < 40; ++round)
            for (int index = 0; index < ParameterTable::numParameters; ++index)
                if (index % ParameterTable::numParametersPerDevice != ParameterTable::MidiOn)
                    engine.setParameter (index, (float) ((round * 7 + index) % 11) / 10.0f);

        audio.waitForBlocks (2);
        audio.stop();

        // The last value of every parameter reached its sound.
        const float last = (float) ((39 * 7 + frequency1) % 11) / 10.0f;
        EXPECT_FLOAT_EQ (engine.getSound (0).getFrequency(), last) << (offline ? "offline" : "real time");
        EXPECT_EQ (audio.nonFiniteSamples.load(), 0);
    }
}

TEST (AudioEngineThreading, randomValuesOnEveryIndexWhileAnotherThreadPlaysKeepOutputAndTextsSane)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    AudioThread audio (engine);

    const float specials[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity(), -1.0f, -1.0e-30f, 1.000001f, 1.366f, 10.0f,
                               1000.0f, 3.0e38f, -3.0e38f, std::numeric_limits<float>::denorm_min() };
    std::mt19937 random (1234);
    std::uniform_int_distribution<int> pick (0, (int) std::size (specials));
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);

    auto isSane = [] (const juce::String& text)
    {
        return text.isNotEmpty() && text.length() < 16 && ! text.containsIgnoreCase ("nan")
               && ! text.containsIgnoreCase ("inf") && ! text.contains ("2147483648");
    };

    for (int round = 0; round < 30; ++round)
    {
        for (int index = 0; index < ParameterTable::numParameters; ++index)
        {
            const int choice = pick (random);
            const float value = choice < (int) std::size (specials) ? specials[choice] : unit (random);
            engine.setParameter (index, value);

            const auto text = engine.getParameterText (index);
            ASSERT_TRUE (isSane (text)) << index << " " << value << " " << text;
            const auto textOfValue = ParameterTable::getEntry (index).text (value);
            ASSERT_TRUE (isSane (textOfValue)) << index << " " << value << " " << textOfValue;
        }
    }

    const int blocksSoFar = audio.blocks.load();
    while (audio.blocks.load() < blocksSoFar + 20)
        std::this_thread::yield();
    audio.stop();
    EXPECT_EQ (audio.nonFiniteSamples.load(), 0);

    // Texts of the bounds: the master volume never shows more than +10 dB.
    engine.setParameter (ParameterTable::masterVolume, 1000.0f);
    EXPECT_EQ (engine.getParameterText (ParameterTable::masterVolume), "10.0 dB");
    EXPECT_FLOAT_EQ (engine.getParameter (ParameterTable::masterVolume), 1000.0f); // stored as given
}

TEST (AudioEngineThreading, valuesOutsideTheRangeSoundAsTheirBound)
{
    // Out-of-range values of the master volume, Accent and Drive sound
    // exactly like the end of the range.
    auto play = [] (int index, float value)
    {
        AudioEngine engine;
        engine.prepareToPlay (48000.0, 512);
        engine.setParameter (index, value);
        auto block = render (engine, 512, oneEvent (juce::MidiMessage::noteOn (1, 48, (juce::uint8) 127)));
        auto more = render (engine, 512);
        return std::pair<float, float> (block.getMagnitude (0, 0, 512), more.getMagnitude (0, 0, 512));
    };

    for (auto [index, value, bound] : { std::tuple<int, float, float> { 92, 1000.0f, 1.0f }, { 13, 1.366f, 1.0f },
                                        { 13, -4.0f, 0.0f }, { 18, 10.0f, 1.0f }, { 1, 3.0e38f, 1.0f } })
    {
        const auto out = play (index, value);
        const auto expected = play (index, bound);
        EXPECT_TRUE (std::isfinite (out.first) && std::isfinite (out.second)) << index << " " << value;
        EXPECT_FLOAT_EQ (out.first, expected.first) << index << " " << value;
        EXPECT_FLOAT_EQ (out.second, expected.second) << index << " " << value;
    }
}

//==============================================================================
// Both sides at once: each test below runs two of the engine's threads
// together (the audio thread, under the callback lock as the host's wrapper
// runs it; the host's thread; the message thread; the voice-count worker),
// so that ThreadSanitizer sees every access that the guard between them
// must order.

TEST (AudioEngineThreading, voiceCountChangesFromTheWorkerAndTheHostsThreadWhileAudioPlaysLeaveOnePoolOfTheCountInForce)
{
    // In real time the audio thread stops the voices for a change; in an
    // offline render the changing thread does it under the callback lock.
    for (bool offline : { false, true })
    {
        AudioEngine engine;
        engine.setNonRealtime (offline);
        engine.prepareToPlay (48000.0, 256);
        AudioThread audio (engine, [] (juce::MidiBuffer& midi, int block)
        {
            // Notes come and go, so that every change has voices to stop.
            const int note = 36 + (block / 4) % 48;
            if (block % 4 == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 0);
            else if (block % 4 == 2)
                midi.addEvent (juce::MidiMessage::noteOff (1, note), 0);
        });

        // The host restores states with their own counts on its thread while
        // the options dialog's requests run on the engine's worker.
        juce::WaitableEvent go;
        std::thread host ([&]
        {
            go.wait (-1);
            for (int round = 0; round < 12; ++round)
            {
                const auto state = stateWithVoices (round % 2 == 0 ? 9 + round : 30 - round);
                engine.setStateInformation (state.getData(), (int) state.getSize());
            }
        });

        go.signal();
        for (int round = 0; round < 12; ++round)
        {
            EXPECT_TRUE (engine.requestNumberOfVoices (round % 2 == 0 ? 4 + round : 40 - round));
            ASSERT_TRUE (engine.waitForNumberOfVoicesRequests (20000));
        }
        host.join();
        audio.stop();

        // Whichever change came last, the pool holds exactly the count in force.
        const int count = engine.getNumberOfVoices();
        const char* mode = offline ? "offline" : "real time";
        EXPECT_EQ (engine.getRequestedNumberOfVoices(), count) << mode;
        EXPECT_EQ ((int) totalVoices (engine), count) << mode;
        EXPECT_EQ ((int) engine.getVoicePool().getNumVoices(), count) << mode;
        EXPECT_EQ (audio.nonFiniteSamples.load(), 0) << mode;
    }
}

TEST (AudioEngineThreading, aPrepareWhileTheWorkerChangesTheVoiceCountKeepsThePoolWhole)
{
    AudioEngine engine;
    engine.prepareToPlay (44100.0, 256);

    for (int round = 0; round < 8; ++round)
    {
        const int count = round % 2 == 0 ? 40 : 6;
        ASSERT_TRUE (engine.requestNumberOfVoices (count));
        engine.prepareToPlay (round % 2 == 0 ? 48000.0 : 44100.0, 256);
        ASSERT_TRUE (engine.waitForNumberOfVoicesRequests (20000));
        EXPECT_EQ ((int) totalVoices (engine), count) << round;
    }

    // The last prepare's rate is the pool's, and a note plays at it.
    EXPECT_FLOAT_EQ (engine.getVoicePool().getSampleRate(), 88200.0f);
    auto block = render (engine, 512, oneEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100)));
    EXPECT_GT (block.getRMSLevel (0, 0, 512), 1e-3f);
}

TEST (AudioEngineThreading, aReleaseWhileLateBlocksStillArriveAppliesWhatWaitedAndWhatFollows)
{
    // The host releases the engine while its audio thread still delivers a
    // few blocks: the changes left for the audio thread, and those made
    // after the release, reach the sounds under the callback lock.
    for (int round = 0; round < 4; ++round)
    {
        AudioEngine engine;
        engine.prepareToPlay (48000.0, 256);
        AudioThread audio (engine);
        audio.waitForBlocks (2);

        for (int index = 0; index < ParameterTable::numParameters; ++index)
            if (index % ParameterTable::numParametersPerDevice != ParameterTable::MidiOn)
                engine.setParameter (index, (float) ((round + index) % 10) / 10.0f);
        engine.releaseResources();
        engine.setParameter (emphasis2, 0.25f);
        audio.waitForBlocks (2);
        audio.stop();

        EXPECT_FALSE (engine.isProcessingInRealTime());
        EXPECT_FLOAT_EQ (engine.getSound (0).getFrequency(), (float) ((round + frequency1) % 10) / 10.0f) << round;
        EXPECT_FLOAT_EQ (engine.getSound (1).getEmphasis(), 0.25f) << round;
        EXPECT_EQ (audio.nonFiniteSamples.load(), 0);
    }
}

//==============================================================================
TEST (AudioEngineThreading, keyboardNotesFromTheOwnerAndAnotherThreadWhileBlocksRenderLeaveNoKeyHeld)
{
    // In real time the owner thread's notes wait in the deferred queue; in
    // an offline render they play under the callback lock when it is free
    // and wait otherwise; another thread's always wait for the lock.
    for (bool offline : { false, true })
    {
        AudioEngine engine;
        engine.setNonRealtime (offline);
        engine.prepareToPlay (48000.0, 256);
        AudioThread audio (engine, {}, false);
        auto& keyboard = engine.getKeyboardState();

        // The other thread calls the engine as a listener of a keyboard
        // state of its own would.
        juce::WaitableEvent go;
        std::thread other ([&]
        {
            go.wait (-1);
            for (int round = 0; round < 150; ++round)
            {
                engine.handleNoteOn (nullptr, 2, 70 + round % 12, 0.7f);
                engine.handleNoteOff (nullptr, 2, 70 + round % 12, 0.0f);
            }
        });

        go.signal();
        for (int round = 0; round < 150; ++round)
        {
            keyboard.noteOn (1, 40 + round % 24, 0.8f);
            if (round % 3 == 2)
                for (int back = 0; back < 3; ++back)
                    keyboard.noteOff (1, 40 + (round - back) % 24, 0.0f);
        }
        other.join();

        audio.waitForBlocks (2);
        audio.stop();
        EXPECT_FALSE (anyGateOpen (engine)) << (offline ? "offline" : "real time");
        EXPECT_EQ (audio.nonFiniteSamples.load(), 0);
    }
}

TEST (AudioEngineThreading, theHostsNotesReachTheKeyboardDisplayWhileTheAudioThreadPlaysThem)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);

    // Each block holds one more note of the scale on channel 3 and lets the
    // one before go; the last block ends holding note 72.
    constexpr int lastBlock = 200;
    std::atomic<bool> allPlayed { false };
    AudioThread audio (engine, [&] (juce::MidiBuffer& midi, int block)
    {
        if (block > lastBlock)
        {
            allPlayed = true;
            return;
        }
        midi.addEvent (juce::MidiMessage::noteOn (3, 60 + block % 13, (juce::uint8) 90), 0);
        if (block > 1)
            midi.addEvent (juce::MidiMessage::noteOff (3, 60 + (block - 1) % 13), 1);
    });

    auto& keyboard = engine.getKeyboardState();
    while (! allPlayed.load())
        engine.updateKeyboardDisplay();
    audio.stop();
    engine.updateKeyboardDisplay();

    // The display shows what the host holds and no note it let go.
    for (int note = 60; note <= 72; ++note)
        EXPECT_EQ (keyboard.isNoteOn (3, note), note == 60 + lastBlock % 13) << note;
    EXPECT_TRUE (keyboard.isNoteOn (1, 48)); // the chord of the first block
    EXPECT_EQ (audio.nonFiniteSamples.load(), 0);
}

//==============================================================================
TEST (AudioEngineThreading, controllerMappingsChangedWhileTheAudioThreadPlaysControllersStayWhole)
{
    constexpr int tune1 = 1; // CC 2 by default
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    AudioThread audio (engine, [] (juce::MidiBuffer& midi, int block)
    {
        // Controllers, pitch bend and the sustain pedal on every channel the
        // mappings may move to.
        for (int channel : { 1, 5 })
        {
            midi.addEvent (juce::MidiMessage::controllerEvent (channel, 2, block % 128), 0);
            midi.addEvent (juce::MidiMessage::controllerEvent (channel, 20, (block * 3) % 128), 1);
            midi.addEvent (juce::MidiMessage::pitchWheel (channel, (block * 97) % 16384), 2);
            midi.addEvent (juce::MidiMessage::controllerEvent (channel, 64, block % 2 == 0 ? 127 : 0), 3);
        }
    });

    // The options dialog moves the controllers, the global channel and the
    // pedal meanwhile, for 60 blocks at least: every change removes
    // mappings and deletes them.  The last round (an odd one) leaves the
    // defaults (a round of 5 modulo 6).
    const int firstBlock = audio.blocksPlayed();
    for (int round = 0; round < 60 || round % 6 != 0 || audio.blocksPlayed() < firstBlock + 60; ++round)
    {
        engine.setParameterCC (tune1, round % 2 == 0 ? 20 : 2);
        engine.setReceiveChannel (0, round % 3 == 0 ? 5 : -1, true);
        engine.setReceiveChannel (2, round % 2 == 0 ? 5 : -1, false);
        engine.setSustainPedalCC (round % 2 == 0 ? 65 : 64);
    }
    audio.stop();

    // The last settings are the ones that map: CC 2 on any channel moves Tune_1.
    EXPECT_EQ (engine.getParameterCC (tune1), 2);
    EXPECT_EQ (engine.getReceiveChannel (0), 0);
    juce::AudioBuffer<float> buffer (2, 64);
    for (int value : { 0, 127 })
    {
        auto midi = oneEvent (juce::MidiMessage::controllerEvent (9, 2, value));
        playBlockAsHost (engine, buffer, midi);
        EXPECT_FLOAT_EQ (engine.getParameter (tune1), (float) value / 127.0f);
    }
    EXPECT_EQ (audio.nonFiniteSamples.load(), 0);
}

//==============================================================================
namespace
{
/** Counts the engine's commands that reach it. */
struct CommandCounter final : juce::Component
{
    void handleCommandMessage (int command) override
    {
        if (command == AudioEngine::editorResyncVoiceSettings)
            ++resyncs;
    }
    int resyncs = 0;
};
} // namespace

TEST (AudioEngineThreading, theEditorChangesWhileTheHostRestoresOnItsThreadAndOnlyTheEditorThenOpenHearsOfIt)
{
    AudioEngine engine;
    juce::MemoryBlock state;
    engine.getStateInformation (state);

    // The message thread opens and closes editors while the host's thread
    // restores states, each of which posts commands to the open editor.
    auto closed = std::make_unique<CommandCounter>();
    juce::WaitableEvent go;
    std::atomic<bool> restoring { true };
    std::thread host ([&]
    {
        go.wait (-1);
        for (int round = 0; round < 150; ++round)
            engine.setStateInformation (state.getData(), (int) state.getSize());
        restoring = false;
    });

    go.signal();
    for (int round = 0; restoring.load() || round < 150; ++round)
    {
        engine.setCommandTarget (round % 2 == 0 ? closed.get() : nullptr);
        engine.setCommandTarget (round % 2 == 0 ? nullptr : closed.get());
    }
    host.join();
    closed.reset();

    // A restore posted while another editor is open reaches that one alone,
    // once before and once after the host's update; none of the earlier
    // posts reaches it.
    CommandCounter open;
    engine.setCommandTarget (&open);
    std::thread last ([&] { engine.setStateInformation (state.getData(), (int) state.getSize()); });
    last.join();
    for (int wait = 0; wait < 2000 && open.resyncs < 2; ++wait)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    EXPECT_EQ (open.resyncs, 2);
    engine.setCommandTarget (nullptr);
}

//==============================================================================
TEST (AudioEngineThreading, whatTheEditorPollsWhileTheAudioThreadPlaysFollowsTheSound)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    AudioThread audio (engine);

    // The editor's timers read the meters, the LEDs and the load the audio
    // thread publishes; the CPU warning may set the load meanwhile.
    float loudest = 0.0f, heaviest = 0.0f;
    bool gateSeen = false;
    for (int poll = 0; poll < 400; ++poll)
    {
        for (int channel = 0; channel < AudioEngine::meterChannels; ++channel)
            loudest = juce::jmax (loudest, engine.getMeterLevel (channel));
        for (int device = 0; device < 4; ++device)
        {
            const auto leds = engine.getDeviceIndicators (device);
            gateSeen = gateSeen || leds.gate;
            EXPECT_TRUE (leds.driveLevel >= 0.0f && std::isfinite (leds.driveLevel));
            EXPECT_LE (std::abs (engine.getLfoDisplayValue (device, poll % 2 == 0)), 1.001f);
        }
        heaviest = juce::jmax (heaviest, engine.getAudioThreadLoad());
        if (poll == 200)
            engine.setAudioThreadLoadForTesting (0.5f);
        if (poll % 50 == 0)
            audio.waitForBlocks (1);
    }
    audio.stop();

    EXPECT_GT (loudest, 0.0f);
    EXPECT_TRUE (gateSeen);
    EXPECT_GT (heaviest, 0.0f);
    EXPECT_LE (heaviest, 1.0f);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
