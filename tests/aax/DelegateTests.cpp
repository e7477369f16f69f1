// Taper and display delegates: the number texts the host shows, their
// shortening, the bypass texts and the linear and two-state tapers.

#include "aax/AAX_CBinaryDisplayDelegate.h"
#include "aax/AAX_CBinaryTaperDelegate.h"
#include "aax/AAX_CLinearTaperDelegate.h"
#include "aax/AAX_CNumberDisplayDelegate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace
{
using NumberDisplay = AAX_CNumberDisplayDelegate<float, 3u, 0u>;

std::string numberText (float value, int32_t maxLength)
{
    AAX_CString text ("previous content");
    EXPECT_TRUE (NumberDisplay().ValueToString (value, maxLength, &text));
    return text.Get();
}
} // namespace

TEST (NumberDisplay, ShowsThreeDecimalsRounded)
{
    AAX_CString text ("previous content");
    const NumberDisplay display;
    const std::pair<float, const char*> cases[] = { { 0.5f, "0.500" }, { 1.0f, "1.000" }, { 0.12345f, "0.123" }, { 0.9996f, "1.000" }, { 0.0f, "0.000" } };
    for (const auto& [value, expected] : cases)
    {
        EXPECT_TRUE (display.ValueToString (value, &text));
        EXPECT_STREQ (text.Get(), expected) << value;
    }
}

TEST (NumberDisplay, ShortensByCuttingAndDropsADanglingPoint)
{
    EXPECT_EQ (numberText (0.5f, 5), "0.500");
    EXPECT_EQ (numberText (0.5f, 9), "0.500");
    EXPECT_EQ (numberText (0.5f, 4), "0.50");
    EXPECT_EQ (numberText (0.5f, 3), "0.5");
    EXPECT_EQ (numberText (0.5f, 2), "0");
    EXPECT_EQ (numberText (0.5f, 1), "0");
    EXPECT_EQ (numberText (1.0f, 2), "1");
    EXPECT_EQ (numberText (0.9996f, 3), "1.0") << "the cut does not round again";
    EXPECT_EQ (numberText (0.129f, 4), "0.12") << "cut, not rounded";
}

TEST (NumberDisplay, ZeroOrNegativeMaximumMeansNoShortening)
{
    EXPECT_EQ (numberText (0.5f, 0), "0.500");
    EXPECT_EQ (numberText (0.5f, -1), "0.500");
    EXPECT_EQ (numberText (0.25f, std::numeric_limits<int32_t>::min()), "0.250");
}

TEST (NumberDisplay, ReadsTheLeadingNumber)
{
    const NumberDisplay display;
    float value = -1.0f;
    EXPECT_TRUE (display.StringToValue (AAX_CString ("0.75"), &value));
    EXPECT_FLOAT_EQ (value, 0.75f);
    EXPECT_TRUE (display.StringToValue (AAX_CString (" 0.25 dB"), &value));
    EXPECT_FLOAT_EQ (value, 0.25f);
    for (const char* bad : { "abc", "" })
    {
        value = -1.0f;
        EXPECT_FALSE (display.StringToValue (AAX_CString (bad), &value)) << bad;
        EXPECT_EQ (value, 0.0f);
    }
}

TEST (BinaryDisplay, BypassTextsWholeAtAnyLengthAndReadExactly)
{
    std::unique_ptr<AAX_IDisplayDelegate<bool>> display;
    {
        const AAX_CBinaryDisplayDelegate<bool> original ("bypass", "on");
        display.reset (original.Clone());
    }

    AAX_CString text;
    EXPECT_TRUE (display->ValueToString (true, &text));
    EXPECT_STREQ (text.Get(), "on");
    EXPECT_TRUE (display->ValueToString (false, 2, &text));
    EXPECT_STREQ (text.Get(), "bypass");

    bool value = false;
    EXPECT_TRUE (display->StringToValue (AAX_CString ("on"), &value));
    EXPECT_TRUE (value);
    EXPECT_TRUE (display->StringToValue (AAX_CString ("bypass"), &value));
    EXPECT_FALSE (value);
    for (const char* other : { "On", "off" })
    {
        value = true;
        EXPECT_FALSE (display->StringToValue (AAX_CString (other), &value)) << other;
        EXPECT_FALSE (value);
    }
}

TEST (Tapers, LinearClampsToItsRangeBothWays)
{
    const AAX_CLinearTaperDelegate<float, 0> unit (0.0f, 1.0f);
    EXPECT_EQ (unit.NormalizedToReal (-0.5), 0.0f);
    EXPECT_EQ (unit.NormalizedToReal (1.5), 1.0f);
    EXPECT_EQ (unit.RealToNormalized (2.0f), 1.0);
    EXPECT_EQ (unit.RealToNormalized (0.25f), 0.25);

    const AAX_CLinearTaperDelegate<float, 0> tens (10.0f, 20.0f);
    EXPECT_EQ (tens.NormalizedToReal (0.5), 15.0f);
    EXPECT_EQ (tens.RealToNormalized (12.5f), 0.25);
}

TEST (Tapers, BinaryIsTrueForAnythingAboveZero)
{
    const AAX_CBinaryTaperDelegate<bool> binary;
    EXPECT_FALSE (binary.NormalizedToReal (0.0));
    EXPECT_TRUE (binary.NormalizedToReal (0.000001));
    EXPECT_FALSE (binary.NormalizedToReal (-1.0));
    EXPECT_FALSE (binary.NormalizedToReal (std::nan ("")));
    EXPECT_EQ (binary.RealToNormalized (true), 1.0);
}
