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

    /** Fills the node for the block of length samples at position with the
        events from next on that fall in it, advancing next, and answers how
        many samples to process now.  That is the whole length unless more
        events fall in the block than the node holds: then it ends the block
        before the first event that does not fit, and the rest go into the
        next call, so no event is lost.  Events piled on one sample beyond the
        node's size are played one sample later per node full.  The thread
        that processes; never allocates. */
    static int fillMidiNode (HostMidiNode& node, const std::vector<RenderSequence::Event>& events, size_t& next,
                             int64_t position, int length) noexcept;

    /** Renders totalSamples in blocks of the context's maximum size (or less
        at the end, or where a block holds more MIDI than the node).  Main
        thread. */
    static Result run (PluginInstance& instance, const RenderSequence& sequence, int64_t totalSamples,
                       double sampleRate, const Sink& sink, const Progress& progress = {});
};
} // namespace KestHost
