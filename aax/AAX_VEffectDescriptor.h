#pragma once

#include "aax/AAX_IEffectDescriptor.h"
#include "aax/AAX_VComponentDescriptor.h"
#include "aax/AAX_VPropertyMap.h"
#include "aax/ACFPtr.h"

#include <memory>
#include <vector>

/** The effect-descriptor wrapper: creates the host's effect descriptor,
    forwards each operation to its fixed host slot and owns the component
    descriptors and property maps it makes.  Without a host object the
    operations answer AAX_ERROR_NULL_OBJECT (AddControlMIDINode
    AAX_ERROR_UNIMPLEMENTED) and call nothing.

    Registering thread only.
*/
class AAX_VEffectDescriptor final : public AAX_IEffectDescriptor
{
public:
    explicit AAX_VEffectDescriptor (IACFUnknown* hostUnknown);
    ~AAX_VEffectDescriptor() override;

    AAX_IComponentDescriptor* NewComponentDescriptor() override;
    AAX_Result AddComponent (AAX_IComponentDescriptor* component) override;
    AAX_Result AddName (const char* name) override;
    AAX_Result AddCategory (uint32_t category) override;
    AAX_Result AddCategoryBypassParameter (uint32_t category, AAX_CParamID parameterId) override;
    AAX_Result AddProcPtr (void* procedure, uint32_t procId) override;
    AAX_IPropertyMap* NewPropertyMap() override;
    AAX_Result SetProperties (AAX_IPropertyMap* properties) override;
    AAX_Result AddResourceInfo (uint32_t resourceType, const char* info) override;
    AAX_Result AddMeterDescription (uint32_t meterId, const char* name, AAX_IPropertyMap* properties) override;
    AAX_Result AddControlMIDINode (uint32_t nodeId, uint32_t nodeType, const char* name, uint32_t channelMask) override;

    /** The host's effect descriptor, no reference added; may be null. */
    AAX_IACFEffectDescriptor* GetHostObject() const noexcept { return effectDescriptor.get(); }

private:
    ACFPtr<IACFUnknown> hostUnknown; // first, so that a throwing constructor gives it back
    ACFPtr<AAX_IACFEffectDescriptor> effectDescriptor;
    ACFPtr<AAX_IACFEffectDescriptor_V2> effectDescriptorV2;
    std::vector<std::unique_ptr<AAX_IComponentDescriptor>> componentDescriptors;
    std::vector<std::unique_ptr<AAX_IPropertyMap>> propertyMaps;
};
