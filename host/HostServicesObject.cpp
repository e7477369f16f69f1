#include "host/HostServicesObject.h"

#include "host/HostEnvironment.h"
#include "host/VtableSlot.h"

namespace KestHost
{
HostServicesObject::HostServicesObject (HostEnvironment& env)
    : HostInterfaceObject (env, "host services " + std::to_string (env.nextNumber ("host services")), IID_IAAXHostServicesV1)
{
}

AAX_Result HostServicesObject::HandleAssertFailure (const char* file, int32_t line, const char* note)
{
    record (vtableSlot (&AAX_IACFHostServices::HandleAssertFailure), "HandleAssertFailure");
    received.push_back ("assert " + std::string (file) + ":" + std::to_string (line) + " " + note);
    return AAX_SUCCESS;
}

AAX_Result HostServicesObject::Trace (int32_t priority, const char* message)
{
    record (vtableSlot (&AAX_IACFHostServices::Trace), "Trace " + std::to_string (priority));
    received.push_back (message);
    return AAX_SUCCESS;
}
} // namespace KestHost
