#include "engine/BandlimitedWavetableSet.h"
#include "engine/CatmullRomCoefficients.h"
#include "engine/Synth404.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

namespace
{
const double pi = 3.14159265358979323846;

/** -(2 / pi) sum_{h=1..L/2-1} sin(2 pi h n / L) / h by direct summation. */
double bandlimitedSaw (int length, int n)
{
    double sum = 0.0;
    for (int h = 1; h < length / 2; ++h)
        sum += std::sin (2.0 * pi * h * n / length) / h;
    return -(2.0 / pi) * sum;
}

struct SetHolder
{
    const BandlimitedWavetableSet* set = BandlimitedWavetableSet::acquire();
    ~SetHolder() { BandlimitedWavetableSet::release(); }
};
} // namespace

TEST (BandlimitedWavetableSet, smallestTablesHoldOnlyTheHarmonicsBelowTheirNyquist)
{
    SetHolder holder;
    const auto& four = holder.set->find (4);
    ASSERT_EQ (four.length, 4u);
    EXPECT_EQ (four.mask, 3u);
    const float expected4[] = { 0.0f, -0.63662f, 0.0f, 0.63662f };
    for (int n = 0; n < 4; ++n)
        EXPECT_NEAR (four.data[(size_t) n], expected4[n], 2e-5) << n;

    const auto& eight = holder.set->find (8);
    ASSERT_EQ (eight.length, 8u);
    for (int n = 0; n < 8; ++n)
        EXPECT_NEAR (eight.data[(size_t) n], bandlimitedSaw (8, n), 2e-5) << n;
}

TEST (BandlimitedWavetableSet, everyTableMatchesItsSineSeries)
{
    SetHolder holder;
    for (uint32_t length = 4; length <= 1024; length *= 2)
    {
        const auto& table = holder.set->find (length);
        ASSERT_EQ (table.length, length);
        ASSERT_EQ (table.data.size(), length);
        double worst = 0.0;
        for (int n = 0; n < (int) length; ++n)
            worst = std::max (worst, std::fabs (table.data[(size_t) n] - bandlimitedSaw ((int) length, n)));
        EXPECT_LT (worst, 2e-5) << length;
    }
}

TEST (BandlimitedWavetableSet, baseWaveformFallsAtPhaseZeroWithItsGibbsPeaks)
{
    SetHolder holder;
    const auto& base = holder.set->find (1024);
    EXPECT_NEAR (base.data[0], 0.0f, 1e-5);
    EXPECT_NEAR (base.data[1], -1.1770f, 5e-5);
    EXPECT_NEAR (base.data[512], 0.0f, 1e-5);
    EXPECT_NEAR (base.data[1023], 1.1770f, 5e-5);
    EXPECT_NEAR (base.data[256], -0.5f, 2e-3); // a quarter into the rising ramp
}

TEST (BandlimitedWavetableSet, tableChoiceKeepsEveryHarmonicBelowNyquist)
{
    // n is the smallest power of two with n x increment > 0.5, within 4..1024.
    EXPECT_EQ (BandlimitedWavetableSet::chooseLength (110.0f / 88200.0f), 512u);  // 512 x 0.00125 = 0.64
    EXPECT_EQ (BandlimitedWavetableSet::chooseLength (440.0f / 88200.0f), 128u);
    EXPECT_EQ (BandlimitedWavetableSet::chooseLength (0.125f), 8u);               // 4 x 0.125 is not above 0.5
    EXPECT_EQ (BandlimitedWavetableSet::chooseLength (0.13f), 4u);
    EXPECT_EQ (BandlimitedWavetableSet::chooseLength (0.3f), 4u);                 // above a quarter of the rate
    EXPECT_EQ (BandlimitedWavetableSet::chooseLength (20.0f / 88200.0f), 1024u);  // would want 4096
    // The search stops at 1024 for any increment.
    EXPECT_EQ (BandlimitedWavetableSet::chooseLength (0.0f), 1024u);
    EXPECT_EQ (BandlimitedWavetableSet::chooseLength (std::numeric_limits<float>::quiet_NaN()), 1024u);
    EXPECT_EQ (BandlimitedWavetableSet::chooseLength (-1.0f), 1024u);

    for (uint32_t length = 4; length <= 1024; length *= 2)
    {
        const float increment = 0.5f / (float) length * 1.01f;
        const uint32_t chosen = BandlimitedWavetableSet::chooseLength (increment);
        EXPECT_EQ (chosen, length);
        // Highest harmonic held (chosen / 2 - 1) stays below Nyquist.
        EXPECT_LT ((chosen / 2 - 1) * increment, 0.5f);
    }
}

