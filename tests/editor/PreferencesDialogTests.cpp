#include "PreferencesDialogFixture.h"

#include <thread>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

TEST_F (PreferencesDialogTest, opensWithTheDefaultsWhenThereIsNoSettingsFileAndWritesNothing)
{
    AudioEngine engine;
    {
        PreferencesDialog dialog (engine);

        EXPECT_EQ (combo (dialog, O::channelCombo (0)).getText(), "Omni");
        for (int slot = 1; slot <= 4; ++slot)
            EXPECT_EQ (combo (dialog, O::channelCombo (slot)).getText(), "Off") << slot;
        EXPECT_EQ (combo (dialog, O::channelCombo (0)).getNumItems(), 17);

        for (int index = 0; index < 88; ++index)
            EXPECT_EQ (combo (dialog, O::controllerCombo (index)).getText(), juce::String (index + 1)) << index;
        EXPECT_EQ (combo (dialog, "VoicingMode").getText(), "90");
        EXPECT_EQ (combo (dialog, "VoiceDirection").getText(), "91");
        EXPECT_EQ (combo (dialog, "VoiceFill").getText(), "92");
        EXPECT_EQ (combo (dialog, "VoiceMonophon").getText(), "93");
        EXPECT_EQ (combo (dialog, "MasterVolume").getText(), "89");
        EXPECT_EQ (combo (dialog, O::sustainPedal).getText(), "64");
        EXPECT_EQ (combo (dialog, O::sustainPedal).getNumItems(), 129);      // "Off" and 0..127

        EXPECT_TRUE (generalControl<juce::Button> (dialog, O::enableCpuWarning).getToggleState());
        EXPECT_EQ (generalControl<juce::Slider> (dialog, O::numberOfVoices).getValue(), 16.0);
        EXPECT_FALSE (generalControl<juce::GroupComponent> (dialog, O::audioGroup).isVisible());
        EXPECT_EQ (findChildAs<juce::TabbedComponent> (dialog.getContentComponent(), O::tabs)->getCurrentTabIndex(), 0);
        EXPECT_EQ (dialog.getName(), "Options");

        // The slider's own asynchronous notification passes the engine its own count.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        EXPECT_TRUE (dialog.getSettings().getAllProperties().getAllKeys().isEmpty());
    }
    EXPECT_FALSE (settingsFile.exists());
    EXPECT_EQ (engine.getNumberOfVoices(), 16);
}

TEST_F (PreferencesDialogTest, aStoredControllerShowsWhenItIsZeroTo127AndOffOtherwise)
{
    AudioEngine engine;     // made before the file: it keeps the defaults
    writeSettings ({ { "MIDICC_Tune_2", "7" }, { "MIDICC_Glide_1", "0" }, { "MIDICC_Drive_3", "127" },
                     { "MIDICC_Decay_1", "128" }, { "MIDICC_Attack_4", "200" }, { "MIDICC_MAKRO_3", "-5" },
                     { "MIDICC_Monophon", "-2" }, { "MIDICC_MasterVolume", "abc" }, { "MIDICC_SustainPedal", "-1" },
                     { "MIDIReceiveChannel", "16" }, { "MIDIReceiveChannel1", "0" }, { "MIDIReceiveChannel2", "17" },
                     { "MIDIReceiveChannel3", "-5" }, { "MIDIReceiveChannel4", "1" }, { "EnableCPUWarning", "0" } });
    const auto before = settingsBytes();
    {
        PreferencesDialog dialog (engine);

        EXPECT_EQ (combo (dialog, "Sec2_Tune").getText(), "7");
        EXPECT_EQ (combo (dialog, "Sec1_Glide").getText(), "0");
        EXPECT_EQ (combo (dialog, "Sec3_Drive").getText(), "127");
        EXPECT_EQ (combo (dialog, "Sec1_Decay").getText(), "Off");
        EXPECT_EQ (combo (dialog, "Sec4_Attack").getText(), "Off");
        EXPECT_EQ (combo (dialog, "Macro3").getText(), "Off");
        EXPECT_EQ (combo (dialog, "VoiceMonophon").getText(), "Off");
        EXPECT_EQ (combo (dialog, "MasterVolume").getText(), "0");           // not a number reads as 0
        EXPECT_EQ (combo (dialog, O::sustainPedal).getText(), "Off");
        EXPECT_EQ (combo (dialog, "Sec1_Tune").getText(), "2");              // absent: its default

        EXPECT_EQ (combo (dialog, O::channelCombo (0)).getText(), "16");
        EXPECT_EQ (combo (dialog, O::channelCombo (1)).getText(), "Off");
        EXPECT_EQ (combo (dialog, O::channelCombo (2)).getText(), "Off");
        EXPECT_EQ (combo (dialog, O::channelCombo (3)).getText(), "Off");
        EXPECT_EQ (combo (dialog, O::channelCombo (4)).getText(), "1");

        EXPECT_FALSE (generalControl<juce::Button> (dialog, O::enableCpuWarning).getToggleState());
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    }
    // Showing values applies and writes nothing, whatever they are.
    EXPECT_EQ (settingsBytes(), before);
    EXPECT_EQ (engine.getParameterCC (21), 22);
}

