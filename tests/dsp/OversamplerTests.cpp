#include "engine/OversampledDspProcess.h"

#include <gtest/gtest.h>

#include <cmath>
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

namespace
{
/** Adds a mono tone to both channels while sounding, nothing otherwise. */
struct MonoBurstProcess : Korvalden::DSP::DspProcessBase
{
    bool sounding = false;
    double phase = 0.0;

    void prepare (int, float) override {}

    void process (juce::AudioBuffer<float>& buffer, int start, int end) override
    {
        if (! sounding)
            return;
        for (int i = start; i < end; ++i)
        {
            const auto x = (float) std::sin (phase);
            phase += 0.05;
            for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                buffer.addSample (ch, i, x);
        }
    }

    bool addsNothing() const noexcept override { return ! sounding; }
};

/** The oversampler's work done in full: every channel up, the inner
    process, every channel down. */
struct FullResampling
{
    Korvalden::DSP::ResamplerState up[2], down[2];
    MonoBurstProcess inner;
    juce::AudioBuffer<float> work { 2, 512 };

    FullResampling (float rate, float internalRate)
    {
        for (int ch = 0; ch < 2; ++ch)
        {
            up[ch] = { rate, internalRate, 0.0f, {} };
            down[ch] = { internalRate, rate, internalRate - rate, {} };
        }
    }

    void process (juce::AudioBuffer<float>& buffer, int start, int end, unsigned factor)
    {
        for (; start < end; start += 128)
        {
            const int chunk = std::min (128, end - start);
            for (int ch = 0; ch < 2; ++ch)
            {
                unsigned in = (unsigned) chunk, out = (unsigned) chunk * factor;
                Korvalden::DSP::resampleCubic (up[ch], buffer.getReadPointer (ch, start), work.getWritePointer (ch), in, out);
            }
            inner.process (work, 0, chunk * (int) factor);
            for (int ch = 0; ch < 2; ++ch)
            {
                unsigned in = (unsigned) chunk * factor, out = (unsigned) chunk;
                Korvalden::DSP::resampleCubic (down[ch], work.getReadPointer (ch), buffer.getWritePointer (ch, start), in, out);
            }
        }
    }
};
} // namespace

// Silence, a mono inner process and an idle inner process let the
// oversampler skip work: the output must stay what the full resampling
// gives, through bursts, their tails, silence and a host signal on one
// channel only.
TEST (Oversampler, skippedResamplingGivesTheFullResamplingsOutput)
{
    for (float rate : { 44100.0f, 48000.0f, 32000.0f })
    {
        Korvalden::DSP::OversampledDspProcess<MonoBurstProcess> oversampler;
        oversampler.setMinimumSampleRate (88200.0f);
        oversampler.prepare (2, rate);
        const unsigned factor = oversampler.getFactor();
        FullResampling full (rate, rate * (float) factor);

        juce::AudioBuffer<float> skipped (2, 300), reference (2, 300);
        for (int block = 0; block < 24; ++block)
        {
            skipped.clear();
            if (block >= 16 && block < 19)
                for (int i = 0; i < 300; i += 7)
                    skipped.setSample (1, i, 0.125f);
            reference.makeCopyOf (skipped);

            const bool sounding = block % 8 == 2 || block % 8 == 3;
            oversampler.getInner().sounding = full.inner.sounding = sounding;
            oversampler.process (skipped, 0, 300);
            full.process (reference, 0, 300, factor);

            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < 300; ++i)
                    ASSERT_EQ (skipped.getSample (ch, i), reference.getSample (ch, i))
                        << rate << " block " << block << " channel " << ch << " sample " << i;
        }
    }
}

// resampleSilence follows resampleCubic's phase and counts for any rates,
// room and starting phase, and writes zeros.
TEST (Resampler, silenceAdvancesPhaseAndCountsAsTheCubicResamplerDoes)
{
    struct Case { float source, target, phase; unsigned in, out; };
    const Case cases[] = {
        { 44100.0f, 88200.0f, 0.0f, 128, 256 },     // up, whole periods
        { 48000.0f, 144000.0f, 48000.0f, 100, 299 }, // up, room runs out first
        { 44100.0f, 96000.0f, 1234.5f, 77, 500 },    // up, no exact period
        { 88200.0f, 44100.0f, 44100.0f, 256, 128 },  // down, whole periods
        { 96000.0f, 48000.0f, 0.0f, 255, 200 },      // down, odd input count
        { 96000.0f, 44100.0f, 17.0f, 300, 300 },     // down, no exact period
    };
    for (const auto& c : cases)
    {
        Korvalden::DSP::ResamplerState cubic { c.source, c.target, c.phase, {} }, silent = cubic;
        std::vector<float> zeros (c.in, 0.0f), cubicOut (c.out, 1.0f), silentOut (c.out, 1.0f);
        unsigned cubicIn = c.in, cubicCount = c.out, silentIn = c.in, silentCount = c.out;
        Korvalden::DSP::resampleCubic (cubic, zeros.data(), cubicOut.data(), cubicIn, cubicCount);
        EXPECT_TRUE (Korvalden::DSP::hasSilentHistory (silent));
        Korvalden::DSP::resampleSilence (silent, silentOut.data(), silentIn, silentCount);

        SCOPED_TRACE (testing::Message() << c.source << " -> " << c.target << " from " << c.phase);
        EXPECT_EQ (silentIn, cubicIn);
        EXPECT_EQ (silentCount, cubicCount);
        EXPECT_EQ (silent.phase, cubic.phase);
        EXPECT_EQ (silentOut, cubicOut);
    }
}
