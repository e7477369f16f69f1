#include "aax/AAX_VEffectDescriptor.h"

#include "aax/AAXHostObjectCreation.h"

namespace
{
AAX_IACFComponentDescriptor* hostObjectOf (const AAX_IComponentDescriptor* component)
{
    auto* wrapper = dynamic_cast<const AAX_VComponentDescriptor*> (component);
    return wrapper != nullptr ? wrapper->GetHostObject() : nullptr;
}
} // namespace

AAX_VEffectDescriptor::AAX_VEffectDescriptor (IACFUnknown* unknown)
{
    hostUnknown.holdAddingReference (unknown);

    AAXCreateHostObject (hostUnknown.get(), AAXCompID_EffectDescriptor, IID_IAAXEffectDescriptorV1, effectDescriptor,
                         IID_IAAXEffectDescriptorV2, effectDescriptorV2);
}

AAX_VEffectDescriptor::~AAX_VEffectDescriptor()
{
    componentDescriptors.clear();
    propertyMaps.clear();
    effectDescriptorV2.reset();
    effectDescriptor.reset();
    hostUnknown.reset();
}

AAX_IComponentDescriptor* AAX_VEffectDescriptor::NewComponentDescriptor()
{
    componentDescriptors.push_back (std::make_unique<AAX_VComponentDescriptor> (hostUnknown.get()));
    return componentDescriptors.back().get();
}

AAX_IPropertyMap* AAX_VEffectDescriptor::NewPropertyMap()
{
    propertyMaps.push_back (std::make_unique<AAX_VPropertyMap> (hostUnknown.get()));
    return propertyMaps.back().get();
}

#define KEST_FORWARD(call) \
    return effectDescriptor ? effectDescriptor->call : AAX_ERROR_NULL_OBJECT

AAX_Result AAX_VEffectDescriptor::AddComponent (AAX_IComponentDescriptor* component)
{
    KEST_FORWARD (AddComponent (hostObjectOf (component)));
}

AAX_Result AAX_VEffectDescriptor::AddName (const char* name) { KEST_FORWARD (AddName (name)); }
AAX_Result AAX_VEffectDescriptor::AddCategory (uint32_t category) { KEST_FORWARD (AddCategory (category)); }

AAX_Result AAX_VEffectDescriptor::AddCategoryBypassParameter (uint32_t category, AAX_CParamID parameterId)
{
    KEST_FORWARD (AddCategoryBypassParameter (category, parameterId));
}

AAX_Result AAX_VEffectDescriptor::AddProcPtr (void* procedure, uint32_t procId) { KEST_FORWARD (AddProcPtr (procedure, procId)); }

AAX_Result AAX_VEffectDescriptor::SetProperties (AAX_IPropertyMap* properties)
{
    KEST_FORWARD (SetProperties (AAXHostObjectOf (properties)));
}

AAX_Result AAX_VEffectDescriptor::AddResourceInfo (uint32_t resourceType, const char* info)
{
    KEST_FORWARD (AddResourceInfo (resourceType, info));
}

AAX_Result AAX_VEffectDescriptor::AddMeterDescription (uint32_t meterId, const char* name, AAX_IPropertyMap* properties)
{
    KEST_FORWARD (AddMeterDescription (meterId, name, AAXHostObjectOf (properties)));
}

#undef KEST_FORWARD

AAX_Result AAX_VEffectDescriptor::AddControlMIDINode (uint32_t nodeId, uint32_t nodeType, const char* name, uint32_t channelMask)
{
    return effectDescriptorV2 ? effectDescriptorV2->AddControlMIDINode (nodeId, nodeType, name, channelMask) : AAX_ERROR_UNIMPLEMENTED;
}
