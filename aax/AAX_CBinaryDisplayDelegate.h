#pragma once

#include "aax/AAX_IDisplayDelegate.h"

/** One text per state ("bypass" and "on" for the master bypass).  There is
    no shorter form, so a maximum length is not applied.  Reading is exact
    and case-sensitive.  Any thread. */
template <typename T>
class AAX_CBinaryDisplayDelegate final : public AAX_IDisplayDelegate<T>
{
public:
    AAX_CBinaryDisplayDelegate (const char* falseText, const char* trueText)
        : mFalseString (falseText), mTrueString (trueText)
    {
    }

    AAX_CBinaryDisplayDelegate* Clone() const override { return new AAX_CBinaryDisplayDelegate (*this); }

    bool ValueToString (T value, AAX_CString* outText) const override
    {
        *outText = value ? mTrueString : mFalseString;
        return true;
    }

    bool ValueToString (T value, int32_t, AAX_CString* outText) const override { return ValueToString (value, outText); }

    /** The true text gives true; anything else gives false, successfully only
        when it is the false text. */
    bool StringToValue (const AAX_CString& text, T* outValue) const override
    {
        if (text == mTrueString)
        {
            *outValue = true;
            return true;
        }
        *outValue = false;
        return text == mFalseString;
    }

private:
    AAX_CString mFalseString;
    AAX_CString mTrueString;
};
