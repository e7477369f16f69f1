// Worst-case voice load: 16 sawtooth voices through the filter, the cutoff
// swept by the envelope (so the ladder coefficient is recomputed every
// sample), at a 48 kHz host rate through the oversampler (96 kHz internal,
// filter at 384 kHz).  Reports nanoseconds per voice per host sample and the
// realtime factor of one core.
//
// The voiceRender16* cases play through the engine's own voice pool and a
// device controller, the path the instrument takes.  The plain* cases render
// each voice on its own with Synth404::render (the reference implementation)
// for comparison.

#include "engine/OversampledDspProcess.h"
#include "engine/SingleSoundVoiceController.h"
#include "engine/SynthVoicePool.h"
#include "tools/VoiceRenderProcess.h"

#include <benchmark/benchmark.h>

#include <array>

namespace
{
constexpr float hostRate = 48000.0f;
constexpr int numVoices = 16;
constexpr int blockSize = 512;

void setUpSweepSound (Synth404::Sound& sound, bool sweep)
{
    VoiceRenderProcess::applyDefaults (sound, hostRate);
    sound.setFrequency (0.15f);
    sound.setEnvelope (sweep ? 0.5f : 0.0f);
    sound.setEmphasis (0.5f);
    sound.setAttack (2.0f);      // the envelope moves on every sample
    sound.setSustain (0.7f);
}

void setCounters (benchmark::State& state)
{
    const double voiceSamples = (double) numVoices * blockSize;
    state.counters["ns_per_voice_sample"] = benchmark::Counter (
        voiceSamples * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["realtime_factor"] = benchmark::Counter (
        blockSize / (double) hostRate, benchmark::Counter::kIsIterationInvariantRate);
}

/** Renders blocks for as long as the benchmark runs, the notes started by
    startAll and started again every second so the voices are always in
    their attack. */
template <typename Process, typename StartAll>
void renderBlocks (benchmark::State& state, Process& process, StartAll&& startAll)
{
    startAll();

    juce::AudioBuffer<float> buffer (2, blockSize);
    int samplesSinceStart = 0;
    for (auto _ : state)
    {
        buffer.clear();
        process.process (buffer, 0, blockSize);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        samplesSinceStart += blockSize;
        if (samplesSinceStart >= (int) hostRate)
        {
            startAll();
            samplesSinceStart = 0;
        }
    }
    setCounters (state);
}

/** The engine's path: the voice pool in the oversampler, notes started by a
    device's controller. */
void renderThroughPool (benchmark::State& state, bool sweep)
{
    std::array<Synth404::Sound, SynthVoicePool::numSounds> sounds;
    Korvalden::DSP::OversampledDspProcess<SynthVoicePool> process (sounds.data());
    SingleSoundVoiceController controller (process.getInner(), sounds[0]);
    controller.setEnabled (true);
    process.setMinimumSampleRate (88200.0f);
    process.prepare (2, hostRate);
    process.getInner().setNumberOfVoices (numVoices);
    for (auto& sound : sounds)
        setUpSweepSound (sound, sweep);

    auto startAll = [&] {
        process.getInner().stopAllVoices();
        for (int i = 0; i < numVoices; ++i)
            controller.noteOn (36 + 2 * i, 0.8f);
    };
    renderBlocks (state, process, startAll);
}

/** Every voice rendered on its own by the plain implementation. */
void renderPlain (benchmark::State& state, bool sweep)
{
    Synth404::Sound sound;
    Korvalden::DSP::OversampledDspProcess<VoiceRenderProcess> process (sound, numVoices);
    process.setMinimumSampleRate (88200.0f);
    process.prepare (2, hostRate);
    setUpSweepSound (sound, sweep);

    auto& voices = process.getInner();
    auto startAll = [&] {
        for (int i = 0; i < numVoices; ++i)
            voices.startVoice (i, 36 + 2 * i, 0.8f);
    };
    renderBlocks (state, process, startAll);
}

void voiceRender16SawSweep (benchmark::State& state) { renderThroughPool (state, true); }
void voiceRender16SawFixedCutoff (benchmark::State& state) { renderThroughPool (state, false); }
void plainVoiceRender16SawSweep (benchmark::State& state) { renderPlain (state, true); }
void plainVoiceRender16SawFixedCutoff (benchmark::State& state) { renderPlain (state, false); }
} // namespace

BENCHMARK (voiceRender16SawFixedCutoff)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (voiceRender16SawSweep)->Unit (benchmark::kMicrosecond)->MinTime (2.0);
BENCHMARK (plainVoiceRender16SawFixedCutoff)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (plainVoiceRender16SawSweep)->Unit (benchmark::kMicrosecond)->MinTime (2.0);

BENCHMARK_MAIN();
