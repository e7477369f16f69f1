#pragma once

#include "aax/AAX_CString.h"
#include "aax/AAX_IDisplayDelegateBase.h"

/** Turns a parameter's real value of type T into text, optionally no longer
    than a given number of characters, and reads a value back from text.
    Every result text replaces the whole previous content of the output.
    Delegates never change after construction; any thread. */
template <typename T>
class AAX_IDisplayDelegate : public AAX_IDisplayDelegateBase
{
public:
    /** A new copy, owned by the caller. */
    virtual AAX_IDisplayDelegate* Clone() const = 0;
    virtual bool ValueToString (T value, AAX_CString* outText) const = 0;
    virtual bool ValueToString (T value, int32_t maxLength, AAX_CString* outText) const = 0;
    virtual bool StringToValue (const AAX_CString& text, T* outValue) const = 0;
};
