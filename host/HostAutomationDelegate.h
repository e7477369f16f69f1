#pragma once

#include "host/HostInterfaceObject.h"

#include <set>
#include <string>

namespace KestHost
{
/** The host's automation: records registrations, touches, releases and value
    requests, and knows which parameters are touched.  One thread at a time. */
class HostAutomationDelegate final : public HostInterfaceObject<AAX_IACFAutomationDelegate>
{
public:
    explicit HostAutomationDelegate (HostEnvironment& env);

    AAX_Result RegisterParameter (AAX_CParamID id) override;
    AAX_Result UnregisterParameter (AAX_CParamID id) override;
    AAX_Result PostSetValueRequest (AAX_CParamID id, double normalizedValue) override;
    AAX_Result PostCurrentValue (AAX_CParamID id, double normalizedValue) override;
    AAX_Result PostTouchRequest (AAX_CParamID id) override;
    AAX_Result PostReleaseRequest (AAX_CParamID id) override;
    AAX_Result GetTouchState (AAX_CParamID id, AAX_CBoolean* outTouched) override;

private:
    std::set<std::string> touched;
};
} // namespace KestHost
