#include "aax/AAX_CPacket.h"

AAX_CPacket::AAX_CPacket (AAX_CFieldIndex fieldIndex)
    : mID (fieldIndex), mPayload (8, 0)
{
}

void* AAX_CPacket::ResizeAndGetPayload (uint32_t size)
{
    mPayload.resize (size);
    return mPayload.data();
}
