// Event timing through `kest-host render`: the host splits the stream into
// blocks of --block samples and hands each its events.  A note at sample N
// of a MIDI file must sound exactly like the same note at sample 0, N
// samples later (the reported latency is the same for both), whatever the
// block size, with N on a block boundary or not.

#include "HostProgram.h"
#include "tests/support/SignalMeasures.h"

#include <gtest/gtest.h>

namespace
{
constexpr int heard = 6000;
constexpr int held = 3000;

class KestHostBlockTiming : public HostProgram::FolderTest
{
protected:
    /** Renders one note at sample start of a 48 kHz stream in blocks of
        blockSize; answers channel 0 (empty when the run failed). */
    std::vector<float> renderNoteAt (int start, int blockSize) const
    {
        juce::MidiMessageSequence events;
        events.addEvent (juce::MidiMessage::noteOn (1, 57, (juce::uint8) 100), start);
        events.addEvent (juce::MidiMessage::noteOff (1, 57), start + held);
        HostProgram::writeSampleTimedMidi (file ("note.mid"), events, 48000);
        const auto run = render ({ "--midi", "note.mid", "--out", "note.wav", "--rate", "48000", "--block", std::to_string (blockSize) });
        if (run.exitCode != 0)
            return {};
        const auto audio = HostProgram::readWav (file ("note.wav"));
        return { audio.getReadPointer (0), audio.getReadPointer (0) + audio.getNumSamples() };
    }
};
} // namespace

TEST_F (KestHostBlockTiming, aNoteInAMidiFileSoundsFromItsSampleWhateverTheBlockSize)
{
    const auto reference = renderNoteAt (0, 512);
    ASSERT_GE ((int) reference.size(), heard);
    const double loudest = SignalMeasures::peak (reference, 0, heard);
    ASSERT_GT (loudest, 0.05);
    const double tolerance = 1e-4 * loudest; // float noise and 24-bit steps, far below one sample of shift
    ASSERT_GT (SignalMeasures::maxDifference (reference, 1, reference, 0, heard - 1), 100 * tolerance);

    // 2048 lies on a boundary of 64, 512, 1024 and 4096-sample blocks, 3000
    // on one of 100, 1000 and 3000; 1 puts every event on a boundary.
    for (int start : { 2048, 3000 })
    {
        for (int blockSize : { 1, 64, 100, 333, 512, 1000, 1024, 3000, 4096 })
        {
            if (blockSize == 1 && start != 3000)
                continue; // one run of single-sample blocks is enough
            const auto out = renderNoteAt (start, blockSize);
            ASSERT_GE ((int) out.size(), start + heard) << "blocks of " << blockSize;
            EXPECT_EQ (SignalMeasures::peak (out, 0, start), 0.0) << "sound before the note at " << start << ", blocks of " << blockSize;
            EXPECT_LE (SignalMeasures::maxDifference (out, start, reference, 0, heard), tolerance)
                << "note at " << start << ", blocks of " << blockSize;
        }
    }
}
