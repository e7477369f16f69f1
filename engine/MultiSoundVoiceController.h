#pragma once

#include "engine/Synth404.h"
#include "engine/VoiceManager.h"

#include <array>
#include <atomic>
#include <cstdint>

/** The voice manager of the global receive channel: spreads the notes over
    the four devices by the allocation mode, the direction, the fill switch,
    the split points and the devices' MidiOn switches.

    The settings are written by whichever thread sets the parameter and read
    by the audio thread when a voice starts, so each one is an atomic used
    with relaxed ordering: a start sees either the old or the new value.
*/
class MultiSoundVoiceController : public VoiceManager
{
public:
    enum tVoiceAllocationMode : int32_t
    {
        unison = 0,
        split = 1,
        revolver = 2,
        random = 3,
        chordBlow = 4,
        chordGrow = 5
    };

    static constexpr unsigned numDevices = 4;
    static constexpr unsigned numSplitPoints = 3;

    /** sounds: the engine's four device sounds (ORVA, TESK, MUNE, KEST), not
        owned.  Seeds the random allocation once from std::rand().  Owner thread. */
    MultiSoundVoiceController (VoicePool& pool, Synth404::Sound* sounds);

    /** Stores a different mode and sets the revolver position to 0; returns
        whether the mode changed.  Any thread. */
    bool setAllocationMode (tVoiceAllocationMode mode) noexcept;
    tVoiceAllocationMode getAllocationMode() const noexcept { return mode.load (std::memory_order_relaxed); }

    /** false = Up, true = Down.  Returns whether it changed.  Any thread. */
    bool setDirection (bool down) noexcept;
    bool getDirection() const noexcept { return direction.load (std::memory_order_relaxed); }

    /** Returns whether it changed.  Any thread. */
    bool setFill (bool on) noexcept;
    bool getFill() const noexcept { return fill.load (std::memory_order_relaxed); }

    /** Device 0..3 follows its MidiOn switch.  Any thread. */
    void setDeviceEnabled (unsigned device, bool enabled) noexcept;
    bool isDeviceEnabled (unsigned device) const noexcept;

    /** Split point 0..2 as a note number, stored unchecked (nothing keeps the
        points in order).  Any thread. */
    void setSplitPoint (unsigned index, int note) noexcept;
    int getSplitPoint (unsigned index) const noexcept;

    /** The bend (-1..+1) of every voice this controller starts.  Any thread. */
    void setPitchBend (float bend) { pitchBend.store (bend, std::memory_order_relaxed); }
    float getPitchBend() const noexcept { return pitchBend.load (std::memory_order_relaxed); }

    /** The device that last played the note, given it by this controller or
        on its own receive channel (0 before any).  Any thread (the on-screen
        keyboard colours held keys with it). */
    int getNoteDevice (int note) const noexcept;
    /** A device plays the note on its own receive channel: its key shows in
        that device's colour until a controller gives the note to another.
        Audio thread, or under the callback lock. */
    void setNoteDevice (int note, unsigned device) noexcept;

    /** How many of this controller's voices play on the device.  Audio thread. */
    unsigned getDeviceVoiceCount (unsigned device) const noexcept;

    /** The device the revolver tries next.  Any thread. */
    unsigned getRevolverPosition() const noexcept { return revolverPosition.load (std::memory_order_relaxed); }

    /** Restarts the random allocation from a seed (0 becomes 1), for a
        reproducible sequence.  Owner thread, while not processing. */
    void setRandomSeed (uint32_t seed) noexcept { randomState = seed != 0 ? seed : 1u; }

protected:
    bool startVoice (Voice* voice, int note, bool legato, unsigned slot, float velocity, float glideFrom) override;
    void releaseVoice (Voice* voice, bool fastRelease) override;
    void stopVoice (Voice* voice) override;
    bool acceptsVoice (int note, unsigned slot) override;
    unsigned getNumVoicesPerNote() override;

private:
    unsigned buildCandidates (tVoiceAllocationMode currentMode) noexcept;
    int chooseDevice (tVoiceAllocationMode currentMode, int note, unsigned slot, unsigned numCandidates) noexcept;
    unsigned splitDevice (int note) const noexcept;
    int chooseRevolverDevice (unsigned numCandidates) noexcept;
    int chooseRandomDevice (unsigned numCandidates) noexcept;
    int distributeChord (tVoiceAllocationMode currentMode, int note, unsigned numCandidates);
    void moveVoice (Synth404& voice, int device);
    void resetLfosIfDeviceIdle (int device);
    bool isCandidate (unsigned device, unsigned numCandidates) const noexcept;
    int deviceOf (const Synth404& voice) const noexcept;
    void countOff (int device) noexcept;

    std::atomic<float> pitchBend { 0.0f };
    std::atomic<tVoiceAllocationMode> mode { revolver };
    std::atomic<bool> direction { false };
    std::atomic<bool> fill { false };
    Synth404::Sound* const sounds;
    std::array<unsigned, numDevices> deviceVoiceCounts {};
    std::array<std::atomic<bool>, numDevices> deviceEnabled;
    std::array<unsigned, numDevices> candidates {};
    std::array<std::atomic<int>, numSplitPoints> splitPoints;
    uint32_t randomState = 1;
    std::atomic<unsigned> revolverPosition { 0 };
    std::array<std::atomic<int>, numNotes> noteDevices;
};
