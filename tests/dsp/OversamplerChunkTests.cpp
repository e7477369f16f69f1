// The oversampler's chunks of 128 host samples: every voice sample of every
// chunk reaches the output, the first chunk after preparing included, so an
// impulse sounds the same wherever the chunks happen to split.

#include "engine/OversampledDspProcess.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
/** Adds a unit impulse at one internal sample of the stream. */
struct ImpulseAt : Korvalden::DSP::DspProcessBase
{
    int at = -1;
    int position = 0; // internal samples processed so far

    void prepare (int, float) override { position = 0; }

    void process (juce::AudioBuffer<float>& buffer, int start, int end) override
    {
        if (at >= position && at < position + end - start)
            buffer.addSample (0, start + at - position, 1.0f);
        position += end - start;
    }
};

/** The host-rate response to an impulse at internal sample at, rendered in
    host blocks of the given size. */
std::vector<float> response (float hostRate, int at, int blockSize, int length)
{
    Korvalden::DSP::OversampledDspProcess<ImpulseAt> oversampler;
    oversampler.setMinimumSampleRate (88200.0f);
    oversampler.prepare (1, hostRate);
    oversampler.getInner().at = at;

    std::vector<float> out;
    for (int done = 0; done < length; done += blockSize)
    {
        const int n = std::min (blockSize, length - done);
        juce::AudioBuffer<float> buffer (1, n);
        buffer.clear();
        oversampler.process (buffer, 0, n);
        out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + n);
    }
    return out;
}
} // namespace

TEST (OversamplerChunks, everyVoiceSampleOfTheFirstChunkIsHeard)
{
    for (const auto& [rate, factor] : { std::pair { 48000.0f, 2 }, std::pair { 32000.0f, 3 }, std::pair { 22050.0f, 4 } })
    {
        // The last internal sample of the first chunk, and the same sample
        // one chunk later: the second response is the first, 128 samples on.
        const int lastOfFirstChunk = 128 * factor - 1;
        const auto first = response (rate, lastOfFirstChunk, 512, 1024);
        const auto later = response (rate, lastOfFirstChunk + 128 * factor, 512, 1024);

        float energy = 0.0f;
        for (int i = 0; i < 896; ++i)
        {
            ASSERT_EQ (first[(size_t) i], later[(size_t) i + 128]) << rate << " Hz, sample " << i;
            energy += first[(size_t) i] * first[(size_t) i];
        }
        EXPECT_GT (energy, 0.1f / (float) factor) << rate << " Hz: the impulse was dropped";

        // Blocks that end anywhere give the same response.
        for (int blockSize : { 1, 7, 100, 129 })
            EXPECT_EQ (response (rate, lastOfFirstChunk, blockSize, 1024), first) << rate << " Hz, blocks of " << blockSize;
    }
}
