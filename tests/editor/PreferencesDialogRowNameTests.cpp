// Which combo of the options dialog stands for what: every controller row
// by its component name writes the settings key of its own parameter and
// binds that parameter, and every receive-channel combo its own slot.  The
// names, keys and defaults are written out as the user's settings file and
// the dialog's layout know them.

#include "PreferencesDialogFixture.h"

namespace
{
struct ControllerRow
{
    juce::String combo;
    juce::String key;
    int index;            // -1: the sustain pedal
    int defaultController;
};

std::vector<ControllerRow> controllerRows()
{
    static const char* const suffixes[] { "Glide",     "Tune",       "PulseWidth", "OscMode",  "OscModMode", "LFO1_Level", "LFO1_Time",
                                          "Frequency", "Tracking",   "Envelope",   "LFO2_Level", "LFO2_Time", "Emphasis",  "Accent",
                                          "Attack",    "Decay",      "Sustain",    "Release",  "Drive",      "MidiOn" };
    static const char* const stems[] { "Glide",     "Tune",     "PulseWidth", "OscillatorMode", "OscillatorModulationMode", "LFO1_Level",
                                       "LFO1_Time", "Frequency", "Tracking",  "Envelope",       "LFO2_Level",               "LFO2_Time",
                                       "Emphasis",  "Accent",   "Attack",     "Decay",          "Sustain",                  "Release",
                                       "Drive",     "MidiOn" };
    std::vector<ControllerRow> rows;
    for (int device = 1; device <= 4; ++device)
        for (int k = 0; k < 20; ++k)
        {
            const int index = 20 * (device - 1) + k;
            rows.push_back ({ "Sec" + juce::String (device) + "_" + suffixes[k], "MIDICC_" + juce::String (stems[k]) + "_" + juce::String (device),
                              index, index + 1 });
        }
    for (int macro = 1; macro <= 8; ++macro)
        rows.push_back ({ "Macro" + juce::String (macro), "MIDICC_MAKRO_" + juce::String (macro), 79 + macro, 80 + macro });
    rows.push_back ({ "VoicingMode", "MIDICC_Voice_Mode", 88, 90 });
    rows.push_back ({ "VoiceDirection", "MIDICC_Voice_Direction", 89, 91 });
    rows.push_back ({ "VoiceFill", "MIDICC_Voice_Fill", 90, 92 });
    rows.push_back ({ "VoiceMonophon", "MIDICC_Monophon", 91, 93 });
    rows.push_back ({ "MasterVolume", "MIDICC_MasterVolume", 92, 89 });
    rows.push_back ({ "SustainPedal", "MIDICC_SustainPedal", -1, 64 });
    return rows;
}

int boundController (AudioEngine& engine, const ControllerRow& row)
{
    return row.index >= 0 ? engine.getParameterCC ((unsigned int) row.index) : (int) engine.getSustainPedalCC();
}
} // namespace

TEST_F (PreferencesDialogTest, everyControllerRowWritesTheKeyOfItsOwnParameterAndBindsOnlyThatParameter)
{
    const auto rows = controllerRows();
    ASSERT_EQ (rows.size(), 94u);

    AudioEngine engine;
    auto dialogOwner = std::make_unique<PreferencesDialog> (engine);
    auto& dialog = *dialogOwner;

    for (size_t r = 0; r < rows.size(); ++r)
    {
        const auto& row = rows[r];
        SCOPED_TRACE (row.combo);
        auto& box = combo (dialog, row.combo);
        EXPECT_EQ (box.getText(), juce::String (row.defaultController));
        EXPECT_EQ (boundController (engine, row), row.defaultController);

        // A controller, then "Off": each writes this row's key alone and moves this row's binding alone.
        const auto keysBefore = dialog.getSettings().getAllProperties().getAllKeys().size();
        choose (box, 120 + 1);
        EXPECT_EQ (dialog.getSettings().getValue (row.key, "(none)"), "120");
        EXPECT_EQ (boundController (engine, row), 120);
        choose (box, -1);
        EXPECT_EQ (dialog.getSettings().getValue (row.key, "(none)"), "-2");
        EXPECT_GE ((unsigned int) boundController (engine, row), 128u) << "no controller";
        EXPECT_EQ (dialog.getSettings().getAllProperties().getAllKeys().size(), keysBefore + 1);

        const auto controller = (int) (r % 128);
        choose (box, controller + 1);
        EXPECT_EQ (dialog.getSettings().getValue (row.key, "(none)"), juce::String (controller));
    }

    // Every row still holds its own choice: none took another's.
    for (size_t r = 0; r < rows.size(); ++r)
    {
        SCOPED_TRACE (rows[r].combo);
        EXPECT_EQ (boundController (engine, rows[r]), (int) (r % 128));
        EXPECT_EQ (dialog.getSettings().getIntValue (rows[r].key, -99), (int) (r % 128));
    }
    EXPECT_EQ (dialog.getSettings().getAllProperties().getAllKeys().size(), 94);

    // The dialog's settings reach the file when it closes; a later engine binds what the rows stored.
    dialogOwner.reset();
    AudioEngine later;
    for (size_t r = 0; r < rows.size(); ++r)
        EXPECT_EQ (boundController (later, rows[r]), (int) (r % 128)) << rows[r].combo;
}

TEST_F (PreferencesDialogTest, everyReceiveChannelComboWritesItsOwnKeyAndMovesOnlyItsOwnSlot)
{
    const struct
    {
        const char* combo;
        const char* key;
        unsigned int slot;
        const char* firstItem;
    } slots[] {
        { "MIDIChannel", "MIDIReceiveChannel", 0, "Omni" },    { "MIDIChannel1", "MIDIReceiveChannel1", 1, "Off" },
        { "MIDIChannel2", "MIDIReceiveChannel2", 2, "Off" },   { "MIDIChannel3", "MIDIReceiveChannel3", 3, "Off" },
        { "MIDIChannel4", "MIDIReceiveChannel4", 4, "Off" },
    };

    AudioEngine engine;
    PreferencesDialog dialog (engine);
    for (auto& s : slots)
    {
        SCOPED_TRACE (s.combo);
        auto& box = combo (dialog, s.combo);
        ASSERT_EQ (box.getNumItems(), 17);
        EXPECT_EQ (box.getItemText (0), s.firstItem);
        EXPECT_EQ (box.getItemId (0), -1);
        EXPECT_EQ (box.getItemText (16), "16");
        EXPECT_EQ (box.getItemId (16), 16);

        const int channel = 11 + (int) s.slot;
        choose (box, channel);
        EXPECT_EQ (dialog.getSettings().getValue (s.key, "(none)"), juce::String (channel));
        EXPECT_EQ (engine.getReceiveChannel (s.slot), channel);
    }

    // Each slot kept its own channel; no controller key was written.
    for (auto& s : slots)
        EXPECT_EQ (engine.getReceiveChannel (s.slot), 11 + (int) s.slot) << s.combo;
    EXPECT_EQ (dialog.getSettings().getAllProperties().getAllKeys().size(), 5);

    choose (combo (dialog, "MIDIChannel3"), -1);
    EXPECT_EQ (dialog.getSettings().getValue ("MIDIReceiveChannel3"), "-1");
    EXPECT_EQ (engine.getReceiveChannel (3), 0);
    EXPECT_EQ (engine.getReceiveChannel (0), 11);
}
