#include "host/HostEnvironment.h"

#include "host/HostCollection.h"
#include "host/HostServicesObject.h"
#include "host/HostUnknown.h"

namespace KestHost
{
HostEnvironment::HostEnvironment (HostOptions options) : hostOptions (options) {}

HostEnvironment::~HostEnvironment() = default;

HostUnknown& HostEnvironment::hostUnknown()
{
    if (unknown == nullptr)
    {
        unknown = &make<HostUnknown>();
        unknown->AddRef();
    }
    return *unknown;
}

int HostEnvironment::nextNumber (const std::string& kind)
{
    for (auto& entry : numbers)
        if (entry.first == kind)
            return ++entry.second;
    numbers.emplace_back (kind, 1);
    return 1;
}

HostObject* HostEnvironment::find (const std::string& label) const
{
    for (auto& object : objects)
        if (object->label() == label)
            return object.get();
    return nullptr;
}

std::vector<HostCollection*> HostEnvironment::collections() const
{
    std::vector<HostCollection*> found;
    for (auto& object : objects)
        if (auto* collection = dynamic_cast<HostCollection*> (object.get()))
            found.push_back (collection);
    return found;
}

std::vector<HostServicesObject*> HostEnvironment::hostServices() const
{
    std::vector<HostServicesObject*> found;
    for (auto& object : objects)
        if (auto* services = dynamic_cast<HostServicesObject*> (object.get()))
            found.push_back (services);
    return found;
}
} // namespace KestHost
