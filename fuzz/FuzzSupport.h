#pragma once

#include "engine/XmlBinaryBlock.h"

#include <juce_events/juce_events.h>

#include <cstdio>
#include <cstdlib>

/** What every fuzz target needs before its first input: the framework
    initialised on the fuzzing thread (which becomes the message thread) and a
    scratch home, so no input ever reaches the user's own files.  The targets
    run through tests/isolate.sh, which provides that home. */
inline void initialiseFuzzTarget()
{
    const char* dataHome = std::getenv ("XDG_DATA_HOME");
    if (dataHome == nullptr || juce::String (dataHome).contains ("/kest-test.") == false)
    {
        std::fprintf (stderr, "Run the fuzz targets through tests/isolate.sh: they write into the user's data folder.\n");
        std::abort();
    }
    // The framework keeps the objects it deletes at shut-down (a timer's
    // thread among them) in a list made on first use.  Made here, before the
    // initialiser, the list outlives the initialiser, which empties it at exit.
    struct FirstDeletedAtShutdown : juce::DeletedAtShutdown {};
    delete new FirstDeletedAtShutdown();
    static juce::ScopedJuceInitialiser_GUI juce;
}

/** The bytes as the text of a binary XML block, as a project or a preset
    file would hold them. */
inline juce::MemoryBlock binaryBlockAround (const void* text, size_t size)
{
    juce::MemoryBlock block (8 + size + 1, true);
    auto* bytes = static_cast<uint8_t*> (block.getData());
    for (int i = 0; i < 4; ++i)
    {
        bytes[i] = (uint8_t) ((XmlBinaryBlock::magic >> (8 * i)) & 0xff);
        bytes[4 + i] = (uint8_t) ((size >> (8 * i)) & 0xff);
    }
    std::memcpy (bytes + 8, text, size);
    return block;
}

/** Stops the run when a property that must hold does not. */
#define KEST_FUZZ_CHECK(condition) \
    do { if (! (condition)) { std::fprintf (stderr, "check failed: %s\n", #condition); std::abort(); } } while (false)
