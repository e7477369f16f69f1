#pragma once

#include "host/HostInterfaceObject.h"

namespace KestHost
{
class HostAutomationDelegate;
class HostComponentFactory;
class HostController;
class HostTransport;
class HostViewContainer;

/** The host unknown handed to the plug-in: answers the component factory and
    the interfaces an instance is offered, each as the options allow.  The
    instance interfaces are made on first request and reused.  One thread at a
    time. */
class HostUnknown final : public HostInterfaceObject<IACFUnknown>
{
public:
    explicit HostUnknown (HostEnvironment& env);

    AAX_Result QueryInterface (const acfUID& iid, void** outInterface) override;

    /** From now on the effect-parameters identifiers are answered with the
        instance's own interface (null: refused), as a host answers a view
        object of that instance.  The instance must outlive the answers. */
    void offerEffectParameters (AAX_IACFEffectParameters* instance) noexcept { effectParameters = instance; }

protected:
    IACFUnknown* answerQuery (const acfUID& iid) override;

private:
    HostComponentFactory* factory = nullptr;
    HostController* controller = nullptr;
    HostTransport* transport = nullptr;
    HostAutomationDelegate* automationDelegate = nullptr;
    HostViewContainer* viewContainer = nullptr;
    AAX_IACFEffectParameters* effectParameters = nullptr;
};
} // namespace KestHost
