#include "PreferencesDialogFixture.h"

TEST_F (PreferencesDialogTest, theVoiceSliderSetsTheEngineTruncatingAndRefusesCountsBelowOne)
{
    AudioEngine engine;
    PreferencesDialog dialog (engine);
    auto& voices = generalControl<juce::Slider> (dialog, O::numberOfVoices);

    voices.setValue (24.0, juce::sendNotificationSync);
    EXPECT_EQ (engine.getRequestedNumberOfVoices(), 24);
    ASSERT_TRUE (engine.waitForNumberOfVoicesRequests (20000));
    EXPECT_EQ (engine.getNumberOfVoices(), 24);
    EXPECT_EQ (totalVoices (engine), 24u);

    // A value between steps (typed, or from a finer slider) is truncated.
    juce::Slider fine;
    fine.setName (O::numberOfVoices);
    fine.setRange (-5000.0, 5000.0, 0.0);
    fine.setValue (23.9, juce::dontSendNotification);
    dialog.sliderValueChanged (&fine);
    ASSERT_TRUE (engine.waitForNumberOfVoicesRequests (20000));
    EXPECT_EQ (engine.getNumberOfVoices(), 23);

    // Counts the engine refuses leave it alone and put the slider back on its count.
    for (double refused : { 0.5, 0.0, -3.0, 1025.0, 4999.0 })
    {
        fine.setValue (refused, juce::dontSendNotification);
        dialog.sliderValueChanged (&fine);
        EXPECT_EQ (fine.getValue(), 23.0) << refused;
    }
    ASSERT_TRUE (engine.waitForNumberOfVoicesRequests (20000));
    EXPECT_EQ (engine.getNumberOfVoices(), 23);
    EXPECT_EQ (totalVoices (engine), 23u);

    // Another control's name does nothing.
    fine.setName ("SomethingElse");
    fine.setValue (40.0, juce::dontSendNotification);
    dialog.sliderValueChanged (&fine);
    EXPECT_EQ (engine.getRequestedNumberOfVoices(), 23);
}

TEST_F (PreferencesDialogTest, closingWhileTheVoicesCannotStopYetNeitherWaitsNorLosesTheCount)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    CallbackLockHolder busyAudio (engine);     // a long audio block

    {
        PreferencesDialog dialog (engine);
        generalControl<juce::Slider> (dialog, O::numberOfVoices).setValue (32.0, juce::sendNotificationSync);
    }
    // The dialog is gone and the change still waits: the pool has its old size.
    EXPECT_EQ (engine.getRequestedNumberOfVoices(), 32);
    EXPECT_EQ (engine.getVoicePool().getNumFreeVoices(), 16u);

    busyAudio.release();
    ASSERT_TRUE (engine.waitForNumberOfVoicesRequests (20000));
    EXPECT_EQ (engine.getNumberOfVoices(), 32);
    EXPECT_EQ (totalVoices (engine), 32u);

    // Reopened, the dialog shows it.
    PreferencesDialog reopened (engine);
    EXPECT_EQ (generalControl<juce::Slider> (reopened, O::numberOfVoices).getValue(), 32.0);
}

