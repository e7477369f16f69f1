#include "aax/AAX_VPropertyMap.h"

#include "aax/AAXHostObjectCreation.h"

AAX_VPropertyMap::AAX_VPropertyMap (IACFUnknown* hostUnknown)
{
    AAXCreateHostObject (hostUnknown, AAXCompID_PropertyMap, IID_IAAXPropertyMapV1, propertyMap,
                         IID_IAAXPropertyMapV2, propertyMapV2);
}

AAX_VPropertyMap::~AAX_VPropertyMap()
{
    propertyMapV2.reset();
    propertyMap.reset();
}

AAX_CBoolean AAX_VPropertyMap::GetProperty (AAX_CPropertyID id, AAX_CPropertyValue* outValue) const
{
    if (! propertyMap)
        return 0;
    return (propertyMap->GetProperty (id, outValue) & 0xFF) != 0 ? 1 : 0;
}

AAX_Result AAX_VPropertyMap::AddProperty (AAX_CPropertyID id, AAX_CPropertyValue value)
{
    return propertyMap ? propertyMap->AddProperty (id, value) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VPropertyMap::RemoveProperty (AAX_CPropertyID id)
{
    return propertyMap ? propertyMap->RemoveProperty (id) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VPropertyMap::AddPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad* ids, uint32_t count)
{
    return propertyMapV2 ? propertyMapV2->AddPropertyWithIDArray (id, ids, count) : AAX_ERROR_UNIMPLEMENTED;
}

AAX_CBoolean AAX_VPropertyMap::GetPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad** outIds, uint32_t* outCount) const
{
    if (! propertyMapV2)
        return 0;
    return (propertyMapV2->GetPropertyWithIDArray (id, outIds, outCount) & 0xFF) != 0 ? 1 : 0;
}

AAX_IACFPropertyMap* AAXHostObjectOf (const AAX_IPropertyMap* map)
{
    auto* wrapper = dynamic_cast<const AAX_VPropertyMap*> (map);
    return wrapper != nullptr ? wrapper->GetHostObject() : nullptr;
}
