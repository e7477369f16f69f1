#include "host/HostPropertyMap.h"

#include "host/HostEnvironment.h"
#include "host/VtableSlot.h"

#include <algorithm>

namespace KestHost
{
HostPropertyMap::HostPropertyMap (HostEnvironment& env)
    : HostInterfaceObject (env, "map " + std::to_string (env.nextNumber ("map")), IID_IAAXPropertyMapV1)
{
}

HostPropertyMap* HostPropertyMap::keepFromPlugIn (AAX_IACFPropertyMap* properties)
{
    auto* map = dynamic_cast<HostPropertyMap*> (HostObject::fromInterface (properties));
    if (map != nullptr)
        map->holdFromHost();
    return map;
}

IACFUnknown* HostPropertyMap::answerQuery (const acfUID& iid)
{
    if (iid == IID_IAAXPropertyMapV2)
        return companionAnswer (laterVersion, environment.options().offerLaterVersions, *this);
    return HostInterfaceObject::answerQuery (iid);
}

int32_t HostPropertyMap::GetProperty (AAX_CPropertyID id, AAX_CPropertyValue* outValue)
{
    for (auto& entry : entries)
    {
        if (entry.first == id)
        {
            *outValue = entry.second;
            return 1;
        }
    }
    return 0;
}

AAX_Result HostPropertyMap::AddProperty (AAX_CPropertyID id, AAX_CPropertyValue value)
{
    record (vtableSlot (&AAX_IACFPropertyMap::AddProperty), "AddProperty " + std::to_string (id) + " = " + std::to_string (value));
    for (auto& entry : entries)
    {
        if (entry.first == id)
        {
            entry.second = value;
            return AAX_SUCCESS;
        }
    }
    entries.emplace_back (id, value);
    return AAX_SUCCESS;
}

AAX_Result HostPropertyMap::RemoveProperty (AAX_CPropertyID id)
{
    record (vtableSlot (&AAX_IACFPropertyMap::RemoveProperty), "RemoveProperty " + std::to_string (id));
    entries.erase (std::remove_if (entries.begin(), entries.end(), [id] (auto& entry) { return entry.first == id; }), entries.end());
    return AAX_SUCCESS;
}

HostPropertyMap::LaterVersion::LaterVersion (HostEnvironment& env, HostPropertyMap& primaryMap)
    : HostInterfaceObject (env, primaryMap.label() + " v2", IID_IAAXPropertyMapV2), primary (primaryMap)
{
}

AAX_Result HostPropertyMap::LaterVersion::AddPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad* ids, uint32_t count)
{
    record (vtableSlot (&AAX_IACFPropertyMap_V2::AddPropertyWithIDArray), "AddPropertyWithIDArray " + std::to_string (id) + " count " + std::to_string (count));
    idArrays.emplace_back (id, std::vector<AAX_SPlugInIdentifierTriad> (ids, ids + count));
    return AAX_SUCCESS;
}

int32_t HostPropertyMap::LaterVersion::GetPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad** outIds, uint32_t* outCount)
{
    for (auto& entry : idArrays)
    {
        if (entry.first == id)
        {
            *outIds = entry.second.data();
            *outCount = static_cast<uint32_t> (entry.second.size());
            return 1;
        }
    }
    return 0;
}
} // namespace KestHost
