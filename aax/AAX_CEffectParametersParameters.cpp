// The host's parameter operations: each looks the identifier up in the
// parameter manager and asks the parameter object.

#include "aax/AAX_CEffectParameters.h"

#include "aax/AAXHostCallGuard.h"
#include "aax/AAX_CString.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr uint32_t maxShortenedNameScan = 255;

/** The longest line (first of equal lengths) of 1..length characters, or
    empty when none fits. */
std::string longestFittingLine (const std::string& text, int32_t length)
{
    std::string kept;
    size_t start = 0;
    while (start < text.size())
    {
        auto end = text.find ('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const auto lineLength = end - start;
        if (lineLength >= 1 && static_cast<int64_t> (lineLength) <= length && lineLength > kept.size())
            kept = text.substr (start, lineLength);
        start = end + 1;
    }
    return kept;
}
} // namespace

// The body runs with the identifier's parameter; out is the operation's out
// pointer (null answers AAX_ERROR_NULL_OBJECT before anything else).
#define KEST_WITH_PARAMETER(out, body)                 \
    return AAXGuardHostCall ([&]() -> AAX_Result {     \
        if (AAXAnyNull (out))                          \
            return AAX_ERROR_NULL_OBJECT;              \
        auto* parameter = findParameter (id);          \
        if (parameter == nullptr)                      \
            return AAX_ERROR_INVALID_PARAMETER_ID;     \
        body;                                          \
        return AAX_SUCCESS;                            \
    })

namespace
{
const void* const noOut = "";
}

