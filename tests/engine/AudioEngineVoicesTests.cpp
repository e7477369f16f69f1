#include "EngineProbes.h"
#include "tests/support/EngineBlocks.h"
#include "engine/XmlBinaryBlock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
constexpr float revolver = 0.4f;

juce::AudioBuffer<float> render (AudioEngine& engine, int numSamples, juce::MidiBuffer midi = {})
{
    juce::AudioBuffer<float> buffer (2, numSamples);
    engine.processBlock (buffer, midi);
    return buffer;
}

juce::MidiBuffer events (std::initializer_list<std::pair<juce::MidiMessage, int>> list)
{
    juce::MidiBuffer midi;
    for (auto& [message, position] : list)
        midi.addEvent (message, position);
    return midi;
}

bool isCleanSample (float x)
{
    return std::isfinite (x) && (x == 0.0f || std::abs (x) >= std::numeric_limits<float>::min());
}
} // namespace

TEST (AudioEngineVoices, aNoteSoundsOnBothChannelsFromItsSampleAndReleasesAfterNoteOff)
{
    AudioEngine engine;
    engine.prepareToPlay (44100.0, 512);

    auto block = render (engine, 512, events ({ { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 100 } }));
    EXPECT_EQ (block.getMagnitude (0, 0, 100), 0.0f);
    EXPECT_EQ (block.getMagnitude (1, 0, 100), 0.0f);
    EXPECT_GT (block.getRMSLevel (0, 100, 412), 1e-3f);
    EXPECT_GT (block.getRMSLevel (1, 100, 412), 1e-3f);
    for (int i = 100; i < 512; ++i)
        EXPECT_EQ (block.getSample (0, i), block.getSample (1, i)) << i;

    render (engine, 512, events ({ { juce::MidiMessage::noteOff (1, 60), 0 } }));
    // Release_n defaults to about 100 ms: two seconds later the voice is gone.
    for (int i = 0; i < 200; ++i)
        render (engine, 512);
    auto after = render (engine, 512);
    EXPECT_LT (after.getMagnitude (0, 0, 512), 1e-4f);
    EXPECT_EQ (busyVoices (engine), 0u);
}

TEST (AudioEngineVoices, seventeenHeldNotesStealAndTheOutputStaysClean)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    engine.setParameter (88, revolver); // one voice per note

    juce::MidiBuffer notes;
    for (int n = 0; n < 17; ++n)
        notes.addEvent (juce::MidiMessage::noteOn (1, 40 + n, (juce::uint8) 100), n * 10);

    auto block = render (engine, 256, notes);
    EXPECT_EQ (totalVoices (engine), 16u);
    EXPECT_EQ (engine.getVoicePool().getNumFreeVoices(), 0u);

    // The newest note took over the oldest one's voice; the other fifteen still play.
    std::set<int> playing;
    for (auto* voice : engine.getGlobalController().getVoices())
        playing.insert (voice->note);
    EXPECT_EQ (playing.count (40), 0u);
    EXPECT_EQ (playing.count (56), 1u);
    EXPECT_EQ (playing.size(), 16u);

    for (int b = 0; b < 40; ++b)
    {
        auto more = render (engine, 256);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 256; ++i)
                ASSERT_TRUE (isCleanSample (more.getSample (c, i))) << more.getSample (c, i);
    }
    EXPECT_GT (block.getRMSLevel (0, 200, 56), 1e-3f);
}

TEST (AudioEngineVoices, notesRouteByReceiveChannel)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    engine.setReceiveChannel (0, 3, false);
    engine.setReceiveChannel (2, 5, false);
    engine.setReceiveChannel (3, 5, false);
    engine.setReceiveChannel (4, 3, false);

    render (engine, 64, events ({ { juce::MidiMessage::noteOn (3, 60, (juce::uint8) 100), 0 } }));
    EXPECT_EQ (engine.getGlobalController().getVoices().size(), 4u); // Unison
    EXPECT_EQ (engine.getDeviceController (3).getVoices().size(), 0u);

    render (engine, 64, events ({ { juce::MidiMessage::noteOn (5, 62, (juce::uint8) 100), 0 } }));
    EXPECT_EQ (engine.getDeviceController (1).getVoices().size(), 1u);
    EXPECT_EQ (engine.getDeviceController (2).getVoices().size(), 1u);
    EXPECT_EQ (engine.getDeviceController (0).getVoices().size(), 0u);

    render (engine, 64, events ({ { juce::MidiMessage::noteOn (7, 64, (juce::uint8) 100), 0 } }));
    EXPECT_EQ (busyVoices (engine), 6u);
}

