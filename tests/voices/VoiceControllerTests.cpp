#include "engine/MultiSoundVoiceController.h"
#include "engine/SingleSoundVoiceController.h"
#include "engine/SynthVoicePool.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace
{
using Mode = MultiSoundVoiceController::tVoiceAllocationMode;

/** Four device sounds, a pool of 16 Synth404 voices at 88.2 kHz and the
    global controller over them, Unison-free by default (Revolver). */
class VoiceControllers : public ::testing::Test
{
protected:
    VoiceControllers()
    {
        for (auto& sound : sounds)
        {
            sound.setAttack (0.005f);
            sound.setDecay (0.5f);
            sound.setSustain (1.0f);
            sound.setRelease (1.0f);
        }

        pool.prepare (2, 88200.0f);
        pool.setNumberOfVoices (16);
    }

    int deviceOf (const VoiceManager::Voice* voice) const
    {
        auto* sound = static_cast<const Synth404*> (voice)->getSound();
        for (int device = 0; device < 4; ++device)
            if (sound == &sounds[(size_t) device])
                return device;
        return -1;
    }

    /** The devices of the global controller's playing voices of a note. */
    std::vector<int> devicesOf (int note) const
    {
        std::vector<int> result;
        for (auto* voice : global.getVoices())
            if (voice->note == note && voice->getState() == 1)
                result.push_back (deviceOf (voice));
        return result;
    }

    /** The device of each note started in turn (each released right away). */
    std::vector<int> devicesForNotes (std::initializer_list<int> notes)
    {
        std::vector<int> result;
        for (int note : notes)
        {
            global.noteOn (note, 1.0f);
            const auto devices = devicesOf (note);
            result.push_back (devices.size() == 1 ? devices[0] : -1);
            global.noteOff (note);
        }
        return result;
    }

    VoiceManager::Voice* voiceOf (int note) const
    {
        for (auto* voice : global.getVoices())
            if (voice->note == note)
                return voice;
        return nullptr;
    }

    void render (int numSamples)
    {
        juce::AudioBuffer<float> buffer (2, numSamples);
        buffer.clear();
        pool.process (buffer, 0, numSamples);
    }

    unsigned totalCount() const
    {
        unsigned total = 0;
        for (unsigned device = 0; device < 4; ++device)
            total += global.getDeviceVoiceCount (device);
        return total;
    }

    std::array<Synth404::Sound, 4> sounds;
    SynthVoicePool pool { sounds.data() };
    MultiSoundVoiceController global { pool, sounds.data() };
};
} // namespace

//==============================================================================
TEST_F (VoiceControllers, UnisonPlaysEachNoteOnEveryEnabledDevice)
{
    global.setAllocationMode (Mode::unison);
    global.setDeviceEnabled (1, false);

    global.noteOn (60, 1.0f);
    global.noteOn (64, 1.0f);

    EXPECT_EQ (devicesOf (60), (std::vector<int> { 0, 2, 3 }));
    EXPECT_EQ (devicesOf (64), (std::vector<int> { 0, 2, 3 }));
    EXPECT_EQ (pool.getNumFreeVoices(), 10u);
    EXPECT_EQ (global.getDeviceVoiceCount (0), 2u);
    EXPECT_EQ (global.getDeviceVoiceCount (1), 0u);

    global.noteOff (60);
    EXPECT_EQ (totalCount(), 3u);
    global.noteOff (64);
    EXPECT_EQ (totalCount(), 0u);
}

TEST_F (VoiceControllers, UnisonOnAFullPoolTakesTheOldestNotesVoicesForAllFourDevices)
{
    global.setAllocationMode (Mode::unison);

    for (int note : { 48, 52, 55, 60 })
        global.noteOn (note, 1.0f);
    ASSERT_EQ (pool.getNumFreeVoices(), 0u);

    // Each slot steals a different voice: the retriggered one has moved to
    // the end of the list and is not taken again by the next slot.
    global.noteOn (64, 1.0f);
    EXPECT_EQ (devicesOf (64), (std::vector<int> { 0, 1, 2, 3 }));
    EXPECT_TRUE (devicesOf (48).empty());
    EXPECT_EQ (devicesOf (52), (std::vector<int> { 0, 1, 2, 3 }));
    EXPECT_EQ (totalCount(), 16u);
}

