#pragma once

#include "engine/Synth404.h"
#include "engine/VoiceManager.h"

#include <atomic>

/** The voice manager of one device's own receive channel: plays every note
    on that device's Sound, one voice per note.  Refuses every voice while
    the device's MidiOn switch is off. */
class SingleSoundVoiceController : public VoiceManager
{
public:
    /** sound: the device's Sound, not owned.  Starts disabled; the engine's
        MidiOn default switches it on.  Owner thread. */
    SingleSoundVoiceController (VoicePool& pool, Synth404::Sound& sound);

    /** Follows the device's MidiOn switch.  Any thread. */
    void setEnabled (bool on) { enabled.store (on, std::memory_order_relaxed); }
    bool isEnabled() const noexcept { return enabled.load (std::memory_order_relaxed); }

    /** The bend (-1..+1) of every voice this controller starts.  Any thread. */
    void setPitchBend (float bend) { pitchBend.store (bend, std::memory_order_relaxed); }
    float getPitchBend() const noexcept { return pitchBend.load (std::memory_order_relaxed); }

    /** Any thread. */
    Synth404::Sound& getSound() const noexcept { return sound; }

protected:
    bool startVoice (Voice* voice, int note, bool legato, unsigned slot, float velocity, float glideFrom) override;
    void releaseVoice (Voice* voice, bool fastRelease) override;
    void stopVoice (Voice* voice) override;
    bool acceptsVoice (int, unsigned) override { return isEnabled(); }

private:
    Synth404::Sound& sound;
    std::atomic<float> pitchBend { 0.0f };
    std::atomic<bool> enabled { false };
};
