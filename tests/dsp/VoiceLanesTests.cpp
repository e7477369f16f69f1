#include "engine/Synth404.h"
#include "engine/VoiceLanes.h"
#include "tools/VoiceRenderProcess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Path = VoiceLanes::Path;

struct Kernel
{
    Path path;
    const char* name;
    void (*exp2) (const float*, float*) noexcept;
    void (*oscillatorHz) (const double*, float*) noexcept;
};

/** SSE2 always, AVX2 where the processor has it. */
std::vector<Kernel> kernelsToTest()
{
    std::vector<Kernel> kernels { { Path::sse2, "SSE2", &exp2VoiceLanesSse2, &oscillatorHzVoiceLanesSse2 } };
    if (voiceLanesAvx2Available())
        kernels.push_back ({ Path::avx2, "AVX2", &exp2VoiceLanesAvx2, &oscillatorHzVoiceLanesAvx2 });
    return kernels;
}

/** Voices on one Sound; what happens between chunks is the scene's. */
struct Scene
{
    const char* name;
    int numVoices;
    std::function<void (Synth404::Sound&)> configure;
    /** Called before chunk i with the voices and the bend they read. */
    std::function<void (int, Synth404::Sound&, std::vector<std::unique_ptr<Synth404>>&, std::atomic<float>&)> event;
    /** Glide, FM or bend move the oscillator pitch, whose exp2 the lanes
        approximate (within a unit in the last place of the frequency). */
    bool pitchMoves;
};

struct Voices
{
    Synth404::Sound sound;
    std::vector<std::unique_ptr<Synth404>> voices;
    std::atomic<float> bend { 0.0f };

    explicit Voices (const Scene& scene)
    {
        constexpr float hostRate = 48000.0f;
        VoiceRenderProcess::applyDefaults (sound, hostRate);
        sound.setFrequency (0.45f);
        sound.setEnvelope (0.5f);
        sound.setEmphasis (0.6f);
        sound.setLfo1Time (5.0f);
        sound.setLfo2Time (2.5f);
        sound.setAttack (0.003f);
        scene.configure (sound);

        for (int i = 0; i < scene.numVoices; ++i)
        {
            auto voice = std::make_unique<Synth404>();
            voice->setSampleRate (2.0f * hostRate);
            voice->setSound (&sound);
            voice->startNote (true, &bend, 0.3f + 0.04f * (float) (i % 16));
            voice->setPlayedNote (30 + 3 * i);
            voice->setPitch (voice->getTune() + 30 + 3 * i);
            voices.push_back (std::move (voice));
        }
    }
};

/** What the next render starts from, after the samples. */
void appendEndStates (const Voices& set, std::vector<float>& out)
{
    for (auto& voice : set.voices)
    {
        out.push_back (voice->getLevel());
        out.push_back ((float) voice->getPitch());
        out.push_back (voice->getOutputFollower());
        out.push_back ((float) voice->getState());
    }
}

const int chunkSizes[] = { 512, 37, 300, 1, 64, 600, 129, 200, 16, 333, 512, 512 };

std::vector<float> renderPlain (const Scene& scene)
{
    Voices set (scene);
    std::vector<float> out, scratch (600);
    for (int chunk = 0; chunk < (int) std::size (chunkSizes); ++chunk)
    {
        const int size = chunkSizes[chunk];
        scene.event (chunk, set.sound, set.voices, set.bend);
        std::vector<float> mix ((size_t) size, 0.0f);
        for (auto& voice : set.voices)
        {
            voice->render (scratch.data(), size);
            for (int n = 0; n < size; ++n)
                mix[(size_t) n] += scratch[(size_t) n];
        }
        set.sound.advanceLfos ((unsigned) size);
        out.insert (out.end(), mix.begin(), mix.end());
    }
    appendEndStates (set, out);
    return out;
}

/** The left channel starts silent, the right one at 0.25 (renderAdding
    adds to both); right holds the right channel less 0.25. */
std::vector<float> renderInLanes (const Scene& scene, Path path, std::vector<float>& right)
{
    Voices set (scene);
    std::vector<Synth404*> pointers;
    for (auto& voice : set.voices)
        pointers.push_back (voice.get());
    std::vector<float> out;
    for (int chunk = 0; chunk < (int) std::size (chunkSizes); ++chunk)
    {
        const int size = chunkSizes[chunk];
        scene.event (chunk, set.sound, set.voices, set.bend);
        std::vector<float> left ((size_t) size, 0.0f), r ((size_t) size, 0.25f);
        Synth404::renderAdding (pointers.data(), (int) pointers.size(), left.data(), r.data(), size, path);
        set.sound.advanceLfos ((unsigned) size);
        out.insert (out.end(), left.begin(), left.end());
        for (float x : r)
            right.push_back (x - 0.25f);
    }
    appendEndStates (set, out);
    return out;
}

void noEvents (int, Synth404::Sound&, std::vector<std::unique_ptr<Synth404>>&, std::atomic<float>&) {}

