#include "aax/AAX_VAutomationDelegate.h"

AAX_VAutomationDelegate::AAX_VAutomationDelegate (IACFUnknown* hostUnknown)
{
    void** out = automationDelegate.outArgument();
    if (hostUnknown != nullptr && hostUnknown->QueryInterface (IID_IAAXAutomationDelegateV1, out) != AAX_SUCCESS)
        *out = nullptr; // whatever the host wrote with its refusal is not kept
}

AAX_VAutomationDelegate::~AAX_VAutomationDelegate()
{
    automationDelegate.reset();
}

#define KEST_FORWARD(call) return automationDelegate ? automationDelegate->call : AAX_ERROR_NULL_OBJECT

AAX_Result AAX_VAutomationDelegate::RegisterParameter (AAX_CParamID id) { KEST_FORWARD (RegisterParameter (id)); }
AAX_Result AAX_VAutomationDelegate::UnregisterParameter (AAX_CParamID id) { KEST_FORWARD (UnregisterParameter (id)); }
AAX_Result AAX_VAutomationDelegate::PostSetValueRequest (AAX_CParamID id, double value) const { KEST_FORWARD (PostSetValueRequest (id, value)); }
AAX_Result AAX_VAutomationDelegate::PostCurrentValue (AAX_CParamID id, double value) const { KEST_FORWARD (PostCurrentValue (id, value)); }
AAX_Result AAX_VAutomationDelegate::PostTouchRequest (AAX_CParamID id) { KEST_FORWARD (PostTouchRequest (id)); }
AAX_Result AAX_VAutomationDelegate::PostReleaseRequest (AAX_CParamID id) { KEST_FORWARD (PostReleaseRequest (id)); }
AAX_Result AAX_VAutomationDelegate::GetTouchState (AAX_CParamID id, AAX_CBoolean* out) { KEST_FORWARD (GetTouchState (id, out)); }

#undef KEST_FORWARD
