#pragma once

// What the preset benchmarks share: a client that answers without sound,
// scratch preset roots, an empty preset file made without the framework's own
// file writing, and main.

#include "presets/PresetManager.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace PresetBenchSupport
{
struct SilentClient : public Korvalden::Misc::PresetManager::PresetClient
{
    void writePresetState (juce::MemoryBlock& out) override { out.reset(); }
    bool readPresetState (const juce::MemoryBlock&) override { return true; }
    juce::String getDefaultPresetName() override { return "New Preset"; }
    void handlePresetOverwriteRequest (PresetOverwriteRequest* request) override { request->answer (false); }
};

/** A scratch folder with a factory and a user root, removed at the end. */
struct Roots
{
    Roots()
    {
        base = juce::File::getSpecialLocation (juce::File::tempDirectory)
                   .getChildFile ("kest-bench-" + juce::Uuid().toString());
        factory = base.getChildFile ("factory");
        user = base.getChildFile ("user");
        factory.createDirectory();
        user.createDirectory();
    }
    ~Roots() { base.deleteRecursively(); }

    juce::File base, factory, user;
};

inline void touch (const juce::File& file)
{
    const int descriptor = ::open (file.getFullPathName().toRawUTF8(), O_CREAT | O_WRONLY, 0644);
    if (descriptor >= 0)
        ::close (descriptor);
}

/** Runs the benchmarks named on the command line with a message manager,
    which the preset manager, an asynchronous updater, needs. */
inline int runWithMessageManager (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
} // namespace PresetBenchSupport
