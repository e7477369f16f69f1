// Voice load at a 48 kHz host rate through the oversampler (96 kHz internal,
// filter at 384 kHz): sawtooth voices through the filter, the cutoff swept by
// the envelope (so the ladder coefficient is recomputed every sample).
// Reports nanoseconds per voice per host sample.
//
// The lanes* cases play through the engine's own voice pool and a device
// controller, the path the instrument takes, on the AVX2 path (where the
// processor has it) and on the SSE2 path.  The plain* cases render each voice
// on its own with Synth404::render, the reference implementation.  The idle
// case runs the pool after every voice has finished and reports the share of
// one core it takes in real time.  At the end the program prints the ratios
// of the reference to the lanes measured in this run (medians where the run
// has repetitions).

#include "engine/OversampledDspProcess.h"
#include "engine/SingleSoundVoiceController.h"
#include "engine/SynthVoicePool.h"
#include "tools/VoiceRenderProcess.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <map>
#include <string>

namespace
{
constexpr float hostRate = 48000.0f;
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

void setCounters (benchmark::State& state, int numVoices)
{
    const double voiceSamples = (double) std::max (1, numVoices) * blockSize;
    state.counters["ns_per_voice_sample"] = benchmark::Counter (
        voiceSamples * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    // Percent of one core: CPU time per second of audio.
    state.counters["core_percent"] = benchmark::Counter (
        blockSize / (double) hostRate * 1e-2, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

/** Renders blocks for as long as the benchmark runs, the notes started by
    startAll and started again every second so the voices are always in
    their attack (never, when restart is false). */
template <typename Process, typename StartAll>
void renderBlocks (benchmark::State& state, Process& process, StartAll&& startAll, int numVoices, bool restart = true)
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
        if (restart && samplesSinceStart >= (int) hostRate)
        {
            startAll();
            samplesSinceStart = 0;
        }
    }
    setCounters (state, numVoices);
}

/** The engine's path: the voice pool in the oversampler, notes started by a
    device's controller. */
void renderThroughPool (benchmark::State& state, int numVoices, bool sweep, VoiceLanes::Path path, bool idle = false)
{
    std::array<Synth404::Sound, SynthVoicePool::numSounds> sounds;
    Korvalden::DSP::OversampledDspProcess<SynthVoicePool> process (sounds.data());
    SingleSoundVoiceController controller (process.getInner(), sounds[0]);
    controller.setEnabled (true);
    process.setMinimumSampleRate (88200.0f);
    process.prepare (2, hostRate);
    process.getInner().setLanesPath (path);
    if (path == VoiceLanes::Path::avx2 && process.getInner().getLanesPath() != path)
        state.SkipWithError ("no AVX2 on this processor");
    process.getInner().setNumberOfVoices (16);
    for (auto& sound : sounds)
        setUpSweepSound (sound, sweep);

    auto startAll = [&] {
        process.getInner().stopAllVoices();
        for (int i = 0; i < numVoices; ++i)
            controller.noteOn (36 + 2 * i, 0.8f);
    };

    if (idle)
    {
        // Play, release and render until every voice has finished.
        startAll();
        juce::AudioBuffer<float> buffer (2, blockSize);
        for (int i = 0; i < numVoices; ++i)
            controller.noteOff (36 + 2 * i);
        for (int n = 0; n < 48000 * 20 / blockSize; ++n)
            process.process (buffer, 0, blockSize);
        renderBlocks (state, process, [] {}, 0, false);
        return;
    }
    renderBlocks (state, process, startAll, numVoices);
}

/** Every voice rendered on its own by the plain implementation. */
void renderPlain (benchmark::State& state, int numVoices, bool sweep)
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
    renderBlocks (state, process, startAll, numVoices);
}

constexpr auto avx2 = VoiceLanes::Path::avx2;
constexpr auto sse2 = VoiceLanes::Path::sse2;

void lanes16SawSweepAvx2 (benchmark::State& state)       { renderThroughPool (state, 16, true, avx2); }
void lanes16SawSweepSse2 (benchmark::State& state)       { renderThroughPool (state, 16, true, sse2); }
void plain16SawSweep (benchmark::State& state)           { renderPlain (state, 16, true); }
void lanes16SawFixedCutoffAvx2 (benchmark::State& state) { renderThroughPool (state, 16, false, avx2); }
void plain16SawFixedCutoff (benchmark::State& state)     { renderPlain (state, 16, false); }
void lanes1SawSweepAvx2 (benchmark::State& state)        { renderThroughPool (state, 1, true, avx2); }
void lanes1SawSweepSse2 (benchmark::State& state)        { renderThroughPool (state, 1, true, sse2); }
void plain1SawSweep (benchmark::State& state)            { renderPlain (state, 1, true); }
void idleAfterReleaseAvx2 (benchmark::State& state)      { renderThroughPool (state, 16, true, avx2, true); }

/** The console report, remembering each case's ns_per_voice_sample (the
    median where there are repetitions) for the ratios. */
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> perVoiceSample;

    void ReportRuns (const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns (runs);
        for (const auto& run : runs)
        {
            const bool aggregate = run.run_type == Run::RT_Aggregate;
            if (aggregate && run.aggregate_name != "median")
                continue;
            const auto found = run.counters.find ("ns_per_voice_sample");
            if (found == run.counters.end())
                continue;
            auto name = run.run_name.function_name;
            if (aggregate || perVoiceSample.count (name) == 0)
                perVoiceSample[name] = found->second.value;
        }
    }

    void printRatio (const char* reference, const char* lanes) const
    {
        const auto r = perVoiceSample.find (reference), l = perVoiceSample.find (lanes);
        if (r != perVoiceSample.end() && l != perVoiceSample.end() && l->second > 0.0)
            std::printf ("ratio %s / %s = %.2f (%.1f ns / %.1f ns per voice-sample)\n",
                         reference, lanes, r->second / l->second, r->second, l->second);
    }
};
} // namespace

BENCHMARK (lanes16SawSweepAvx2)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (lanes16SawSweepSse2)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (plain16SawSweep)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (lanes16SawFixedCutoffAvx2)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (plain16SawFixedCutoff)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (lanes1SawSweepAvx2)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (lanes1SawSweepSse2)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (plain1SawSweep)->Unit (benchmark::kMicrosecond)->MinTime (1.0);
BENCHMARK (idleAfterReleaseAvx2)->Unit (benchmark::kMicrosecond)->MinTime (1.0);

int main (int argc, char** argv)
{
    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks (&reporter);
    benchmark::Shutdown();
    reporter.printRatio ("plain16SawSweep", "lanes16SawSweepAvx2");
    reporter.printRatio ("plain16SawSweep", "lanes16SawSweepSse2");
    reporter.printRatio ("plain16SawFixedCutoff", "lanes16SawFixedCutoffAvx2");
    reporter.printRatio ("plain1SawSweep", "lanes1SawSweepAvx2");
    reporter.printRatio ("plain1SawSweep", "lanes1SawSweepSse2");
    return 0;
}
