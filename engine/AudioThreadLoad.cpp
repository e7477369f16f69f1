#include "engine/AudioThreadLoad.h"

#include <cmath>

namespace
{
/** x limited to 0..1; anything that is not a number gives 0. */
double unitRange (double x) noexcept
{
    return x > 0.0 ? (x < 1.0 ? x : 1.0) : 0.0;
}
} // namespace

void AudioThreadLoad::addBlock (std::int64_t busyNanoseconds, int numSamples, double sampleRate) noexcept
{
    if (numSamples <= 0 || ! (sampleRate > 0.0) || ! std::isfinite (sampleRate))
        return;

    const double duration = (double) numSamples / sampleRate;

    // Hosts mostly keep one block length: the exponential is worked out
    // again only when it changes.
    if (numSamples != coefficientSamples || sampleRate != coefficientRate)
    {
        coefficient = std::exp (-duration / smoothingSeconds);
        coefficientSamples = numSamples;
        coefficientRate = sampleRate;
    }

    const double fraction = unitRange ((double) busyNanoseconds * 1.0e-9 / duration);
    const double previous = load.load (std::memory_order_relaxed);
    load.store ((float) (fraction + coefficient * (previous - fraction)), std::memory_order_relaxed);
}

void AudioThreadLoad::reset (float value) noexcept
{
    load.store ((float) unitRange ((double) value), std::memory_order_relaxed);
}
