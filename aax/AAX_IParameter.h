#pragma once

#include "aax/AAX_CString.h"
#include "aax/AAX_IDisplayDelegateBase.h"
#include "aax/AAX_ITaperDelegateBase.h"
#include "platform/AAXHostInterfaces.h"

class AAX_IAutomationDelegate;

/** Parameter types as the host reads them. */
constexpr int32_t AAX_eParameterType_Discrete = 0;
constexpr int32_t AAX_eParameterType_Continuous = 1;

/** One host-visible parameter: identifier, names, steps, type, orientation,
    current and default value, with a taper for the normalized range and a
    display for text.

    Once an automation delegate is attached, a value change made through the
    parameter is not stored: it goes to the host as touch, set request and
    release, and is stored when the host reports it back through
    UpdateNormalizedValue.  Without one the value is stored at once.

    Failures are a false result; nothing throws of its own accord.  No lock:
    called on whatever thread the host makes its parameter, chunk and packet
    calls, and on the thread the processor reports a change from.
*/
class AAX_IParameter
{
public:
    virtual ~AAX_IParameter() = default;

    virtual AAX_CParamID Identifier() const = 0;
    virtual void SetName (const AAX_CString& name) = 0;
    virtual const AAX_CString& Name() const = 0;
    virtual void AddShortenedName (const AAX_CString& name) = 0;
    virtual const AAX_CString& ShortenedName (int32_t length) const = 0;
    virtual void ClearShortenedNames() = 0;
    virtual bool Automatable() const = 0;
    virtual void SetAutomationDelegate (AAX_IAutomationDelegate* automationDelegate) = 0;
    virtual void Touch() = 0;
    virtual void Release() = 0;
    virtual void SetNormalizedValue (double normalizedValue) = 0;
    virtual double GetNormalizedValue() const = 0;
    virtual void SetNormalizedDefaultValue (double normalizedValue) = 0;
    virtual double GetNormalizedDefaultValue() const = 0;
    virtual void SetToDefaultValue() = 0;
    virtual void SetNumberOfSteps (uint32_t steps) = 0;
    virtual uint32_t GetNumberOfSteps() const = 0;
    virtual uint32_t GetStepValue() const = 0;
    virtual void SetStepValue (uint32_t step) = 0;
    virtual bool GetValueString (AAX_CString* outText) const = 0;
    virtual bool GetValueStringOfLength (int32_t maxLength, AAX_CString* outText) const = 0;
    virtual bool GetNormalizedValueFromString (const AAX_CString& text, double* outNormalizedValue) const = 0;
    virtual bool GetStringFromNormalizedValue (double normalizedValue, AAX_CString& outText) const = 0;
    virtual bool GetStringFromNormalizedValueOfLength (double normalizedValue, int32_t maxLength, AAX_CString& outText) const = 0;
    virtual bool SetValueFromString (const AAX_CString& text) = 0;
    virtual bool GetValueAsBool (bool* outValue) const = 0;
    virtual bool GetValueAsInt32 (int32_t* outValue) const = 0;
    virtual bool GetValueAsFloat (float* outValue) const = 0;
    virtual bool GetValueAsDouble (double* outValue) const = 0;
    virtual bool GetValueAsString (AAX_IString* outValue) const = 0;
    virtual bool SetValueWithBool (bool value) = 0;
    virtual bool SetValueWithInt32 (int32_t value) = 0;
    virtual bool SetValueWithFloat (float value) = 0;
    virtual bool SetValueWithDouble (double value) = 0;
    virtual bool SetValueWithString (const AAX_IString& value) = 0;
    virtual void SetType (int32_t type) = 0;
    virtual int32_t GetType() const = 0;
    virtual void SetOrientation (int32_t orientation) = 0;
    virtual int32_t GetOrientation() const = 0;

    /** The delegate must be a taper of the parameter's own value type. */
    virtual void SetTaperDelegate (AAX_ITaperDelegateBase& taperDelegate, bool preserveValue) = 0;

    /** The delegate must be a display of the parameter's own value type. */
    virtual void SetDisplayDelegate (AAX_IDisplayDelegateBase& displayDelegate) = 0;

    /** The host's report of the value: the only operation that stores it. */
    virtual void UpdateNormalizedValue (double normalizedValue) = 0;
};
