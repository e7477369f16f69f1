#include "engine/MultiSoundVoiceController.h"
#include "engine/OversampledDspProcess.h"
#include "engine/SynthVoicePool.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace
{
/** Largest absolute sample, and whether any sample is NaN, infinite or denormal. */
struct Scan
{
    float peak = 0.0f;
    bool bad = false;
};

Scan scan (const juce::AudioBuffer<float>& buffer, int start, int end)
{
    Scan result;
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (int i = start; i < end; ++i)
        {
            const float x = buffer.getSample (channel, i);
            result.bad = result.bad || ! std::isfinite (x) || std::fpclassify (x) == FP_SUBNORMAL;
            result.peak = std::max (result.peak, std::abs (x));
        }
    return result;
}
} // namespace

TEST (SynthVoicePool, SeventeenHeldNotesStealTheOldestAndTheOversampledOutputStaysClean)
{
    std::array<Synth404::Sound, 4> sounds;
    Korvalden::DSP::OversampledDspProcess<SynthVoicePool> oversampled (sounds.data());
    auto& pool = oversampled.getInner();
    MultiSoundVoiceController global (pool, sounds.data());

    oversampled.setMinimumSampleRate (88200.0f);
    oversampled.prepare (2, 44100.0f);
    pool.setNumberOfVoices (16);

    for (auto& sound : sounds)
    {
        sound.setSampleRate (44100.0f);
        sound.setAttack (0.003f);
        sound.setSustain (0.8f);
        sound.setRelease (0.2f);
        sound.setFrequency (0.6f);
        sound.setOscillatorMode (Synth404::oscillatorSaw);
    }

    juce::AudioBuffer<float> buffer (2, 4096);
    buffer.clear();

    for (int note = 40; note < 56; ++note)
        global.noteOn (note, 1.0f);

    oversampled.process (buffer, 0, 2048);
    global.noteOn (70, 1.0f);
    oversampled.process (buffer, 2048, 4096);

    EXPECT_EQ (pool.getSampleRate(), 88200.0f);
    EXPECT_EQ (global.getVoices().size(), 16u);
    EXPECT_EQ (global.getVoices().back()->note, 70);
    EXPECT_EQ (global.getVoices().back()->getState(), 1);
    EXPECT_EQ (global.getVoices().front()->note, 41);
    EXPECT_EQ (pool.getNumFreeVoices(), 0u);

    unsigned counted = 0;
    for (unsigned device = 0; device < 4; ++device)
        counted += global.getDeviceVoiceCount (device);
    EXPECT_EQ (counted, 16u);

    const auto before = scan (buffer, 0, 2048);
    const auto after = scan (buffer, 2048, 4096);
    EXPECT_FALSE (before.bad);
    EXPECT_FALSE (after.bad);
    EXPECT_GT (before.peak, 0.05f);
    EXPECT_GT (after.peak, 0.05f);

    pool.stopAllVoices();
    buffer.clear();
    oversampled.process (buffer, 0, 512);
    // Only the resampler's few samples of history remain.
    EXPECT_EQ (scan (buffer, 8, 512).peak, 0.0f);
}
