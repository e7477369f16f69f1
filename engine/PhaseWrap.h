#pragma once

#include <cmath>

/** Phase wrapping that terminates for any increment.  Where one subtraction
    suffices the result equals that subtraction; larger jumps (very fast LFOs
    at low host rates, FM above the internal rate) wrap with floor arithmetic
    instead of looping.  NaN stays NaN.  Any thread. */

/** An LFO phase in -1..1: above 1, subtract 2 as often as needed. */
inline float wrapLfoPhase (float phase) noexcept
{
    if (phase > 1.0f)
    {
        phase -= 2.0f * std::ceil ((phase - 1.0f) * 0.5f);
        if (phase > 1.0f)
            phase -= 2.0f;  // rounding of very large phases
        if (phase < -1.0f)
            phase = -1.0f;
    }
    return phase;
}

/** An oscillator phase in 0..1: above 1, keep only the fractional part. */
inline float wrapUnitPhase (float phase) noexcept
{
    return phase > 1.0f ? phase - std::floor (phase) : phase;
}
