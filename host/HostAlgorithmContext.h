#pragma once

#include "host/HostComponentDescriptor.h"
#include "host/HostMidiNode.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace KestHost
{
/** One processing context laid out from a variant's declared fields: a
    pointer per field, with the storage behind each (audio buffers, the
    buffer length, data-port packets, the MIDI node, private data), and the
    call of the variant's process procedure on it.

    Made and filled on the host's main thread; process, the buffers and the
    MIDI node on the thread that processes, while the main thread leaves the
    context alone.
*/
class HostAlgorithmContext
{
public:
    /** Lays out the fields for channels audio channels of at most maxBlock
        samples; MIDI places for midiCapacity packets per block. */
    HostAlgorithmContext (const HostComponentDescriptor& component, AAX_ProcessProc process,
                          int channels, int maxBlock, size_t midiCapacity);

    int channels() const noexcept { return numChannels; }
    int maximumBlock() const noexcept { return maxBlock; }

    /** The private-data and data-port fields: index, storage and size. */
    struct FieldStorage
    {
        AAX_CFieldIndex index;
        HostComponentDescriptor::ContextField::Kind kind;
        void* data;
        uint32_t size;
    };
    const std::vector<FieldStorage>& storedFields() const noexcept { return stored; }

    /** Copies a packet into a data-port field (cut to the port's size).  Main thread. */
    void setPacket (AAX_CFieldIndex field, const std::vector<unsigned char>& payload);

    HostMidiNode& midiNode() noexcept { return *midi; }
    float* input (int channel) noexcept { return inputs[(size_t) channel].data(); }
    float* output (int channel) noexcept { return outputs[(size_t) channel].data(); }

    /** Calls the process procedure for numSamples (at most the maximum block). */
    void process (int numSamples) noexcept;

private:
    AAX_ProcessProc processProcedure;
    int numChannels;
    int maxBlock;

    std::vector<std::vector<float>> inputs;
    std::vector<std::vector<float>> outputs;
    std::vector<float*> inputPointers;
    std::vector<float*> outputPointers;
    int32_t bufferLength = 0;
    std::unique_ptr<HostMidiNode> midi;
    std::vector<std::unique_ptr<uint64_t[]>> fieldMemory;
    std::vector<FieldStorage> stored;
    std::vector<void*> slots;
};
} // namespace KestHost
