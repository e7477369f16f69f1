#pragma once

#include "aax/ACFPtr.h"

/** Creates one host component through the host unknown's component factory:
    asks the unknown for the factory, asks the factory for the component with
    a null outer unknown, and releases the factory.  A null unknown, a refused
    query or a refused creation leaves the target empty (whatever the host
    wrote with its refusal is not kept).

    Throws ACF_E_POINTER when the host reports success yet hands out no factory.
    Called on the thread that registers or starts the plug-in up.
*/
void AAXCreateHostObject (IACFUnknown* hostUnknown, const acfUID& componentId, const acfUID& interfaceId, void** outInterface);

template <typename Interface>
void AAXCreateHostObject (IACFUnknown* hostUnknown, const acfUID& componentId, const acfUID& interfaceId, ACFPtr<Interface>& target)
{
    AAXCreateHostObject (hostUnknown, componentId, interfaceId, target.outArgument());
}

/** Asks a created host object for a later version of its interface.  An empty
    source leaves the target empty. */
template <typename Source, typename Interface>
void AAXQueryLaterVersion (const ACFPtr<Source>& source, const acfUID& interfaceId, ACFPtr<Interface>& target)
{
    void** out = target.outArgument();
    if (source && source->QueryInterface (interfaceId, out) != AAX_SUCCESS)
        *out = nullptr;
}
