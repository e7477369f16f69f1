// What `kest-host render` puts where: event times, the file's length and
// header, dense MIDI, and levels beyond full scale.

#include "HostProgram.h"
#include "host/HostMidiNode.h"
#include "host/RenderSession.h"

#include <gtest/gtest.h>

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <cstring>

namespace
{
class KestHostTiming : public HostProgram::FolderTest
{
protected:
    /** The first sample that is not exactly silent, or -1. */
    static int onset (const juce::AudioBuffer<float>& audio)
    {
        for (int i = 0; i < audio.getNumSamples(); ++i)
            for (int channel = 0; channel < audio.getNumChannels(); ++channel)
                if (audio.getSample (channel, i) != 0.0f)
                    return i;
        return -1;
    }

    static int reportedLatency (const juce::String& out)
    {
        const auto after = out.fromFirstOccurrenceOf (", latency ", false, false);
        return after.isEmpty() ? -1 : after.getIntValue();
    }

    /** Renders one note at sample noteAt in 32-bit float; the audio and the latency reported. */
    std::pair<juce::AudioBuffer<float>, int> renderNoteAt (int noteAt, int rate, int block) const
    {
        juce::MidiMessageSequence events;
        events.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), noteAt);
        events.addEvent (juce::MidiMessage::noteOff (1, 60), noteAt + rate / 10);
        HostProgram::writeSampleTimedMidi (file ("note.mid"), events, rate);
        const auto run = render ({ "--midi", "note.mid", "--out", "note.wav", "--bits", "32", "--rate", std::to_string (rate), "--block",
                                   std::to_string (block) });
        EXPECT_EQ (run.exitCode, 0) << run.errors;
        return { HostProgram::readWav (file ("note.wav")), reportedLatency (run.out) };
    }
};

uint32_t le32 (const juce::MemoryBlock& data, size_t at)
{
    uint32_t value = 0;
    std::memcpy (&value, static_cast<const char*> (data.getData()) + at, 4);
    return juce::ByteOrder::swapIfBigEndian (value);
}

uint16_t le16 (const juce::MemoryBlock& data, size_t at)
{
    uint16_t value = 0;
    std::memcpy (&value, static_cast<const char*> (data.getData()) + at, 2);
    return juce::ByteOrder::swapIfBigEndian (value);
}

bool chunkIs (const juce::MemoryBlock& data, size_t at, const char* name)
{
    return at + 4 <= data.getSize() && std::memcmp (static_cast<const char*> (data.getData()) + at, name, 4) == 0;
}
} // namespace

TEST_F (KestHostTiming, ANoteAtSampleNSoundsAtNPlusTheReportedLatencyWhereverItFallsInABlock)
{
    struct Case
    {
        int rate, block, noteAt;
    };
    for (auto c : { Case { 48000, 512, 12345 }, Case { 44100, 333, 333 * 7 }, Case { 44100, 333, 333 * 7 + 332 }, Case { 96000, 64, 1000 } })
    {
        SCOPED_TRACE (std::to_string (c.rate) + " Hz, blocks of " + std::to_string (c.block) + ", note at " + std::to_string (c.noteAt));
        // The sound's own attack starts from silence; a note at sample 0
        // shows where it becomes audible.
        const auto [reference, latency] = renderNoteAt (0, c.rate, c.block);
        const auto attack = onset (reference);
        ASSERT_GE (latency, 0);
        ASSERT_GE (attack, latency);
        EXPECT_LE (attack - latency, c.rate / 1000) << "the attack is audible within a millisecond";

        const auto [audio, sameLatency] = renderNoteAt (c.noteAt, c.rate, c.block);
        EXPECT_EQ (sameLatency, latency);
        EXPECT_NEAR (onset (audio) - attack, c.noteAt, 1);
    }
}

