#include "host/RenderSequence.h"

#include "host/DemoSequence.h"
#include "host/MidiFileCheck.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace KestHost
{
namespace
{
constexpr size_t maximumFileBytes = 64 * 1024 * 1024;
constexpr int64_t beyondAnyRender = int64_t (1) << 50;
} // namespace

RenderSequence RenderSequence::fromMidiFile (const std::string& path, double sampleRate)
{
    const auto failure = [&path] (const std::string& why) { return std::runtime_error ("cannot read MIDI file " + path + ": " + why); };

    const juce::File file (juce::File::getCurrentWorkingDirectory().getChildFile (path));
    juce::FileInputStream stream (file);
    if (! stream.openedOk())
        throw failure (stream.getStatus().getErrorMessage().toStdString());
    juce::MemoryBlock bytes;
    if (stream.readIntoMemoryBlock (bytes, maximumFileBytes + 1) > maximumFileBytes)
        throw failure ("it is larger than " + std::to_string (maximumFileBytes / (1024 * 1024)) + " MB");

    std::vector<uint8_t> tracks;
    const auto problem = MidiFileCheck::check (static_cast<const uint8_t*> (bytes.getData()), bytes.getSize(), tracks);
    if (! problem.empty())
        throw failure (problem);

    juce::MemoryInputStream trackStream (tracks.data(), tracks.size(), false);
    juce::MidiFile midiFile;
    if (! midiFile.readFrom (trackStream))
        throw failure ("not a standard MIDI file");

    for (int track = 0; track < midiFile.getNumTracks(); ++track)
        for (auto* holder : *midiFile.getTrack (track))
        {
            const auto& message = holder->message;
            if (! message.isTempoMetaEvent())
                continue;
            const auto where = " at tick " + std::to_string ((int64_t) message.getTimeStamp()) + " of track " + std::to_string (track + 1);
            if (message.getMetaEventLength() != 3)
                throw failure ("its tempo event" + where + " is " + std::to_string (message.getMetaEventLength()) + " bytes long, not 3");
            if (! (message.getTempoSecondsPerQuarterNote() > 0.0))
                throw failure ("its tempo is 0" + where);
        }

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
        // Far beyond any length a render allows, so the length guard refuses it.
        const auto position = std::clamp (message.getTimeStamp() * sampleRate, 0.0, (double) beyondAnyRender);
        event.sample = std::isfinite (position) ? std::llround (position) : beyondAnyRender;
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
