#pragma once

#include <array>
#include <cmath>

/** The voice's four-pole ladder with its shaped feedback, run on four
    sub-samples per voice sample.

    Per sub-sample x (G = ladderG, s0..s3 the one-pole states):
      S  = ((s0 G + s1) G + s2) G + s3          output estimate from the states
      fb = feedbackGain (shelfA ((1 - hpG) S - hpState) + shelfB shelfState)
      r  = sat(x - fb)
      four trapezoidal one-poles from r to y; the 74 Hz high-pass and the
      low shelf of the feedback path then follow y.

    The feedback is linear in the states and in r.  So the feedback of the
    next sub-sample is formed as a part known from this sub-sample's states
    (Coefficients::part) plus a multiple of r (Coefficients::m): the chain
    from one clipper to the next is then a multiply-add and a subtraction,
    where the states' own updates would put some thirty operations on it.
    The first sub-sample of a sample takes its feedback from the states, as
    the coefficients may have changed since the last one.  The voice lanes
    run the same operations in the same order.

    Audio thread only; allocation-free.
*/
class LadderFilter
{
public:
    float ladderG = 0, hpG = 0, shelfG = 0, shelfA = 0, shelfB = 0, feedbackGain = 0;
    std::array<float, 4> ladderState {};
    float hpState = 0, shelfState = 0;

    void clearStates() noexcept
    {
        ladderState = {};
        hpState = 0;
        shelfState = 0;
    }

    /** The one-pole coefficient tan (angle) / (1 + tan (angle)) of the
        pre-warped cutoff angle pi f / rate, to single precision.  Up to
        pi / 4 (pi x 16 kHz over four times any voice rate from 20 kHz up lies
        below it) tan is the [5/4] Pade approximant N / D, whose relative
        error stays below 1.4e-8, and the coefficient is N / (N + D) in double
        precision, rounded once; beyond, std::tan.  Any thread. */
    static float coefficientOf (float angle) noexcept
    {
        if (! (std::fabs (angle) <= 0.785398163f))
        {
            const float t = std::tan (angle);
            return t / (t + 1.0f);
        }
        const double x = angle;
        const double z = x * x;
        const double numerator = x * (945.0 - z * (105.0 - z));
        return (float) (numerator / (numerator + (945.0 - z * (420.0 - 15.0 * z))));
    }

    /** The ladder's input clipper: slope 1 at 0, limits +-1, odd. */
    static float saturate (float v) noexcept
    {
        const float a = std::fabs (v);
        const float onePlus = 1.0f + a;
        const float r = 2.0f * a / (onePlus + std::sqrt (onePlus * onePlus - 3.6817882f * a));
        return std::copysign (r, v);
    }

    /** Per-sample constants of processFour, from the coefficients above. */
    struct Coefficients
    {
        float G, G3, hpTwoG, hpKeep, shelfKeep, shelfTake;
        float kS, kH, kL;        // feedback = (kS S - kH hpState) + kL shelfState
        float cS, cT, cH, cL, m; // next feedback = part (S, T, states) + m r
    };

    Coefficients coefficients() const noexcept
    {
        Coefficients c;
        const float G = ladderG, oneMinusG = 1.0f - G;
        const float hpKeep = 1.0f - hpG;
        const float hpMix = 2.0f * hpG * hpKeep;
        const float shelfTake = 2.0f * shelfG * (1.0f - shelfG);
        const float kH = feedbackGain * shelfA;
        const float kS = kH * hpKeep;
        const float kL = feedbackGain * shelfB;
        const float G2 = G * G;
        c.G = G;
        c.G3 = 3.0f * G;
        c.hpTwoG = 2.0f * hpG;
        c.hpKeep = hpKeep;
        c.shelfKeep = 1.0f - 2.0f * shelfG;
        c.shelfTake = shelfTake;
        c.kS = kS;
        c.kH = kH;
        c.kL = kL;
        c.cS = (kS * (1.0f - 2.0f * G) - kH * hpMix) + kL * shelfTake * hpKeep;
        c.cT = kS * (2.0f * G) * oneMinusG;
        c.cH = -(kH * (1.0f - 2.0f * hpG) + kL * shelfTake);
        c.cL = kL * c.shelfKeep;
        c.m = G2 * G2 * ((8.0f * oneMinusG * kS - hpMix * kH) + shelfTake * hpKeep * kL);
        return c;
    }

    /** Four sub-samples, x in, y out. */
    void processFour (const float* x, float* y) noexcept
    {
        const Coefficients c = coefficients();
        States s = states();
        float S = estimateOf (c, s);
        float fb = (c.kS * S - c.kH * s.v[4]) + c.kL * s.v[5];
        for (int k = 0; k < 4; ++k)
        {
            const float r = saturate (x[k] - fb);
            fb = partOf (c, s, S) + c.m * r;
            y[k] = advance (c, s, r);
            S = estimateOf (c, s);
        }
        store (s);
    }

private:
    struct States { float v[6]; }; // s0..s3, hpState, shelfState

    States states() const noexcept
    {
        return { { ladderState[0], ladderState[1], ladderState[2], ladderState[3], hpState, shelfState } };
    }

    void store (const States& s) noexcept
    {
        ladderState = { s.v[0], s.v[1], s.v[2], s.v[3] };
        hpState = s.v[4];
        shelfState = s.v[5];
    }

    static float estimateOf (const Coefficients& c, const States& s) noexcept
    {
        return ((s.v[0] * c.G + s.v[1]) * c.G + s.v[2]) * c.G + s.v[3];
    }

    /** The part of the next sub-sample's feedback that the states give. */
    static float partOf (const Coefficients& c, const States& s, float S) noexcept
    {
        const float T = (s.v[0] * c.G3 + s.v[1] * 2.0f) * c.G + s.v[2];
        return ((c.cS * S + c.cT * T) + c.cH * s.v[4]) + c.cL * s.v[5];
    }

    /** Runs the one-poles, the high-pass and the shelf from r; returns y. */
    static float advance (const Coefficients& c, States& s, float r) noexcept
    {
        const float G = c.G;
        const float a1 = G * r + s.v[0];
        const float a2 = G * a1 + s.v[1];
        const float a3 = G * a2 + s.v[2];
        const float y = G * a3 + s.v[3];
        const float twoG = 2.0f * G;
        s.v[0] += twoG * (r - a1);
        s.v[1] += twoG * (a1 - a2);
        s.v[2] += twoG * (a2 - a3);
        s.v[3] += twoG * (a3 - y);
        const float h = c.hpKeep * y - s.v[4];
        s.v[4] += c.hpTwoG * h;
        s.v[5] = c.shelfKeep * s.v[5] + c.shelfTake * h;
        return y;
    }
};