TEST_F (KestHostTiming, TheFileRunsToTheLastEventAndTwoSecondsAfterWithAMatchingHeader)
{
    struct Case
    {
        int rate, bits, channels;
    };
    for (auto c : { Case { 8000, 16, 1 }, Case { 44100, 24, 2 }, Case { 48000, 32, 2 }, Case { 96000, 16, 2 }, Case { 384000, 32, 1 } })
    {
        SCOPED_TRACE (std::to_string (c.rate) + " Hz, " + std::to_string (c.bits) + " bits, " + std::to_string (c.channels) + " channels");
        const int lastEvent = c.rate / 10 + 7;
        juce::MidiMessageSequence events;
        events.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 90), 100);
        events.addEvent (juce::MidiMessage::noteOff (1, 60), lastEvent);
        HostProgram::writeSampleTimedMidi (file ("short.mid"), events, c.rate);
        const auto run = render ({ "--midi", "short.mid", "--out", "short.wav", "--rate", std::to_string (c.rate), "--bits",
                                   std::to_string (c.bits), "--channels", std::to_string (c.channels) });
        ASSERT_EQ (run.exitCode, 0) << run.errors;

        juce::MemoryBlock data;
        ASSERT_TRUE (file ("short.wav").loadFileAsData (data));
        ASSERT_GE (data.getSize(), 44u);
        ASSERT_TRUE (chunkIs (data, 0, "RIFF"));
        EXPECT_EQ (le32 (data, 4), data.getSize() - 8);
        ASSERT_TRUE (chunkIs (data, 8, "WAVE"));

        const int64_t frames = lastEvent + 1 + 2 * (int64_t) c.rate;
        const int blockAlign = c.channels * c.bits / 8;
        bool sawFormat = false, sawData = false;
        for (size_t at = 12; at + 8 <= data.getSize();)
        {
            const auto size = le32 (data, at + 4);
            if (chunkIs (data, at, "fmt "))
            {
                sawFormat = true;
                const auto tag = le16 (data, at + 8);
                // Plain PCM or float, or the extensible form naming either.
                const auto kind = tag == 0xFFFE ? le16 (data, at + 8 + 24) : tag;
                EXPECT_EQ (kind, c.bits == 32 ? 3 : 1);
                EXPECT_EQ (le16 (data, at + 10), c.channels);
                EXPECT_EQ (le32 (data, at + 12), (uint32_t) c.rate);
                EXPECT_EQ (le32 (data, at + 16), (uint32_t) (c.rate * blockAlign));
                EXPECT_EQ (le16 (data, at + 20), blockAlign);
                EXPECT_EQ (le16 (data, at + 22), c.bits);
            }
            if (chunkIs (data, at, "data"))
            {
                sawData = true;
                EXPECT_EQ ((int64_t) size, frames * blockAlign);
                EXPECT_EQ (at + 8 + size + (size & 1), data.getSize()) << "the data runs to the end of the file";
            }
            at += 8 + size + (size & 1);
        }
        EXPECT_TRUE (sawFormat);
        EXPECT_TRUE (sawData);
        EXPECT_TRUE (run.out.contains ("wrote short.wav: " + juce::String ((double) frames / c.rate, 2) + " s")) << run.out;
    }
}

TEST_F (KestHostTiming, ANoteAfterThousandsOfEventsInOneBlockIsPlayed)
{
    juce::MidiMessageSequence events;
    for (int i = 0; i < 5000; ++i)
        events.addEvent (juce::MidiMessage::channelPressureChange (1, i % 128), 0);
    events.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
    events.addEvent (juce::MidiMessage::noteOff (1, 60), 24000);
    HostProgram::writeSampleTimedMidi (file ("dense.mid"), events, 48000);

    const auto run = render ({ "--midi", "dense.mid", "--out", "dense.wav" });
    ASSERT_EQ (run.exitCode, 0) << run.errors;
    const auto audio = HostProgram::readWav (file ("dense.wav"));
    EXPECT_GT (audio.getRMSLevel (0, 0, 24000), 0.01f);
}

