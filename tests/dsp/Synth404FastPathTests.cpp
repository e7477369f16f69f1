#include "engine/LadderFilter.h"
#include "engine/Synth404.h"
#include "tools/VoiceRenderProcess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace
{
/** A Sound and its voices, all started, with every oscillator and modulation
    mode in use across the voices' Sounds. */
struct VoiceSet
{
    Synth404::Sound sound;
    std::vector<std::unique_ptr<Synth404>> voices;
    std::atomic<float> bend { 0.0f };

    VoiceSet (int numVoices, Synth404::tOscillatorMode mode, Synth404::tOscillatorModulationMode modulation)
    {
        constexpr float hostRate = 44100.0f;
        VoiceRenderProcess::applyDefaults (sound, hostRate);
        sound.setOscillatorMode (mode);
        sound.setOscillatorModulationMode (modulation);
        sound.setFrequency (0.6f);
        sound.setEnvelope (0.6f);
        sound.setEmphasis (0.7f);
        sound.setLfo1Level (0.4f);
        sound.setLfo1Time (6.0f);
        sound.setLfo2Level (0.2f);
        sound.setLfo2Time (3.0f);
        sound.setTracking (Synth404::trackingFull);
        sound.setDrive (0.3f);
        sound.setAttack (0.004f);

        for (int i = 0; i < numVoices; ++i)
        {
            auto voice = std::make_unique<Synth404>();
            voice->setSampleRate (2.0f * hostRate);
            voice->setSound (&sound);
            voice->startNote (true, &bend, 0.2f + 0.04f * (float) i);
            voice->setPlayedNote (28 + 5 * i);
            voice->setPitch (voice->getTune() + 28 + 5 * i);
            voices.push_back (std::move (voice));
        }
    }

    /** The events of the render: a ramped parameter change, a bend and a
        release while voices play. */
    void applyEvent (int chunkIndex)
    {
        if (chunkIndex == 3)
            sound.setEmphasis (0.95f);
        if (chunkIndex == 5)
            bend = 0.6f;
        if (chunkIndex == 7)
            voices[1]->release (false);
    }
};

/** SSE2 always, AVX2 where the processor has it. */
std::vector<VoiceLanes::Path> lanePathsToTest()
{
    std::vector<VoiceLanes::Path> paths { VoiceLanes::Path::sse2 };
    if (voiceLanesAvx2Available())
        paths.push_back (VoiceLanes::Path::avx2);
    return paths;
}

const int chunkSizes[] = { 512, 37, 300, 1, 64, 512, 129, 200, 16, 333 };

/** Each voice rendered by render() and added in turn, as the pool did. */
std::vector<float> renderPlain (VoiceSet& set)
{
    std::vector<float> out;
    std::vector<float> scratch (512);
    int chunkIndex = 0;
    for (int size : chunkSizes)
    {
        set.applyEvent (chunkIndex++);
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
    return out;
}

std::vector<float> renderTogether (VoiceSet& set, std::vector<float>& right, VoiceLanes::Path path)
{
    std::vector<float> out;
    std::vector<Synth404*> pointers;
    for (auto& voice : set.voices)
        pointers.push_back (voice.get());
    int chunkIndex = 0;
    for (int size : chunkSizes)
    {
        set.applyEvent (chunkIndex++);
        std::vector<float> left ((size_t) size, 0.0f), r ((size_t) size, 0.25f);
        Synth404::renderAdding (pointers.data(), (int) pointers.size(), left.data(), r.data(), size, path);
        set.sound.advanceLfos ((unsigned) size);
        out.insert (out.end(), left.begin(), left.end());
        for (float x : r)
            right.push_back (x - 0.25f);
    }
    return out;
}
} // namespace

// The SIMD path must give the plain implementation's samples exactly: every
// lane runs the same correctly rounded operations in the same order.  Voice
// counts cover a partly used register (3, 7), full registers (16) and more
// than one batch (19); the modes cover all three oscillators, FM and PWM.
TEST (Synth404FastPath, renderingVoicesTogetherGivesThePlainRenderSampleForSample)
{
    struct Case { int voices; Synth404::tOscillatorMode mode; Synth404::tOscillatorModulationMode modulation; };
    const Case cases[] = {
        { 3, Synth404::oscillatorSaw, Synth404::modulationFM },
        { 7, Synth404::oscillatorPulse, Synth404::modulationPWM },
        { 16, Synth404::oscillatorSaw, Synth404::modulationOff },
        { 19, Synth404::oscillatorNoise, Synth404::modulationFM },
    };

    for (const auto path : lanePathsToTest())
    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "path " << (int) path << ", voices " << c.voices);
        VoiceSet plainSet (c.voices, c.mode, c.modulation);
        VoiceSet togetherSet (c.voices, c.mode, c.modulation);

        const auto plain = renderPlain (plainSet);
        std::vector<float> right;
        const auto together = renderTogether (togetherSet, right, path);

        ASSERT_EQ (plain.size(), together.size());
        double peak = 0.0;
        size_t firstDifference = plain.size();
        for (size_t i = 0; i < plain.size(); ++i)
        {
            peak = std::max (peak, (double) std::fabs (plain[i]));
            if (firstDifference == plain.size() && plain[i] != together[i])
                firstDifference = i;
        }
        EXPECT_GT (peak, 0.02) << "the voices must sound for the comparison to mean anything";
        EXPECT_EQ (firstDifference, plain.size()) << "plain " << plain[std::min (firstDifference, plain.size() - 1)]
                                                  << " together " << together[std::min (firstDifference, plain.size() - 1)];

        // The right channel started at 0.25: the voices were added to it, not written.
        for (size_t i = 0; i < plain.size(); i += 97)
            EXPECT_NEAR (right[i], plain[i], 1e-7f);

        for (size_t v = 0; v < plainSet.voices.size(); ++v)
        {
            EXPECT_EQ (plainSet.voices[v]->getOutputFollower(), togetherSet.voices[v]->getOutputFollower());
            EXPECT_EQ (plainSet.voices[v]->getLevel(), togetherSet.voices[v]->getLevel());
            EXPECT_EQ (plainSet.voices[v]->getState(), togetherSet.voices[v]->getState());
        }
    }
}

