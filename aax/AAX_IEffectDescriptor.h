#pragma once

#include "aax/AAX_IComponentDescriptor.h"
#include "aax/AAX_IPropertyMap.h"

/** One effect of the package: names, category, creation procedures and its
    processing variants.  Registering thread only. */
class AAX_IEffectDescriptor
{
public:
    virtual ~AAX_IEffectDescriptor() = default;

    virtual AAX_IComponentDescriptor* NewComponentDescriptor() = 0;
    virtual AAX_Result AddComponent (AAX_IComponentDescriptor* component) = 0;
    virtual AAX_Result AddName (const char* name) = 0;
    virtual AAX_Result AddCategory (uint32_t category) = 0;
    virtual AAX_Result AddCategoryBypassParameter (uint32_t category, AAX_CParamID parameterId) = 0;
    virtual AAX_Result AddProcPtr (void* procedure, uint32_t procId) = 0;
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;
    virtual AAX_Result SetProperties (AAX_IPropertyMap* properties) = 0;
    virtual AAX_Result AddResourceInfo (uint32_t resourceType, const char* info) = 0;
    virtual AAX_Result AddMeterDescription (uint32_t meterId, const char* name, AAX_IPropertyMap* properties) = 0;
    virtual AAX_Result AddControlMIDINode (uint32_t nodeId, uint32_t nodeType, const char* name, uint32_t channelMask) = 0;
};
