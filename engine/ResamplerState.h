#pragma once

#include <array>

namespace Korvalden::DSP
{
/** One channel's state of the cubic (Catmull-Rom) resampler in one direction.

    Up (targetRate > sourceRate): every output sample interpolates the four
    newest input samples at t = phase / targetRate; an integer factor F gives
    F outputs per input at t = 0, 1/F, ..., (F-1)/F.
    Down (targetRate <= sourceRate): every input sample is spread over four
    output accumulators with the transposed weights at t = phase / sourceRate,
    and each finished accumulator is scaled by targetRate / sourceRate, which
    makes the DC gain 1.
*/
struct ResamplerState
{
    float sourceRate = 0.0f;
    float targetRate = 0.0f;
    float phase = 0.0f;
    std::array<float, 4> history {}; // newest first
};

/** Audio thread, allocation-free.  Reads at most inCount samples from input
    and writes at most outCount samples to output; returns the samples
    consumed in inCount and the samples written in outCount. */
void resampleCubic (ResamplerState& state, const float* input, float* output,
                    unsigned& inCount, unsigned& outCount) noexcept;

/** Audio thread, allocation-free: whether the state's history is all zero,
    so that silent input gives silent output. */
bool hasSilentHistory (const ResamplerState& state) noexcept;

/** Audio thread, allocation-free: resampleCubic for inCount silent input
    samples into a state with a silent history, without the arithmetic on
    samples: the phase and the counts come out as resampleCubic gives them,
    the output samples (when output is not null) are zero.  Once the phase
    returns to where it started, the whole periods that follow are skipped
    at once. */
void resampleSilence (ResamplerState& state, float* output, unsigned& inCount, unsigned& outCount) noexcept;
} // namespace Korvalden::DSP
