// The whole parameter table as presets, hosts, settings files and musicians
// meet it: every index's name, default value, default controller and the
// texts its two ends show, written out row by row.

#include "engine/AudioEngine.h"

#include <gtest/gtest.h>

namespace
{
/** A value-text kind by the texts of its two ends. */
struct Ends
{
    const char* atZero;
    const char* atOne;
};

const Ends glide { "10.00  ms", "1.5  s" }, semitones { "-24.00  st", "+24.00  st" }, percent { "0%", "100%" },
    oscillator { "Off", "Pulse" }, modulation { "Off", "FM" }, lfoTime { "200.00  s", "100  us" }, frequency { "21.00  Hz", "24.0  kHz" },
    tracking { "Off", "Full" }, attack { "3  ms", "10.00  s" }, decay { "16  ms", "10.47  s" }, release { "3  ms", "11.45  s" },
    onOff { "Off", "On" }, voiceMode { "Unison", "Chord (Grow)" }, direction { "Up", "Down" }, decibels { "-60.0 dB", "10.0 dB" };

struct Row
{
    juce::String name;
    float defaultValue;
    const Ends* texts;
    int defaultController;
};

std::vector<Row> expectedTable()
{
    const struct
    {
        const char* stem;
        float defaultValue;
        const Ends* texts;
    } deviceRows[] {
        { "Glide", 0.0f, &glide },       { "Tune", 0.5f, &semitones },      { "PulseWidth", 0.0f, &percent },
        { "OscillatorMode", 1.0f, &oscillator }, { "OscillatorModulationMode", 0.5f, &modulation },
        { "LFO1_Level", 0.0f, &percent }, { "LFO1_Time", 0.0f, &lfoTime }, { "Frequency", 0.5f, &frequency },
        { "Tracking", 1.0f, &tracking }, { "Envelope", 0.0f, &percent },    { "LFO2_Level", 0.0f, &percent },
        { "LFO2_Time", 0.0f, &lfoTime }, { "Emphasis", 0.0f, &percent },    { "Accent", 1.0f, &percent },
        { "Attack", 0.0f, &attack },     { "Decay", 0.0f, &decay },         { "Sustain", 0.5f, &percent },
        { "Release", 0.5f, &release },   { "Drive", 0.0f, &percent },       { "MidiOn", 1.0f, &onOff },
    };
    std::vector<Row> rows;
    for (int device = 1; device <= 4; ++device)
        for (auto& row : deviceRows)
            rows.push_back ({ juce::String (row.stem) + "_" + juce::String (device), row.defaultValue, row.texts, (int) rows.size() + 1 });
    for (int macro = 1; macro <= 8; ++macro)
        rows.push_back ({ "MAKRO_" + juce::String (macro), 0.0f, &percent, 80 + macro });
    rows.push_back ({ "Voice_Mode", 0.0f, &voiceMode, 90 });
    rows.push_back ({ "Voice_Direction", 0.0f, &direction, 91 });
    rows.push_back ({ "Voice_Fill", 0.0f, &onOff, 92 });
    rows.push_back ({ "Monophon", 0.0f, &onOff, 93 });
    rows.push_back ({ "MasterVolume", 6.0f / 7.0f, &decibels, 89 });
    return rows;
}
} // namespace

TEST (ParameterTable, everyIndexHasItsNameDefaultControllerAndTextsAtBothEnds)
{
    const auto rows = expectedTable();
    ASSERT_EQ (rows.size(), 93u);

    AudioEngine engine;
    ASSERT_EQ (engine.getTotalNumParameters(), 93);
    for (int index = 0; index < 93; ++index)
    {
        const auto& row = rows[(size_t) index];
        SCOPED_TRACE (juce::String (index) + " " + row.name);
        EXPECT_EQ (engine.getParameterName (index), row.name);
        EXPECT_EQ (engine.getParameterDefaultValue (index), row.defaultValue);
        EXPECT_EQ (engine.getParameter (index), row.defaultValue) << "a new engine starts at the defaults";
        EXPECT_EQ (engine.getParameterCC ((unsigned int) index), row.defaultController);

        engine.setParameter (index, 0.0f);
        EXPECT_EQ (engine.getParameterText (index), row.texts->atZero);
        engine.setParameter (index, 1.0f);
        EXPECT_EQ (engine.getParameterText (index), row.texts->atOne);
    }
    EXPECT_EQ (engine.getSustainPedalCC(), 64u);
}
