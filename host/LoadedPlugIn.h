#pragma once

#include "host/HostEnvironment.h"
#include "host/PluginBundle.h"

#include <string>

namespace KestHost
{
class HostCollection;

/** The plug-in's side of one run: the bundle loaded, started and registered
    with a host of its own, and shut down again in reverse order when this
    goes.  Throws std::runtime_error when the bundle cannot be loaded or
    refuses to register.  Main thread. */
class LoadedPlugIn
{
public:
    explicit LoadedPlugIn (const std::string& path);
    ~LoadedPlugIn();

    LoadedPlugIn (const LoadedPlugIn&) = delete;
    LoadedPlugIn& operator= (const LoadedPlugIn&) = delete;

    const HostCollection& description() const;
    const PluginBundle& bundle() const noexcept { return loaded; }

private:
    PluginBundle loaded;
    HostEnvironment registration;
    IACFPluginDefinition* definition = nullptr;
    bool started = false;
};
} // namespace KestHost
