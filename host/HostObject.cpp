#include "host/HostObject.h"

#include "host/HostEnvironment.h"

namespace KestHost
{
HostObject::HostObject (HostEnvironment& env, std::string label)
    : environment (env), objectLabel (std::move (label))
{
}

void HostObject::holdFromHost()
{
    addReference();
    ++heldByHost;
}

HostObject* HostObject::fromInterface (IACFUnknown* unknown)
{
    return dynamic_cast<HostObject*> (unknown);
}

uint32_t HostObject::addReference()
{
    return ++references;
}

uint32_t HostObject::releaseReference()
{
    if (references == 0)
    {
        environment.log ("over-release " + objectLabel);
        return 0;
    }
    environment.log ("release " + objectLabel);
    return --references;
}

void HostObject::record (int slot, const std::string& call) const
{
    environment.log (objectLabel + " [" + std::to_string (slot) + "] " + call);
}
} // namespace KestHost
