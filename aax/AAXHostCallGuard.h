#pragma once

#include "platform/AAXHostInterfaces.h"

/** Runs the body of a host-facing operation so that no exception reaches
    the host: one that escapes becomes ACF_E_UNEXPECTED.  Every operation the
    host calls through a table slot goes through this, overrides in
    subclasses included.  Any thread. */
template <typename Body>
AAX_Result AAXGuardHostCall (Body&& body) noexcept
{
    try
    {
        return body();
    }
    catch (...)
    {
        return ACF_E_UNEXPECTED;
    }
}
