#include "host/HostAutomationDelegate.h"

#include "host/HostEnvironment.h"
#include "host/VtableSlot.h"

#include <cstdio>

namespace KestHost
{
namespace
{
std::string valueText (double value)
{
    char text[32];
    std::snprintf (text, sizeof (text), "%.6f", value);
    return text;
}
} // namespace

#define KEST_RECORD(Method, details) record (vtableSlot (&AAX_IACFAutomationDelegate::Method), std::string (#Method " ") + quoted (id) + details)

HostAutomationDelegate::HostAutomationDelegate (HostEnvironment& env)
    : HostInterfaceObject (env, "automation", IID_IAAXAutomationDelegateV1)
{
}

AAX_Result HostAutomationDelegate::RegisterParameter (AAX_CParamID id)
{
    KEST_RECORD (RegisterParameter, "");
    return AAX_SUCCESS;
}

AAX_Result HostAutomationDelegate::UnregisterParameter (AAX_CParamID id)
{
    KEST_RECORD (UnregisterParameter, "");
    return AAX_SUCCESS;
}

AAX_Result HostAutomationDelegate::PostSetValueRequest (AAX_CParamID id, double value)
{
    KEST_RECORD (PostSetValueRequest, " " + valueText (value));
    if (id != nullptr)
        pendingRequests.push_back ({ id, value });
    return AAX_SUCCESS;
}

AAX_Result HostAutomationDelegate::PostCurrentValue (AAX_CParamID id, double value)
{
    KEST_RECORD (PostCurrentValue, " " + valueText (value));
    return AAX_SUCCESS;
}

AAX_Result HostAutomationDelegate::PostTouchRequest (AAX_CParamID id)
{
    KEST_RECORD (PostTouchRequest, "");
    if (id != nullptr)
        touched.insert (id);
    return AAX_SUCCESS;
}

AAX_Result HostAutomationDelegate::PostReleaseRequest (AAX_CParamID id)
{
    KEST_RECORD (PostReleaseRequest, "");
    if (id != nullptr)
        touched.erase (id);
    return AAX_SUCCESS;
}

AAX_Result HostAutomationDelegate::GetTouchState (AAX_CParamID id, AAX_CBoolean* outTouched)
{
    KEST_RECORD (GetTouchState, "");
    *outTouched = id != nullptr && touched.count (id) != 0 ? 1 : 0;
    return AAX_SUCCESS;
}

std::vector<HostAutomationDelegate::SetValueRequest> HostAutomationDelegate::takeSetValueRequests()
{
    std::vector<SetValueRequest> taken;
    taken.swap (pendingRequests);
    return taken;
}

#undef KEST_RECORD
} // namespace KestHost
