#include "host/LoadedPlugIn.h"

#include "host/HostCollection.h"
#include "host/HostUnknown.h"

#include <stdexcept>

namespace KestHost
{
LoadedPlugIn::LoadedPlugIn (const std::string& path) : loaded (path)
{
    const auto& entries = loaded.entryPoints();
    entries.startup (&registration.hostUnknown());
    started = true;
    const auto registered = entries.registerPlugin (&registration.hostUnknown(), &definition);
    if (registered != AAX_SUCCESS || definition == nullptr)
    {
        entries.shutdown (&registration.hostUnknown());
        throw std::runtime_error ("the plug-in refused to register: " + std::to_string (registered));
    }
}

LoadedPlugIn::~LoadedPlugIn()
{
    if (definition != nullptr)
        definition->Release();
    if (started)
        loaded.entryPoints().shutdown (&registration.hostUnknown());
}

const HostCollection& LoadedPlugIn::description() const
{
    return static_cast<HostPluginDefinition*> (definition)->collection();
}
} // namespace KestHost
