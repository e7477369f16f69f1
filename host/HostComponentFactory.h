#pragma once

#include "host/HostInterfaceObject.h"

namespace KestHost
{
/** Creates the host components the plug-in asks for by identifier:
    collection, descriptors, property maps and host services, as the options
    allow.  Each comes out with one reference, the caller's.  One thread at a
    time. */
class HostComponentFactory final : public HostInterfaceObject<IACFComponentFactory>
{
public:
    explicit HostComponentFactory (HostEnvironment& env);

    AAX_Result CreateInstance (const acfUID& componentId, IACFUnknown* outer, const acfUID& iid, void** outInterface) override;
};
} // namespace KestHost