TEST_F (PreferencesDialogTest, choosingOffStoresMinusTwoAndUnbindsAtOnceAndForLaterEngines)
{
    {
        AudioEngine engine;
        PreferencesDialog dialog (engine);

        choose (combo (dialog, "Sec3_Drive"), -1);
        EXPECT_EQ (dialog.getSettings().getValue ("MIDICC_Drive_3"), "-2");
        EXPECT_EQ (engine.getParameterCC (58), -1);

        choose (combo (dialog, O::sustainPedal), -1);
        EXPECT_EQ (dialog.getSettings().getValue ("MIDICC_SustainPedal"), "-2");
        EXPECT_GE (engine.getSustainPedalCC(), 128u);

        // A controller row writes no receive channel, a channel combo no controller.
        choose (combo (dialog, O::channelCombo (2)), 5);
        const auto keys = dialog.getSettings().getAllProperties().getAllKeys();
        EXPECT_EQ (keys.size(), 3) << keys.joinIntoString (",");
        EXPECT_TRUE (keys.contains ("MIDIReceiveChannel2"));
    }
    EXPECT_EQ (storedInFile ("MIDICC_Drive_3"), "-2");
    EXPECT_EQ (storedInFile ("MIDICC_SustainPedal"), "-2");

    AudioEngine laterEngine;
    EXPECT_EQ (laterEngine.getParameterCC (58), -1);
    EXPECT_EQ (laterEngine.getReceiveChannel (2), 5);
    PreferencesDialog reopened (laterEngine);
    EXPECT_EQ (combo (reopened, "Sec3_Drive").getText(), "Off");
    EXPECT_EQ (combo (reopened, O::sustainPedal).getText(), "Off");
    EXPECT_EQ (combo (reopened, O::channelCombo (2)).getText(), "5");
}

TEST_F (PreferencesDialogTest, aControllerChoiceMovesTheMappingAtOnceAndTheControllerThenDrivesTheParameter)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    PreferencesDialog dialog (engine);

    choose (combo (dialog, "Sec2_Tune"), 7 + 1);
    EXPECT_EQ (dialog.getSettings().getValue ("MIDICC_Tune_2"), "7");
    EXPECT_EQ (engine.getParameterCC (21), 7);
    EXPECT_EQ (engine.getParameterCC (6), 7);      // LFO1_Time_1 keeps the 7 it had by default

    playOneBlock (engine, { juce::MidiMessage::controllerEvent (1, 22, 0),       // the old controller is gone
                    juce::MidiMessage::controllerEvent (1, 7, 127) });
    EXPECT_FLOAT_EQ (engine.getParameter (21), 1.0f);
    EXPECT_FLOAT_EQ (engine.getParameter (6), 1.0f);

    playOneBlock (engine, { juce::MidiMessage::controllerEvent (1, 22, 0) });
    EXPECT_FLOAT_EQ (engine.getParameter (21), 1.0f);

    // "VoiceMonophon" and "Macro3" write under the engine's names.
    choose (combo (dialog, "VoiceMonophon"), 20 + 1);
    choose (combo (dialog, "Macro3"), 0 + 1);
    EXPECT_EQ (dialog.getSettings().getValue ("MIDICC_Monophon"), "20");
    EXPECT_EQ (dialog.getSettings().getValue ("MIDICC_MAKRO_3"), "0");
    EXPECT_EQ (engine.getParameterCC (91), 20);
    EXPECT_EQ (engine.getParameterCC (82), 0);
}

