#pragma once

#include "platform/AAXHostInterfaces.h"

/** The process-wide host services: one AAX_VHostServices made at start-up and
    deleted at shut-down.  Without it the reports reach nobody and answer
    AAX_SUCCESS.

    Set is called only by start-up and shut-down, which the host never runs
    alongside another call into the plug-in.  The reports: any thread between
    the two.
*/
class AAX_CHostServices
{
public:
    AAX_CHostServices() = delete;

    /** A host unknown makes the services unless they exist (a second start-up
        keeps the first); null deletes them. */
    static void Set (IACFUnknown* hostUnknown);

    static AAX_Result HandleAssertFailure (const char* file, int32_t line, const char* note);

    /** Formats printf-style into 512 bytes; longer text is cut at 511
        characters. */
    static AAX_Result Trace (int32_t priority, const char* format, ...)
#if defined(__GNUC__)
        __attribute__ ((format (printf, 2, 3)))
#endif
        ;

    static constexpr int traceBufferSize = 512;
};
