#include "engine/OversampledDspProcessBase.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

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

namespace
{
/** Every sample is zero (either sign). */
bool isSilent (const float* samples, int count) noexcept
{
    uint32_t bits = 0;
    for (int i = 0; i < count; ++i)
    {
        uint32_t u;
        std::memcpy (&u, samples + i, sizeof (u));
        bits |= u << 1;
    }
    return bits == 0;
}

bool sameBits (const void* a, const void* b, size_t size) noexcept
{
    return std::memcmp (a, b, size) == 0;
}

bool sameState (const ResamplerState& a, const ResamplerState& b) noexcept
{
    return sameBits (&a.phase, &b.phase, sizeof (a.phase)) && sameBits (a.history.data(), b.history.data(), sizeof (a.history));
}
} // namespace

void OversampledDspProcessBase::process (juce::AudioBuffer<float>& buffer, int startSample, int endSample)
{
    if (factor == 1)
    {
        inner->process (buffer, startSample, endSample);
        return;
    }

    // Work the resampling skips, with the same output and states: up-sampling
    // silence from a silent history (the host hands a cleared buffer to an
    // instrument); the whole round trip while the inner process adds nothing
    // to silence; down-sampling a channel identical to channel 0 from the
    // same state (every voice is mono).
    const int channels = std::min ((int) numChannels, buffer.getNumChannels());
    while (startSample < endSample)
    {
        const int chunk = std::min (endSample - startSample, maxChunk);
        const int internalChunk = chunk * (int) factor;

        bool inputSilent[maxChannelsSkipped] {};
        bool allSilent = true;
        for (int ch = 0; ch < channels; ++ch)
        {
            const bool silent = hasSilentHistory (upsamplers[(size_t) ch])
                             && isSilent (buffer.getReadPointer (ch, startSample), chunk);
            if (ch < maxChannelsSkipped)
                inputSilent[ch] = silent;
            allSilent = allSilent && silent && hasSilentHistory (downsamplers[(size_t) ch]);
        }
        const bool bypass = allSilent && inner->addsNothing();

        for (int ch = 0; ch < channels; ++ch)
        {
            unsigned in = (unsigned) chunk, out = (unsigned) internalChunk;
            if (ch < maxChannelsSkipped && inputSilent[ch])
                resampleSilence (upsamplers[(size_t) ch], bypass ? nullptr : work.getWritePointer (ch), in, out);
            else
                resampleCubic (upsamplers[(size_t) ch], buffer.getReadPointer (ch, startSample),
                               work.getWritePointer (ch), in, out);
        }

        inner->process (work, 0, internalChunk);

        const ResamplerState firstBefore = channels > 0 ? downsamplers[0] : ResamplerState {};
        for (int ch = 0; ch < channels; ++ch)
        {
            auto& state = downsamplers[(size_t) ch];
            float* output = buffer.getWritePointer (ch, startSample);
            unsigned in = (unsigned) internalChunk, out = (unsigned) chunk;

            if (bypass)
            {
                resampleSilence (state, nullptr, in, out); // the host range is silent already
            }
            else if (ch > 0 && sameState (state, firstBefore)
                     && sameBits (work.getReadPointer (ch), work.getReadPointer (0), sizeof (float) * (size_t) internalChunk))
            {
                std::copy (buffer.getReadPointer (0, startSample), buffer.getReadPointer (0, startSample) + chunk, output);
                state = downsamplers[0];
            }
            else if (hasSilentHistory (state) && isSilent (work.getReadPointer (ch), internalChunk))
            {
                resampleSilence (state, output, in, out);
            }
            else
            {
                resampleCubic (state, work.getReadPointer (ch), output, in, out);
            }
        }

        startSample += chunk;
    }
}
} // namespace Korvalden::DSP