TEST_F (VoiceControllers, SplitChoosesTheZoneByTheFirstSplitPointAboveTheNote)
{
    global.setAllocationMode (Mode::split);
    EXPECT_EQ (devicesForNotes ({ 0, 31, 32, 63, 64, 95, 96, 127 }), (std::vector<int> { 0, 0, 1, 1, 2, 2, 3, 3 }));
    EXPECT_EQ (global.getNoteDevice (32), 1);

    // Unsorted points: 96 is the first point above 40.
    global.setSplitPoint (0, 96);
    global.setSplitPoint (1, 32);
    global.setSplitPoint (2, 64);
    EXPECT_EQ (devicesForNotes ({ 40, 100, 10 }), (std::vector<int> { 0, 3, 0 }));

    // A switched-off zone stays silent: no other device takes the note.
    global.setDeviceEnabled (0, false);
    const auto freeBefore = pool.getNumFreeVoices();
    global.noteOn (50, 1.0f);
    EXPECT_TRUE (devicesOf (50).empty());
    EXPECT_EQ (pool.getNumFreeVoices(), freeBefore);
}

TEST_F (VoiceControllers, RevolverTurnsUpOrDownAndSkipsDisabledDevices)
{
    EXPECT_EQ (global.getAllocationMode(), Mode::revolver);
    EXPECT_EQ (devicesForNotes ({ 60, 61, 62, 63, 64 }), (std::vector<int> { 0, 1, 2, 3, 0 }));

    global.setAllocationMode (Mode::split);
    global.setAllocationMode (Mode::revolver);
    global.setDeviceEnabled (1, false);
    EXPECT_EQ (devicesForNotes ({ 60, 61, 62, 63 }), (std::vector<int> { 0, 2, 3, 0 }));

    // Setting the mode it already has keeps the position; a new mode resets it.
    EXPECT_FALSE (global.setAllocationMode (Mode::revolver));
    EXPECT_EQ (global.getRevolverPosition(), 1u);
    global.setAllocationMode (Mode::random);
    global.setAllocationMode (Mode::revolver);
    global.setDeviceEnabled (1, true);
    global.setDirection (true);
    EXPECT_EQ (devicesForNotes ({ 60, 61, 62, 63 }), (std::vector<int> { 0, 3, 2, 1 }));

    global.setDeviceEnabled (2, false);
    EXPECT_EQ (devicesForNotes ({ 60, 61, 62, 63 }), (std::vector<int> { 0, 3, 1, 0 }));
}

TEST_F (VoiceControllers, RevolverWithFillSkipsBusierDevices)
{
    for (unsigned device = 1; device < 4; ++device)
        global.setDeviceEnabled (device, false);
    global.noteOn (40, 1.0f);
    global.noteOn (41, 1.0f);
    EXPECT_EQ (global.getDeviceVoiceCount (0), 2u);

    for (unsigned device = 1; device < 4; ++device)
        global.setDeviceEnabled (device, true);
    global.setFill (true);

    std::vector<int> devices;
    for (int note : { 60, 61, 62, 63 })
    {
        global.noteOn (note, 1.0f);
        devices.push_back (devicesOf (note).at (0));
    }
    EXPECT_EQ (devices, (std::vector<int> { 1, 2, 3, 1 }));
}

TEST_F (VoiceControllers, RandomDrawsFromTheShiftRegister)
{
    global.setAllocationMode (Mode::random);
    global.setRandomSeed (1);
    EXPECT_EQ (devicesForNotes ({ 60, 61, 62, 63, 64, 65 }), (std::vector<int> { 0, 1, 0, 1, 2, 1 }));

    // One enabled device takes every note, and the register still advances
    // four steps per note: the fourth note afterwards continues the sequence.
    global.setRandomSeed (1);
    for (unsigned device : { 0u, 1u, 3u })
        global.setDeviceEnabled (device, false);
    EXPECT_EQ (devicesForNotes ({ 60, 61, 62 }), (std::vector<int> { 2, 2, 2 }));
    for (unsigned device : { 0u, 1u, 3u })
        global.setDeviceEnabled (device, true);
    EXPECT_EQ (devicesForNotes ({ 63 }), (std::vector<int> { 1 }));
}

