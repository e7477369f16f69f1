#pragma once

#include "aax/AAX_ITaperDelegateBase.h"

/** Maps a parameter's real value of type T to the host's normalized range
    0..1 and back, and clamps real values to the allowed range.  Delegates
    never change after construction; any thread. */
template <typename T>
class AAX_ITaperDelegate : public AAX_ITaperDelegateBase
{
public:
    /** A new copy, owned by the caller. */
    virtual AAX_ITaperDelegate* Clone() const = 0;
    virtual T GetMaximumValue() const = 0;
    virtual T GetMinimumValue() const = 0;
    virtual T ConstrainRealValue (T value) const = 0;
    virtual T NormalizedToReal (double normalizedValue) const = 0;
    virtual double RealToNormalized (T realValue) const = 0;
};
