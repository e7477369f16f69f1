// Processing as a strict validator checks it: every common sample rate,
// block sizes from one sample to 4096 and varying within one run, exact
// silence without notes, sound with them, clean numbers throughout.
#include "tests/validator/BundleUnderTest.h"

#include <random>

using namespace Validator;

namespace
{
class Processing : public BundleUnderTest
{
};

constexpr double sampleRates[] = { 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 };
constexpr int blockSizes[] = { 1, 7, 32, 64, 512, 1024, 4096 };
} // namespace

TEST_F (Processing, EveryCommonSampleRateIsSilentWithoutNotesAndSoundsWithThem)
{
    for (const auto rate : sampleRates)
    {
        SCOPED_TRACE (rate);
        auto instance = makeInstance (rate);
        const auto quarterSecond = (int64_t) (rate / 4);

        const auto silent = play (*instance, quarterSecond, { 512 });
        EXPECT_EQ (peak (silent.left), 0.0f);
        EXPECT_EQ (peak (silent.right), 0.0f);

        const auto sounding = play (*instance, 2 * quarterSecond, { 512 }, chord (quarterSecond));
        EXPECT_TRUE (cleanAudio (sounding.left));
        EXPECT_TRUE (cleanAudio (sounding.right));
        EXPECT_GT (rms (sounding.left, (size_t) quarterSecond / 2, (size_t) quarterSecond), 0.01);
        EXPECT_GT (rms (sounding.right, (size_t) quarterSecond / 2, (size_t) quarterSecond), 0.01);
    }
}

TEST_F (Processing, EveryBlockSizeGivesTheSameSound)
{
    const int64_t length = 12000;
    auto reference = makeInstance();
    const auto expected = play (*reference, length, { 512 }, chord (6000));
    ASSERT_GT (rms (expected.left, 2000, 6000), 0.01);

    for (const auto block : blockSizes)
    {
        SCOPED_TRACE (block);
        auto instance = makeInstance();
        const auto played = play (*instance, length, { block }, chord (6000));
        EXPECT_TRUE (cleanAudio (played.left));
        ASSERT_EQ (played.left.size(), expected.left.size());
        double largest = 0.0;
        for (size_t i = 0; i < expected.left.size(); ++i)
            largest = std::max (largest, (double) std::abs (played.left[i] - expected.left[i]));
        EXPECT_LT (largest, 1.0e-4) << "the sound depends on the block size";
    }
}

TEST_F (Processing, BlockSizesVaryingWithinOneRunStayCleanAndSounding)
{
    std::mt19937 random (23);
    std::uniform_int_distribution<int> anyLength (1, 4096);
    std::vector<int> lengths;
    for (int i = 0; i < 64; ++i)
        lengths.push_back (anyLength (random));

    auto instance = makeInstance();
    const auto played = play (*instance, 96000, lengths, chord (48000));
    EXPECT_TRUE (cleanAudio (played.left));
    EXPECT_TRUE (cleanAudio (played.right));
    EXPECT_GT (rms (played.left, 12000, 48000), 0.01);
}

TEST_F (Processing, MonoVariantProcessesToo)
{
    auto instance = makeInstance (48000.0, 4096, 1);
    const auto played = play (*instance, 24000, { 256 }, chord());
    EXPECT_TRUE (cleanAudio (played.left));
    EXPECT_GT (rms (played.left, 6000), 0.01);
}