TEST (AudioEngineVoices, pitchBendOnADevicesOwnChannelBendsOnlyThatDevice)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    engine.setReceiveChannel (2, 5, false);

    render (engine, 64, events ({ { juce::MidiMessage::pitchWheel (5, 16383), 0 } }));
    EXPECT_FLOAT_EQ (engine.getDeviceController (1).getPitchBend(), 1.0f);
    EXPECT_FLOAT_EQ (engine.getGlobalController().getPitchBend(), 0.0f);
    EXPECT_FLOAT_EQ (engine.getDeviceController (0).getPitchBend(), 0.0f);

    render (engine, 64, events ({ { juce::MidiMessage::pitchWheel (1, 0), 0 } }));
    EXPECT_FLOAT_EQ (engine.getGlobalController().getPitchBend(), -1.0f);
    EXPECT_FLOAT_EQ (engine.getDeviceController (1).getPitchBend(), 1.0f);
}

TEST (AudioEngineVoices, sustainPedalHoldsNotesOfItsSlot)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    engine.setParameter (88, revolver);
    render (engine, 64, events ({ { juce::MidiMessage::controllerEvent (1, 64, 127), 0 },
                                  { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 1 },
                                  { juce::MidiMessage::noteOff (1, 60), 2 } }));
    ASSERT_EQ (engine.getGlobalController().getVoices().size(), 1u);
    EXPECT_EQ (engine.getGlobalController().getVoices().front()->getState(), 1);

    render (engine, 64, events ({ { juce::MidiMessage::controllerEvent (1, 64, 0), 0 } }));
    EXPECT_NE (engine.getGlobalController().getVoices().front()->getState(), 1);
}

TEST (AudioEngineVoices, monoSwitchWaitsForTheNextBlockWhileProcessing)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    engine.setParameter (88, revolver);
    render (engine, 64, events ({ { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0 },
                                  { juce::MidiMessage::noteOn (1, 64, (juce::uint8) 100), 1 } }));
    ASSERT_EQ (engine.getGlobalController().getVoices().size(), 2u);

    engine.setParameter (91, 1.0f);
    EXPECT_FALSE (engine.getGlobalController().isMonophonic());
    render (engine, 64);
    EXPECT_TRUE (engine.getGlobalController().isMonophonic());

    // Chord (Blow) suspends the switch; Chord (Grow) applies it again.
    engine.setParameter (88, 0.8f);
    render (engine, 64);
    EXPECT_FALSE (engine.getGlobalController().isMonophonic());
    EXPECT_FALSE (engine.getDeviceController (2).isMonophonic());
    engine.setParameter (88, 1.0f);
    render (engine, 64);
    EXPECT_TRUE (engine.getGlobalController().isMonophonic());
    EXPECT_TRUE (engine.getDeviceController (2).isMonophonic());
}

TEST (AudioEngineVoices, monoSwitchAppliesAtOnceWhenNotProcessing)
{
    AudioEngine engine;
    engine.setParameter (91, 1.0f);
    EXPECT_TRUE (engine.getGlobalController().isMonophonic());

    engine.prepareToPlay (48000.0, 256);
    engine.suspendProcessing (true);
    engine.setParameter (91, 0.0f);
    EXPECT_FALSE (engine.getGlobalController().isMonophonic());
}

TEST (AudioEngineVoices, keyboardNotesFromTheOwnerThreadAreDeferredWhileProcessing)
{
    AudioEngine engine;
    engine.getKeyboardState().noteOn (1, 60, 0.8f); // not prepared: at once
    EXPECT_EQ (busyVoices (engine), 4u);
    engine.getKeyboardState().noteOff (1, 60, 0.0f);

    engine.prepareToPlay (48000.0, 256); // stops every voice
    EXPECT_EQ (busyVoices (engine), 0u);
    render (engine, 256); // blocks arrive: the host processes
    engine.getKeyboardState().noteOn (1, 62, 0.8f);
    EXPECT_EQ (busyVoices (engine), 0u);
    auto block = render (engine, 256);
    EXPECT_EQ (busyVoices (engine), 4u);
    EXPECT_GT (block.getRMSLevel (0, 0, 256), 1e-3f); // heard from the start of the block

    engine.suspendProcessing (true);
    engine.getKeyboardState().noteOn (1, 64, 0.8f);
    EXPECT_EQ (engine.getGlobalController().getVoices().size(), 8u);
}