TEST (BandlimitedWavetableSet, lastVoiceFreesTheSetAndTheNextRebuildsItIdentically)
{
    const uint32_t before = BandlimitedWavetableSet::getReferenceCount();
    std::vector<float> first;
    {
        auto a = std::make_unique<Synth404>();
        auto b = std::make_unique<Synth404>();
        EXPECT_EQ (BandlimitedWavetableSet::getReferenceCount(), before + 2);
        SetHolder holder;
        first = holder.set->find (64).data;
    }
    EXPECT_EQ (BandlimitedWavetableSet::getReferenceCount(), before);

    auto again = std::make_unique<Synth404>();
    SetHolder holder;
    EXPECT_EQ (holder.set->find (64).data, first);
}

TEST (BandlimitedWavetableSet, voicesMadeAndDeletedOnSeveralThreadsAtOnceShareOneWholeSet)
{
    // Instances build and delete voices on the host's thread, the engine's
    // voice-count worker and the message thread, each instance on its own,
    // so the set is built, shared and freed from several threads at once.
    const uint32_t before = BandlimitedWavetableSet::getReferenceCount();
    std::vector<float> reference;
    {
        SetHolder holder;
        reference = holder.set->find (64).data;
    }

    std::atomic<int> wrongTables { 0 };
    auto makeAndDelete = [&]
    {
        for (int round = 0; round < 40; ++round)
        {
            std::vector<std::unique_ptr<Synth404>> voices;
            for (int voice = 0; voice < 1 + round % 3; ++voice)
                voices.push_back (std::make_unique<Synth404>());

            SetHolder holder;
            if (holder.set->find (64).data != reference)
                ++wrongTables;
        }
    };

    juce::WaitableEvent go (true);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 2; ++thread)
        threads.emplace_back ([&] { go.wait (-1); makeAndDelete(); });
    go.signal();
    makeAndDelete();
    for (auto& thread : threads)
        thread.join();

    EXPECT_EQ (wrongTables.load(), 0);
    EXPECT_EQ (BandlimitedWavetableSet::getReferenceCount(), before);
}

TEST (BandlimitedWavetableSet, sawIsReadBetweenEntriesBeforeAndAtTheIndex)
{
    BandlimitedWavetable table;
    table.length = 8;
    table.mask = 7;
    table.data = { 0.0f, 1.0f, 4.0f, 9.0f, 16.0f, 25.0f, 36.0f, 49.0f };

    // At pos = i exactly the reader returns entry i - 1.
    EXPECT_FLOAT_EQ (readCatmullRom (table, 3.0f / 8.0f), 4.0f);
    EXPECT_FLOAT_EQ (readCatmullRom (table, 0.0f), 49.0f);       // entry -1 wraps to 7
    // Just below pos = i + 1 it approaches entry i.
    EXPECT_NEAR (readCatmullRom (table, 3.9999f / 8.0f), 9.0f, 1e-3);
    // Halfway, the cubic through the quadratic samples is exact: (2.5)^2.
    EXPECT_FLOAT_EQ (readCatmullRom (table, 3.5f / 8.0f), 6.25f);
}

TEST (CatmullRom, weightsSumToOneAndTheUpsamplingRowsAreTheQuarterPoints)
{
    for (float t = 0.0f; t <= 1.0f; t += 0.0625f)
        EXPECT_FLOAT_EQ (catmullRomWeight (0, t) + catmullRomWeight (1, t) + catmullRomWeight (2, t)
                             + catmullRomWeight (3, t), 1.0f);

    const float expected[4][4] = {
        { 0.0f, 0.0f, 1.0f, 0.0f },
        { -3.0f / 128, 29.0f / 128, 111.0f / 128, -9.0f / 128 },
        { -1.0f / 16, 9.0f / 16, 9.0f / 16, -1.0f / 16 },
        { -9.0f / 128, 111.0f / 128, 29.0f / 128, -3.0f / 128 },
    };
    const auto& U = upsamplingTable();
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j)
            EXPECT_FLOAT_EQ (U[k][j], expected[k][j]) << k << "," << j;
}
