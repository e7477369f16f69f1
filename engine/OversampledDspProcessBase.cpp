#include "engine/OversampledDspProcessBase.h"

#include <algorithm>
#include <cmath>

namespace Korvalden::DSP
{
OversampledDspProcessBase::OversampledDspProcessBase (std::unique_ptr<DspProcessBase> innerProcess)
    : inner (std::move (innerProcess)), upsamplers (2), downsamplers (2)
{
}

OversampledDspProcessBase::~OversampledDspProcessBase() = default;

void OversampledDspProcessBase::setMinimumSampleRate (float rate)
{
    if (rate == minimumRate)
        return;
    minimumRate = rate;
    if (sampleRate != 0.0f)
        prepare ((int) numChannels, sampleRate);
}

void OversampledDspProcessBase::prepare (int channels, float rate)
{
    // A rate that is not a positive number has no factor (the division gives
    // infinity or a negative number); keep the preparation we have.
    if (! (rate > 0.0f && std::isfinite (rate)))
        return;

    const unsigned newFactor = (unsigned) std::ceil (minimumRate / rate);
    const unsigned newChannels = (unsigned) std::max (0, channels);
    if (rate == sampleRate && newFactor == factor && newChannels == numChannels)
        return;

    sampleRate = rate;
    factor = newFactor;
    numChannels = newChannels;

    const float internalRate = (float) factor * rate;
    upsamplers.assign (numChannels, ResamplerState { rate, internalRate, 0.0f, {} });
    // The down-sampler starts where every chunk leaves it: its output falls
    // on the last of each group of factor inputs, so a chunk of n host
    // samples consumes all of its factor x n inputs.  Started at phase 0 the
    // first chunk would end on an output with factor - 1 inputs left over,
    // dropping them and shifting what follows by a fraction of a sample,
    // depending on where the host's first block happens to end.
    downsamplers.assign (numChannels, ResamplerState { internalRate, rate, internalRate - rate, {} });

    inner->prepare ((int) numChannels, internalRate);
    work.setSize ((int) numChannels, maxChunk * (int) factor, false, false, false);
}

void OversampledDspProcessBase::process (juce::AudioBuffer<float>& buffer, int startSample, int endSample)
{
    if (factor == 1)
    {
        inner->process (buffer, startSample, endSample);
        return;
    }

    const int channels = std::min ((int) numChannels, buffer.getNumChannels());
    while (startSample < endSample)
    {
        const int chunk = std::min (endSample - startSample, maxChunk);
        const int internalChunk = chunk * (int) factor;

        for (int ch = 0; ch < channels; ++ch)
        {
            unsigned in = (unsigned) chunk, out = (unsigned) internalChunk;
            resampleCubic (upsamplers[(size_t) ch], buffer.getReadPointer (ch, startSample),
                           work.getWritePointer (ch), in, out);
        }

        inner->process (work, 0, internalChunk);

        for (int ch = 0; ch < channels; ++ch)
        {
            unsigned in = (unsigned) internalChunk, out = (unsigned) chunk;
            resampleCubic (downsamplers[(size_t) ch], work.getReadPointer (ch),
                           buffer.getWritePointer (ch, startSample), in, out);
        }

        startSample += chunk;
    }
}
} // namespace Korvalden::DSP