std::vector<Scene> scenes()
{
    using Voice = std::vector<std::unique_ptr<Synth404>>;
    return {
        { "two saws, fixed cutoff", 2,
          [] (Synth404::Sound& s) { s.setEnvelope (0.0f); }, noEvents, false },
        { "pulse under PWM from LFO 1, half tracking", 9,
          [] (Synth404::Sound& s) {
              s.setOscillatorMode (Synth404::oscillatorPulse);
              s.setOscillatorModulationMode (Synth404::modulationPWM);
              s.setPulseWidth (0.3f);
              s.setLfo1Level (0.7f);
              s.setTracking (Synth404::trackingHalf);
          }, noEvents, false },
        { "noise swept by LFO 2, emphasis ramped while playing", 8,
          [] (Synth404::Sound& s) {
              s.setOscillatorMode (Synth404::oscillatorNoise);
              s.setLfo2Level (0.6f);
          },
          [] (int chunk, Synth404::Sound& s, Voice&, std::atomic<float>&) {
              if (chunk == 2)
                  s.setEmphasis (0.98f);
              if (chunk == 8)
                  s.setEmphasis (0.02f);
          }, false },
        { "oscillator switched from saw to pulse to off, drive and accent", 16,
          [] (Synth404::Sound& s) {
              s.setDrive (0.8f);
              s.setAccent (0.9f);
          },
          [] (int chunk, Synth404::Sound& s, Voice&, std::atomic<float>&) {
              if (chunk == 3)
                  s.setOscillatorMode (Synth404::oscillatorPulse);
              if (chunk == 7)
                  s.setOscillatorMode (Synth404::oscillatorOff);
          }, false },
        { "attack into decay and sustain, release and fast release", 6,
          [] (Synth404::Sound& s) {
              s.setAttack (0.002f);
              s.setDecay (0.2f);
              s.setSustain (0.4f);
              s.setRelease (0.05f);
          },
          [] (int chunk, Synth404::Sound&, Voice& v, std::atomic<float>&) {
              if (chunk == 5)
                  v[1]->release (false);
              if (chunk == 6)
                  v[4]->release (true);
          }, false },
        { "one voice with both LFOs, chunks beyond 512", 1,
          [] (Synth404::Sound& s) {
              s.setOscillatorMode (Synth404::oscillatorPulse);
              s.setLfo1Level (0.5f);
              s.setLfo2Level (0.5f);
          }, noEvents, false },
        { "glide to a legato note, full tracking", 5,
          [] (Synth404::Sound& s) {
              s.setGlide (0.05f);
              s.setTracking (Synth404::trackingFull);
          },
          [] (int chunk, Synth404::Sound&, Voice& v, std::atomic<float>& bend) {
              if (chunk == 2)
                  for (auto& voice : v)
                  {
                      voice->setPlayedNote (voice->getPlayedNote() + 19.0);
                      voice->startNote (false, &bend, 0.5f);
                  }
          }, true },
        { "FM from LFO 1 with a bend and a tune change, two batches", 19,
          [] (Synth404::Sound& s) {
              s.setOscillatorModulationMode (Synth404::modulationFM);
              s.setLfo1Level (0.3f);
          },
          [] (int chunk, Synth404::Sound& s, Voice&, std::atomic<float>& bend) {
              if (chunk == 4)
                  bend = -0.7f;
              if (chunk == 6)
                  s.setTune (-3.5f);
          }, true },
    };
}
} // namespace

// Every voice feature rendered in lanes gives the reference's samples and
// end states on every path: to the bit, except where the oscillator pitch
// moves, whose exp2 the lanes approximate; there within 1e-5 of the peak.
TEST (VoiceLanes, everyVoiceFeatureRendersAsTheReferenceOnEveryPath)
{
    for (const auto& kernel : kernelsToTest())
    {
        for (const auto& scene : scenes())
        {
            SCOPED_TRACE (testing::Message() << kernel.name << ": " << scene.name);
            const auto reference = renderPlain (scene);
            std::vector<float> right;
            const auto lanes = renderInLanes (scene, kernel.path, right);
            ASSERT_EQ (reference.size(), lanes.size());
            for (size_t i = 0; i < right.size(); i += 97)
                EXPECT_NEAR (right[i], lanes[i], 1e-6f) << "the right channel gets the same voices, added";

            double peak = 0.0, worst = 0.0;
            size_t firstDifference = reference.size();
            for (size_t i = 0; i < reference.size(); ++i)
            {
                peak = std::max (peak, (double) std::fabs (reference[i]));
                worst = std::max (worst, (double) std::fabs (reference[i] - lanes[i]));
                if (firstDifference == reference.size() && reference[i] != lanes[i])
                    firstDifference = i;
            }
            EXPECT_GT (peak, 0.01) << "the voices must sound for the comparison to mean anything";
            if (scene.pitchMoves)
                EXPECT_LE (worst, 1e-5 * peak);
            else
                EXPECT_EQ (firstDifference, reference.size()) << "reference " << reference[std::min (firstDifference, reference.size() - 1)]
                                                              << ", lanes " << lanes[std::min (firstDifference, lanes.size() - 1)];
        }
    }
}

