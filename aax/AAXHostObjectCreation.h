#pragma once

#include "aax/ACFPtr.h"

/** Creates one host component through the host unknown's component factory:
    asks the unknown for the factory, asks the factory for the component with
    a null outer unknown, then, when a later-version identifier is given and
    the component was made, asks the component for that later version, and
    only then releases the factory.  A null unknown, a refused query or a
    refused creation leaves the targets empty (whatever the host wrote with
    its refusal is not kept).

    Throws ACF_E_POINTER when the host reports success yet hands out no factory.
    Called on the thread that registers or starts the plug-in up.
*/
void AAXCreateHostObject (IACFUnknown* hostUnknown, const acfUID& componentId, const acfUID& interfaceId, void** outInterface,
                          const acfUID* laterInterfaceId = nullptr, void** outLaterInterface = nullptr);

template <typename Interface>
void AAXCreateHostObject (IACFUnknown* hostUnknown, const acfUID& componentId, const acfUID& interfaceId, ACFPtr<Interface>& target)
{
    AAXCreateHostObject (hostUnknown, componentId, interfaceId, target.outArgument());
}

template <typename Interface, typename LaterInterface>
void AAXCreateHostObject (IACFUnknown* hostUnknown, const acfUID& componentId, const acfUID& interfaceId, ACFPtr<Interface>& target,
                          const acfUID& laterInterfaceId, ACFPtr<LaterInterface>& laterTarget)
{
    void** out = target.outArgument();
    void** laterOut = laterTarget.outArgument();
    AAXCreateHostObject (hostUnknown, componentId, interfaceId, out, &laterInterfaceId, laterOut);
}