TEST_F (PreferencesDialogTest, aCorruptSettingsFileGivesDefaultsAndIsKeptEvenWhenTheUserChangesASetting)
{
    const char* corrupt = "<PROPERTIES><VALUE name=\"MIDICC_Glide_1\" val=\"40\"/><VAL";
    ASSERT_TRUE (settingsFile.getParentDirectory().createDirectory());
    ASSERT_TRUE (settingsFile.replaceWithText (corrupt));

    AudioEngine engine;
    EXPECT_EQ (engine.getParameterCC (0), 1);
    {
        PreferencesDialog dialog (engine);
        EXPECT_EQ (combo (dialog, "Sec1_Glide").getText(), "1");
        EXPECT_EQ (combo (dialog, O::channelCombo (0)).getText(), "Omni");
        auto& warning = generalControl<juce::Button> (dialog, O::enableCpuWarning);
        EXPECT_TRUE (warning.getToggleState());
        dialog.buttonStateChanged (&warning);      // the pointer passing over the switch
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    }
    EXPECT_EQ (settingsFile.loadFileAsString(), corrupt);

    // The file is the user's to mend: a change acts in the engine for this
    // session and leaves the file as it is.
    {
        PreferencesDialog dialog (engine);
        choose (combo (dialog, "Sec1_Glide"), 5 + 1);
    }
    EXPECT_EQ (engine.getParameterCC (0), 5);
    EXPECT_EQ (settingsFile.loadFileAsString(), corrupt);
    auto files = settingsFile.getParentDirectory().findChildFiles (juce::File::findFiles, false);
    ASSERT_EQ (files.size(), 1);
    EXPECT_EQ (files[0], settingsFile);

    // Mended, it takes the next change, written through a temporary file
    // renamed over it: nothing else is left beside it.
    writeSettings ({ { "MIDICC_Glide_2", "30" } });
    {
        PreferencesDialog dialog (engine);
        choose (combo (dialog, "Sec1_Glide"), 6 + 1);
    }
    EXPECT_EQ (storedInFile ("MIDICC_Glide_1"), "6");
    EXPECT_EQ (storedInFile ("MIDICC_Glide_2"), "30");
    files = settingsFile.getParentDirectory().findChildFiles (juce::File::findFiles, false);
    ASSERT_EQ (files.size(), 1);
    EXPECT_EQ (files[0], settingsFile);
}

TEST_F (PreferencesDialogTest, aChangeReachesTheFileTenSecondsAfterItWhileTheDialogIsOpen)
{
    AudioEngine engine;
    PreferencesDialog dialog (engine);
    choose (combo (dialog, O::channelCombo (1)), 4);

    juce::MessageManager::getInstance()->runDispatchLoopUntil (1000);
    EXPECT_FALSE (settingsFile.exists());

    EXPECT_TRUE (pumpUntil ([this] { return settingsFile.exists(); }, 30000));
    EXPECT_EQ (storedInFile ("MIDIReceiveChannel1"), "4");
}

TEST_F (PreferencesDialogTest, aChoiceThatCannotBeSavedIsToldInTheEditorOnceAndTheNextDialogStillShowsIt)
{
    struct LabelOnly : public Korvalden::Misc::PresetManager::ControlButtonSet
    {
        juce::Label label;
        juce::Button* getControlButton (int) override { return nullptr; }
        juce::Label* getPresetNameLabel() override { return &label; }
    };
    const auto nowhere = settingsFile.getSiblingFile ("gone/Kest.prop");
    ASSERT_TRUE (settingsFile.getParentDirectory().createDirectory());
    ASSERT_TRUE (nowhere.createSymbolicLink (settingsFile, true));

    AudioEngine engine;
    LabelOnly editor;
    juce::StringArray alerts;
    engine.getPresetManager().setFailureAlert ([&alerts] (const juce::String& title, const juce::String& text) { alerts.add (title + ": " + text); });
    engine.getPresetManager().setControlButtonSet (&editor);
    {
        PreferencesDialog dialog (engine);
        choose (combo (dialog, "Sec1_Glide"), 5 + 1);
    }
    ASSERT_EQ (alerts.size(), 1);
    EXPECT_TRUE (alerts[0].startsWith ("Write Error: ")) << alerts[0];
    EXPECT_TRUE (alerts[0].contains (settingsFile.getFullPathName())) << alerts[0];
    EXPECT_TRUE (alerts[0].contains ("a link that leads nowhere")) << alerts[0];

    // While the instance lives the choice waits in memory: shown, told no more.
    {
        PreferencesDialog reopened (engine);
        EXPECT_EQ (combo (reopened, "Sec1_Glide").getText(), "5");
    }
    EXPECT_EQ (alerts.size(), 1);

    // The link mended, the next dialog writes it.
    ASSERT_TRUE (nowhere.getParentDirectory().createDirectory() && nowhere.replaceWithText ("<PROPERTIES/>"));
    {
        PreferencesDialog dialog (engine);
    }
    EXPECT_EQ (storedInFile ("MIDICC_Glide_1"), "5");
    EXPECT_EQ (alerts.size(), 1);
}
