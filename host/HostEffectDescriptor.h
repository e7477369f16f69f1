#pragma once

#include "host/HostInterfaceObject.h"

#include <string>
#include <vector>

namespace KestHost
{
class HostComponentDescriptor;
class HostPropertyMap;

/** The host's effect descriptor: names, categories, procedures and the
    components added to it (kept, one reference each).  Its later version is a
    separate object.  One thread at a time. */
class HostEffectDescriptor final : public HostInterfaceObject<AAX_IACFEffectDescriptor>
{
public:
    struct Procedure
    {
        void* procedure;
        uint32_t procId;
    };

    explicit HostEffectDescriptor (HostEnvironment& env);

    AAX_Result AddComponent (AAX_IACFComponentDescriptor* component) override;
    AAX_Result AddName (const char* name) override;
    AAX_Result AddCategory (uint32_t category) override;
    AAX_Result AddCategoryBypassParameter (uint32_t category, AAX_CParamID parameterId) override;
    AAX_Result AddProcPtr (void* procedure, uint32_t procId) override;
    AAX_Result SetProperties (AAX_IACFPropertyMap* properties) override;
    AAX_Result AddResourceInfo (uint32_t resourceType, const char* info) override;
    AAX_Result AddMeterDescription (uint32_t meterId, const char* name, AAX_IACFPropertyMap* properties) override;

    const std::vector<std::string>& names() const noexcept { return effectNames; }
    const std::vector<uint32_t>& categories() const noexcept { return effectCategories; }
    const std::vector<Procedure>& procedures() const noexcept { return effectProcedures; }
    const std::vector<HostComponentDescriptor*>& components() const noexcept { return effectComponents; }
    const std::vector<std::string>& otherDeclarations() const noexcept { return others; }

protected:
    IACFUnknown* answerQuery (const acfUID& iid) override;

private:
    class LaterVersion;

    std::vector<std::string> effectNames;
    std::vector<uint32_t> effectCategories;
    std::vector<Procedure> effectProcedures;
    std::vector<HostComponentDescriptor*> effectComponents;
    std::vector<std::string> others;
    LaterVersion* laterVersion = nullptr;
};
} // namespace KestHost
