#include "wrapper/JuceAAX_Processor.h"

#include "aax/AAXHostCallGuard.h"
#include "wrapper/PluginMessagePump.h"

#include <algorithm>
#include <cstring>

// The audio path: the process procedure, the instance field it finds the
// processor by, and the host's idle call that runs the bundle's messages.

namespace AAXClasses
{
namespace
{
/** Bytes one event takes in a MidiBuffer: time, size, data. */
constexpr int midiEventOverhead = (int) (sizeof (int32_t) + sizeof (uint16_t));
} // namespace

void JuceAAX_Processor::algorithmProcessCallback (void* const instances[], const void* instancesEnd) noexcept
{
    if (instances == nullptr)
        return;

    AAXGuardHostCall ([&]
    {
        for (auto* iterator = instances; static_cast<const void*> (iterator) < instancesEnd; ++iterator)
        {
            const auto* context = static_cast<const AlgorithmContext*> (*iterator);
            if (context == nullptr || context->instance == nullptr || *context->instance == nullptr)
                continue;
            (*context->instance)->process (*context);
        }
        return AAX_SUCCESS;
    });
}

void JuceAAX_Processor::process (const AlgorithmContext& context)
{
    const int numSamples = context.bufferLength != nullptr ? std::max (0, (int) *context.bufferLength) : 0;
    if (numSamples == 0 || context.outputChannels == nullptr)
        return;

    const bool bypassed = context.bypass != nullptr && *context.bypass != 0;

    // The callback lock is the one lock the audio thread takes: the owner
    // thread holds it only for the short moments in which it moves voices
    // (resizing the pool, stopping voices while nothing processes).  Waiting
    // for it is better than dropping a block's MIDI, which could hang a note.
    const juce::ScopedLock lock (engine->getCallbackLock());

    if (engine->isSuspended())
    {
        for (int channel = 0; channel < numChannels; ++channel)
            std::fill (context.outputChannels[channel], context.outputChannels[channel] + numSamples, 0.0f);
        return;
    }

    // Bypassed, the host's input passes through, but the engine still plays
    // the block's MIDI: a note released while bypassed must not hang once
    // the bypass is switched off again.
    const float* const* bypassInput = bypassed ? context.inputChannels : nullptr;
    const AAX_CMidiStream* midi = context.midiNode != nullptr ? context.midiNode->GetNodeBuffer() : nullptr;
    renderEngineBlocks (context.outputChannels, numChannels, numSamples, midi, bypassInput);
}

void JuceAAX_Processor::renderEngineBlocks (float* const* outputs, int channels, int numSamples, const AAX_CMidiStream* midi,
                                            const float* const* bypassInput)
{
    const uint32_t packetCount = midi != nullptr && midi->mBuffer != nullptr ? midi->mBufferSize : 0;
    uint32_t next = 0;

    for (int start = 0, length = 0; start < numSamples; start += length)
    {
        length = std::min (maximumBlockSize, numSamples - start);

        // The packets up to the block's end go into its MIDI buffer.  When
        // they fill the buffer, the block ends just after the sample of the
        // packet that did not fit, and that packet starts the next block:
        // late by at most a sample, never dropped, and nothing allocated.
        midiBuffer.clear();
        int bytesUsed = 0;
        while (next < packetCount)
        {
            const auto& packet = midi->mBuffer[next];
            const auto timestamp = (int64_t) packet.timestamp;
            const bool lastBlock = start + length >= numSamples;
            if (! lastBlock && timestamp >= start + length)
                break;

            const int size = (int) packet.length;
            if (size < 1 || size > (int) sizeof (packet.data))
            {
                ++next; // not a MIDI message
                continue;
            }
            if (bytesUsed + midiEventOverhead + size > midiCapacityBytes)
            {
                length = (int) std::clamp<int64_t> (timestamp + 1 - start, 1, length);
                break;
            }

            const int position = (int) std::clamp<int64_t> (timestamp - start, 0, length - 1);
            midiBuffer.addEvent (packet.data, size, position);
            bytesUsed += midiEventOverhead + size;
            ++next;
        }

        float* blockChannels[2] {};
        for (int channel = 0; channel < channels; ++channel)
            blockChannels[channel] = outputs[channel] + start;
        // The input may share its memory with the output: keep it first.
        if (bypassInput != nullptr)
            for (int channel = 0; channel < channels; ++channel)
                if (bypassInput[channel] != nullptr)
                    std::memcpy (bypassScratch[channel].data(), bypassInput[channel] + start, sizeof (float) * (size_t) length);

        juce::AudioBuffer<float> buffer (blockChannels, channels, length);
        engine->processBlock (buffer, midiBuffer);

        if (bypassInput != nullptr)
            for (int channel = 0; channel < channels; ++channel)
            {
                if (bypassInput[channel] != nullptr)
                    std::memcpy (blockChannels[channel], bypassScratch[channel].data(), sizeof (float) * (size_t) length);
                else
                    std::fill (blockChannels[channel], blockChannels[channel] + length, 0.0f);
            }
    }
}

AAX_Result JuceAAX_Processor::ResetFieldData (AAX_CFieldIndex field, void* data, uint32_t size) const
{
    return AAXGuardHostCall ([&]
    {
        if (data == nullptr)
            return AAX_ERROR_NULL_OBJECT;
        std::memset (data, 0, size);
        if (field == instanceField && size >= sizeof (JuceAAX_Processor*))
        {
            auto* self = const_cast<JuceAAX_Processor*> (this);
            std::memcpy (data, &self, sizeof (self));
        }
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::TimerWakeup()
{
    return AAXGuardHostCall ([&]
    {
        PluginMessagePump::deliverPendingMessages (PluginMessagePump::messagesPerIdleCall);
        return AAX_SUCCESS;
    });
}
} // namespace AAXClasses