TEST_F (PreferencesDialogTest, aReceiveChannelIsStoredThenTheVoicesStopThenTheEngineMovesThenTheKeyboardFollows)
{
    AudioEngine engine;
    engine.getKeyboardState().noteOn (1, 60, 0.8f);
    engine.getKeyboardState().noteOn (1, 64, 0.8f);
    ASSERT_GT (busyVoices (engine), 0u);

    struct Seen { int channel, stored, engineChannel; size_t voices; };
    std::vector<Seen> seen;
    PreferencesDialog* dialogPointer = nullptr;
    PreferencesDialog::EditorCallbacks callbacks;
    callbacks.receiveChannelChosen = [&] (int channel)
    {
        seen.push_back ({ channel, dialogPointer->getSettings().getIntValue ("MIDIReceiveChannel2", 99),
                          engine.getReceiveChannel (2), busyVoices (engine) });
    };
    PreferencesDialog dialog (engine, callbacks);
    dialogPointer = &dialog;

    choose (combo (dialog, O::channelCombo (2)), 3);
    ASSERT_EQ (seen.size(), 1u);
    EXPECT_EQ (seen[0].channel, 3);
    EXPECT_EQ (seen[0].stored, 3);
    EXPECT_EQ (seen[0].engineChannel, 3);
    EXPECT_EQ (seen[0].voices, 0u);

    // "Off" stores -1, switches the device off and sets the keyboard to all channels.
    choose (combo (dialog, O::channelCombo (2)), -1);
    ASSERT_EQ (seen.size(), 2u);
    EXPECT_EQ (seen[1].channel, -1);
    EXPECT_EQ (seen[1].stored, -1);
    EXPECT_EQ (seen[1].engineChannel, 0);

    // Choosing the selected item again sends nothing.
    choose (combo (dialog, O::channelCombo (2)), -1);
    EXPECT_EQ (seen.size(), 2u);

    // The global channel moves every parameter's controller with it.
    choose (combo (dialog, O::channelCombo (0)), 9);
    EXPECT_EQ (engine.getReceiveChannel (0), 9);
    engine.prepareToPlay (48000.0, 64);
    playOneBlock (engine, { juce::MidiMessage::controllerEvent (1, 89, 0) });
    EXPECT_GT (engine.getParameter (92), 0.0f);
    playOneBlock (engine, { juce::MidiMessage::controllerEvent (9, 89, 0) });
    EXPECT_EQ (engine.getParameter (92), 0.0f);
}

TEST_F (PreferencesDialogTest, theCpuWarningSwitchStoresOnlyAChangeAndTellsTheEditor)
{
    AudioEngine engine;
    std::vector<bool> told;
    PreferencesDialog::EditorCallbacks callbacks;
    callbacks.cpuWarningSwitched = [&] (bool on) { told.push_back (on); };
    {
        PreferencesDialog dialog (engine, callbacks);
        auto& warning = generalControl<juce::Button> (dialog, O::enableCpuWarning);

        // Hovering and pressing report the unchanged state: nothing is stored.
        dialog.buttonStateChanged (&warning);
        EXPECT_FALSE (dialog.getSettings().containsKey ("EnableCPUWarning"));

        warning.setToggleState (false, juce::sendNotificationSync);
        EXPECT_EQ (dialog.getSettings().getValue ("EnableCPUWarning"), "0");
        dialog.buttonStateChanged (&warning);
        warning.setToggleState (true, juce::sendNotificationSync);
        EXPECT_EQ (dialog.getSettings().getValue ("EnableCPUWarning"), "1");
    }
    EXPECT_EQ (told, (std::vector<bool> { false, true }));
    EXPECT_EQ (storedInFile ("EnableCPUWarning"), "1");
}

