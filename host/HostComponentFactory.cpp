#include "host/HostComponentFactory.h"

#include "host/HostCollection.h"
#include "host/HostComponentDescriptor.h"
#include "host/HostEffectDescriptor.h"
#include "host/HostEnvironment.h"
#include "host/HostPropertyMap.h"
#include "host/HostServicesObject.h"

namespace KestHost
{
HostComponentFactory::HostComponentFactory (HostEnvironment& env)
    : HostInterfaceObject (env, "factory", IID_IACFComponentFactory)
{
}

AAX_Result HostComponentFactory::CreateInstance (const acfUID& componentId, IACFUnknown* outer, const acfUID& iid, void** outInterface)
{
    *outInterface = nullptr;
    if (outer != nullptr)
        environment.log ("factory: outer unknown given");

    const auto& options = environment.options();
    IACFUnknown* made = nullptr;

    if (componentId == AAXCompID_AAXCollection && options.createCollection)
        made = &environment.make<HostCollection>();
    else if (componentId == AAXCompID_EffectDescriptor && options.createDescriptors)
        made = &environment.make<HostEffectDescriptor>();
    else if (componentId == AAXCompID_ComponentDescriptor && options.createDescriptors)
        made = &environment.make<HostComponentDescriptor>();
    else if (componentId == AAXCompID_PropertyMap && options.createDescriptors)
        made = &environment.make<HostPropertyMap>();
    else if (componentId == AAXCompID_HostServices && options.createHostServices)
        made = &environment.make<HostServicesObject>();

    if (made == nullptr)
        return ACF_E_NOINTERFACE;
    return made->QueryInterface (iid, outInterface);
}
} // namespace KestHost