TEST (RenderSessionMidi, BlocksDenserThanTheNodeAreSplitWithoutLosingOrMovingEvents)
{
    // Runs of events on one sample, some longer than the node holds.
    std::vector<KestHost::RenderSequence::Event> events;
    for (int64_t sample : { 0, 0, 1, 2, 3, 3, 3, 3, 3, 3, 5, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 15, 40 })
    {
        KestHost::RenderSequence::Event event {};
        event.sample = sample;
        event.packet.length = 3;
        event.packet.data[0] = 0xB0;
        event.packet.data[1] = (uint8_t) events.size(); // its number, to check the order
        events.push_back (event);
    }

    KestHost::HostMidiNode node (4);
    std::vector<std::pair<int, int64_t>> played; // number, sample played at
    size_t next = 0;
    int64_t position = 0;
    const int64_t total = 48;
    while (position < total)
    {
        const int wanted = (int) std::min<int64_t> (8, total - position);
        const int length = KestHost::RenderSession::fillMidiNode (node, events, next, position, wanted);
        ASSERT_GE (length, 1);
        ASSERT_LE (length, wanted);
        ASSERT_LE (node.size(), 4u);
        for (size_t i = 0; i < node.size(); ++i)
        {
            const auto& packet = node.GetNodeBuffer()->mBuffer[i];
            ASSERT_LT (packet.timestamp, (uint32_t) length);
            played.emplace_back (packet.data[1], position + packet.timestamp);
        }
        position += length;
    }

    ASSERT_EQ (played.size(), events.size());
    for (size_t i = 0; i < played.size(); ++i)
    {
        EXPECT_EQ (played[i].first, (int) i);
        EXPECT_GE (played[i].second, events[i].sample);
    }
    // Only the events beyond a node-full on one sample move, by one sample per node-full.
    EXPECT_EQ (played[7].second, 3);
    EXPECT_EQ (played[8].second, 4);
    EXPECT_EQ (played[9].second, 4);
    EXPECT_EQ (played[10].second, 5);
    EXPECT_EQ (played[14].second, 9);
    EXPECT_EQ (played[15].second, 10);
    EXPECT_EQ (played[19].second, 11);
    EXPECT_EQ (played[21].second, 15);
    EXPECT_EQ (played[22].second, 40);
}

TEST_F (KestHostTiming, ClippingIsWarnedAboutAndFloatFilesKeepTheLevel)
{
    juce::MidiMessageSequence events;
    for (int note : { 48, 55, 60, 64, 67 })
        events.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 127), 0);
    for (int note : { 48, 55, 60, 64, 67 })
        events.addEvent (juce::MidiMessage::noteOff (1, note), 24000);
    HostProgram::writeSampleTimedMidi (file ("loud.mid"), events, 48000);

    for (const char* bits : { "16", "24" })
    {
        const auto run = render ({ "--midi", "loud.mid", "--out", "loud.wav", "--bits", bits });
        ASSERT_EQ (run.exitCode, 0) << run.errors;
        EXPECT_TRUE (run.errors.matchesWildcard ("kest-host render: warning: loud.wav clipped: peak +*.* dBFS, * samples above full scale "
                                                 "were cut off; --bits 32 keeps them",
                                                 false))
            << run.errors;
        EXPECT_LE (HostProgram::readWav (file ("loud.wav")).getMagnitude (0, 0, 48000), 1.0f);
    }

    const auto run = render ({ "--midi", "loud.mid", "--out", "loud.wav", "--bits", "32" });
    ASSERT_EQ (run.exitCode, 0) << run.errors;
    EXPECT_TRUE (run.errors.isEmpty()) << run.errors;
    EXPECT_TRUE (run.out.contains ("peak +")) << run.out;
    EXPECT_GT (HostProgram::readWav (file ("loud.wav")).getMagnitude (0, 0, 48000), 1.0f);
}
