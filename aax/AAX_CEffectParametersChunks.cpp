// The default chunk "Complete Controls State": every unfiltered parameter by
// its identifier, floats as doubles, integers and two-state values as int32,
// texts as strings.

#include "aax/AAX_CEffectParameters.h"

#include "aax/AAXHostCallGuard.h"
#include "aax/AAX_CString.h"

#include <cstring>

namespace
{
/** The parameter's value read through the first typed getter that answers,
    in the chunk's fixed order. */
struct TypedValue
{
    enum Kind { none, floatValue, int32Value, boolValue, doubleValue, stringValue } kind = none;
    float f = 0.0f;
    int32_t i = 0;
    bool b = false;
    double d = 0.0;
    AAX_CString s;
};

TypedValue readTyped (const AAX_IParameter& parameter)
{
    TypedValue value;
    if (parameter.GetValueAsFloat (&value.f))
        value.kind = TypedValue::floatValue;
    else if (parameter.GetValueAsInt32 (&value.i))
        value.kind = TypedValue::int32Value;
    else if (parameter.GetValueAsBool (&value.b))
        value.kind = TypedValue::boolValue;
    else if (parameter.GetValueAsDouble (&value.d))
        value.kind = TypedValue::doubleValue;
    else if (parameter.GetValueAsString (&value.s))
        value.kind = TypedValue::stringValue;
    return value;
}
} // namespace

template <typename Visit>
bool AAX_CEffectParameters::visitChunkParameters (Visit&& visit)
{
    int32_t count = 0;
    GetNumberOfParameters (&count);
    for (int32_t index = 0; index < count; ++index)
    {
        auto* parameter = mParameterManager.GetParameter (index);
        if (parameter == nullptr || mFilteredParameters.count (parameter->Identifier()) != 0)
            continue;
        if (! visit (*parameter))
            return false;
    }
    return true;
}

void AAX_CEffectParameters::BuildChunkData()
{
    mChunkParser.Clear();
    visitChunkParameters ([this] (const AAX_IParameter& parameter)
    {
        const auto* id = parameter.Identifier();
        const auto value = readTyped (parameter);
        switch (value.kind)
        {
            case TypedValue::floatValue: mChunkParser.AddDouble (id, static_cast<double> (value.f)); break;
            case TypedValue::int32Value: mChunkParser.AddInt32 (id, value.i); break;
            case TypedValue::boolValue: mChunkParser.AddInt32 (id, value.b ? 1 : 0); break;
            case TypedValue::doubleValue: mChunkParser.AddDouble (id, value.d); break;
            case TypedValue::stringValue: mChunkParser.AddString (id, value.s); break;
            case TypedValue::none: break;
        }
        return true;
    });
}

