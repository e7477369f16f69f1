#pragma once

#include "aax/AAX_IPacketHandler.h"

/** A packet handler that calls a member function of a worker (the packet
    dispatcher), either the form that receives the parameter identifier and
    the packet or the form that receives the packet alone.  The worker is not
    owned.  With neither function set CallHandler answers
    AAX_ERROR_NULL_OBJECT. */
template <typename Worker>
class AAX_CPacketHandler final : public AAX_IPacketHandler
{
public:
    using Handler = AAX_Result (Worker::*) (AAX_CPacket&);
    using HandlerWithID = AAX_Result (Worker::*) (AAX_CParamID, AAX_CPacket&);

    AAX_CPacketHandler (Worker* worker, HandlerWithID handlerWithId)
        : mWorker (worker), mHandlerWithID (handlerWithId)
    {
    }

    AAX_CPacketHandler (Worker* worker, Handler handler)
        : mWorker (worker), mHandler (handler)
    {
    }

    AAX_CPacketHandler* Clone() const override { return new AAX_CPacketHandler (*this); }

    AAX_Result CallHandler (AAX_CParamID id, AAX_CPacket& packet) const override
    {
        if (mWorker != nullptr && mHandlerWithID != nullptr)
            return (mWorker->*mHandlerWithID) (id, packet);
        if (mWorker != nullptr && mHandler != nullptr)
            return (mWorker->*mHandler) (packet);
        return AAX_ERROR_NULL_OBJECT;
    }

private:
    Worker* mWorker;
    Handler mHandler = nullptr;
    HandlerWithID mHandlerWithID = nullptr;
};
