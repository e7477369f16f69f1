#pragma once

#include "platform/AAXHostInterfaces.h"

#include <cstdint>
#include <string>

namespace KestHost
{
class HostEnvironment;

/** The bookkeeping every host-side object shares: its label in the call log,
    its reference count, and how many of those references other host objects
    hold.  Objects are owned by their HostEnvironment and live as long as it
    does, so a count reaching 0 is recorded, not acted on, and a release
    beyond 0 is recorded as a fault.

    One thread at a time.
*/
class HostObject
{
public:
    HostObject (HostEnvironment& environment, std::string label);
    virtual ~HostObject() = default;

    HostObject (const HostObject&) = delete;
    HostObject& operator= (const HostObject&) = delete;

    const std::string& label() const noexcept { return objectLabel; }
    uint32_t referenceCount() const noexcept { return references; }

    /** References that other host objects (not the plug-in) hold. */
    uint32_t referencesHeldByHost() const noexcept { return heldByHost; }

    /** Another host object keeps this one: one more reference, counted as
        the host's own. */
    void holdFromHost();

    /** The host object behind an interface pointer that the plug-in passed
        back, or null when it is not one of ours. */
    static HostObject* fromInterface (IACFUnknown* unknown);

protected:
    uint32_t addReference();
    uint32_t releaseReference();

    /** Logs "<label> [<slot>] <call>". */
    void record (int slot, const std::string& call) const;

    HostEnvironment& environment;

private:
    std::string objectLabel;
    uint32_t references = 0;
    uint32_t heldByHost = 0;
};
} // namespace KestHost
