#pragma once

#include "platform/AAXHostInterfaces.h"

/** The host's reporting services: failed assertions and trace messages. */
class AAX_IHostServices
{
public:
    virtual ~AAX_IHostServices() = default;

    virtual AAX_Result HandleAssertFailure (const char* file, int32_t line, const char* note) const = 0;
    virtual AAX_Result Trace (int32_t priority, const char* message) const = 0;
};
