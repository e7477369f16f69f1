#pragma once

#include "aax/AAX_IEffectDescriptor.h"
#include "aax/AAX_IPropertyMap.h"

/** The whole plug-in package as it describes itself to the host.
    Registering thread only. */
class AAX_ICollection
{
public:
    virtual ~AAX_ICollection() = default;

    virtual AAX_IEffectDescriptor* NewDescriptor() = 0;
    virtual AAX_Result AddEffect (const char* effectId, AAX_IEffectDescriptor* effect) = 0;
    virtual AAX_Result SetManufacturerName (const char* name) = 0;
    virtual AAX_Result AddPackageName (const char* name) = 0;
    virtual AAX_Result SetPackageVersion (uint32_t version) = 0;
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;
    virtual AAX_Result SetProperties (AAX_IPropertyMap* properties) = 0;
};
