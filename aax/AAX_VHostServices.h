#pragma once

#include "aax/AAX_IHostServices.h"
#include "aax/ACFPtr.h"

/** Wraps the host's services component, created through the host unknown's
    component factory.  Without it both operations answer
    AAX_ERROR_NULL_OBJECT.

    Created and deleted by start-up and shut-down; the reports may come from
    any thread the layer runs on.
*/
class AAX_VHostServices final : public AAX_IHostServices
{
public:
    explicit AAX_VHostServices (IACFUnknown* hostUnknown);
    ~AAX_VHostServices() override;

    AAX_Result HandleAssertFailure (const char* file, int32_t line, const char* note) const override;
    AAX_Result Trace (int32_t priority, const char* message) const override;

private:
    ACFPtr<AAX_IACFHostServices> hostServices;
};
