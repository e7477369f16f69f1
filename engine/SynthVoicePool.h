#pragma once

#include "engine/Synth404.h"
#include "engine/VoiceManager.h"

/** The instrument's voice pool: creates Synth404 voices and, after every
    rendered chunk, advances the LFO phases of the four device sounds (the
    LFOs are shared by all voices of a device). */
class SynthVoicePool : public VoiceManager::VoicePool
{
public:
    static constexpr int numSounds = 4;

    /** sounds: the engine's four device sounds, not owned; they must outlive
        the pool.  Owner thread. */
    explicit SynthVoicePool (Synth404::Sound* sounds) noexcept : sounds (sounds) {}

    /** Preparing thread: prepares the pool and chooses the instruction set
        path of the voices' lanes (chooseVoiceLanesPath()). */
    void prepare (int numChannels, float sampleRate) override;

    /** Preparing thread, after prepare: overrides the chosen path (for
        benchmarks and tests); AVX2 is taken only where available. */
    void setLanesPath (VoiceLanes::Path path) noexcept
    {
        lanesPath = path == VoiceLanes::Path::avx2 && ! voiceLanesAvx2Available() ? VoiceLanes::Path::sse2 : path;
    }

    /** Any thread: the path chosen at the last prepare (SSE2 before). */
    VoiceLanes::Path getLanesPath() const noexcept { return lanesPath; }

protected:
    /** Owner thread.  Final: renderVoicesAdding() relies on every voice
        being a Synth404. */
    std::unique_ptr<VoiceManager::Voice> createVoice() final;

    /** Audio thread: numSamples at the voices' rate. */
    void advance (unsigned numSamples) override;

    /** Audio thread: the whole batch through Synth404::renderAdding(). */
    void renderVoicesAdding (VoiceManager::Voice* const* voices, int numVoices, float* left, float* right, int count) override;

private:
    Synth404::Sound* const sounds;
    VoiceLanes::Path lanesPath = VoiceLanes::Path::sse2;
};
