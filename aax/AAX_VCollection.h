#pragma once

#include "aax/AAX_ICollection.h"
#include "aax/AAX_VEffectDescriptor.h"
#include "aax/AAX_VPropertyMap.h"
#include "aax/ACFPtr.h"

#include <memory>
#include <vector>

/** The collection wrapper: lives on the stack of one registration, creates the
    host's collection object, forwards each operation to its fixed host slot and
    owns every effect descriptor and property map it makes (which own theirs),
    so that its destruction takes every wrapper of the registration with it.

    Registering thread only.
*/
class AAX_VCollection final : public AAX_ICollection
{
public:
    explicit AAX_VCollection (IACFUnknown* hostUnknown);
    ~AAX_VCollection() override;

    AAX_VCollection (const AAX_VCollection&) = delete;
    AAX_VCollection& operator= (const AAX_VCollection&) = delete;

    AAX_IEffectDescriptor* NewDescriptor() override;

    /** Refuses a null descriptor with AAX_ERROR_NULL_OBJECT. */
    AAX_Result AddEffect (const char* effectId, AAX_IEffectDescriptor* effect) override;
    AAX_Result SetManufacturerName (const char* name) override;
    AAX_Result AddPackageName (const char* name) override;
    AAX_Result SetPackageVersion (uint32_t version) override;
    AAX_IPropertyMap* NewPropertyMap() override;
    AAX_Result SetProperties (AAX_IPropertyMap* properties) override;

    /** The host's collection object, no reference added; may be null. */
    AAX_IACFCollection* GetHostObject() const noexcept { return collection.get(); }

private:
    ACFPtr<IACFUnknown> hostUnknown; // first, so that a throwing constructor gives it back
    ACFPtr<AAX_IACFCollection> collection;
    std::vector<std::unique_ptr<AAX_IEffectDescriptor>> effectDescriptors;
    std::vector<std::unique_ptr<AAX_IPropertyMap>> propertyMaps;
};