AAX_Result AAX_CEffectParameters::GetNumberOfChunks (int32_t* outCount) const
{
    if (AAXAnyNull (outCount))
        return AAX_ERROR_NULL_OBJECT;
    *outCount = 1;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::GetChunkIDFromIndex (int32_t index, AAX_CTypeID* outChunkId) const
{
    if (AAXAnyNull (outChunkId))
        return AAX_ERROR_NULL_OBJECT;
    *outChunkId = index == 0 ? kDefaultChunkID : 0;
    return index == 0 ? AAX_SUCCESS : AAX_ERROR_INVALID_CHUNK_INDEX;
}

AAX_Result AAX_CEffectParameters::GetChunkSize (AAX_CTypeID chunkId, uint32_t* outSize)
{
    return AAXGuardHostCall ([&]
    {
        if (AAXAnyNull (outSize))
            return AAX_ERROR_NULL_OBJECT;
        if (chunkId != kDefaultChunkID)
        {
            *outSize = 0;
            return AAX_ERROR_INVALID_CHUNK_ID;
        }
        BuildChunkData();
        mChunkSize = static_cast<uint32_t> (mChunkParser.GetChunkDataSize());
        *outSize = mChunkSize;
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetChunk (AAX_CTypeID chunkId, AAX_SPlugInChunk* outChunk)
{
    return AAXGuardHostCall ([&]
    {
        if (outChunk == nullptr)
            return AAX_ERROR_NULL_OBJECT;
        if (chunkId != kDefaultChunkID)
            return AAX_ERROR_INVALID_CHUNK_ID;

        BuildChunkData();
        const auto size = static_cast<uint32_t> (mChunkParser.GetChunkDataSize());
        if (mChunkSize == 0 || mChunkSize != size)
            return AAX_ERROR_INCORRECT_CHUNK_SIZE;

        outChunk->fVersion = mChunkParser.GetChunkVersion();
        std::memset (outChunk->fName, 0, sizeof (outChunk->fName));
        std::strncpy (outChunk->fName, kDefaultChunkName, sizeof (outChunk->fName) - 1);
        return static_cast<AAX_Result> (mChunkParser.WriteChunk (outChunk));
    });
}

AAX_Result AAX_CEffectParameters::SetChunk (AAX_CTypeID chunkId, const AAX_SPlugInChunk* chunk)
{
    return AAXGuardHostCall ([&]
    {
        if (chunkId != kDefaultChunkID)
            return AAX_ERROR_INVALID_CHUNK_ID;
        if (chunk == nullptr)
            return AAX_ERROR_NULL_OBJECT;

        mChunkParser.LoadChunk (chunk);
        visitChunkParameters ([this] (AAX_IParameter& parameter)
        {
            const auto* id = parameter.Identifier();
            double d = 0.0;
            int32_t i = 0;
            AAX_CString s;
            switch (readTyped (parameter).kind)
            {
                case TypedValue::floatValue:
                    if (mChunkParser.FindDouble (id, &d))
                        parameter.SetValueWithFloat (static_cast<float> (d));
                    break;
                case TypedValue::int32Value:
                    if (mChunkParser.FindInt32 (id, &i))
                        parameter.SetValueWithInt32 (i);
                    break;
                case TypedValue::boolValue:
                    if (mChunkParser.FindInt32 (id, &i))
                        parameter.SetValueWithBool (i != 0);
                    break;
                case TypedValue::doubleValue:
                    if (mChunkParser.FindDouble (id, &d))
                        parameter.SetValueWithDouble (d);
                    break;
                case TypedValue::stringValue:
                    if (mChunkParser.FindString (id, &s))
                        parameter.SetValueWithString (s);
                    break;
                case TypedValue::none: break;
            }
            return true;
        });
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::CompareActiveChunk (const AAX_SPlugInChunk* chunk, AAX_CBoolean* outIsEqual)
{
    return AAXGuardHostCall ([&]
    {
        if (AAXAnyNull (outIsEqual))
            return AAX_ERROR_NULL_OBJECT;
        if (chunk == nullptr || chunk->fChunkID != kDefaultChunkID)
        {
            *outIsEqual = 1;
            return AAX_SUCCESS;
        }

        *outIsEqual = 0;
        mChunkParser.LoadChunk (chunk);
        const bool allEqual = visitChunkParameters ([this] (const AAX_IParameter& parameter)
        {
            const auto* id = parameter.Identifier();
            const auto value = readTyped (parameter);
            double d = 0.0;
            int32_t i = 0;
            AAX_CString s;
            switch (value.kind)
            {
                case TypedValue::floatValue: return mChunkParser.FindDouble (id, &d) && static_cast<float> (d) == value.f;
                case TypedValue::int32Value: return mChunkParser.FindInt32 (id, &i) && i == value.i;
                case TypedValue::boolValue: return mChunkParser.FindInt32 (id, &i) && (i != 0) == value.b;
                case TypedValue::doubleValue:
                    return mChunkParser.FindDouble (id, &d) && static_cast<float> (d) == static_cast<float> (value.d);
                case TypedValue::stringValue: return mChunkParser.FindString (id, &s) && ! (s != value.s);
                case TypedValue::none: break;
            }
            return true;
        });
        if (allEqual)
            *outIsEqual = 1;
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::GetNumberOfChanges (int32_t* outCount) const
{
    if (AAXAnyNull (outCount))
        return AAX_ERROR_NULL_OBJECT;
    if (mNumPlugInChanges >= 0)
        *outCount = mNumPlugInChanges;
    return AAX_SUCCESS;
}
