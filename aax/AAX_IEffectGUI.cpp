#include "aax/AAX_IEffectGUI.h"

AAX_Result AAX_IEffectGUI::QueryInterface (const acfUID& iid, void** outInterface)
{
    return GetOuterUnknown()->QueryInterface (iid, outInterface);
}

uint32_t AAX_IEffectGUI::AddRef() { return GetOuterUnknown()->AddRef(); }
uint32_t AAX_IEffectGUI::Release() { return GetOuterUnknown()->Release(); }

AAX_Result AAX_IEffectGUI::InternalQueryInterface (const acfUID& iid, void** outInterface)
{
    if (iid == IID_IAAXEffectGUIV1)
    {
        auto* primary = static_cast<AAX_IACFEffectGUI*> (this);
        *outInterface = primary;
        primary->AddRef();
        return AAX_SUCCESS;
    }
    return CACFUnknown::InternalQueryInterface (iid, outInterface);
}
