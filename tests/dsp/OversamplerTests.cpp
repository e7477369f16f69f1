#include "engine/OversampledDspProcess.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace
{
/** Records its calls and adds nothing (or a constant when asked). */
struct RecordingProcess : Korvalden::DSP::DspProcessBase
{
    std::vector<int> ranges;
    std::vector<const juce::AudioBuffer<float>*> buffers;
    float preparedRate = 0.0f;
    int prepareCalls = 0;

    void prepare (int, float rate) override
    {
        preparedRate = rate;
        ++prepareCalls;
    }

    void process (juce::AudioBuffer<float>& buffer, int start, int end) override
    {
        ranges.push_back (end - start);
        buffers.push_back (&buffer);
    }
};

using Oversampler = Korvalden::DSP::OversampledDspProcess<RecordingProcess>;

std::unique_ptr<Oversampler> makeOversampler (float hostRate)
{
    auto oversampler = std::make_unique<Oversampler>();
    oversampler->setMinimumSampleRate (88200.0f);
    oversampler->prepare (2, hostRate);
    return oversampler;
}
} // namespace

TEST (Oversampler, factorIsTheSmallestMultipleReachingTheMinimumRate)
{
    const std::pair<float, unsigned> cases[] = {
        { 44100.0f, 2 }, { 48000.0f, 2 }, { 88200.0f, 1 }, { 96000.0f, 1 },
        { 192000.0f, 1 }, { 32000.0f, 3 }, { 22050.0f, 4 },
    };
    for (const auto& [rate, factor] : cases)
    {
        auto oversampler = makeOversampler (rate);
        EXPECT_EQ (oversampler->getFactor(), factor) << rate;
        EXPECT_FLOAT_EQ (oversampler->getInner().preparedRate, rate * (float) factor) << rate;
    }
}

TEST (Oversampler, unpreparedAndHighRatesHandTheHostBufferStraightThrough)
{
    Oversampler fresh;
    juce::AudioBuffer<float> buffer (2, 300);
    fresh.process (buffer, 10, 300);
    ASSERT_EQ (fresh.getInner().ranges, std::vector<int> ({ 290 }));
    EXPECT_EQ (fresh.getInner().buffers[0], &buffer);

    auto high = makeOversampler (96000.0f);
    high->process (buffer, 0, 300);
    ASSERT_EQ (high->getInner().ranges, std::vector<int> ({ 300 }));
    EXPECT_EQ (high->getInner().buffers[0], &buffer);
}

TEST (Oversampler, worksInChunksOf128HostSamples)
{
    auto oversampler = makeOversampler (44100.0f);
    juce::AudioBuffer<float> buffer (2, 300);
    buffer.clear();
    oversampler->process (buffer, 0, 300);
    EXPECT_EQ (oversampler->getInner().ranges, std::vector<int> ({ 256, 256, 88 }));

    oversampler->getInner().ranges.clear();
    oversampler->process (buffer, 50, 50);
    EXPECT_TRUE (oversampler->getInner().ranges.empty());
}

TEST (Oversampler, unchangedPrepareKeepsStateAndNewRatePreparesTheInnerAgain)
{
    auto oversampler = makeOversampler (48000.0f);
    const int calls = oversampler->getInner().prepareCalls;
    oversampler->prepare (2, 48000.0f);
    EXPECT_EQ (oversampler->getInner().prepareCalls, calls);
    oversampler->prepare (2, 44100.0f);
    EXPECT_EQ (oversampler->getInner().prepareCalls, calls + 1);
}

TEST (Oversampler, aRateThatIsNotPositiveLeavesThePreparationAsItWas)
{
    auto oversampler = makeOversampler (44100.0f);
    const int calls = oversampler->getInner().prepareCalls;
    for (float rate : { 0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity() })
    {
        oversampler->prepare (2, rate);
        EXPECT_EQ (oversampler->getFactor(), 2u) << rate;
    }
    EXPECT_EQ (oversampler->getInner().prepareCalls, calls);
    EXPECT_FLOAT_EQ (oversampler->getInner().preparedRate, 88200.0f);

    juce::AudioBuffer<float> buffer (2, 300);
    buffer.clear();
    oversampler->process (buffer, 0, 300);
    EXPECT_EQ (oversampler->getInner().ranges, std::vector<int> ({ 256, 256, 88 }));
}

TEST (Oversampler, silenceInGivesExactSilenceOut)
{
    for (float rate : { 44100.0f, 32000.0f, 22050.0f })
    {
        auto oversampler = makeOversampler (rate);
        juce::AudioBuffer<float> buffer (2, 1000);
        buffer.clear();
        oversampler->process (buffer, 0, 1000);
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 1000; ++i)
                ASSERT_EQ (buffer.getSample (ch, i), 0.0f) << rate << " " << ch << " " << i;
    }
}

TEST (Oversampler, constantPassesUpAndDownWithUnityGain)
{
    for (float rate : { 44100.0f, 48000.0f, 32000.0f, 22050.0f })
    {
        auto oversampler = makeOversampler (rate);
        juce::AudioBuffer<float> buffer (2, 1000);
        for (int ch = 0; ch < 2; ++ch)
            juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), 0.25f, 1000);
        oversampler->process (buffer, 0, 1000);
        for (int i = 8; i < 1000; ++i)
            ASSERT_NEAR (buffer.getSample (1, i), 0.25f, 1e-6) << rate << " " << i;
    }
}

TEST (Resampler, upByTwoInterpolatesAtWholeAndHalfPositionsOneSampleLate)
{
    Korvalden::DSP::ResamplerState state { 44100.0f, 88200.0f, 0.0f, {} };
    const float input[] = { 0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f };
    float output[12] = {};
    unsigned in = 6, out = 12;
    Korvalden::DSP::resampleCubic (state, input, output, in, out);
    EXPECT_EQ (in, 6u);
    EXPECT_EQ (out, 12u);
    // From the third input on, a ramp is reproduced exactly, delayed by one
    // input sample plus the interpolation: output 2m at t = 0 is input m - 2.
    for (int m = 3; m < 6; ++m)
    {
        EXPECT_FLOAT_EQ (output[2 * m], (float) (m - 2));
        EXPECT_FLOAT_EQ (output[2 * m + 1], (float) (m - 2) + 0.5f);
    }
}

TEST (Resampler, stopsAtTheRoomGivenAndReportsTheCounts)
{
    Korvalden::DSP::ResamplerState state { 44100.0f, 88200.0f, 0.0f, {} };
    const float input[4] = { 1.0f, 1.0f, 1.0f, 1.0f };
    float output[5] = {};
    unsigned in = 4, out = 5;
    Korvalden::DSP::resampleCubic (state, input, output, in, out);
    EXPECT_EQ (out, 5u);
    EXPECT_EQ (in, 2u);
}
