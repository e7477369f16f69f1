#include "aax/AAX_VCollection.h"

#include "aax/AAXHostObjectCreation.h"

AAX_VCollection::AAX_VCollection (IACFUnknown* unknown)
{
    hostUnknown.holdAddingReference (unknown);

    AAXCreateHostObject (hostUnknown.get(), AAXCompID_AAXCollection, IID_IAAXCollectionV1, collection);
}

AAX_VCollection::~AAX_VCollection()
{
    effectDescriptors.clear();
    propertyMaps.clear();
    collection.reset();
    hostUnknown.reset();
}

AAX_IEffectDescriptor* AAX_VCollection::NewDescriptor()
{
    effectDescriptors.push_back (std::make_unique<AAX_VEffectDescriptor> (hostUnknown.get()));
    return effectDescriptors.back().get();
}

AAX_IPropertyMap* AAX_VCollection::NewPropertyMap()
{
    propertyMaps.push_back (std::make_unique<AAX_VPropertyMap> (hostUnknown.get()));
    return propertyMaps.back().get();
}

AAX_Result AAX_VCollection::AddEffect (const char* effectId, AAX_IEffectDescriptor* effect)
{
    auto* wrapper = dynamic_cast<AAX_VEffectDescriptor*> (effect);
    if (! collection || wrapper == nullptr)
        return AAX_ERROR_NULL_OBJECT;
    return collection->AddEffect (effectId, wrapper->GetHostObject());
}

AAX_Result AAX_VCollection::SetManufacturerName (const char* name)
{
    return collection ? collection->SetManufacturerName (name) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VCollection::AddPackageName (const char* name)
{
    return collection ? collection->AddPackageName (name) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VCollection::SetPackageVersion (uint32_t version)
{
    return collection ? collection->SetPackageVersion (version) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VCollection::SetProperties (AAX_IPropertyMap* properties)
{
    return collection ? collection->SetProperties (AAXHostObjectOf (properties)) : AAX_ERROR_NULL_OBJECT;
}
