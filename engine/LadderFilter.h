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

    /** tan (angle) for the pre-warped cutoff angles pi f / rate, to single
        precision: a [5/4] Pade approximant evaluated in double precision
        (relative error below 1.4e-8 up to pi / 4, less than a quarter of a
        float's last place), std::tan beyond pi / 4.  Any thread. */
    static float tanOfAngle (float angle) noexcept
    {
        if (! (std::fabs (angle) <= 0.785398163f))
            return std::tan (angle);
        const double x = angle;
        const double z = x * x;
        return (float) (x * (945.0 - z * (105.0 - z)) / (945.0 - z * (420.0 - 15.0 * z)));
    }

    /** The ladder's input clipper: slope 1 at 0, limits +-1, odd. */
    static float saturate (float v) noexcept
    {
        const float a = std::fabs (v);
        const float onePlus = 1.0f + a;
        const float r = 2.0f * a / (onePlus + std::sqrt (onePlus * onePlus - 3.6817882f * a));
        return std::copysign (r, v);
    }

    /** One sub-sample. */
    float processOne (float x) noexcept
    {
        States s = states();
        const float r = saturate (x - feedbackOf (s));
        const float y = advance (s, r);
        store (s);
        return y;
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

    float feedbackOf (const States& s) const noexcept
    {
        const float G = ladderG;
        const float S = ((s.v[0] * G + s.v[1]) * G + s.v[2]) * G + s.v[3];
        return feedbackGain * (shelfA * ((1.0f - hpG) * S - s.v[4]) + shelfB * s.v[5]);
    }

    /** Runs the one-poles, the high-pass and the shelf from r; returns y. */
    float advance (States& s, float r) const noexcept
    {
        const float G = ladderG;
        const float a1 = G * r + s.v[0];
        const float a2 = G * a1 + s.v[1];
        const float a3 = G * a2 + s.v[2];
        const float y = G * a3 + s.v[3];
        s.v[0] += 2.0f * G * (r - a1);
        s.v[1] += 2.0f * G * (a1 - a2);
        s.v[2] += 2.0f * G * (a2 - a3);
        s.v[3] += 2.0f * G * (a3 - y);
        const float lp = hpG * y + s.v[4];
        const float h = y - lp;
        s.v[4] += 2.0f * hpG * h;
        const float lp2 = shelfG * h + s.v[5];
        s.v[5] += 2.0f * shelfG * (h - lp2);
        return y;
    }
};