TEST_F (PreferencesDialogTest, escapeWithAnyModifierClosesWithResultZeroAndOkWithOne)
{
    AudioEngine engine;
    const juce::ModifierKeys modifierSets[] { {}, juce::ModifierKeys::shiftModifier, juce::ModifierKeys::commandModifier,
                                              juce::ModifierKeys::altModifier,
                                              juce::ModifierKeys::shiftModifier | juce::ModifierKeys::ctrlModifier };
    for (auto modifiers : modifierSets)
    {
        int result = -99;
        juce::Component::SafePointer<PreferencesDialog> dialog (new PreferencesDialog (engine));
        dialog->enterModalState (false, juce::ModalCallbackFunction::create ([&result] (int r) { result = r; }), true);

        EXPECT_FALSE (dialog->keyPressed (juce::KeyPress ('a', modifiers, 'a')));
        EXPECT_TRUE (dialog->isCurrentlyModal());
        EXPECT_TRUE (dialog->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey, modifiers, 0)));
        EXPECT_TRUE (pumpUntil ([&] { return dialog == nullptr; })) << modifiers.getRawFlags();
        EXPECT_EQ (result, 0) << modifiers.getRawFlags();
    }

    int result = -99;
    juce::Component::SafePointer<PreferencesDialog> dialog (new PreferencesDialog (engine));
    dialog->enterModalState (false, juce::ModalCallbackFunction::create ([&result] (int r) { result = r; }), true);
    auto* ok = findChildAs<juce::TextButton> (dialog->getContentComponent(), O::okButton);
    ASSERT_NE (ok, nullptr);
    ok->triggerClick();
    EXPECT_TRUE (pumpUntil ([&] { return dialog == nullptr; }));
    EXPECT_EQ (result, 1);
}

TEST_F (PreferencesDialogTest, anEditorThatGoesDeletesTheOpenDialogAndItsChangesAreSaved)
{
    AudioEngine engine;
    int result = -99;
    juce::Component::SafePointer<PreferencesDialog> dialog (new PreferencesDialog (engine));
    dialog->enterModalState (false, juce::ModalCallbackFunction::create ([&result] (int r) { result = r; }), true);
    choose (combo (*dialog, "Sec1_Glide"), 12 + 1);

    delete dialog.getComponent();
    EXPECT_EQ (dialog, nullptr);
    EXPECT_TRUE (pumpUntil ([&] { return result != -99; }));
    EXPECT_EQ (result, 0);
    EXPECT_EQ (storedInFile ("MIDICC_Glide_1"), "12");
}

TEST_F (PreferencesDialogTest, whileAudioRunsTheVoicesStopOnTheAudioThreadBeforeTheChannelMoves)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);

    struct Block { size_t voicesBefore; int channelBefore; size_t voicesAfter; };
    std::vector<Block> blocks;
    blocks.reserve (100000);
    std::atomic<bool> running { true };
    std::atomic<size_t> sounding { 0 };
    std::thread audio ([&]
    {
        juce::AudioBuffer<float> buffer (2, 64);
        while (running && blocks.size() < blocks.capacity())
        {
            juce::MidiBuffer midi;
            // What the block saw and left, read within its own hold of the lock.
            blocks.push_back (asTheAudioThread (engine, [&]
            {
                const auto voicesBefore = busyVoices (engine);
                const auto channelBefore = engine.getReceiveChannel (3);
                engine.processBlock (buffer, midi);
                return Block { voicesBefore, channelBefore, busyVoices (engine) };
            }));
            sounding = blocks.back().voicesAfter;
            std::this_thread::sleep_for (std::chrono::microseconds (200));
        }
    });

    engine.getKeyboardState().noteOn (1, 60, 0.8f);
    ASSERT_TRUE (pumpUntil ([&] { return sounding > 0; }));

    {
        PreferencesDialog dialog (engine);
        choose (combo (dialog, O::channelCombo (3)), 7);
        EXPECT_EQ (engine.getReceiveChannel (3), 7);
    }
    running = false;
    audio.join();

    // The block that stopped the voices began while the channel was still the old one.
    auto stopping = std::find_if (blocks.begin(), blocks.end(),
                                  [] (const Block& b) { return b.voicesBefore > 0 && b.voicesAfter == 0; });
    ASSERT_NE (stopping, blocks.end());
    EXPECT_EQ (stopping->channelBefore, 0);
    EXPECT_EQ (blocks.back().voicesAfter, 0u);
}
