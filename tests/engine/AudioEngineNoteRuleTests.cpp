// Rules a player relies on while the host plays: a note-on of velocity 0
// lets the key go, the mono switch rules the next block whichever way it is
// set, and an on-screen note played at once never overtakes the on-screen
// notes still waiting for the audio thread.

#include "EngineProbes.h"
#include "tests/support/EngineBlocks.h"
#include "engine/XmlBinaryBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
constexpr float revolver = 0.4f; // one voice per note
constexpr int monophon = 91;
constexpr int monophonController = 93;
constexpr int gateOpen = 1;
// Blocks count as arriving for the longest time the engine allows after
// one of this size (90 ms), which a test thread between two blocks stays
// well inside.
constexpr int hostsLargestBlock = 4096;

using Events = std::initializer_list<std::pair<juce::MidiMessage, int>>;

/** One block of 256 samples played as the host does, the messages at the given samples. */
juce::AudioBuffer<float> playBlock (AudioEngine& engine, Events events = {})
{
    juce::AudioBuffer<float> buffer (2, 256);
    juce::MidiBuffer midi;
    for (auto& [message, sample] : events)
        midi.addEvent (message, sample);
    playBlockAsHost (engine, buffer, midi);
    return buffer;
}

juce::MidiMessage on (int channel, int note, int velocity = 100) { return juce::MidiMessage::noteOn (channel, note, (juce::uint8) velocity); }

/** The notes whose voices hold their gate open, lowest first. */
std::vector<int> gatedNotes (AudioEngine& engine, const VoiceManager& controller)
{
    return asTheAudioThread (engine, [&]
    {
        std::vector<int> notes;
        for (auto* voice : controller.getVoices())
            if (voice->getState() == gateOpen)
                notes.push_back (voice->note);
        std::sort (notes.begin(), notes.end());
        return notes;
    });
}

bool isHeld (AudioEngine& engine, int note)
{
    return asTheAudioThread (engine, [&] { return engine.getGlobalController().isHeld (note); });
}
} // namespace

//==============================================================================
TEST (AudioEngineNoteRules, aHostNoteOnWithVelocityZeroLetsTheKeyGoAndStartsNoVoice)
{
    // On the global channel and on a device's own channel, poly and mono.
    struct Row { const char* name; bool deviceChannel; bool mono; };
    const Row rows[] { { "global, poly", false, false }, { "global, mono", false, true },
                       { "device, poly", true, false },  { "device, mono", true, true } };
    for (auto& row : rows)
    {
        SCOPED_TRACE (row.name);
        AudioEngine engine;
        engine.prepareToPlay (48000.0, 256);
        engine.setParameter (88, revolver);
        engine.setParameter (monophon, row.mono ? 1.0f : 0.0f);
        int channel = 1;
        VoiceManager* controller = &engine.getGlobalController();
        if (row.deviceChannel)
        {
            engine.setReceiveChannel (0, 3, false);
            engine.setReceiveChannel (2, 5, false);
            channel = 5;
            controller = &engine.getDeviceController (1);
        }

        playBlock (engine, { { on (channel, 50, 0), 0 } });
        EXPECT_EQ (busyVoices (engine), 0u) << "a velocity-0 note-on of a key that is up starts no voice";

        playBlock (engine, { { on (channel, 60), 0 }, { on (channel, 64), 1 } });
        engine.updateKeyboardDisplay();
        ASSERT_TRUE (engine.getKeyboardState().isNoteOn (channel, 64));
        EXPECT_EQ (gatedNotes (engine, *controller), (row.mono ? std::vector<int> { 64 } : std::vector<int> { 60, 64 }));

        // Mono falls back to the key still held, as a note-off does.
        playBlock (engine, { { on (channel, 64, 0), 5 } });
        EXPECT_EQ (gatedNotes (engine, *controller), std::vector<int> { 60 });
        engine.updateKeyboardDisplay();
        EXPECT_FALSE (engine.getKeyboardState().isNoteOn (channel, 64));

        playBlock (engine, { { on (channel, 60, 0), 5 } });
        EXPECT_TRUE (gatedNotes (engine, *controller).empty());
        EXPECT_FALSE (asTheAudioThread (engine, [&] { return controller->isHeld (60) || controller->isHeld (64); }));

        for (int block = 0; block < 400; ++block)
            playBlock (engine);
        EXPECT_EQ (busyVoices (engine), 0u) << "every voice has ended its release";
        EXPECT_EQ (playBlock (engine).getMagnitude (0, 256), 0.0f);
    }
}