// The cutoff's exp2f in lanes is the C library's to the bit over every float
// that reaches it (every 61st bit pattern from -151 to 129, where the result
// goes from zero to infinity) and at the special values, NaN excepted.
TEST (VoiceLanes, cutoffExp2IsTheLibraryExp2fForEveryInput)
{
    std::vector<float> inputs { 0.0f, -0.0f, 1.0f, -1.0f, 127.99999f, 128.0f, -126.0f, -149.0f, -150.0f, -151.0f,
                                1e-30f, -1e-30f, std::numeric_limits<float>::denorm_min(),
                                std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                                std::numeric_limits<float>::quiet_NaN(), 1e30f, -1e30f };
    auto addRange = [&] (uint32_t from, uint32_t to)
    {
        for (uint64_t bits = from; bits <= to; bits += 61)
        {
            float x;
            const auto b = (uint32_t) bits;
            std::memcpy (&x, &b, sizeof (x));
            inputs.push_back (x);
        }
    };
    addRange (0x00000000u, 0x43010000u); // 0 .. 129
    addRange (0x80000000u, 0xc3170000u); // -0 .. -151
    while (inputs.size() % 8 != 0)
        inputs.push_back (0.5f);

    for (const auto& kernel : kernelsToTest())
    {
        SCOPED_TRACE (kernel.name);
        alignas (32) float in[8], out[8];
        size_t mismatches = 0;
        for (size_t i = 0; i < inputs.size(); i += 8)
        {
            std::copy (inputs.begin() + (long) i, inputs.begin() + (long) i + 8, in);
            kernel.exp2 (in, out);
            for (int j = 0; j < 8; ++j)
            {
                const float expected = std::exp2 (in[j]);
                // NaN gives infinity: the cutoff's limit makes both 16 kHz.
                const bool same = std::isnan (expected) ? out[j] == std::numeric_limits<float>::infinity()
                                                        : std::memcmp (&expected, &out[j], sizeof (float)) == 0;
                if (! same && mismatches++ < 5)
                    ADD_FAILURE() << "exp2 (" << in[j] << ") = " << out[j] << ", library " << expected;
            }
        }
        EXPECT_EQ (mismatches, 0u) << "of " << inputs.size();
    }
}

// The oscillator frequency in lanes (exp2 in double precision, rounded to
// float) is within one unit in the last place of the voice's own over the
// whole range the lanes compute (+-12000 semitones around 69), and the same
// float nearly always.
TEST (VoiceLanes, oscillatorFrequencyIsWithinAUnitInTheLastPlaceOfTheReference)
{
    std::vector<double> pitches;
    for (double p = -11930.0; p <= 12069.0; p += 0.0917)
        pitches.push_back (p);
    for (double p = -40.0; p <= 200.0; p += 0.00097)
        pitches.push_back (p);
    while (pitches.size() % 8 != 0)
        pitches.push_back (69.0);

    for (const auto& kernel : kernelsToTest())
    {
        SCOPED_TRACE (kernel.name);
        alignas (32) double in[8];
        alignas (32) float out[8];
        size_t differing = 0;
        double worstUlps = 0.0;
        for (size_t i = 0; i < pitches.size(); i += 8)
        {
            std::copy (pitches.begin() + (long) i, pitches.begin() + (long) i + 8, in);
            kernel.oscillatorHz (in, out);
            for (int j = 0; j < 8; ++j)
            {
                const auto expected = (float) (440.0 * std::exp2 ((in[j] - 69.0) / 12.0));
                if (expected == out[j])
                    continue;
                ++differing;
                const double ulp = (double) std::nextafter (expected, std::numeric_limits<float>::infinity()) - (double) expected;
                worstUlps = std::max (worstUlps, std::fabs ((double) out[j] - (double) expected) / ulp);
            }
        }
        EXPECT_LE (worstUlps, 1.0);
        EXPECT_LE (differing, pitches.size() / 100000) << differing << " of " << pitches.size() << " differ";
    }
}

// The path is AVX2 where the processor has it; KEST_VOICE_LANES chooses SSE2,
// and AVX2 only where it runs.
TEST (VoiceLanes, pathIsTheBestAvailableUnlessTheEnvironmentNamesOne)
{
    const char* before = std::getenv ("KEST_VOICE_LANES");
    const std::string saved = before != nullptr ? before : "";
    const auto best = voiceLanesAvx2Available() ? Path::avx2 : Path::sse2;

    unsetenv ("KEST_VOICE_LANES");
    EXPECT_EQ (chooseVoiceLanesPath(), best);
    setenv ("KEST_VOICE_LANES", "sse2", 1);
    EXPECT_EQ (chooseVoiceLanesPath(), Path::sse2);
    setenv ("KEST_VOICE_LANES", "avx2", 1);
    EXPECT_EQ (chooseVoiceLanesPath(), best);
    setenv ("KEST_VOICE_LANES", "something else", 1);
    EXPECT_EQ (chooseVoiceLanesPath(), best);

    if (before != nullptr)
        setenv ("KEST_VOICE_LANES", saved.c_str(), 1);
    else
        unsetenv ("KEST_VOICE_LANES");
}
