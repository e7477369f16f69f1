#pragma once

#include "host/HostInterfaceObject.h"

#include <set>
#include <string>
#include <vector>

namespace KestHost
{
/** The host's automation: records registrations, touches, releases and value
    requests, knows which parameters are touched, and keeps each set-value
    request until the host answers it with an update.  One thread at a time. */
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

    struct SetValueRequest
    {
        std::string id;
        double value;
    };

    /** The set-value requests since the last call, oldest first. */
    std::vector<SetValueRequest> takeSetValueRequests();

private:
    std::set<std::string> touched;
    std::vector<SetValueRequest> pendingRequests;
};
} // namespace KestHost
