#include "engine/LadderFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

// The ladder coefficient: within one unit in the last place of the exact
// tan / (1 + tan) over every angle the filter can use, the exact function's
// beyond pi / 4.
TEST (LadderFilter, coefficientAgreesWithTheExactTangentToSinglePrecision)
{
    double worstUlps = 0.0;
    auto check = [&] (float x)
    {
        const double t = std::tan ((double) x);
        const double exact = t / (1.0 + t);
        const float fast = LadderFilter::coefficientOf (x);
        const float exactFloat = (float) exact;
        const double ulp = (double) std::nextafter (std::fabs (exactFloat), std::numeric_limits<float>::infinity())
                         - (double) std::fabs (exactFloat);
        worstUlps = std::max (worstUlps, std::fabs ((double) fast - exact) / ulp);
    };

    const float quarterPi = 0.785398163f;
    for (int i = 1; i <= 400000; ++i)
        check (quarterPi * (float) i / 400000.0f);
    for (float x = 1e-6f; x < quarterPi; x *= 1.0001f)
        check (x);
    EXPECT_LT (worstUlps, 1.0);

    EXPECT_EQ (LadderFilter::coefficientOf (0.0f), 0.0f);
    const float t = std::tan (1.2f);
    EXPECT_EQ (LadderFilter::coefficientOf (1.2f), t / (t + 1.0f));
}

namespace
{
/** The filter as its description reads, one sub-sample at a time, in double
    precision: the feedback taken from the states every time. */
struct PlainLadder
{
    double G, hpG, shelfG, shelfA, shelfB, feedbackGain;
    double s[4] {}, hp = 0, shelf = 0;

    static double saturate (double v)
    {
        const double a = std::fabs (v), onePlus = 1.0 + a;
        return std::copysign (2.0 * a / (onePlus + std::sqrt (onePlus * onePlus - 3.6817882 * a)), v);
    }

    double processOne (double x)
    {
        const double S = ((s[0] * G + s[1]) * G + s[2]) * G + s[3];
        const double r = saturate (x - feedbackGain * (shelfA * ((1.0 - hpG) * S - hp) + shelfB * shelf));
        const double a1 = G * r + s[0], a2 = G * a1 + s[1], a3 = G * a2 + s[2], y = G * a3 + s[3];
        s[0] += 2.0 * G * (r - a1);
        s[1] += 2.0 * G * (a1 - a2);
        s[2] += 2.0 * G * (a2 - a3);
        s[3] += 2.0 * G * (a3 - y);
        const double h = y - (hpG * y + hp);
        hp += 2.0 * hpG * h;
        shelf += 2.0 * shelfG * (h - (shelfG * h + shelf));
        return y;
    }
};
} // namespace

// The feedback of each sub-sample after the first is formed from the one
// before it; the filter it gives is the plain one, for every setting from an
// open to a closed cutoff and from no emphasis to self-oscillation, with the
// coefficients changing from sample to sample.
TEST (LadderFilter, fourSubSamplesFollowThePlainLadderForEverySetting)
{
    std::mt19937 random (7);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);

    for (int setting = 0; setting < 200; ++setting)
    {
        LadderFilter filter;
        PlainLadder plain {};
        double worst = 0.0, peak = 0.0;
        float phase = 0.0f;
        const float hz = 40.0f + 1000.0f * unit (random);

        for (int n = 0; n < 4000; ++n)
        {
            // A cutoff sweep and a new emphasis now and then.
            if (n % 500 == 0)
            {
                filter.feedbackGain = 4.5f * unit (random);
                filter.shelfA = 0.5f + unit (random);
                filter.shelfB = unit (random) - 0.5f;
                filter.hpG = 0.0006f * unit (random);
                filter.shelfG = 0.02f * unit (random);
            }
            filter.ladderG = LadderFilter::coefficientOf (0.01f + 0.7f * (0.5f + 0.5f * std::sin (0.003f * (float) n + (float) setting)));
            plain.G = filter.ladderG;
            plain.hpG = filter.hpG;
            plain.shelfG = filter.shelfG;
            plain.shelfA = filter.shelfA;
            plain.shelfB = filter.shelfB;
            plain.feedbackGain = filter.feedbackGain;

            float x[4], y[4];
            for (float& v : x)
            {
                phase += hz / 384000.0f;
                phase -= std::floor (phase);
                v = 0.8f * (2.0f * phase - 1.0f);
            }
            filter.processFour (x, y);
            for (int k = 0; k < 4; ++k)
            {
                const double expected = plain.processOne (x[k]);
                ASSERT_TRUE (std::isfinite (y[k])) << setting << " " << n;
                worst = std::max (worst, std::fabs (expected - y[k]));
                peak = std::max (peak, std::fabs (expected));
            }
        }
        // Single against double precision over 16000 sub-samples of a
        // feedback loop: a few parts in ten thousand of the peak at most.
        EXPECT_LE (worst, 1e-3 * std::max (peak, 1e-3)) << "setting " << setting;
    }
}
