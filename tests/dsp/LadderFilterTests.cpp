#include "engine/LadderFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

// The ladder coefficient's tan: within one unit in the last place of the
// exact tangent over every angle the filter can use (pi x 16 kHz over four
// times any voice rate from 20 kHz up lies below pi / 4), the same as the
// exact function beyond, and odd.
TEST (LadderFilter, tanAgreesWithTheExactTangentToSinglePrecision)
{
    double worstUlps = 0.0;
    auto check = [&] (float x)
    {
        const double exact = std::tan ((double) x);
        const float fast = LadderFilter::tanOfAngle (x);
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

    EXPECT_EQ (LadderFilter::tanOfAngle (0.0f), 0.0f);
    EXPECT_EQ (LadderFilter::tanOfAngle (-0.1f), -LadderFilter::tanOfAngle (0.1f));
    EXPECT_EQ (LadderFilter::tanOfAngle (1.2f), std::tan (1.2f));
    EXPECT_EQ (LadderFilter::tanOfAngle (-1.5f), std::tan (-1.5f));
}
