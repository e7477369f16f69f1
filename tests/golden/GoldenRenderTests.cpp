// Golden renders: each device alone, and all four in each allocation mode,
// play a fixed phrase with fixed sounds; the render's fingerprint (loudness
// every 10 ms, sixth-octave spectra every 4096 samples) must match the
// committed reference in references/ within the tolerance stated in
// GoldenFingerprint.cpp (0.05 dB, or 1e-5 of full scale where quieter).
//
// A change that is meant to alter the sound rewrites the references with
//
//     KEST_REGENERATE_GOLDEN=1 ctest --test-dir build -R Golden
//
// and the diff of references/ shows, frame by frame, what changed.

#include "GoldenFingerprint.h"

#include "tests/support/EngineRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

using R = EngineRig;

namespace
{
constexpr double rate = 48000.0;
constexpr double length = 2.5; // seconds

/** The four devices' sounds, knob values in parameter order (Glide to
    Drive): a swept saw with emphasis, a pulse under PWM, resonant noise
    swept by LFO 2, a driven saw under FM. */
const float sounds[4][19] = {
    { 0.35f, 0.50f, 0.00f, 0.66f, 0.00f, 0.00f, 0.00f, 0.32f, 0.50f, 0.35f, 0.00f, 0.00f, 0.55f, 0.70f, 0.15f, 0.35f, 0.60f, 0.35f, 0.25f },
    { 0.10f, 0.50f, 0.30f, 1.00f, 0.50f, 0.45f, 0.42f, 0.50f, 1.00f, 0.15f, 0.00f, 0.00f, 0.30f, 0.50f, 0.05f, 0.50f, 0.40f, 0.30f, 0.00f },
    { 0.00f, 0.50f, 0.00f, 0.33f, 0.00f, 0.00f, 0.00f, 0.42f, 1.00f, 0.25f, 0.30f, 0.38f, 0.85f, 1.00f, 0.00f, 0.20f, 0.50f, 0.25f, 0.35f },
    { 0.20f, 0.65f, 0.00f, 0.66f, 1.00f, 0.08f, 0.45f, 0.60f, 0.00f, 0.12f, 0.00f, 0.00f, 0.25f, 0.30f, 0.00f, 0.60f, 0.70f, 0.45f, 0.45f },
};

const char* const deviceNames[4] = { "ORVA", "TESK", "MUNE", "KEST" };

/** The phrase: a spread chord built note by note, a legato note over it,
    pitch bend, notes held by the sustain pedal, a loud low chord and two
    overlapping high notes, then release. */
std::vector<EngineRig::Event> phrase()
{
    auto at = [] (double seconds) { return (int) std::lround (seconds * rate); };
    auto bend = [&] (double seconds, int value) {
        return EngineRig::Event { at (seconds), juce::MidiMessage::pitchWheel (1, value) };
    };
    return {
        R::noteOn (at (0.00), 48, 100), R::noteOn (at (0.08), 55, 70), R::noteOn (at (0.16), 60, 120),
        R::noteOn (at (0.24), 64, 90), R::noteOff (at (0.45), 55), R::noteOff (at (0.50), 48),
        R::noteOn (at (0.55), 67, 110), bend (0.70, 12288), R::noteOff (at (0.80), 60), R::noteOff (at (0.80), 64),
        R::controller (at (0.85), 64, 127), R::noteOff (at (0.90), 67), R::noteOn (at (0.95), 72, 80),
        R::noteOff (at (1.05), 72), R::controller (at (1.20), 64, 0), bend (1.20, 8192),
        R::noteOn (at (1.30), 43, 127), R::noteOn (at (1.30), 50, 60), R::noteOn (at (1.30), 59, 90),
        R::noteOff (at (1.70), 43), R::noteOff (at (1.70), 50), R::noteOff (at (1.70), 59),
        R::noteOn (at (1.75), 76, 100), R::noteOn (at (1.85), 79, 100), R::noteOff (at (1.90), 76),
        R::noteOff (at (2.05), 79),
    };
}

struct GoldenCase
{
    std::string name;
    int soloDevice;    // -1: all four devices
    float voiceMode;   // knob value
};

/** Names the case in test listings (instead of dumping its bytes). */
void PrintTo (const GoldenCase& golden, std::ostream* out) { *out << golden.name; }

std::vector<GoldenCase> cases()
{
    std::vector<GoldenCase> list;
    for (int device = 0; device < 4; ++device)
        list.push_back ({ std::string ("device-") + deviceNames[device], device, R::revolver });
    const std::pair<const char*, float> modes[] = { { "Unison", R::unison }, { "Split", R::split }, { "Revolver", R::revolver },
                                                    { "Random", R::random }, { "ChordBlow", R::chordBlow }, { "ChordGrow", R::chordGrow } };
    for (auto& [name, knob] : modes)
        list.push_back ({ std::string ("mode-") + name, -1, knob });
    return list;
}

std::vector<float> renderCase (const GoldenCase& golden)
{
    EngineRig rig (rate, 256);
    for (int device = 0; device < 4; ++device)
        for (int parameter = 0; parameter < 19; ++parameter)
            rig.set (device * 20 + parameter, sounds[device][parameter]);
    if (golden.soloDevice >= 0)
        rig.soloDevice (golden.soloDevice);
    rig.set (R::voiceMode, golden.voiceMode);
    // Random draws from a register the engine seeds once; fix the seed.
    rig.engine.getGlobalController().setRandomSeed (2024);
    return rig.render (rig.samples (length), phrase());
}

juce::File referenceFile (const std::string& name)
{
    return juce::File (KEST_GOLDEN_DIR).getChildFile (name + ".txt");
}

bool regenerating()
{
    const char* value = std::getenv ("KEST_REGENERATE_GOLDEN");
    return value != nullptr && std::string (value) == "1";
}

class GoldenRender : public ::testing::TestWithParam<GoldenCase>
{
};
} // namespace

TEST_P (GoldenRender, matchesItsReference)
{
    const auto& golden = GetParam();
    const auto actual = GoldenFingerprint::of (golden.name, renderCase (golden), rate);
    ASSERT_FALSE (actual.levels.empty());
    const auto file = referenceFile (golden.name);

    if (regenerating())
    {
        const std::string who = golden.soloDevice >= 0 ? std::string (deviceNames[golden.soloDevice]) + " alone, Revolver"
                                                       : "all four devices";
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (file.replaceWithText (actual.toText ({ "Golden render \"" + golden.name + "\": " + who
                                                            + ", the fixed phrase at 48 kHz in blocks of 256." }),
                                           false, false, "\n"));
        std::cout << "rewrote " << file.getFullPathName() << "\n";
    }

    ASSERT_TRUE (file.existsAsFile()) << file.getFullPathName() << " is missing: run with KEST_REGENERATE_GOLDEN=1";
    GoldenFingerprint reference;
    std::string error;
    ASSERT_TRUE (GoldenFingerprint::fromText (file.loadFileAsString().toStdString(), reference, error))
        << file.getFullPathName() << ": " << error;

    const auto differences = GoldenFingerprint::compare (reference, actual);
    std::string report;
    for (auto& line : differences)
        report += "\n  " + line;
    EXPECT_TRUE (differences.empty()) << golden.name << " no longer sounds as its reference (if meant, rewrite it with "
                                      << "KEST_REGENERATE_GOLDEN=1 and review the diff):" << report;
}

INSTANTIATE_TEST_SUITE_P (Golden, GoldenRender, ::testing::ValuesIn (cases()),
                          [] (const auto& info) {
                              std::string name = info.param.name;
                              std::replace (name.begin(), name.end(), '-', '_');
                              return name;
                          });
