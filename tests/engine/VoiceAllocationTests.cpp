// How the engine spends its voices: switched-off devices take none, Fill
// spreads notes evenly in Revolver and Random, and the pool's size limit.
// Played through MIDI as a host plays the engine.

#include "tests/support/EngineRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using R = EngineRig;

namespace
{
/** The notes that have a playing voice on the global controller. */
std::multiset<int> playingNotes (AudioEngine& engine)
{
    std::multiset<int> notes;
    for (auto* voice : engine.getGlobalController().getVoices())
        if (voice->getState() == 1)
            notes.insert (voice->note);
    return notes;
}

std::vector<EngineRig::Event> heldNotes (int first, int count)
{
    std::vector<EngineRig::Event> events;
    for (int i = 0; i < count; ++i)
        events.push_back (R::noteOn (i * 10, first + i));
    return events;
}
} // namespace

TEST (VoiceAllocation, unisonWithThreeDevicesOffGivesEveryHeldNoteItsVoice)
{
    // Sixteen voices, one per note on the one device left on: the 16th note
    // must not cost the first its voice.
    EngineRig rig;
    rig.set (R::voiceMode, R::unison);
    rig.soloDevice (0);
    rig.render (480, heldNotes (40, 16));

    const auto notes = playingNotes (rig.engine);
    EXPECT_EQ (notes.size(), 16u);
    for (int note = 40; note < 56; ++note)
        EXPECT_EQ (notes.count (note), 1u) << note;
    EXPECT_EQ (rig.engine.getVoicePool().getNumFreeVoices(), 0u);

    // A 17th note takes the oldest note's voice, and only that one.
    rig.render (480, { R::noteOn (rig.position, 56) });
    const auto after = playingNotes (rig.engine);
    EXPECT_EQ (after.count (40), 0u);
    EXPECT_EQ (after.count (41), 1u);
    EXPECT_EQ (after.count (56), 1u);
}

TEST (VoiceAllocation, aNoteForASwitchedOffSplitZoneCutsNoHeldNote)
{
    EngineRig rig;
    rig.set (R::voiceMode, R::split);
    rig.set (R::device2 + R::midiOn, 0.0f); // TESK: notes 32..63
    rig.render (480, heldNotes (10, 16));   // all sixteen voices on ORVA
    rig.render (480, { R::noteOn (rig.position, 40) });

    const auto notes = playingNotes (rig.engine);
    EXPECT_EQ (notes.size(), 16u);
    EXPECT_EQ (notes.count (10), 1u);
    EXPECT_EQ (notes.count (40), 0u);
}

TEST (VoiceAllocation, aSwitchedOffDevicesOwnChannelCutsNoHeldNote)
{
    EngineRig rig;
    rig.engine.setReceiveChannel (0, 1, false);
    rig.engine.setReceiveChannel (2, 2, false);
    rig.set (R::voiceMode, R::revolver);
    rig.set (R::device2 + R::midiOn, 0.0f);
    rig.render (480, heldNotes (40, 16));
    rig.render (480, { R::noteOn (rig.position, 70, 100, 2) });

    EXPECT_EQ (playingNotes (rig.engine).size(), 16u);
    EXPECT_TRUE (rig.engine.getDeviceController (1).getVoices().empty());
}

TEST (VoiceAllocation, fillInRevolverSendsNotesToTheLeastBusyDevicesInTurn)
{
    auto devicesOfNewNotes = [] (bool fill) {
        EngineRig rig;
        rig.set (R::voiceMode, R::revolver);
        // Devices 0, 1, 2 take a note each; TESK's is let go again.
        rig.render (480, { R::noteOn (0, 60), R::noteOn (1, 61), R::noteOn (2, 62), R::noteOff (3, 61) });
        rig.set (R::voiceFill, fill ? 1.0f : 0.0f);
        rig.render (480, { R::noteOn (rig.position, 63), R::noteOn (rig.position + 1, 64), R::noteOn (rig.position + 2, 65) });
        auto& controller = rig.engine.getGlobalController();
        return std::vector<int> { controller.getNoteDevice (63), controller.getNoteDevice (64), controller.getNoteDevice (65) };
    };
    EXPECT_EQ (devicesOfNewNotes (false), (std::vector<int> { 3, 0, 1 }));
    // With Fill only the devices with the fewest playing voices take notes.
    EXPECT_EQ (devicesOfNewNotes (true), (std::vector<int> { 3, 1, 2 }));
}

