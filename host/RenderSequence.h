#pragma once

#include "platform/AAXHostInterfaces.h"

#include <cstdint>
#include <string>
#include <vector>

namespace juce
{
class MidiMessageSequence;
}

namespace KestHost
{
/** The MIDI that a render plays: channel messages at sample positions, in
    time order.  Meta events and system-exclusive messages are left out.
    Main thread. */
class RenderSequence
{
public:
    struct Event
    {
        int64_t sample;
        AAX_CMidiPacket packet; // timestamp set per block when played
    };

    /** A standard MIDI file, every track merged.  Throws std::runtime_error
        when it cannot be read or is not a MIDI file. */
    static RenderSequence fromMidiFile (const std::string& path, double sampleRate);

    /** The built-in demo (DemoSequence). */
    static RenderSequence demo (double sampleRate);

    /** A sequence timed in seconds. */
    static RenderSequence fromSequence (const juce::MidiMessageSequence& sequence, double sampleRate);

    const std::vector<Event>& events() const noexcept { return timedEvents; }

    /** The sample after the last event (0 when empty). */
    int64_t endSample() const noexcept;

private:
    std::vector<Event> timedEvents;
};
} // namespace KestHost
