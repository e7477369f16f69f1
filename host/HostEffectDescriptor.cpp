#include "host/HostEffectDescriptor.h"

#include "host/HostComponentDescriptor.h"
#include "host/HostEnvironment.h"
#include "host/HostPropertyMap.h"
#include "host/VtableSlot.h"

namespace KestHost
{
namespace
{
/** Keeps a map the plug-in handed over; answers its label for the log. */
std::string keepMap (AAX_IACFPropertyMap* properties)
{
    const auto* map = HostPropertyMap::keepFromPlugIn (properties);
    return map != nullptr ? map->label() : "none";
}
} // namespace

class HostEffectDescriptor::LaterVersion final : public HostInterfaceObject<AAX_IACFEffectDescriptor_V2>
{
public:
    LaterVersion (HostEnvironment& env, HostEffectDescriptor& primaryDescriptor)
        : HostInterfaceObject (env, primaryDescriptor.label() + " v2", IID_IAAXEffectDescriptorV2), primary (primaryDescriptor)
    {
    }

    AAX_Result AddComponent (AAX_IACFComponentDescriptor* c) override { return primary.AddComponent (c); }
    AAX_Result AddName (const char* n) override { return primary.AddName (n); }
    AAX_Result AddCategory (uint32_t c) override { return primary.AddCategory (c); }
    AAX_Result AddCategoryBypassParameter (uint32_t c, AAX_CParamID id) override { return primary.AddCategoryBypassParameter (c, id); }
    AAX_Result AddProcPtr (void* p, uint32_t id) override { return primary.AddProcPtr (p, id); }
    AAX_Result SetProperties (AAX_IACFPropertyMap* m) override { return primary.SetProperties (m); }
    AAX_Result AddResourceInfo (uint32_t t, const char* i) override { return primary.AddResourceInfo (t, i); }
    AAX_Result AddMeterDescription (uint32_t id, const char* n, AAX_IACFPropertyMap* m) override { return primary.AddMeterDescription (id, n, m); }

    AAX_Result AddControlMIDINode (uint32_t nodeId, uint32_t nodeType, const char* name, uint32_t channelMask) override
    {
        const auto text = "control MIDI node " + std::to_string (nodeId) + " " + quoted (name) + ", node type "
                        + std::to_string (nodeType) + ", channel mask " + std::to_string (channelMask);
        record (vtableSlot (&AAX_IACFEffectDescriptor_V2::AddControlMIDINode), "AddControlMIDINode " + text);
        primary.others.push_back (text);
        return AAX_SUCCESS;
    }

private:
    HostEffectDescriptor& primary;
};

HostEffectDescriptor::HostEffectDescriptor (HostEnvironment& env)
    : HostInterfaceObject (env, "effect " + std::to_string (env.nextNumber ("effect")), IID_IAAXEffectDescriptorV1)
{
}

IACFUnknown* HostEffectDescriptor::answerQuery (const acfUID& iid)
{
    if (iid == IID_IAAXEffectDescriptorV2)
        return companionAnswer (laterVersion, environment.options().offerLaterVersions, *this);
    return HostInterfaceObject::answerQuery (iid);
}

AAX_Result HostEffectDescriptor::AddComponent (AAX_IACFComponentDescriptor* component)
{
    auto* descriptor = dynamic_cast<HostComponentDescriptor*> (HostObject::fromInterface (component));
    record (vtableSlot (&AAX_IACFEffectDescriptor::AddComponent), "AddComponent " + (descriptor != nullptr ? descriptor->label() : std::string ("null")));
    if (descriptor == nullptr)
        return AAX_ERROR_NULL_OBJECT;
    descriptor->holdFromHost();
    effectComponents.push_back (descriptor);
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddName (const char* name)
{
    record (vtableSlot (&AAX_IACFEffectDescriptor::AddName), "AddName " + quoted (name));
    effectNames.push_back (name != nullptr ? name : "");
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddCategory (uint32_t category)
{
    record (vtableSlot (&AAX_IACFEffectDescriptor::AddCategory), "AddCategory " + std::to_string (category));
    effectCategories.push_back (category);
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddCategoryBypassParameter (uint32_t category, AAX_CParamID parameterId)
{
    record (vtableSlot (&AAX_IACFEffectDescriptor::AddCategoryBypassParameter), "AddCategoryBypassParameter " + std::to_string (category) + " " + quoted (parameterId));
    others.push_back ("category " + std::to_string (category) + " bypass parameter " + quoted (parameterId));
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddProcPtr (void* procedure, uint32_t procId)
{
    record (vtableSlot (&AAX_IACFEffectDescriptor::AddProcPtr), "AddProcPtr " + std::to_string (procId) + (procedure != nullptr ? " set" : " none"));
    effectProcedures.push_back ({ procedure, procId });
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::SetProperties (AAX_IACFPropertyMap* properties)
{
    const auto map = keepMap (properties);
    record (vtableSlot (&AAX_IACFEffectDescriptor::SetProperties), "SetProperties " + map);
    others.push_back ("properties " + map);
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddResourceInfo (uint32_t resourceType, const char* info)
{
    record (vtableSlot (&AAX_IACFEffectDescriptor::AddResourceInfo), "AddResourceInfo " + std::to_string (resourceType) + " " + quoted (info));
    others.push_back ("resource " + std::to_string (resourceType) + " " + quoted (info));
    return AAX_SUCCESS;
}

AAX_Result HostEffectDescriptor::AddMeterDescription (uint32_t meterId, const char* name, AAX_IACFPropertyMap* properties)
{
    const auto map = keepMap (properties);
    record (vtableSlot (&AAX_IACFEffectDescriptor::AddMeterDescription), "AddMeterDescription " + std::to_string (meterId) + " " + quoted (name) + " " + map);
    others.push_back ("meter " + std::to_string (meterId) + " " + quoted (name));
    return AAX_SUCCESS;
}
} // namespace KestHost