TEST (VoiceAllocation, fillInRandomSpreadsHeldNotesEvenly)
{
    auto counts = [] (bool fill) {
        EngineRig rig;
        rig.set (R::voiceMode, R::random);
        rig.set (R::voiceFill, fill ? 1.0f : 0.0f);
        rig.engine.getGlobalController().setRandomSeed (12345);
        rig.render (480, heldNotes (50, 12));
        std::vector<unsigned> perDevice;
        for (unsigned device = 0; device < 4; ++device)
            perDevice.push_back (rig.engine.getGlobalController().getDeviceVoiceCount (device));
        return perDevice;
    };
    EXPECT_EQ (counts (true), (std::vector<unsigned> { 3, 3, 3, 3 }));
    EXPECT_NE (counts (false), (std::vector<unsigned> { 3, 3, 3, 3 })) << "the draw alone is uneven";
}

TEST (VoiceAllocation, thePoolTakesUpTo1024Voices)
{
    EngineRig rig;
    rig.engine.suspendProcessing (true); // the pool is resized at once
    rig.engine.setNumberOfVoices (1024);
    EXPECT_EQ (rig.engine.getNumberOfVoices(), 1024);
    EXPECT_EQ (rig.engine.getVoicePool().getNumFreeVoices(), 1024u);

    rig.engine.setNumberOfVoices (1025);
    EXPECT_EQ (rig.engine.getNumberOfVoices(), 1024);
    EXPECT_EQ (rig.engine.getVoicePool().getNumFreeVoices(), 1024u);

    // 128 notes in Unison play 512 voices at once.
    rig.engine.suspendProcessing (false);
    rig.render (1280, heldNotes (0, 128));
    EXPECT_EQ (playingNotes (rig.engine).size(), 512u);
}

TEST (VoiceAllocation, everySwitchKnobChangesPositionExactlyAtItsThreshold)
{
    // At a threshold the knob selects the upper position; the float just
    // below it still selects the lower one.
    EngineRig rig;
    auto& controller = rig.engine.getGlobalController();
    using Mode = MultiSoundVoiceController::tVoiceAllocationMode;
    const std::pair<float, Mode> modeThresholds[] = { { 0.1f, Mode::split }, { 0.3f, Mode::revolver }, { 0.5f, Mode::random },
                                                      { 0.7f, Mode::chordBlow }, { 0.9f, Mode::chordGrow } };
    for (const auto& [threshold, mode] : modeThresholds)
    {
        rig.set (R::voiceMode, threshold);
        rig.render (16);
        EXPECT_EQ (controller.getAllocationMode(), mode) << threshold;
        rig.set (R::voiceMode, std::nextafter (threshold, 0.0f));
        rig.render (16);
        EXPECT_EQ (controller.getAllocationMode(), (Mode) (mode - 1)) << threshold;
    }

    // A device switch, read back from MUNE's sound after a block.
    auto& sound = rig.engine.getSound (2);
    auto checkSwitch = [&] (int parameter, float threshold, int upper, int lower, auto read) {
        rig.set (R::device3 + parameter, threshold);
        rig.render (16);
        EXPECT_EQ ((int) read(), upper) << parameter << " at " << threshold;
        rig.set (R::device3 + parameter, std::nextafter (threshold, 0.0f));
        rig.render (16);
        EXPECT_EQ ((int) read(), lower) << parameter << " below " << threshold;
    };
    auto oscillator = [&] { return sound.getOscillatorMode(); };
    checkSwitch (R::oscillatorMode, 1.0f / 6.0f, Synth404::oscillatorNoise, Synth404::oscillatorOff, oscillator);
    checkSwitch (R::oscillatorMode, 0.5f, Synth404::oscillatorSaw, Synth404::oscillatorNoise, oscillator);
    checkSwitch (R::oscillatorMode, 5.0f / 6.0f, Synth404::oscillatorPulse, Synth404::oscillatorSaw, oscillator);

    auto modulation = [&] { return sound.getOscillatorModulationMode(); };
    checkSwitch (R::modulationMode, 0.25f, Synth404::modulationPWM, Synth404::modulationOff, modulation);
    checkSwitch (R::modulationMode, 0.75f, Synth404::modulationFM, Synth404::modulationPWM, modulation);

    auto tracking = [&] { return sound.getTracking(); };
    checkSwitch (R::tracking, 0.25f, Synth404::trackingHalf, Synth404::trackingOff, tracking);
    checkSwitch (R::tracking, 0.75f, Synth404::trackingFull, Synth404::trackingHalf, tracking);
}
