#include "host/HostMidiNode.h"

namespace KestHost
{
HostMidiNode::HostMidiNode (size_t capacity) : packets (capacity)
{
    stream.mBuffer = packets.data();
}

void HostMidiNode::clear() noexcept
{
    stream.mBufferSize = 0;
}

bool HostMidiNode::add (const AAX_CMidiPacket& packet) noexcept
{
    if (stream.mBufferSize >= packets.size())
        return false;
    packets[stream.mBufferSize++] = packet;
    return true;
}
} // namespace KestHost
