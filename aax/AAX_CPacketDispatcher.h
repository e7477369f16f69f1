#pragma once

#include "aax/AAX_CMutex.h"
#include "aax/AAX_CPacket.h"
#include "aax/AAX_IPacketHandler.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

class AAX_CEffectParameters;
class AAX_IController;

/** Which packet belongs to which parameter, who fills it and whether it is
    due.  One packet exists per field index; registrations of the same field
    share it.  When the host asks for coefficients, every dirty packet is
    filled by its handler and posted through the host controller, once.

    The packet map, the registrations and the packets are guarded by the
    dispatcher's own mutex; handlers run with it held.  Parameter updates and
    coefficient requests may come on different host threads.
*/
class AAX_CPacketDispatcher
{
public:
    /** Any thread. */
    AAX_CPacketDispatcher();

    /** Deletes every packet and every handler clone.  The owner's thread. */
    ~AAX_CPacketDispatcher();

    AAX_CPacketDispatcher (const AAX_CPacketDispatcher&) = delete;
    AAX_CPacketDispatcher& operator= (const AAX_CPacketDispatcher&) = delete;

    /** Stores the controller (null: nothing is posted) and the owner whose
        parameters the single-value packets read; neither is owned.  The
        owner's initialise and uninitialise thread. */
    void Initialize (AAX_IController* controller, AAX_CEffectParameters* owner);

    /** Registers a clone of handler for the parameter on the field, after
        any earlier registrations of the same identifier; a new packet starts
        dirty.  Always AAX_SUCCESS.  Any host thread. */
    AAX_Result RegisterPacket (AAX_CParamID id, AAX_CFieldIndex fieldIndex, const AAX_IPacketHandler& handler);

    /** Marks (or clears) the packet of every registration of the identifier.
        Always AAX_SUCCESS.  Any host thread. */
    AAX_Result SetDirty (AAX_CParamID id, bool dirty);

    /** Fills and posts each dirty packet once, in ascending identifier order,
        and clears its mark whether or not its handler succeeded.  Returns the
        last post's result, AAX_SUCCESS when nothing was posted, and
        AAX_ERROR_NULL_OBJECT when a packet was due but there is no
        controller.  Any host thread. */
    AAX_Result Dispatch();

    /** The handler for a parameter's plain value: a bool as the int32 0 or 1,
        a float or int32 in 4 bytes, a double in 8, in native byte order.
        AAX_ERROR_NULL_OBJECT for a missing parameter or an unreadable value
        (the packet is then left as it was).  Called through a handler. */
    AAX_Result GenerateSingleValuePacket (AAX_CParamID id, AAX_CPacket& packet);

private:
    class ScopedLock;

    using Registration = std::pair<AAX_CPacket*, std::unique_ptr<AAX_IPacketHandler>>;

    std::map<AAX_CFieldIndex, std::unique_ptr<AAX_CPacket>> mPacketsByField;
    std::multimap<std::string, Registration> mPacketsHandlers;
    AAX_IController* mController = nullptr;
    AAX_CEffectParameters* mOwner = nullptr;
    AAX_CMutex mLockGuard;
};
