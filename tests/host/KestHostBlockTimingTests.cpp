// Event timing through `kest-host render`: the host splits the stream into
// blocks of --block samples and hands each its events.  A note at sample N
// of a MIDI file must sound exactly like the same note at sample 0, N
// samples later, whatever the block size, with N on a block boundary or not.

#include "tests/support/SignalMeasures.h"

#include <gtest/gtest.h>

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>

namespace
{
constexpr int heard = 6000;
constexpr int held = 3000;

class KestHostBlockTiming : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::createTempFile ("kest-host-timing");
        ASSERT_TRUE (folder.createDirectory());
    }

    void TearDown() override { folder.deleteRecursively(); }

    /** A MIDI file whose ticks are samples at 48 kHz (960 ticks per quarter
        at 20 ms per quarter) with one note from tick start for held ticks. */
    juce::File noteFile (int start) const
    {
        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::tempoMetaEvent (20000), 0.0);
        track.addEvent (juce::MidiMessage::noteOn (1, 57, (juce::uint8) 100), (double) start);
        track.addEvent (juce::MidiMessage::noteOff (1, 57), (double) (start + held));
        juce::MidiFile file;
        file.setTicksPerQuarterNote (960);
        file.addTrack (track);
        const auto path = folder.getChildFile ("note" + juce::String (start) + ".mid");
        juce::FileOutputStream out (path);
        file.writeTo (out);
        return path;
    }

    /** Renders the file at 48 kHz in blocks of blockSize; answers channel 0
        (empty when the run failed). */
    std::vector<float> render (const juce::File& midi, int blockSize) const
    {
        const auto wav = folder.getChildFile ("out.wav");
        juce::ChildProcess process;
        const juce::StringArray command { KEST_HOST_PROGRAM, "render", "--midi", midi.getFullPathName(),
                                          "--out", wav.getFullPathName(), "--rate", "48000",
                                          "--block", juce::String (blockSize) };
        if (! process.start (command, 0) || ! process.waitForProcessToFinish (120000) || process.getExitCode() != 0)
            return {};

        juce::WavAudioFormat format;
        std::unique_ptr<juce::AudioFormatReader> reader (format.createReaderFor (wav.createInputStream().release(), true));
        if (reader == nullptr)
            return {};
        juce::AudioBuffer<float> audio ((int) reader->numChannels, (int) reader->lengthInSamples);
        reader->read (&audio, 0, (int) reader->lengthInSamples, 0, true, true);
        return { audio.getReadPointer (0), audio.getReadPointer (0) + audio.getNumSamples() };
    }

    juce::File folder;
};

} // namespace

TEST_F (KestHostBlockTiming, aNoteInAMidiFileSoundsFromItsSampleWhateverTheBlockSize)
{
    const auto reference = render (noteFile (0), 512);
    ASSERT_GE ((int) reference.size(), heard);
    const double loudest = SignalMeasures::peak (reference, 0, heard);
    ASSERT_GT (loudest, 0.05);
    const double tolerance = 1e-4 * loudest; // float noise and 24-bit steps, far below one sample of shift
    ASSERT_GT (SignalMeasures::maxDifference (reference, 1, reference, 0, heard - 1), 100 * tolerance);

    // 2048 lies on a boundary of 64, 512, 1024 and 4096-sample blocks, 3000
    // on one of 100, 1000 and 3000; 1 puts every event on a boundary.
    for (int start : { 2048, 3000 })
    {
        const auto midi = noteFile (start);
        for (int blockSize : { 1, 64, 100, 333, 512, 1000, 1024, 3000, 4096 })
        {
            if (blockSize == 1 && start != 3000)
                continue; // one run of single-sample blocks is enough
            const auto out = render (midi, blockSize);
            ASSERT_GE ((int) out.size(), start + heard) << "blocks of " << blockSize;
            EXPECT_EQ (SignalMeasures::peak (out, 0, start), 0.0) << "sound before the note at " << start << ", blocks of " << blockSize;
            EXPECT_LE (SignalMeasures::maxDifference (out, start, reference, 0, heard), tolerance)
                << "note at " << start << ", blocks of " << blockSize;
        }
    }
}
