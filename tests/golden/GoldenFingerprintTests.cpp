// The reference format itself: a reference edited by hand is refused, and
// the comparison draws its line between float noise and a change of sound.

#include "GoldenFingerprint.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
std::vector<float> tone (double hertz, float amplitude)
{
    std::vector<float> samples (12000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = amplitude * (float) std::sin (2.0 * M_PI * hertz * (double) i / 48000.0);
    return samples;
}
} // namespace

TEST (GoldenFingerprint, aReferenceReadsBackAndAnEditedLineIsRefused)
{
    const auto print = GoldenFingerprint::of ("tone", tone (1000.0, 0.5f), 48000.0);
    const auto text = print.toText ({ "a test tone" });

    GoldenFingerprint read;
    std::string error;
    ASSERT_TRUE (GoldenFingerprint::fromText (text, read, error)) << error;
    EXPECT_TRUE (GoldenFingerprint::compare (read, print).empty());
    EXPECT_EQ (read.levels.size(), 25u);
    EXPECT_EQ (read.spectra.size(), 2u);

    // The tone's band holds its mean square: -9.03 dB for amplitude 0.5.
    EXPECT_NEAR (read.levels[10], -9.03f, 0.01f);

    auto edited = text;
    const auto at = edited.find ("level 0 ") + 8;
    edited[at] = edited[at] == '1' ? '2' : '1';
    EXPECT_FALSE (GoldenFingerprint::fromText (edited, read, error));
    EXPECT_NE (error.find ("checksum"), std::string::npos) << error;
}

TEST (GoldenFingerprint, comparisonPassesFloatNoiseAndNamesATenthOfADecibel)
{
    const auto reference = GoldenFingerprint::of ("tone", tone (1000.0, 0.5f), 48000.0);

    auto noisy = tone (1000.0, 0.5f);
    for (size_t i = 0; i < noisy.size(); ++i)
        noisy[i] *= 1.0f + 1e-6f * (float) ((int) ((i * 7919) % 13) - 6);
    const auto noise = GoldenFingerprint::compare (reference, GoldenFingerprint::of ("tone", noisy, 48000.0));
    EXPECT_TRUE (noise.empty()) << (noise.empty() ? "" : noise[0]);

    const auto louder = GoldenFingerprint::of ("tone", tone (1000.0, 0.5f * std::pow (10.0f, 0.1f / 20.0f)), 48000.0);
    const auto differences = GoldenFingerprint::compare (reference, louder);
    ASSERT_FALSE (differences.empty());
    EXPECT_NE (differences[0].find ("instead of"), std::string::npos) << differences[0];

    const auto higher = GoldenFingerprint::of ("tone", tone (1000.0 * std::pow (2.0, 0.5 / 12.0), 0.5f), 48000.0);
    EXPECT_FALSE (GoldenFingerprint::compare (reference, higher).empty()) << "half a semitone moves the spectrum";
}
