#pragma once

#include "aax/AAX_IAutomationDelegate.h"
#include "aax/AAX_IDisplayDelegate.h"
#include "aax/AAX_IParameter.h"
#include "aax/AAX_ITaperDelegate.h"

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <type_traits>

/** The parameter object over a value type T (float for the processor's
    parameters, bool for the master bypass).  It owns clones of its two
    delegates; the automation delegate is lent by the parameter manager.

    See AAX_IParameter for the automation protocol and threads.
*/
template <typename T>
class AAX_CParameter final : public AAX_IParameter
{
public:
    static constexpr size_t kMaxIdentifierLength = 31;
    static constexpr uint32_t kDefaultContinuousSteps = 128;
    static constexpr uint32_t kDefaultDiscreteSteps = 2;

    /** The identifier is cut to its first 31 characters; the delegates are
        cloned, the caller keeps its own.  Starts at the default value with
        128 steps.  Any thread. */
    AAX_CParameter (AAX_CParamID identifier, const AAX_CString& name, T defaultValue,
                    const AAX_ITaperDelegate<T>& taperDelegate, const AAX_IDisplayDelegate<T>& displayDelegate,
                    bool automatable)
        : mName (name),
          mAutomatable (automatable),
          mTaperDelegate (taperDelegate.Clone()),
          mDisplayDelegate (displayDelegate.Clone()),
          mDefaultValue (defaultValue)
    {
        std::strncpy (mIdentifier, identifier != nullptr ? identifier : "", kMaxIdentifierLength);
        mIdentifier[kMaxIdentifierLength] = '\0';

        if (mNumSteps == 0)
            SetNumberOfSteps (mType == AAX_eParameterType_Continuous ? kDefaultContinuousSteps : kDefaultDiscreteSteps);
        SetToDefaultValue();
    }

    /** Unregisters from the host when a delegate is attached. */
    ~AAX_CParameter() override
    {
        if (mAutomationDelegate != nullptr)
            mAutomationDelegate->UnregisterParameter (mIdentifier);
    }

    AAX_CParameter (const AAX_CParameter&) = delete;
    AAX_CParameter& operator= (const AAX_CParameter&) = delete;

    AAX_CParamID Identifier() const override { return mIdentifier; }
    void SetName (const AAX_CString& name) override { mName = name; }
    const AAX_CString& Name() const override { return mName; }

    /** Keyed by length: a name of a length already present replaces it. */
    void AddShortenedName (const AAX_CString& name) override { mShortenedNames[static_cast<int32_t> (name.Length())] = name; }

    /** The full name when it fits or there is no shortened name; otherwise
        the longest shortened name that fits, or the shortest one when none
        fits. */
    const AAX_CString& ShortenedName (int32_t length) const override
    {
        if (static_cast<int64_t> (mName.Length()) <= length || mShortenedNames.empty())
            return mName;
        auto fitting = mShortenedNames.upper_bound (length);
        if (fitting == mShortenedNames.begin())
            return fitting->second;
        return std::prev (fitting)->second;
    }

    void ClearShortenedNames() override { mShortenedNames.clear(); }
    bool Automatable() const override { return mAutomatable; }

    void SetAutomationDelegate (AAX_IAutomationDelegate* automationDelegate) override
    {
        if (mAutomationDelegate != nullptr)
            mAutomationDelegate->UnregisterParameter (mIdentifier);
        mAutomationDelegate = automationDelegate;
        if (mAutomationDelegate != nullptr)
            mAutomationDelegate->RegisterParameter (mIdentifier);
    }

    void Touch() override
    {
        if (mAutomationDelegate != nullptr)
            mAutomationDelegate->PostTouchRequest (mIdentifier);
    }

    void Release() override
    {
        if (mAutomationDelegate != nullptr)
            mAutomationDelegate->PostReleaseRequest (mIdentifier);
    }

    void SetNormalizedValue (double normalizedValue) override { SetValue (mTaperDelegate->NormalizedToReal (normalizedValue)); }
    double GetNormalizedValue() const override { return mTaperDelegate->RealToNormalized (mValue); }

    /** Changes only the default; nothing is reported. */
    void SetNormalizedDefaultValue (double normalizedValue) override
    {
        mDefaultValue = mTaperDelegate->ConstrainRealValue (mTaperDelegate->NormalizedToReal (normalizedValue));
    }

    double GetNormalizedDefaultValue() const override { return mTaperDelegate->RealToNormalized (mDefaultValue); }
    void SetToDefaultValue() override { SetValue (mDefaultValue); }
    void SetNumberOfSteps (uint32_t steps) override { mNumSteps = steps; }
    uint32_t GetNumberOfSteps() const override { return mNumSteps; }

    uint32_t GetStepValue() const override
    {
        const double steps = GetNumberOfSteps();
        if (steps < 2)
            return 0;
        auto step = GetNormalizedValue() / (1.0 / (steps - 1.0)) + 0.5;
        step = step < 0.0 ? 0.0 : (step > steps - 1.0 ? steps - 1.0 : step);
        return static_cast<uint32_t> (step);
    }

    void SetStepValue (uint32_t step) override
    {
        const double steps = GetNumberOfSteps();
        if (steps < 2)
            return;
        auto normalized = step * (1.0 / (steps - 1.0));
        normalized = normalized < 0.0 ? 0.0 : (normalized > 1.0 ? 1.0 : normalized);
        SetNormalizedValue (normalized);
    }

    bool GetValueString (AAX_CString* outText) const override { return mDisplayDelegate->ValueToString (mValue, outText); }

    bool GetValueStringOfLength (int32_t maxLength, AAX_CString* outText) const override
    {
        return mDisplayDelegate->ValueToString (mValue, maxLength, outText);
    }