TEST_F (VoiceControllers, ChordBlowGroupsHeldNotesAndMovesPlayingVoicesWithoutRetrigger)
{
    global.setAllocationMode (Mode::chordBlow);

    global.noteOn (64, 1.0f);
    global.noteOn (60, 1.0f);
    global.noteOn (67, 1.0f);
    EXPECT_EQ (devicesOf (60), (std::vector<int> { 0 }));
    EXPECT_EQ (devicesOf (64), (std::vector<int> { 1 }));
    EXPECT_EQ (devicesOf (67), (std::vector<int> { 2 }));
    EXPECT_EQ (global.getDeviceVoiceCount (3), 0u);

    render (2000);
    auto* voice60 = voiceOf (60);
    const float levelBefore = voice60->getLevel();
    ASSERT_GT (levelBefore, 0.2f);

    global.noteOn (72, 1.0f);
    global.noteOn (55, 1.0f);

    // Five notes over four devices: the two lowest share device 0.
    EXPECT_EQ (devicesOf (55), (std::vector<int> { 0 }));
    EXPECT_EQ (devicesOf (60), (std::vector<int> { 0 }));
    EXPECT_EQ (devicesOf (64), (std::vector<int> { 1 }));
    EXPECT_EQ (devicesOf (67), (std::vector<int> { 2 }));
    EXPECT_EQ (devicesOf (72), (std::vector<int> { 3 }));
    EXPECT_EQ (global.getNoteDevice (72), 3);
    EXPECT_EQ (global.getDeviceVoiceCount (0), 2u);
    EXPECT_EQ (totalCount(), 5u);

    global.setDirection (true);
    global.noteOff (55);
    global.noteOn (50, 1.0f);
    // Down: group 0 (50, 60) on device 3, 64 on 2, 67 on 1, 72 on 0.
    EXPECT_EQ (devicesOf (60), (std::vector<int> { 3 }));
    EXPECT_EQ (devicesOf (72), (std::vector<int> { 0 }));
    EXPECT_EQ (voice60->getLevel(), levelBefore); // moved, not retriggered
    EXPECT_EQ (totalCount(), 5u);
}

TEST_F (VoiceControllers, ChordGrowDealsHeldNotesInTurnAndLeavesReleasingVoices)
{
    global.setAllocationMode (Mode::chordGrow);
    global.setDirection (true);

    for (int note : { 67, 65, 64, 62, 60 })
        global.noteOn (note, 1.0f);

    EXPECT_EQ (devicesOf (60), (std::vector<int> { 3 }));
    EXPECT_EQ (devicesOf (62), (std::vector<int> { 2 }));
    EXPECT_EQ (devicesOf (64), (std::vector<int> { 1 }));
    EXPECT_EQ (devicesOf (65), (std::vector<int> { 0 }));
    EXPECT_EQ (devicesOf (67), (std::vector<int> { 3 }));
    EXPECT_EQ (totalCount(), 5u);

    render (2000);
    global.noteOff (62);
    auto* released = voiceOf (62);
    ASSERT_EQ (released->getState(), 2);
    EXPECT_EQ (totalCount(), 4u);

    global.noteOn (59, 1.0f);
    // 59, 60, 64, 65, 67 -> 3, 2, 1, 0, 3; the releasing voice stays on 2.
    EXPECT_EQ (devicesOf (59), (std::vector<int> { 3 }));
    EXPECT_EQ (devicesOf (60), (std::vector<int> { 2 }));
    EXPECT_EQ (deviceOf (released), 2);
    EXPECT_EQ (totalCount(), 5u);

    pool.stopAllVoices();
    EXPECT_EQ (totalCount(), 0u);
}

TEST_F (VoiceControllers, MonoLegatoInRevolverMovesTheVoiceAndKeepsTheCountsRight)
{
    global.setMonophonic (true);
    global.noteOn (60, 1.0f);
    auto* voice = voiceOf (60);
    EXPECT_EQ (deviceOf (voice), 0);

    global.setPitchBend (0.5f);
    global.noteOn (64, 1.0f);
    EXPECT_EQ (voiceOf (64), voice);
    EXPECT_EQ (deviceOf (voice), 1);
    EXPECT_EQ (global.getDeviceVoiceCount (0), 0u);
    EXPECT_EQ (global.getDeviceVoiceCount (1), 1u);
    EXPECT_EQ (pool.getNumFreeVoices(), 15u);
    EXPECT_EQ (static_cast<Synth404*> (voice)->getPitchBend(), 0.5f);
}

TEST_F (VoiceControllers, ADeviceControllerPlaysItsOwnSoundOnlyWhileEnabled)
{
    SingleSoundVoiceController device2 (pool, sounds[1]);

    device2.noteOn (60, 1.0f);
    EXPECT_TRUE (device2.getVoices().empty());
    EXPECT_EQ (pool.getNumFreeVoices(), 16u);

    device2.setEnabled (true);
    device2.noteOn (62, 1.0f);
    ASSERT_EQ (device2.getVoices().size(), 1u);
    EXPECT_EQ (deviceOf (device2.getVoices().front()), 1);

    device2.setEnabled (false);
    device2.noteOn (64, 1.0f);
    EXPECT_EQ (device2.getVoices().size(), 1u);
    EXPECT_EQ (pool.getNumFreeVoices(), 15u);
}
