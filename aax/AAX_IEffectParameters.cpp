#include "aax/AAX_IEffectParameters.h"

AAX_Result AAX_IEffectParameters::QueryInterface (const acfUID& iid, void** outInterface)
{
    return GetOuterUnknown()->QueryInterface (iid, outInterface);
}

uint32_t AAX_IEffectParameters::AddRef() { return GetOuterUnknown()->AddRef(); }
uint32_t AAX_IEffectParameters::Release() { return GetOuterUnknown()->Release(); }

AAX_Result AAX_IEffectParameters::InternalQueryInterface (const acfUID& iid, void** outInterface)
{
    if (iid == IID_IAAXEffectParametersV1 || iid == IID_IAAXEffectParametersV2)
    {
        auto* primary = static_cast<AAX_IACFEffectParameters_V2*> (this);
        *outInterface = primary;
        primary->AddRef();
        return AAX_SUCCESS;
    }
    return CACFUnknown::InternalQueryInterface (iid, outInterface);
}
