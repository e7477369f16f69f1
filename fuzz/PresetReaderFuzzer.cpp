#include "engine/AudioEngine.h"
#include "engine/UntrustedXml.h"
#include "engine/XmlBinaryBlock.h"
#include "fuzz/FuzzSupport.h"

// A preset file's text, wrapped in the binary block header as a ".prs" file
// holds it, through the engine's preset reader.  An element the bounded
// reader accepts keeps its shape when written and read again.

namespace
{
AudioEngine* engine = nullptr;

bool holdsText (const juce::XmlElement& element)
{
    for (auto* child : element.getChildIterator())
        if (child->isTextElement() || holdsText (*child))
            return true;
    return false;
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
    const auto file = binaryBlockAround (data, size);
    engine->readPresetState (file);

    // Text is written with line breaks around it, and the framework's
    // single-line writer cannot write an element after text: only elements
    // without text are compared.
    auto element = Korvalden::Misc::parseUntrustedXml (data, size);
    if (element == nullptr || holdsText (*element))
        return 0;

    juce::MemoryBlock block;
    XmlBinaryBlock::write (*element, block);
    auto again = XmlBinaryBlock::read (block);
    KEST_FUZZ_CHECK (again != nullptr && again->isEquivalentTo (element.get(), false));
    return 0;
}