TEST (AudioEngineVoices, theHostsNotesShowOnTheKeyboardWithoutBeingPlayedAgain)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    auto& keyboard = engine.getKeyboardState();
    auto& global = engine.getGlobalController();

    render (engine, 64, events ({ { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0 },
                                  { juce::MidiMessage::noteOn (3, 62, (juce::uint8) 100), 10 } }));
    const auto voices = busyVoices (engine);
    ASSERT_EQ (voices, 8u);

    engine.updateKeyboardDisplay();
    EXPECT_TRUE (keyboard.isNoteOn (1, 60));
    EXPECT_TRUE (keyboard.isNoteOn (3, 62));
    EXPECT_FALSE (keyboard.isNoteOn (3, 60));
    render (engine, 64);
    EXPECT_EQ (busyVoices (engine), voices) << "shown, not played a second time";

    // A note off, and all notes off of a channel, let the keys go up.
    render (engine, 64, events ({ { juce::MidiMessage::noteOff (1, 60), 0 },
                                  { juce::MidiMessage::allNotesOff (3), 10 } }));
    EXPECT_FALSE (global.isHeld (60));
    EXPECT_FALSE (global.isHeld (62));
    engine.updateKeyboardDisplay();
    EXPECT_FALSE (keyboard.isNoteOn (1, 60));
    EXPECT_FALSE (keyboard.isNoteOn (3, 62));

    // A key the host presses and the user releases on screen stops the note.
    render (engine, 64, events ({ { juce::MidiMessage::noteOn (1, 64, (juce::uint8) 100), 0 } }));
    engine.updateKeyboardDisplay();
    keyboard.noteOff (1, 64, 0.0f);
    render (engine, 64);
    EXPECT_FALSE (global.isHeld (64));
}

TEST (AudioEngineVoices, keyboardNotesBeyondTheQueuesReserveAllPlayInTheirOrder)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    engine.setParameter (88, revolver);
    auto& keyboard = engine.getKeyboardState();
    auto& global = engine.getGlobalController();

    // Far more notes than the queue reserves before the next block; every
    // note but the last is released again.  Whether they wait for the block
    // or play at once, none is lost and none overtakes another.
    render (engine, 256);
    int posted = 0;
    while (posted < 3 * AudioEngine::reservedDeferredCalls)
        for (int note = 40; note < 80; ++note, posted += 2)
        {
            keyboard.noteOn (1, note, 0.8f);
            keyboard.noteOff (1, note, 0.0f);
        }
    keyboard.noteOn (1, 90, 0.8f);
    render (engine, 256);

    for (int note = 0; note < 128; ++note)
        EXPECT_EQ (global.isHeld (note), note == 90) << note;

    keyboard.noteOff (1, 90, 0.0f);
    for (int block = 0; block < 200; ++block)
        render (engine, 256);
    EXPECT_EQ (busyVoices (engine), 0u);
}

TEST (AudioEngineVoices, aKeyboardNoteStillQueuedAtAPrepareDoesNotSoundAfterIt)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    render (engine, 256);                       // the host processes: the note waits for a block
    engine.getKeyboardState().noteOn (1, 60, 0.8f);

    engine.prepareToPlay (44100.0, 256);        // which never comes: the host prepares again
    EXPECT_FALSE (engine.getKeyboardState().isNoteOn (1, 60));
    render (engine, 256);
    EXPECT_EQ (busyVoices (engine), 0u) << "no key holds the note, so no voice may play it";
}

TEST (AudioEngineVoices, stopRequestWhileSuspendedStopsAtOnce)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    render (engine, 64, events ({ { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0 } }));
    ASSERT_EQ (busyVoices (engine), 4u);

    engine.suspendProcessing (true);
    const auto start = juce::Time::getMillisecondCounter();
    engine.stopAllVoices();
    EXPECT_LT (juce::Time::getMillisecondCounter() - start, shorterThanTheWaitForAudioMs);
    EXPECT_EQ (busyVoices (engine), 0u);
}

TEST (AudioEngineVoices, stopRequestWhileProcessingIsServedByTheAudioThread)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    render (engine, 64, events ({ { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0 } }));
    ASSERT_EQ (busyVoices (engine), 4u);

    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };
    std::thread audio ([&]
    {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        while (running)
        {
            playBlockAsHost (engine, buffer, midi);
            ++blocks;
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }
    });
    while (blocks.load() == 0) // the host plays, however late the thread got its first turn
        std::this_thread::yield();

    const auto start = juce::Time::getMillisecondCounter();
    engine.setNumberOfVoices (8);
    const auto waited = juce::Time::getMillisecondCounter() - start;
    running = false;
    audio.join();

    EXPECT_LT (waited, shorterThanTheWaitForAudioMs); // served, not timed out
    EXPECT_GT (blocks.load(), 0);
    EXPECT_EQ (busyVoices (engine), 0u);
    EXPECT_EQ (totalVoices (engine), 8u);
    EXPECT_EQ (engine.getNumberOfVoices(), 8);
}

