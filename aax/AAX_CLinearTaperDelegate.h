#pragma once

#include "aax/AAX_ITaperDelegate.h"

/** A straight line between the minimum (normalized 0) and the maximum
    (normalized 1).  RealPrecision 0: real values are clamped, never rounded.
    The range must have its minimum below its maximum.  Any thread. */
template <typename T, int RealPrecision = 0>
class AAX_CLinearTaperDelegate final : public AAX_ITaperDelegate<T>
{
    static_assert (RealPrecision == 0, "only unrounded linear tapers are used");

public:
    AAX_CLinearTaperDelegate (T minimumValue, T maximumValue)
        : mMinValue (minimumValue), mMaxValue (maximumValue)
    {
    }

    AAX_CLinearTaperDelegate* Clone() const override { return new AAX_CLinearTaperDelegate (*this); }
    T GetMaximumValue() const override { return mMaxValue; }
    T GetMinimumValue() const override { return mMinValue; }

    /** The nearer end for a value outside the range; a NaN passes unchanged. */
    T ConstrainRealValue (T value) const override
    {
        if (value > mMaxValue)
            return mMaxValue;
        if (value < mMinValue)
            return mMinValue;
        return value;
    }

    T NormalizedToReal (double normalizedValue) const override
    {
        const auto minimum = static_cast<double> (mMinValue);
        const auto maximum = static_cast<double> (mMaxValue);
        return ConstrainRealValue (static_cast<T> ((maximum - minimum) * normalizedValue + minimum));
    }

    double RealToNormalized (T realValue) const override
    {
        const auto minimum = static_cast<double> (mMinValue);
        const auto maximum = static_cast<double> (mMaxValue);
        return (static_cast<double> (ConstrainRealValue (realValue)) - minimum) / (maximum - minimum);
    }

private:
    T mMinValue;
    T mMaxValue;
};
