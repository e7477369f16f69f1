#pragma once

#include "host/HostInterfaceObject.h"

#include <utility>
#include <vector>

namespace KestHost
{
/** The host's property map: properties in the order they were first added.
    Its later version is a separate object with its own count, so the log
    tells which of the two the plug-in released.  One thread at a time. */
class HostPropertyMap final : public HostInterfaceObject<AAX_IACFPropertyMap>
{
public:
    explicit HostPropertyMap (HostEnvironment& env);

    /** The host map behind a map the plug-in handed over, now also held by
        the host (one more reference), or null when it is not one of ours. */
    static HostPropertyMap* keepFromPlugIn (AAX_IACFPropertyMap* properties);

    int32_t GetProperty (AAX_CPropertyID id, AAX_CPropertyValue* outValue) override;
    AAX_Result AddProperty (AAX_CPropertyID id, AAX_CPropertyValue value) override;
    AAX_Result RemoveProperty (AAX_CPropertyID id) override;

    const std::vector<std::pair<AAX_CPropertyID, AAX_CPropertyValue>>& properties() const noexcept { return entries; }

protected:
    IACFUnknown* answerQuery (const acfUID& iid) override;

private:
    class LaterVersion final : public HostInterfaceObject<AAX_IACFPropertyMap_V2>
    {
    public:
        LaterVersion (HostEnvironment& env, HostPropertyMap& primary);

        int32_t GetProperty (AAX_CPropertyID id, AAX_CPropertyValue* outValue) override { return primary.GetProperty (id, outValue); }
        AAX_Result AddProperty (AAX_CPropertyID id, AAX_CPropertyValue value) override { return primary.AddProperty (id, value); }
        AAX_Result RemoveProperty (AAX_CPropertyID id) override { return primary.RemoveProperty (id); }
        AAX_Result AddPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad* ids, uint32_t count) override;
        int32_t GetPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad** outIds, uint32_t* outCount) override;

    private:
        HostPropertyMap& primary;
        std::vector<std::pair<AAX_CPropertyID, std::vector<AAX_SPlugInIdentifierTriad>>> idArrays;
    };

    std::vector<std::pair<AAX_CPropertyID, AAX_CPropertyValue>> entries;
    LaterVersion* laterVersion = nullptr;
};
} // namespace KestHost
