#include "host/HostUnknown.h"

#include "host/HostAutomationDelegate.h"
#include "host/HostComponentFactory.h"
#include "host/HostController.h"
#include "host/HostEnvironment.h"
#include "host/HostTransport.h"
#include "host/HostViewContainer.h"

namespace KestHost
{
HostUnknown::HostUnknown (HostEnvironment& env)
    : HostInterfaceObject (env, "host unknown", IID_IACFUnknown)
{
}

AAX_Result HostUnknown::QueryInterface (const acfUID& iid, void** outInterface)
{
    if (iid == IID_IACFComponentFactory && environment.options().factoryQueryClaimsSuccessWithoutObject)
    {
        *outInterface = nullptr;
        return AAX_SUCCESS;
    }
    return HostInterfaceObject::QueryInterface (iid, outInterface);
}

IACFUnknown* HostUnknown::answerQuery (const acfUID& iid)
{
    const auto& options = environment.options();

    if (iid == IID_IACFUnknown)
        return this;

    if (iid == IID_IACFComponentFactory)
        return companionAnswer (factory, options.offerComponentFactory);

    if (iid == IID_IAAXControllerV1 || iid == IID_IAAXControllerV2)
    {
        if (controller == nullptr)
            controller = &environment.make<HostController>();
        return controller->answerForHostUnknown (iid);
    }

    if (iid == IID_IAAXTransportV1 || iid == IID_IAAXTransportV2)
    {
        if (transport == nullptr)
            transport = &environment.make<HostTransport>();
        return transport->answerForHostUnknown (iid);
    }

    if (iid == IID_IAAXAutomationDelegateV1)
        return companionAnswer (automationDelegate, options.offerAutomationDelegate);

    if (iid == IID_IAAXViewContainerV1)
        return companionAnswer (viewContainer, options.offerViewContainer);

    if (iid == IID_IAAXEffectParametersV1 || iid == IID_IAAXEffectParametersV2)
        return effectParameters;

    return nullptr;
}
} // namespace KestHost
