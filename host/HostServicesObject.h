#pragma once

#include "host/HostInterfaceObject.h"

#include <string>
#include <vector>

namespace KestHost
{
/** The host's services component: keeps every assertion report and trace
    message it receives.  One thread at a time. */
class HostServicesObject final : public HostInterfaceObject<AAX_IACFHostServices>
{
public:
    explicit HostServicesObject (HostEnvironment& env);

    AAX_Result HandleAssertFailure (const char* file, int32_t line, const char* note) override;
    AAX_Result Trace (int32_t priority, const char* message) override;

    const std::vector<std::string>& messages() const noexcept { return received; }

private:
    std::vector<std::string> received;
};
} // namespace KestHost
