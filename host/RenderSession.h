#pragma once

#include "host/PluginInstance.h"
#include "host/RenderSequence.h"

#include <cstdint>
#include <functional>

namespace KestHost
{
/** Plays a sequence through an instance the way a host plays a track: a
    real audio thread of its own calls the process procedure block by block
    and hands the audio to the main thread through a lock-free buffer, while
    the main thread (the calling thread, the plug-in's message thread) gives
    the instance idle time and takes the audio.
*/
class RenderSession
{
public:
    /** Receives rendered audio on the main thread. */
    using Sink = std::function<void (const float* const* channels, int numChannels, int numSamples)>;
    /** Told of the samples rendered so far, on the main thread. */
    using Progress = std::function<void (int64_t samplesDone, int64_t totalSamples)>;

    struct Result
    {
        int64_t samples = 0;
        double wallSeconds = 0.0;
        /** Audio seconds rendered per second of wall time. */
        double realtimeFactor = 0.0;
    };

    /** Renders totalSamples in blocks of the context's maximum size (or less
        at the end).  Main thread. */
    static Result run (PluginInstance& instance, const RenderSequence& sequence, int64_t totalSamples,
                       double sampleRate, const Sink& sink, const Progress& progress = {});
};
} // namespace KestHost
