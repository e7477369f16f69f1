#pragma once

#include "host/HostEnvironment.h"
#include "host/HostObject.h"

#include <string>

namespace KestHost
{
/** A host object behind one interface: the three unknown slots, with queries
    answered by answerQuery (by default the unknown identifier and the object's
    own interface identifier).  One thread at a time. */
template <typename Interface>
class HostInterfaceObject : public Interface, public HostObject
{
public:
    HostInterfaceObject (HostEnvironment& env, std::string label, const acfUID& ownInterfaceId)
        : HostObject (env, std::move (label)), interfaceId (ownInterfaceId)
    {
    }

    AAX_Result QueryInterface (const acfUID& iid, void** outInterface) override
    {
        *outInterface = nullptr;
        auto* answer = answerQuery (iid);
        if (answer == nullptr)
            return ACF_E_NOINTERFACE;
        answer->AddRef();
        *outInterface = answer;
        return AAX_SUCCESS;
    }

    uint32_t AddRef() override { return addReference(); }
    uint32_t Release() override { return releaseReference(); }

protected:
    /** The interface that answers iid, or null.  The answer must start at
        its object's address (single-interface objects do). */
    virtual IACFUnknown* answerQuery (const acfUID& iid)
    {
        return (iid == IID_IACFUnknown || iid == interfaceId) ? this : nullptr;
    }

    /** An interface answered by an object of its own: made on the first
        query (from the environment and arguments), the same object ever
        after, null while the host does not offer it.  Its own object keeps
        its own count, so the log tells which one the plug-in released. */
    template <typename Companion, typename... Arguments>
    IACFUnknown* companionAnswer (Companion*& companion, bool offered, Arguments&... arguments)
    {
        if (! offered)
            return nullptr;
        if (companion == nullptr)
            companion = &environment.make<Companion> (arguments...);
        return companion;
    }

private:
    acfUID interfaceId;
};
} // namespace KestHost
