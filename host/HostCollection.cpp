#include "host/HostCollection.h"

#include "host/HostEffectDescriptor.h"
#include "host/HostEnvironment.h"
#include "host/HostPropertyMap.h"
#include "host/VtableSlot.h"

namespace KestHost
{
HostCollection::HostCollection (HostEnvironment& env)
    : HostInterfaceObject (env, "collection " + std::to_string (env.nextNumber ("collection")), IID_IAAXCollectionV1)
{
}

IACFUnknown* HostCollection::answerQuery (const acfUID& iid)
{
    if (iid == IID_IACFPluginDefinition)
        return companionAnswer (definition, environment.options().offerPluginDefinition, *this);
    return HostInterfaceObject::answerQuery (iid);
}

AAX_Result HostCollection::AddEffect (const char* effectId, AAX_IACFEffectDescriptor* effect)
{
    auto* descriptor = dynamic_cast<HostEffectDescriptor*> (HostObject::fromInterface (effect));
    record (vtableSlot (&AAX_IACFCollection::AddEffect), "AddEffect " + quoted (effectId) + " " + (descriptor != nullptr ? descriptor->label() : std::string ("null")));
    if (descriptor == nullptr || effectId == nullptr)
        return AAX_ERROR_NULL_OBJECT;
    descriptor->holdFromHost();
    collectionEffects.emplace_back (effectId, descriptor);
    return AAX_SUCCESS;
}

AAX_Result HostCollection::SetManufacturerName (const char* name)
{
    record (vtableSlot (&AAX_IACFCollection::SetManufacturerName), "SetManufacturerName " + quoted (name));
    manufacturer = name != nullptr ? name : "";
    return AAX_SUCCESS;
}

AAX_Result HostCollection::AddPackageName (const char* name)
{
    record (vtableSlot (&AAX_IACFCollection::AddPackageName), "AddPackageName " + quoted (name));
    names.push_back (name != nullptr ? name : "");
    return AAX_SUCCESS;
}

AAX_Result HostCollection::SetPackageVersion (uint32_t newVersion)
{
    record (vtableSlot (&AAX_IACFCollection::SetPackageVersion), "SetPackageVersion " + std::to_string (newVersion));
    version = newVersion;
    return AAX_SUCCESS;
}

AAX_Result HostCollection::SetProperties (AAX_IACFPropertyMap* properties)
{
    const auto* map = HostPropertyMap::keepFromPlugIn (properties);
    record (vtableSlot (&AAX_IACFCollection::SetProperties), "SetProperties " + (map != nullptr ? map->label() : std::string ("none")));
    return AAX_SUCCESS;
}

HostPluginDefinition::HostPluginDefinition (HostEnvironment& env, HostCollection& collection)
    : HostInterfaceObject (env, "definition of " + collection.label(), IID_IACFPluginDefinition), described (collection)
{
    collection.holdFromHost();
}
} // namespace KestHost