// The ladder coefficient's tan: within one unit in the last place of the
// exact tangent over every angle the filter can use (pi x 16 kHz over four
// times any voice rate from 20 kHz up lies below pi / 4), the same as the
// exact function beyond, and odd.
TEST (Synth404FastPath, ladderTanAgreesWithTheExactTangentToSinglePrecision)
{
    double worstUlps = 0.0;
    auto check = [&] (float x)
    {
        const double exact = std::tan ((double) x);
        const float fast = LadderFilter::tanOfAngle (x);
        const float exactFloat = (float) exact;
        const double ulp = (double) std::nextafter (std::fabs (exactFloat), std::numeric_limits<float>::infinity())
                         - (double) std::fabs (exactFloat);
        worstUlps = std::max (worstUlps, std::fabs ((double) fast - exact) / ulp);
    };

    const float quarterPi = 0.785398163f;
    for (int i = 1; i <= 400000; ++i)
        check (quarterPi * (float) i / 400000.0f);
    for (float x = 1e-6f; x < quarterPi; x *= 1.0001f)
        check (x);
    EXPECT_LT (worstUlps, 1.0);

    EXPECT_EQ (LadderFilter::tanOfAngle (0.0f), 0.0f);
    EXPECT_EQ (LadderFilter::tanOfAngle (-0.1f), -LadderFilter::tanOfAngle (0.1f));
    EXPECT_EQ (LadderFilter::tanOfAngle (1.2f), std::tan (1.2f));
    EXPECT_EQ (LadderFilter::tanOfAngle (-1.5f), std::tan (-1.5f));
}
