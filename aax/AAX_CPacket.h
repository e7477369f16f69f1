#pragma once

#include "platform/AAXHostInterfaces.h"

#include <vector>

/** One coefficient packet: the data field of the algorithm it goes to, a
    dirty mark, the number of payload bytes to post and the payload itself.
    A new packet is dirty with size 0 and 8 zero payload bytes; the payload
    is never empty.  Guarded by its dispatcher's mutex. */
class AAX_CPacket
{
public:
    explicit AAX_CPacket (AAX_CFieldIndex fieldIndex);

    AAX_CFieldIndex GetID() const noexcept { return mID; }
    bool IsDirty() const noexcept { return mDirty; }
    void SetDirty (bool dirty) noexcept { mDirty = dirty; }
    uint32_t GetSize() const noexcept { return mSize; }
    void SetSize (uint32_t size) noexcept { mSize = size; }

    /** The address of the first payload byte. */
    const void* GetPayload() const noexcept { return mPayload.data(); }

    /** Makes the payload size bytes long (new bytes 0, bytes beyond dropped)
        and returns the address of its first byte.  Size must not be 0. */
    void* ResizeAndGetPayload (uint32_t size);

private:
    AAX_CFieldIndex mID;
    bool mDirty = true;
    uint32_t mSize = 0;
    std::vector<unsigned char> mPayload;
};
