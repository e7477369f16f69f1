#pragma once

/** The uniform Catmull-Rom spline as a 4 x 4 tap table.

    Row j holds the coefficients of t^3, t^2, t and 1 of the weight P_j(t) of
    tap j, where tap 0 is the newest of four consecutive samples and t in 0..1
    runs from the second-oldest sample (t = 0) to the second-newest (t = 1).
    The four weights always sum to 1.  Used by the voice's sawtooth reader,
    its four-times up- and down-sampling and the resampler.
*/
extern const float* const catmullRomCoefficients;

/** The weight of tap j at t by Horner's rule.  Any thread. */
inline float catmullRomWeight (int tap, float t) noexcept
{
    const float* c = catmullRomCoefficients + 4 * tap;
    return ((c[0] * t + c[1]) * t + c[2]) * t + c[3];
}

/** The up-sampling table U[k][j] = P_j(k / 4), k = 0..3: the weights of the
    four newest samples (newest first) for the sub-sample k quarters past the
    second-oldest one.  Constant for the whole process.  Any thread. */
using UpsamplingTable = float[4][4];
const UpsamplingTable& upsamplingTable() noexcept;
