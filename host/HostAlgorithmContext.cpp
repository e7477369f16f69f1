#include "host/HostAlgorithmContext.h"

#include <algorithm>
#include <cstring>

namespace KestHost
{
using Kind = HostComponentDescriptor::ContextField::Kind;

HostAlgorithmContext::HostAlgorithmContext (const HostComponentDescriptor& component, AAX_ProcessProc process,
                                            int channels, int maximumBlock, size_t midiCapacity)
    : processProcedure (process), numChannels (channels), maxBlock (maximumBlock),
      inputs ((size_t) channels, std::vector<float> ((size_t) maximumBlock, 0.0f)),
      outputs ((size_t) channels, std::vector<float> ((size_t) maximumBlock, 0.0f)),
      midi (std::make_unique<HostMidiNode> (midiCapacity))
{
    for (auto& buffer : inputs)
        inputPointers.push_back (buffer.data());
    for (auto& buffer : outputs)
        outputPointers.push_back (buffer.data());

    AAX_CFieldIndex highest = 0;
    for (auto& field : component.contextFields())
        highest = std::max (highest, field.index);
    slots.assign ((size_t) highest + 1, nullptr);

    for (auto& field : component.contextFields())
    {
        void*& slot = slots[field.index];
        switch (field.kind)
        {
            case Kind::audioIn: slot = inputPointers.data(); break;
            case Kind::audioOut: slot = outputPointers.data(); break;
            case Kind::bufferLength: slot = &bufferLength; break;
            case Kind::midiNode: slot = static_cast<AAX_IMIDINode*> (midi.get()); break;
            case Kind::dataInPort:
            case Kind::privateData:
            {
                const auto words = std::max<size_t> (1, (field.size + sizeof (uint64_t) - 1) / sizeof (uint64_t));
                fieldMemory.push_back (std::make_unique<uint64_t[]> (words));
                slot = fieldMemory.back().get();
                stored.push_back ({ field.index, field.kind, slot, field.size });
                break;
            }
            case Kind::other: break;
        }
    }
}

void HostAlgorithmContext::setPacket (AAX_CFieldIndex field, const std::vector<unsigned char>& payload)
{
    for (auto& entry : stored)
        if (entry.index == field && entry.kind == Kind::dataInPort)
            std::memcpy (entry.data, payload.data(), std::min<size_t> (payload.size(), entry.size));
}

void HostAlgorithmContext::process (int numSamples) noexcept
{
    bufferLength = std::clamp (numSamples, 0, maxBlock);
    void* const instances[1] = { slots.data() };
    processProcedure (instances, instances + 1);
}
} // namespace KestHost
