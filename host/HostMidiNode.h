#pragma once

#include "platform/AAXMIDINode.h"

#include <cstddef>
#include <vector>

namespace KestHost
{
/** The MIDI node the host puts into a processing context: a fixed number of
    packet places, filled for each block before the process procedure runs.
    Filling never allocates.  The thread that processes. */
class HostMidiNode final : public AAX_IMIDINode
{
public:
    explicit HostMidiNode (size_t capacity);

    void clear() noexcept;

    /** Appends a packet; false (and nothing kept) when the node is full. */
    bool add (const AAX_CMidiPacket& packet) noexcept;

    size_t size() const noexcept { return stream.mBufferSize; }
    size_t capacity() const noexcept { return packets.size(); }

    AAX_CMidiStream* GetNodeBuffer() override { return &stream; }

private:
    std::vector<AAX_CMidiPacket> packets;
    AAX_CMidiStream stream {};
};
} // namespace KestHost