AAX_Result AAX_CEffectParameters::GetNumberOfParameters (int32_t* outCount) const
{
    if (AAXAnyNull (outCount))
        return AAX_ERROR_NULL_OBJECT;
    *outCount = mParameterManager.NumParameters();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetMasterBypassParameter (AAX_IString* outId) const
{
    return AAXGuardHostCall ([&]
    {
        if (AAXAnyNull (outId))
            return AAX_ERROR_NULL_OBJECT;
        outId->Set (findParameter (kMasterBypassID) != nullptr ? kMasterBypassID : "");
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterIsAutomatable (AAX_CParamID id, AAX_CBoolean* outAutomatable) const
{
    if (outAutomatable != nullptr)
        *outAutomatable = 0;
    KEST_WITH_PARAMETER (outAutomatable, *outAutomatable = parameter->Automatable() ? 1 : 0);
}

AAX_Result AAX_CEffectParameters::GetParameterNumberOfSteps (AAX_CParamID id, int32_t* outSteps) const
{
    KEST_WITH_PARAMETER (outSteps, *outSteps = static_cast<int32_t> (parameter->GetNumberOfSteps()));
}

AAX_Result AAX_CEffectParameters::GetParameterName (AAX_CParamID id, AAX_IString* outName) const
{
    return AAXGuardHostCall ([&]
    {
        if (AAXAnyNull (outName))
            return AAX_ERROR_NULL_OBJECT;
        const auto* parameter = findParameter (id);
        *outName = parameter != nullptr ? parameter->Name().Get() : "";
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterNameOfLength (AAX_CParamID id, AAX_IString* outName, int32_t length) const
{
    return AAXGuardHostCall ([&]
    {
        if (AAXAnyNull (outName))
            return AAX_ERROR_NULL_OBJECT;
        const auto* parameter = findParameter (id);
        if (parameter == nullptr)
        {
            *outName = "";
            return AAX_SUCCESS;
        }

        const AAX_CString shortened (parameter->ShortenedName (length));
        const std::string scanned (shortened.Get(), std::min (shortened.Length(), maxShortenedNameScan));
        if (scanned.empty())
            return AAX_SUCCESS;

        const auto line = longestFittingLine (scanned, length);
        *outName = line.empty() ? shortened.Get() : line.c_str();
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterDefaultNormalizedValue (AAX_CParamID id, double* outValue) const
{
    KEST_WITH_PARAMETER (outValue, *outValue = parameter->GetNormalizedDefaultValue());
}

AAX_Result AAX_CEffectParameters::SetParameterDefaultNormalizedValue (AAX_CParamID id, double value)
{
    KEST_WITH_PARAMETER (noOut, parameter->SetNormalizedDefaultValue (value));
}

AAX_Result AAX_CEffectParameters::GetParameterType (AAX_CParamID id, int32_t* outType) const
{
    KEST_WITH_PARAMETER (outType, *outType = parameter->GetType());
}

AAX_Result AAX_CEffectParameters::GetParameterOrientation (AAX_CParamID id, int32_t* outOrientation) const
{
    KEST_WITH_PARAMETER (outOrientation, *outOrientation = parameter->GetOrientation());
}

AAX_Result AAX_CEffectParameters::GetParameter (AAX_CParamID id, AAX_IParameter** outParameter)
{
    if (outParameter != nullptr)
        *outParameter = nullptr;
    KEST_WITH_PARAMETER (outParameter, *outParameter = parameter);
}

AAX_Result AAX_CEffectParameters::GetParameterIndex (AAX_CParamID id, int32_t* outIndex) const
{
    if (AAXAnyNull (outIndex))
        return AAX_ERROR_NULL_OBJECT;
    *outIndex = mParameterManager.GetParameterIndex (id);
    return *outIndex < 0 ? AAX_ERROR_INVALID_PARAMETER_ID : AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetParameterIDFromIndex (int32_t index, AAX_IString* outId) const
{
    return AAXGuardHostCall ([&]
    {
        if (AAXAnyNull (outId))
            return AAX_ERROR_NULL_OBJECT;
        const auto* parameter = mParameterManager.GetParameter (index);
        *outId = parameter != nullptr ? parameter->Identifier() : "";
        return parameter != nullptr ? AAX_SUCCESS : AAX_ERROR_INVALID_PARAMETER_ID;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterValueInfo (AAX_CParamID, int32_t, int32_t* outValue) const
{
    if (AAXAnyNull (outValue))
        return AAX_ERROR_NULL_OBJECT;
    *outValue = 0;
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_CEffectParameters::GetParameterValueFromString (AAX_CParamID id, double* outValue, const AAX_IString& text) const
{
    KEST_WITH_PARAMETER (outValue, {
        double value = 0.0;
        if (! parameter->GetNormalizedValueFromString (AAX_CString (text), &value))
            return AAX_ERROR_INVALID_STRING_CONVERSION;
        *outValue = value;
    });
}

AAX_Result AAX_CEffectParameters::GetParameterStringFromValue (AAX_CParamID id, double value, AAX_IString* outText, int32_t maxLength) const
{
    KEST_WITH_PARAMETER (outText, {
        AAX_CString text;
        if (! parameter->GetStringFromNormalizedValueOfLength (value, maxLength, text))
            return AAX_ERROR_INVALID_STRING_CONVERSION;
        *outText = text.Get();
    });
}

AAX_Result AAX_CEffectParameters::GetParameterValueString (AAX_CParamID id, AAX_IString* outText, int32_t maxLength) const
{
    KEST_WITH_PARAMETER (outText, {
        AAX_CString text;
        parameter->GetValueStringOfLength (maxLength, &text);
        *outText = text.Get();
    });
}

AAX_Result AAX_CEffectParameters::GetParameterNormalizedValue (AAX_CParamID id, double* outValue) const
{
    KEST_WITH_PARAMETER (outValue, *outValue = parameter->GetNormalizedValue());
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedValue (AAX_CParamID id, double value)
{
    KEST_WITH_PARAMETER (noOut, parameter->SetNormalizedValue (value));
}

AAX_Result AAX_CEffectParameters::SetParameterNormalizedRelative (AAX_CParamID id, double delta)
{
    return AAXGuardHostCall ([&]
    {
        double current = 0.0;
        const auto got = GetParameterNormalizedValue (id, &current);
        if (got != AAX_SUCCESS)
            return got;
        return SetParameterNormalizedValue (id, std::max (std::min (current + delta, 1.0), 0.0));
    });
}

AAX_Result AAX_CEffectParameters::TouchParameter (AAX_CParamID id)
{
    KEST_WITH_PARAMETER (noOut, parameter->Touch());
}

AAX_Result AAX_CEffectParameters::ReleaseParameter (AAX_CParamID id)
{
    KEST_WITH_PARAMETER (noOut, parameter->Release());
}

AAX_Result AAX_CEffectParameters::UpdateParameterTouch (AAX_CParamID, AAX_CBoolean)
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedValue (AAX_CParamID id, double value, int32_t)
{
    return AAXGuardHostCall ([&]
    {
        auto* parameter = findParameter (id);
        if (parameter == nullptr)
            return AAX_ERROR_INVALID_PARAMETER_ID;
        parameter->UpdateNormalizedValue (value);
        const auto marked = mPacketDispatcher.SetDirty (id, true);
        ++mNumPlugInChanges;
        return marked;
    });
}

AAX_Result AAX_CEffectParameters::UpdateParameterNormalizedRelative (AAX_CParamID id, double delta)
{
    return AAXGuardHostCall ([&]
    {
        double current = 0.0;
        const auto got = GetParameterNormalizedValue (id, &current);
        if (got != AAX_SUCCESS)
            return got;
        return UpdateParameterNormalizedValue (id, std::max (std::min (current + delta, 1.0), 0.0), 0);
    });
}

AAX_Result AAX_CEffectParameters::GenerateCoefficients()
{
    return AAXGuardHostCall ([&] { return mPacketDispatcher.Dispatch(); });
}

AAX_Result AAX_CEffectParameters::ResetFieldData (AAX_CFieldIndex, void* data, uint32_t size) const
{
    if (data != nullptr)
        std::memset (data, 0, size);
    return AAX_SUCCESS;
}

#undef KEST_WITH_PARAMETER
