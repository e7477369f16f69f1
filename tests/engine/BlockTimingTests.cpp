// Event timing at every place the engine splits a block: its walk from MIDI
// event to MIDI event, and the oversampler's chunks of 128 host samples
// (256 or 384 voice samples).  A note at sample N of a stream must sound
// exactly like the same note at sample 0, shifted by N, whatever the block
// sizes, including notes on a block or chunk boundary.  The engine reports
// no latency, so nothing may come early or late by even one sample.

#include "tests/support/EngineRig.h"
#include "tests/support/SignalMeasures.h"

#include <gtest/gtest.h>

using namespace SignalMeasures;
using R = EngineRig;

namespace
{
constexpr int heard = 6000; // samples compared after the note starts
constexpr int held = 3000;

/** A bright saw (a one-sample shift changes it a lot) played at sample start,
    released held samples later, rendered in the given block sizes. */
void brightSaw (EngineRig& rig)
{
    rig.set (R::voiceMode, R::revolver);
    rig.setEveryDevice (R::oscillatorMode, R::oscillatorSaw);
    rig.setEveryDevice (R::frequency, 0.8f);
}

std::vector<float> playAt (double rate, int start, std::vector<int> blockSizes)
{
    EngineRig rig (rate, 256);
    brightSaw (rig);
    return rig.render (start + heard, { R::noteOn (start, 57), R::noteOff (start + held, 57) }, std::move (blockSizes));
}

/** The same note started from the keyboard before the first block: the
    engine starts it when the block begins, before its first sample. */
std::vector<float> startedBeforeTheBlock (double rate)
{
    EngineRig rig (rate, 256);
    brightSaw (rig);
    rig.engine.getKeyboardState().noteOn (1, 57, 100.0f / 127.0f);
    return rig.render (heard, { R::noteOff (held, 57) }, { heard });
}

/** Float noise may differ between block sizes; a shift may not.  The bound
    is far below what one sample of shift makes (checked on the reference). */
constexpr double tolerance = 1e-4;
} // namespace

TEST (BlockTiming, aNoteSoundsFromItsSampleWhateverTheBlockSizes)
{
    for (double rate : { 48000.0, 96000.0, 32000.0 }) // oversampling by 2, 1 and 3
    {
        const auto reference = playAt (rate, 0, { heard });
        const double loudest = peak (reference, 0, heard);
        ASSERT_GT (loudest, 0.05);
        ASSERT_LE (maxDifference (reference, 0, startedBeforeTheBlock (rate), 0, heard), tolerance * loudest)
            << rate << " Hz: a note at sample 0 starts with the block's first sample";
        ASSERT_GT (maxDifference (reference, 0, reference, 1, heard), 100 * tolerance * loudest)
            << "one sample of shift must show";

        const std::vector<std::vector<int>> splits { { 1 }, { 7 }, { 64 }, { 128 }, { 256 }, { 333 }, { 1000 },
                                                     { 5, 128, 300, 1, 511 }, { 100000 } };
        // On and beside the boundaries of blocks and of the oversampler's chunks.
        for (int start : { 1, 127, 128, 129, 255, 256, 384, 511, 512, 1000, 1024 })
        {
            for (const auto& split : splits)
            {
                const auto out = playAt (rate, start, split);
                const auto where = ::testing::Message() << rate << " Hz, note at " << start << ", blocks of " << split[0];
                ASSERT_EQ (peak (out, 0, start), 0.0) << where << ": sound before the note";
                ASSERT_LE (maxDifference (out, start, reference, 0, heard), tolerance * loudest) << where;
            }
        }
    }
}

TEST (BlockTiming, eventsAtOnePositionAreHeardTogether)
{
    // Two notes on the same sample, delivered in one block or across a
    // boundary that falls exactly on them, sound identical.
    auto play = [] (std::vector<int> blockSizes) {
        EngineRig rig;
        rig.set (R::voiceMode, R::revolver);
        return rig.render (4096, { R::noteOn (512, 60), R::noteOn (512, 67), R::noteOff (2048, 60) }, std::move (blockSizes));
    };
    const auto whole = play ({ 4096 });
    ASSERT_GT (peak (whole, 512, 4096), 0.05);
    EXPECT_LE (maxDifference (play ({ 512 }), 0, whole, 0, 4096), tolerance);
    EXPECT_LE (maxDifference (play ({ 511, 1, 1536 }), 0, whole, 0, 4096), tolerance);
    EXPECT_EQ (peak (whole, 0, 512), 0.0);
}
