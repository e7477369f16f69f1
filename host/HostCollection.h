#pragma once

#include "host/HostInterfaceObject.h"

#include <string>
#include <utility>
#include <vector>

namespace KestHost
{
class HostEffectDescriptor;
class HostPluginDefinition;
class HostPropertyMap;

/** The host's collection: the package as the plug-in described it.  Asked for
    the plug-in definition it hands out a HostPluginDefinition that keeps the
    collection.  One thread at a time. */
class HostCollection final : public HostInterfaceObject<AAX_IACFCollection>
{
public:
    explicit HostCollection (HostEnvironment& env);

    AAX_Result HostReserved3() override { return AAX_ERROR_UNIMPLEMENTED; }
    AAX_Result HostReserved4() override { return AAX_ERROR_UNIMPLEMENTED; }
    AAX_Result HostReserved5() override { return AAX_ERROR_UNIMPLEMENTED; }
    AAX_Result HostReserved6() override { return AAX_ERROR_UNIMPLEMENTED; }
    AAX_Result AddEffect (const char* effectId, AAX_IACFEffectDescriptor* effect) override;
    AAX_Result SetManufacturerName (const char* name) override;
    AAX_Result AddPackageName (const char* name) override;
    AAX_Result SetPackageVersion (uint32_t version) override;
    AAX_Result SetProperties (AAX_IACFPropertyMap* properties) override;

    const std::vector<std::pair<std::string, HostEffectDescriptor*>>& effects() const noexcept { return collectionEffects; }
    const std::string& manufacturerName() const noexcept { return manufacturer; }
    const std::vector<std::string>& packageNames() const noexcept { return names; }
    uint32_t packageVersion() const noexcept { return version; }

protected:
    IACFUnknown* answerQuery (const acfUID& iid) override;

private:
    std::vector<std::pair<std::string, HostEffectDescriptor*>> collectionEffects;
    std::string manufacturer;
    std::vector<std::string> names;
    uint32_t version = 0;
    HostPluginDefinition* definition = nullptr;
};

/** The plug-in definition the host keeps after registration: the collection
    it came from.  One thread at a time. */
class HostPluginDefinition final : public HostInterfaceObject<IACFPluginDefinition>
{
public:
    HostPluginDefinition (HostEnvironment& env, HostCollection& collection);

    HostCollection& collection() const noexcept { return described; }

private:
    HostCollection& described;
};
} // namespace KestHost