    /** The output is written before the range check; use it only after a
        true answer. */
    bool GetNormalizedValueFromString (const AAX_CString& text, double* outNormalizedValue) const override
    {
        T value {};
        if (! mDisplayDelegate->StringToValue (text, &value))
            return false;
        *outNormalizedValue = mTaperDelegate->RealToNormalized (value);
        return isWithinRange (value);
    }

    bool GetStringFromNormalizedValue (double normalizedValue, AAX_CString& outText) const override
    {
        const auto value = mTaperDelegate->NormalizedToReal (normalizedValue);
        return mDisplayDelegate->ValueToString (value, &outText) && isWithinRange (value);
    }

    bool GetStringFromNormalizedValueOfLength (double normalizedValue, int32_t maxLength, AAX_CString& outText) const override
    {
        const auto value = mTaperDelegate->NormalizedToReal (normalizedValue);
        return mDisplayDelegate->ValueToString (value, maxLength, &outText) && isWithinRange (value);
    }

    bool SetValueFromString (const AAX_CString& text) override
    {
        T value {};
        if (! mDisplayDelegate->StringToValue (text, &value))
            return false;
        SetValue (value);
        return true;
    }

    bool GetValueAsBool (bool* outValue) const override { return readAs (outValue); }
    bool GetValueAsInt32 (int32_t* outValue) const override { return readAs (outValue); }
    bool GetValueAsFloat (float* outValue) const override { return readAs (outValue); }
    bool GetValueAsDouble (double* outValue) const override { return readAs (outValue); }

    bool GetValueAsString (AAX_IString* outValue) const override
    {
        if constexpr (std::is_same_v<T, AAX_CString>)
        {
            *outValue = mValue;
            return true;
        }
        else
        {
            (void) outValue;
            return false;
        }
    }

    bool SetValueWithBool (bool value) override { return writeAs (value); }
    bool SetValueWithInt32 (int32_t value) override { return writeAs (value); }
    bool SetValueWithFloat (float value) override { return writeAs (value); }
    bool SetValueWithDouble (double value) override { return writeAs (value); }
    bool SetValueWithString (const AAX_IString& value) override { return writeAs (AAX_CString (value)); }

    void SetType (int32_t type) override { mType = type; }
    int32_t GetType() const override { return mType; }
    void SetOrientation (int32_t orientation) override { mOrientation = orientation; }
    int32_t GetOrientation() const override { return mOrientation; }

    void SetTaperDelegate (AAX_ITaperDelegateBase& taperDelegate, bool preserveValue) override
    {
        const auto normalized = GetNormalizedValue();
        mTaperDelegate.reset (static_cast<AAX_ITaperDelegate<T>&> (taperDelegate).Clone());
        mNeedNotify = true;
        if (preserveValue)
            SetValue (mValue);
        else
            UpdateNormalizedValue (normalized);
    }

    void SetDisplayDelegate (AAX_IDisplayDelegateBase& displayDelegate) override
    {
        mDisplayDelegate.reset (static_cast<AAX_IDisplayDelegate<T>&> (displayDelegate).Clone());
        if (mAutomationDelegate != nullptr)
            mAutomationDelegate->PostCurrentValue (mIdentifier, GetNormalizedValue());
    }

    /** Stores the value unless it is unchanged (and no notification is
        pending), and reports the normalized value as given. */
    void UpdateNormalizedValue (double normalizedValue) override
    {
        const auto value = mTaperDelegate->NormalizedToReal (normalizedValue);
        if (! mNeedNotify && value == mValue)
            return;
        mValue = value;
        if (mAutomationDelegate != nullptr)
            mAutomationDelegate->PostCurrentValue (mIdentifier, normalizedValue);
        mNeedNotify = false;
    }

    /** The one path by which a value is set: a touch, set request and
        release with an automation delegate, a direct store without. */
    void SetValue (T value)
    {
        const auto normalized = mTaperDelegate->RealToNormalized (value);
        if (mAutomationDelegate != nullptr)
        {
            Touch();
            mAutomationDelegate->PostSetValueRequest (mIdentifier, normalized);
            Release();
            return;
        }
        mNeedNotify = true;
        UpdateNormalizedValue (normalized);
    }

    /** The current real value.  Any thread. */
    T GetValue() const { return mValue; }

private:
    bool isWithinRange (T value) const
    {
        return ! (value > mTaperDelegate->GetMaximumValue() || value < mTaperDelegate->GetMinimumValue());
    }

    template <typename Out>
    bool readAs (Out* outValue) const
    {
        if constexpr (std::is_same_v<T, Out>)
        {
            *outValue = mValue;
            return true;
        }
        else
        {
            (void) outValue;
            return false;
        }
    }

    template <typename In>
    bool writeAs (const In& value)
    {
        if constexpr (std::is_same_v<T, In>)
        {
            SetValue (value);
            return true;
        }
        else
        {
            (void) value;
            return false;
        }
    }

    char mIdentifier[kMaxIdentifierLength + 1] {};
    AAX_CString mName;
    std::map<int32_t, AAX_CString> mShortenedNames;
    bool mAutomatable;
    uint32_t mNumSteps = 0;
    int32_t mType = AAX_eParameterType_Continuous;
    int32_t mOrientation = 0;
    std::unique_ptr<AAX_ITaperDelegate<T>> mTaperDelegate;
    std::unique_ptr<AAX_IDisplayDelegate<T>> mDisplayDelegate;
    AAX_IAutomationDelegate* mAutomationDelegate = nullptr;
    bool mNeedNotify = true;
    T mValue {};
    T mDefaultValue;
};