//==============================================================================
TEST (AudioEngineNoteRules, aMonoSwitchSetWhileTheHostPlaysRulesTheNotesOfTheNextBlock)
{
    // Each way the switch reaches the engine between two blocks (or, for a
    // mapped controller, at the start of the block), on and then off again.
    struct Way { const char* name; std::function<void (AudioEngine&, bool)> set; bool byController; };
    const Way ways[] {
        { "host parameter", [] (AudioEngine& e, bool mono) { e.setParameter (monophon, mono ? 1.0f : 0.0f); }, false },
        { "preset read",
          [] (AudioEngine& e, bool mono)
          {
              juce::MemoryBlock sound;
              e.writePresetState (sound);
              auto xml = XmlBinaryBlock::read (sound);
              xml->setAttribute ("Monophon", mono ? 1.0 : 0.0);
              XmlBinaryBlock::write (*xml, sound);
              e.readPresetState (sound);
          },
          false },
        { "mapped controller", {}, true },
        // The moment a host starts processing just after the message thread
        // found it idle: the setter then runs under the callback lock while
        // blocks already arrive.
        { "setter under the callback lock", [] (AudioEngine& e, bool mono) { asTheAudioThread (e, [&] { e.setMonophonic (mono); }); },
          false },
    };
    for (auto& way : ways)
    {
        SCOPED_TRACE (way.name);
        AudioEngine engine;
        engine.prepareToPlay (48000.0, hostsLargestBlock);
        engine.setParameter (88, revolver);
        auto& global = engine.getGlobalController();
        playBlock (engine, { { on (1, 60), 0 }, { on (1, 64), 0 } });
        ASSERT_EQ (gatedNotes (engine, global), (std::vector<int> { 60, 64 }));

        const auto switchAndPlay = [&] (bool mono, int note)
        {
            if (way.byController)
                playBlock (engine, { { juce::MidiMessage::controllerEvent (1, monophonController, mono ? 127 : 0), 0 }, { on (1, note), 10 } });
            else
            {
                way.set (engine, mono);
                playBlock (engine, { { on (1, note), 10 } });
            }
        };

        switchAndPlay (true, 67);
        EXPECT_EQ (gatedNotes (engine, global), std::vector<int> { 67 }) << "mono: the new key takes over the one voice";
        switchAndPlay (false, 72);
        EXPECT_EQ (gatedNotes (engine, global), (std::vector<int> { 67, 72 })) << "poly again: the new key gets a voice of its own";
    }
}

//==============================================================================
TEST (AudioEngineNoteRules, anOnScreenNotePlayedAtOnceComesAfterTheOnScreenNotesStillQueued)
{
    // Notes of the owner thread wait for the next block while the host
    // processes.  Then a note is played at once: because the host stopped
    // (suspended, or rendering offline with the lock free), or because
    // another thread plays it.  It must come after those still waiting,
    // whichever order would go wrong.
    struct Way { const char* name; std::function<void (AudioEngine&)> before; bool otherThread; };
    const Way ways[] { { "suspended", [] (AudioEngine& e) { e.suspendProcessing (true); }, false },
                       { "offline", [] (AudioEngine& e) { e.setNonRealtime (true); }, false },
                       { "another thread", [] (AudioEngine&) {}, true } };
    for (auto& way : ways)
    {
        SCOPED_TRACE (way.name);
        AudioEngine engine;
        engine.prepareToPlay (48000.0, hostsLargestBlock);
        engine.setParameter (88, revolver);
        auto& keyboard = engine.getKeyboardState();
        playBlock (engine);

        // Waiting: a key pressed, and a key pressed and released.
        keyboard.noteOn (1, 60, 0.8f);
        keyboard.noteOn (1, 62, 0.8f);
        keyboard.noteOff (1, 62, 0.0f);

        // At once: the first key released, the second pressed again.
        way.before (engine);
        const auto playAtOnce = [&]
        {
            engine.handleNoteOff (nullptr, 1, 60, 0.0f);
            engine.handleNoteOn (nullptr, 1, 62, 0.8f);
        };
        if (way.otherThread)
            std::thread (playAtOnce).join();
        else
            playAtOnce();

        // Whatever still waits runs with the next block.
        engine.suspendProcessing (false);
        engine.setNonRealtime (false);
        playBlock (engine);
        EXPECT_FALSE (isHeld (engine, 60)) << "the release came after the press it releases";
        EXPECT_TRUE (isHeld (engine, 62)) << "the second press came after the first release";
        EXPECT_EQ (gatedNotes (engine, engine.getGlobalController()), std::vector<int> { 62 });
    }
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
