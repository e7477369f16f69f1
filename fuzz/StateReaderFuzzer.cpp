#include "engine/AudioEngine.h"
#include "fuzz/FuzzSupport.h"

// The host's state block: the input is the XML text, wrapped in the binary
// block header as the host would store it.  Whatever is restored must be
// written and restored again bit for bit.

namespace
{
AudioEngine* engine = nullptr;

juce::MemoryBlock wrap (const uint8_t* data, size_t size)
{
    juce::MemoryBlock block (8 + size + 1, true);
    auto* bytes = static_cast<uint8_t*> (block.getData());
    for (int i = 0; i < 4; ++i)
    {
        bytes[i] = (uint8_t) ((0x21324356u >> (8 * i)) & 0xff);
        bytes[4 + i] = (uint8_t) ((size >> (8 * i)) & 0xff);
    }
    std::memcpy (bytes + 8, data, size);
    return block;
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    initialiseFuzzTarget();
    engine = new AudioEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto block = wrap (data, size);
    engine->setStateInformation (block.getData(), (int) block.getSize());

    juce::MemoryBlock first, second;
    engine->getStateInformation (first);
    engine->setStateInformation (first.getData(), (int) first.getSize());
    engine->getStateInformation (second);
    KEST_FUZZ_CHECK (first == second);
    return 0;
}
