#include "engine/AudioEngine.h"
#include "fuzz/FuzzSupport.h"

// The host's state block: the input is the XML text, wrapped in the binary
// block header as the host would store it.  Whatever is restored must be
// written and restored again bit for bit.

namespace
{
AudioEngine* engine = nullptr;
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    initialiseFuzzTarget();
    engine = new AudioEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto block = binaryBlockAround (data, size);
    engine->setStateInformation (block.getData(), (int) block.getSize());

    juce::MemoryBlock first, second;
    engine->getStateInformation (first);
    engine->setStateInformation (first.getData(), (int) first.getSize());
    engine->getStateInformation (second);
    KEST_FUZZ_CHECK (first == second);
    return 0;
}
