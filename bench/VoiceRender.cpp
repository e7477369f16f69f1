// Worst-case voice load: 16 sawtooth voices through the filter, the cutoff
// swept by the envelope (so the ladder coefficient is recomputed every
// sample), at a 48 kHz host rate through the oversampler (96 kHz internal,
// filter at 384 kHz).  Reports nanoseconds per voice per host sample and the
// realtime factor of one core.

#include "engine/OversampledDspProcess.h"
#include "tools/VoiceRenderProcess.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr float hostRate = 48000.0f;
constexpr int numVoices = 16;
constexpr int blockSize = 512;

void setUpSweepSound (Synth404::Sound& sound)
{
    VoiceRenderProcess::applyDefaults (sound, hostRate);
    sound.setFrequency (0.15f);
    sound.setEnvelope (0.5f);
    sound.setEmphasis (0.5f);
    sound.setAttack (2.0f);      // the envelope moves on every sample
    sound.setSustain (0.7f);
}

void renderSixteenVoices (benchmark::State& state, bool sweep)
{
    Synth404::Sound sound;
    Korvalden::DSP::OversampledDspProcess<VoiceRenderProcess> process (sound, numVoices);
    process.setMinimumSampleRate (88200.0f);
    process.prepare (2, hostRate);
    setUpSweepSound (sound);
    if (! sweep)
        sound.setEnvelope (0.0f);

    auto& voices = process.getInner();
    auto startAll = [&] {
        for (int i = 0; i < numVoices; ++i)
            voices.startVoice (i, 36 + 2 * i, 0.8f);
    };
    startAll();

    juce::AudioBuffer<float> buffer (2, blockSize);
    int samplesSinceStart = 0;
    for (auto _ : state)
    {
        buffer.clear();
        process.process (buffer, 0, blockSize);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        samplesSinceStart += blockSize;
        if (samplesSinceStart >= (int) hostRate)  // retrigger every second: always in attack
        {
            startAll();
            samplesSinceStart = 0;
        }
    }

    const double voiceSamples = (double) numVoices * blockSize;
    state.counters["ns_per_voice_sample"] = benchmark::Counter (
        voiceSamples * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["realtime_factor"] = benchmark::Counter (
        blockSize / (double) hostRate, benchmark::Counter::kIsIterationInvariantRate);
}

void voiceRender16SawSweep (benchmark::State& state) { renderSixteenVoices (state, true); }
void voiceRender16SawFixedCutoff (benchmark::State& state) { renderSixteenVoices (state, false); }
} // namespace

BENCHMARK (voiceRender16SawFixedCutoff)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (voiceRender16SawSweep)->Unit (benchmark::kMicrosecond)->MinTime (2.0);

BENCHMARK_MAIN();