TEST (AudioEngineVoices, voiceCountIsBoundedAndTravelsWithTheState)
{
    AudioEngine engine;
    engine.setNumberOfVoices (2000);
    engine.setNumberOfVoices ((unsigned int) -4);
    EXPECT_EQ (engine.getNumberOfVoices(), 16);
    EXPECT_EQ (totalVoices (engine), 16u);

    auto block = [] (const char* xml)
    {
        juce::MemoryBlock data;
        XmlBinaryBlock::write (*juce::parseXML (juce::String (xml)), data);
        return data;
    };
    auto eight = block ("<KEST_Plugin_State NumberOfVoices=\"8\"/>");
    engine.setStateInformation (eight.getData(), (int) eight.getSize());
    EXPECT_EQ (engine.getNumberOfVoices(), 8);
    EXPECT_EQ (totalVoices (engine), 8u);

    auto negative = block ("<KEST_Plugin_State NumberOfVoices=\"-3\"/>");
    engine.setStateInformation (negative.getData(), (int) negative.getSize());
    EXPECT_EQ (engine.getNumberOfVoices(), 8);
}

TEST (AudioEngineVoices, splitPointsTravelWithPresetsAndDefaultWhenAbsent)
{
    AudioEngine source;
    source.getGlobalController().setSplitPoint (0, 40);
    source.getGlobalController().setSplitPoint (1, 50);
    source.getGlobalController().setSplitPoint (2, 20);
    juce::MemoryBlock preset;
    source.writePresetState (preset);

    AudioEngine target;
    target.readPresetState (preset);
    EXPECT_EQ (target.getGlobalController().getSplitPoint (0), 40);
    EXPECT_EQ (target.getGlobalController().getSplitPoint (1), 50);
    EXPECT_EQ (target.getGlobalController().getSplitPoint (2), 20);

    auto xml = XmlBinaryBlock::read (preset);
    xml->removeAttribute ("SplitPoint2");
    XmlBinaryBlock::write (*xml, preset);
    target.readPresetState (preset);
    EXPECT_EQ (target.getGlobalController().getSplitPoint (1), 64);
    EXPECT_EQ (target.getGlobalController().getSplitPoint (0), 40);
}

TEST (AudioEngineVoices, metersFollowTheOutputAndHoldClips)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 512);
    auto block = render (engine, 512, events ({ { juce::MidiMessage::noteOn (1, 48, (juce::uint8) 127), 0 } }));
    float peak = 0.0f;
    for (int i = 0; i < 512; ++i)
        peak = juce::jmax (peak, block.getSample (0, i) * block.getSample (0, i));
    EXPECT_GT (engine.getMeterLevel (0), 0.0f);
    EXPECT_LE (engine.getMeterLevel (0), peak);
    EXPECT_GE (engine.getMeterLevel (0), peak * std::pow (std::exp (-1.0f / (0.15f * 48000.0f)), 512.0f));

    // At +10 dB with full drive the output clips and the clip indicator holds for two seconds.
    engine.setParameter (92, 1.0f);
    for (int d = 0; d < 4; ++d)
        engine.setParameter (d * 20 + 18, 1.0f);
    int hold = 0;
    for (int b = 0; b < 20 && hold == 0; ++b)
    {
        render (engine, 512);
        hold = engine.getClipHoldSamples (0);
    }
    EXPECT_GT (hold, 96000 - 512 * 2);
    EXPECT_LE (hold, 96000);
}

TEST (AudioEngineVoices, ledQueriesShowGlideAndLfos)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    engine.setParameter (88, revolver);
    EXPECT_FALSE (engine.isGliding (0));
    engine.setParameter (0, 1.0f); // 1.5 s glide on ORVA
    render (engine, 64, events ({ { juce::MidiMessage::noteOn (1, 40, (juce::uint8) 100), 0 } }));
    render (engine, 64, events ({ { juce::MidiMessage::noteOn (1, 70, (juce::uint8) 100), 0 } }));
    EXPECT_TRUE (engine.isGliding (0) || engine.isGliding (1));
    EXPECT_FALSE (engine.isGliding (7));

    // A slow LFO shows a value in -1..1 that moves as the phase does.
    engine.setParameter (6, 0.6f);
    const float value = engine.getLfoDisplayValue (0, false);
    EXPECT_GE (value, -1.0f);
    EXPECT_LE (value, 1.0f);
    EXPECT_EQ (engine.getLfoDisplayValue (9, false), 0.0f);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
