// The audio thread's load: a block's busy time against its duration,
// smoothed over 0.3 s of audio, and what the engine feeds into it.

#include "engine/AudioEngine.h"
#include "engine/AudioThreadLoad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace
{
constexpr double rate = 48000.0;

/** The busy time that is the given fraction of a block's duration. */
std::int64_t busyFor (double fraction, int numSamples, double sampleRate = rate)
{
    return (std::int64_t) std::llround (fraction * numSamples / sampleRate * 1.0e9);
}

/** The load after seconds of blocks of numSamples, each busy for fraction of its duration. */
float loadAfter (double seconds, int numSamples, double fraction)
{
    AudioThreadLoad load;
    const int blocks = (int) std::lround (seconds * rate / numSamples);
    for (int i = 0; i < blocks; ++i)
        load.addBlock (busyFor (fraction, numSamples), numSamples, rate);
    return load.get();
}
} // namespace

TEST (AudioThreadLoad, movesTowardsEachBlocksBusyFractionByTheBlocksShareOfThreeTenthsOfASecond)
{
    AudioThreadLoad load;
    EXPECT_EQ (load.get(), 0.0f);

    load.addBlock (busyFor (0.5, 512), 512, rate);
    const double step = 1.0 - std::exp (-512.0 / rate / 0.3);
    EXPECT_NEAR (load.get(), 0.5 * step, 1.0e-6);

    load.addBlock (busyFor (0.9, 512), 512, rate);
    EXPECT_NEAR (load.get(), 0.5 * step + (0.9 - 0.5 * step) * step, 1.0e-6);

    // 0.3 s of blocks goes 1 - 1/e of the way, whatever their length.
    const double expected = 0.8 * (1.0 - std::exp (-1.0));
    for (int numSamples : { 32, 64, 480, 4800 })
        EXPECT_NEAR (loadAfter (0.3, numSamples, 0.8), expected, 1.0e-4) << numSamples;

    // A steady load is read as it is.
    EXPECT_NEAR (loadAfter (5.0, 256, 0.75), 0.75, 1.0e-4);
    EXPECT_NEAR (loadAfter (5.0, 256, 0.0), 0.0, 1.0e-6);
}

TEST (AudioThreadLoad, aBlockCountsForNoMoreThanAllOfItsDurationAndNoLessThanNone)
{
    const double step = 1.0 - std::exp (-256.0 / rate / 0.3);

    AudioThreadLoad stalled;
    stalled.addBlock (busyFor (40.0, 256), 256, rate);   // a stall of ten times the block
    EXPECT_NEAR (stalled.get(), step, 1.0e-6);
    stalled.addBlock (std::numeric_limits<std::int64_t>::max(), 256, rate);
    EXPECT_LE (stalled.get(), 1.0f);

    AudioThreadLoad backwards;
    backwards.reset (1.0f);
    backwards.addBlock (-busyFor (0.5, 256), 256, rate);
    EXPECT_NEAR (backwards.get(), 1.0 - step, 1.0e-6);
    backwards.addBlock (std::numeric_limits<std::int64_t>::min(), 256, rate);
    EXPECT_GE (backwards.get(), 0.0f);
}

TEST (AudioThreadLoad, aBlockWithoutARateOrWithoutSamplesChangesNothing)
{
    AudioThreadLoad fresh;
    fresh.addBlock (busyFor (0.5, 256), 256, 0.0);
    EXPECT_EQ (fresh.get(), 0.0f) << "a zero rate gives 0, not NaN";

    AudioThreadLoad load;
    load.reset (0.4f);
    const double badRates[] { 0.0, -48000.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity() };
    for (double badRate : badRates)
        load.addBlock (1000000, 256, badRate);
    for (int badLength : { 0, -256, std::numeric_limits<int>::min() })
        load.addBlock (1000000, badLength, rate);
    EXPECT_EQ (load.get(), 0.4f);

    // Rates at the ends of the range: a block of no time at all counts as
    // fully busy, one that lasts for ever as idle, neither as NaN.
    load.addBlock (1, 1, std::numeric_limits<double>::max());
    EXPECT_EQ (load.get(), 0.4f) << "a block that short has no weight";
    load.addBlock (1, 1, std::numeric_limits<double>::denorm_min());
    EXPECT_EQ (load.get(), 0.0f) << "a block that long has all the weight";
}

TEST (AudioThreadLoad, startsAgainFromAValueLimitedToZeroToOne)
{
    AudioThreadLoad load;
    const std::pair<float, float> cases[] { { 0.3f, 0.3f }, { 1.0f, 1.0f }, { 2.0f, 1.0f }, { -1.0f, 0.0f },
                                            { std::numeric_limits<float>::quiet_NaN(), 0.0f },
                                            { std::numeric_limits<float>::infinity(), 1.0f } };
    for (auto [value, expected] : cases)
    {
        load.reset (value);
        EXPECT_EQ (load.get(), expected) << value;
    }
    load.reset();
    EXPECT_EQ (load.get(), 0.0f);
}

TEST (AudioThreadLoad, theEngineMeasuresOnlyPreparedBlocksAndForgetsTheLoadWhenItPreparesOrStops)
{
    AudioEngine engine;
    juce::MidiBuffer midi;
    auto play = [&] (int numSamples) {
        juce::AudioBuffer<float> buffer (2, numSamples);
        const juce::ScopedLock lock (engine.getCallbackLock());
        engine.processBlock (buffer, midi);
    };

    // Before a prepare there is no rate to measure against.
    engine.setAudioThreadLoadForTesting (0.3f);
    play (256);
    EXPECT_EQ (engine.getAudioThreadLoad(), 0.3f);

    engine.prepareToPlay (rate, 256);
    EXPECT_EQ (engine.getAudioThreadLoad(), 0.0f);

    engine.setAudioThreadLoadForTesting (0.95f);
    play (0);
    EXPECT_EQ (engine.getAudioThreadLoad(), 0.95f) << "an empty block is not measured";

    // A host that stops leaves no load behind for the editor to show.
    engine.releaseResources();
    EXPECT_EQ (engine.getAudioThreadLoad(), 0.0f);
    engine.setAudioThreadLoadForTesting (0.95f);
    engine.prepareToPlay (rate, 256);
    EXPECT_EQ (engine.getAudioThreadLoad(), 0.0f);
}
