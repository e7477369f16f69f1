#pragma once

#include "aax/AAX_IDisplayDelegate.h"

/** A value as a fixed-point number with Precision digits after the decimal
    point ("0.500", "1.000"), nothing after the digits.  Shortened to a
    maximum length by cutting, not rounding; a dangling decimal point at the
    cut goes too.  A maximum length of 0 or less means no shortening.
    Any thread. */
template <typename T, unsigned Precision = 2, unsigned SpaceAfter = 0>
class AAX_CNumberDisplayDelegate final : public AAX_IDisplayDelegate<T>
{
    static_assert (SpaceAfter == 0, "number texts carry nothing after their digits");

public:
    AAX_CNumberDisplayDelegate* Clone() const override { return new AAX_CNumberDisplayDelegate (*this); }

    bool ValueToString (T value, AAX_CString* outText) const override
    {
        outText->Clear();
        outText->AppendNumber (static_cast<double> (value), static_cast<int32_t> (Precision));
        return true;
    }

    bool ValueToString (T value, int32_t maxLength, AAX_CString* outText) const override
    {
        ValueToString (value, outText);
        if (maxLength <= 0)
            return true;

        const auto limit = static_cast<uint32_t> (maxLength);
        if (outText->Length() > limit)
            outText->Erase (limit, outText->Length() - limit);
        if (outText->Length() == limit && (*outText)[limit - 1] == '.')
            outText->Erase (limit - 1, 1);
        return true;
    }

    /** Reads the leading number; text that does not begin with one fails
        with 0. */
    bool StringToValue (const AAX_CString& text, T* outValue) const override
    {
        double value = 0.0;
        const bool read = text.ToDouble (&value);
        *outValue = read ? static_cast<T> (value) : T {};
        return read;
    }
};
