#pragma once

#include "platform/AAXHostInterfaces.h"

/** A set of numbered 32-bit properties attached to an effect, a processing
    variant or the whole package.  Used only during registration, on the
    registering thread. */
class AAX_IPropertyMap
{
public:
    virtual ~AAX_IPropertyMap() = default;

    virtual AAX_CBoolean GetProperty (AAX_CPropertyID id, AAX_CPropertyValue* outValue) const = 0;
    virtual AAX_Result AddProperty (AAX_CPropertyID id, AAX_CPropertyValue value) = 0;
    virtual AAX_Result RemoveProperty (AAX_CPropertyID id) = 0;
    virtual AAX_Result AddPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad* ids, uint32_t count) = 0;
    virtual AAX_CBoolean GetPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad** outIds, uint32_t* outCount) const = 0;
};
