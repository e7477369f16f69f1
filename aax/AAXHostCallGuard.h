#pragma once

#include "platform/AAXHostInterfaces.h"

/** Runs the body of a host-facing operation so that no exception reaches
    the host: one that escapes becomes ACF_E_UNEXPECTED.  Every operation the
    host calls through a table slot or finds by name goes through this,
    overrides in subclasses and the process procedure included.  Any thread. */
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

/** True when any of the host's out pointers is null: the operation then
    answers AAX_ERROR_NULL_OBJECT and changes nothing. */
template <typename... Pointers>
constexpr bool AAXAnyNull (const Pointers*... pointers) noexcept
{
    return ((pointers == nullptr) || ...);
}
