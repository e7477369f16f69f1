#pragma once

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
    static juce::ScopedJuceInitialiser_GUI juce;
}

/** Stops the run when a property that must hold does not. */
#define KEST_FUZZ_CHECK(condition) \
    do { if (! (condition)) { std::fprintf (stderr, "check failed: %s\n", #condition); std::abort(); } } while (false)
