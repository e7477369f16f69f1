#pragma once

#include "aax/AAX_ITaperDelegate.h"

/** Two states: false is normalized 0, true is 1; any normalized value above
    0 reads as true (not a test against one half).  Any thread. */
template <typename T>
class AAX_CBinaryTaperDelegate final : public AAX_ITaperDelegate<T>
{
public:
    AAX_CBinaryTaperDelegate* Clone() const override { return new AAX_CBinaryTaperDelegate (*this); }
    T GetMaximumValue() const override { return true; }
    T GetMinimumValue() const override { return false; }
    T ConstrainRealValue (T value) const override { return value; }
    T NormalizedToReal (double normalizedValue) const override { return normalizedValue > 0.0; }
    double RealToNormalized (T realValue) const override { return realValue ? 1.0 : 0.0; }
};
