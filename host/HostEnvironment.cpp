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

template <typename T>
std::vector<T*> HostEnvironment::objectsOfType() const
{
    std::vector<T*> found;
    for (auto& object : objects)
        if (auto* typed = dynamic_cast<T*> (object.get()))
            found.push_back (typed);
    return found;
}

std::vector<HostCollection*> HostEnvironment::collections() const
{
    return objectsOfType<HostCollection>();
}

std::vector<HostServicesObject*> HostEnvironment::hostServices() const
{
    return objectsOfType<HostServicesObject>();
}
} // namespace KestHost
