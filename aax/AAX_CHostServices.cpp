#include "aax/AAX_CHostServices.h"

#include "aax/AAX_VHostServices.h"

#include <cstdarg>
#include <cstdio>

namespace
{
AAX_VHostServices* hostServices = nullptr;
}

void AAX_CHostServices::Set (IACFUnknown* hostUnknown)
{
    if (hostServices == nullptr && hostUnknown != nullptr)
    {
        hostServices = new AAX_VHostServices (hostUnknown);
    }
    else if (hostServices != nullptr && hostUnknown == nullptr)
    {
        auto* old = hostServices;
        hostServices = nullptr;
        delete old;
    }
}

AAX_Result AAX_CHostServices::HandleAssertFailure (const char* file, int32_t line, const char* note)
{
    return hostServices != nullptr ? hostServices->HandleAssertFailure (file, line, note) : AAX_SUCCESS;
}

AAX_Result AAX_CHostServices::Trace (int32_t priority, const char* format, ...)
{
    if (hostServices == nullptr)
        return AAX_SUCCESS;

    char message[traceBufferSize];
    va_list arguments;
    va_start (arguments, format);
    const auto written = std::vsnprintf (message, sizeof (message), format, arguments);
    va_end (arguments);
    if (written < 0)
        message[0] = '\0';

    return hostServices->Trace (priority, message);
}
