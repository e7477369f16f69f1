#pragma once

#include "aax/AAX_CPacket.h"

/** Fills one packet for a parameter when the dispatcher finds it dirty.
    Runs inside AAX_CPacketDispatcher::Dispatch with its mutex held. */
class AAX_IPacketHandler
{
public:
    virtual ~AAX_IPacketHandler() = default;

    /** A new copy, owned by the caller. */
    virtual AAX_IPacketHandler* Clone() const = 0;

    /** Returns an AAX result code; only AAX_SUCCESS lets the packet be posted. */
    virtual AAX_Result CallHandler (AAX_CParamID id, AAX_CPacket& packet) const = 0;
};
