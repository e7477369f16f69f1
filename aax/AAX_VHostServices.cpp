#include "aax/AAX_VHostServices.h"

#include "aax/AAXHostObjectCreation.h"

AAX_VHostServices::AAX_VHostServices (IACFUnknown* hostUnknown)
{
    AAXCreateHostObject (hostUnknown, AAXCompID_HostServices, IID_IAAXHostServicesV1, hostServices);
}

AAX_VHostServices::~AAX_VHostServices() = default;

AAX_Result AAX_VHostServices::HandleAssertFailure (const char* file, int32_t line, const char* note) const
{
    return hostServices ? hostServices->HandleAssertFailure (file, line, note) : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAX_VHostServices::Trace (int32_t priority, const char* message) const
{
    return hostServices ? hostServices->Trace (priority, message) : AAX_ERROR_NULL_OBJECT;
}
