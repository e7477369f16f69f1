#include "host/RenderSequence.h"

#include "host/DemoSequence.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace KestHost
{
RenderSequence RenderSequence::fromMidiFile (const std::string& path, double sampleRate)
{
    const juce::File file (juce::File::getCurrentWorkingDirectory().getChildFile (path));
    if (! file.existsAsFile())
        throw std::runtime_error ("cannot read MIDI file " + path + ": no such file");

    juce::FileInputStream stream (file);
    juce::MidiFile midiFile;
    if (! stream.openedOk())
        throw std::runtime_error ("cannot read MIDI file " + path + ": " + stream.getStatus().getErrorMessage().toStdString());
    if (! midiFile.readFrom (stream) || midiFile.getNumTracks() == 0)
        throw std::runtime_error ("cannot read MIDI file " + path + ": not a standard MIDI file");

    midiFile.convertTimestampTicksToSeconds();
    juce::MidiMessageSequence merged;
    for (int track = 0; track < midiFile.getNumTracks(); ++track)
        merged.addSequence (*midiFile.getTrack (track), 0.0);
    merged.sort();
    return fromSequence (merged, sampleRate);
}

RenderSequence RenderSequence::demo (double sampleRate)
{
    return fromSequence (DemoSequence::create(), sampleRate);
}

RenderSequence RenderSequence::fromSequence (const juce::MidiMessageSequence& sequence, double sampleRate)
{
    RenderSequence result;
    for (auto* holder : sequence)
    {
        const auto& message = holder->message;
        const auto size = message.getRawDataSize();
        if (message.isMetaEvent() || message.isSysEx() || size < 1 || size > 3)
            continue;

        Event event {};
        event.sample = std::max<int64_t> (0, std::llround (message.getTimeStamp() * sampleRate));
        event.packet.length = static_cast<uint32_t> (size);
        std::memcpy (event.packet.data, message.getRawData(), (size_t) size);
        result.timedEvents.push_back (event);
    }
    std::stable_sort (result.timedEvents.begin(), result.timedEvents.end(),
                      [] (const Event& a, const Event& b) { return a.sample < b.sample; });
    return result;
}

int64_t RenderSequence::endSample() const noexcept
{
    return timedEvents.empty() ? 0 : timedEvents.back().sample + 1;
}
} // namespace KestHost
