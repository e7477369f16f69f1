#pragma once

#include "aax/AAX_IPropertyMap.h"
#include "aax/ACFPtr.h"

/** The property-map wrapper: creates the host's property map through the host
    unknown's component factory and forwards each operation to it.  Without a
    host object the operations answer AAX_ERROR_NULL_OBJECT (later-version ones
    AAX_ERROR_UNIMPLEMENTED, the two queries false) and call nothing.

    Registering thread only.
*/
class AAX_VPropertyMap final : public AAX_IPropertyMap
{
public:
    explicit AAX_VPropertyMap (IACFUnknown* hostUnknown);
    ~AAX_VPropertyMap() override;

    AAX_CBoolean GetProperty (AAX_CPropertyID id, AAX_CPropertyValue* outValue) const override;
    AAX_Result AddProperty (AAX_CPropertyID id, AAX_CPropertyValue value) override;
    AAX_Result RemoveProperty (AAX_CPropertyID id) override;
    AAX_Result AddPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad* ids, uint32_t count) override;
    AAX_CBoolean GetPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad** outIds, uint32_t* outCount) const override;

    /** The host's property map, no reference added; null when not created. */
    AAX_IACFPropertyMap* GetHostObject() const noexcept { return propertyMap.get(); }

private:
    ACFPtr<AAX_IACFPropertyMap> propertyMap;
    ACFPtr<AAX_IACFPropertyMap_V2> propertyMapV2;
};

/** The host object behind a property-map wrapper, or null. */
AAX_IACFPropertyMap* AAXHostObjectOf (const AAX_IPropertyMap* map);
