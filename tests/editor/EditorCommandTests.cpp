// The editor's commands from the engine: the voice resync (command 2) and the
// five view switches (3..12), the toggles that store them in the engine, the
// value labels' fades and the keyboard's channel.

#include "EditorFixture.h"

#include "gui/AlphaFader.h"
#include "gui/MultiColoredMidiKeyboard.h"

#include <thread>

namespace N = EditorNames;

namespace
{
    constexpr float modeValues[] { 0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f };

    /** A label's text change as its listeners hear it. */
    void changeText (MainControlPanel& editor, juce::Label& label, const juce::String& text)
    {
        label.setText (text, juce::dontSendNotification);
        editor.labelTextChanged (&label);
    }
}

TEST_F (EditorFixture, ResyncEnablesTheVoiceSwitchesForEachOfTheSixModes)
{
    auto& editor = openEditor();
    auto* combo = child<juce::ComboBox> (N::voiceMode);
    auto* direction = child<juce::Button> (N::directionButton);
    auto* fill = child<juce::Button> (N::fillButton);
    auto* mono = child<juce::Button> (N::monophonButton);
    auto* split = child<juce::Slider> (N::splitPointSlider);
    ASSERT_TRUE (combo && direction && fill && mono && split);

    engine->setParameter (91, 1.0f);   // Monophon on: the chord modes show it, disabled
    engine->setParameter (89, 1.0f);
    struct Row { bool direction, fill, mono, split; };
    const Row expected[] {
        { false, false, true, false },   // Unison
        { false, false, true, true },    // Split
        { true, true, true, false },     // Revolver
        { false, true, true, false },    // Random
        { true, false, false, false },   // Chord (Blow)
        { true, false, false, false },   // Chord (Grow)
    };

    for (int mode = 0; mode < 6; ++mode)
    {
        SCOPED_TRACE (mode);
        engine->setParameter (88, modeValues[mode]);
        editor.handleCommandMessage (AudioEngine::editorResyncVoiceSettings);
        EXPECT_EQ (combo->getSelectedId(), mode + 1);
        EXPECT_EQ (direction->isEnabled(), expected[mode].direction);
        EXPECT_EQ (fill->isEnabled(), expected[mode].fill);
        EXPECT_EQ (mono->isEnabled(), expected[mode].mono);
        EXPECT_EQ (split->isVisible(), expected[mode].split);
        EXPECT_TRUE (mono->getToggleState()) << "a disabled switch still shows the stored flag";
        EXPECT_TRUE (direction->getToggleState());
    }
}

TEST_F (EditorFixture, ResyncShowsTheSplitPointsAndNeedsTheCombo)
{
    auto& editor = openEditor();
    auto* split = child<juce::Slider> (N::splitPointSlider);
    ASSERT_NE (split, nullptr);

    auto& controller = engine->getGlobalController();
    for (auto [i, note] : { std::pair { 0u, 80 }, std::pair { 1u, 64 }, std::pair { 2u, 20 } })
        controller.setSplitPoint (i, note);
    editor.handleCommandMessage (2);
    EXPECT_EQ (split->getMinValue(), 20.0);
    EXPECT_EQ (split->getValue(), 64.0);
    EXPECT_EQ (split->getMaxValue(), 80.0);
    pump (30);
    EXPECT_EQ (controller.getSplitPoint (0), 80) << "the engine keeps the points as it holds them";
    EXPECT_EQ (controller.getSplitPoint (2), 20);

    // Without the combo, nothing of the resync runs.
    delete child<juce::ComboBox> (N::voiceMode);
    controller.setSplitPoint (1, 40);
    engine->setParameter (88, 0.2f);
    editor.handleCommandMessage (2);
    EXPECT_EQ (split->getValue(), 64.0);
    EXPECT_FALSE (split->isVisible());

    // Unknown commands do nothing.
    const auto bounds = editor.getBounds();
    for (int command : { -1, 0, 1, 13, 100 })
        editor.handleCommandMessage (command);
    EXPECT_EQ (editor.getBounds(), bounds);
}

TEST_F (EditorFixture, ViewCommandsResizeTheEditorAndSetTheirTogglesWithoutStoring)
{
    auto& editor = openEditor();
    pump (100);
    auto* kb = child<juce::Component> (N::keyboard);
    auto* tree = child<juce::Component> (N::presetTree);
    ASSERT_TRUE (kb && tree);

    engine->showKeyboard = true;
    editor.handleCommandMessage (10);
    EXPECT_EQ (editor.getHeight(), kb->getY() + 10);
    EXPECT_EQ (tree->getHeight(), kb->getY() + 10);
    EXPECT_FALSE (child<juce::Button> (N::keyboardButton)->getToggleState());
    EXPECT_TRUE (engine->showKeyboard.load()) << "a command never writes the engine's flags";
    editor.handleCommandMessage (9);
    EXPECT_EQ (editor.getHeight(), kb->getBottom());
    EXPECT_EQ (tree->getHeight(), kb->getBottom());

    editor.handleCommandMessage (12);
    EXPECT_EQ (editor.getWidth(), tree->getX());
    EXPECT_FALSE (tree->isVisible());
    editor.handleCommandMessage (11);
    EXPECT_EQ (editor.getWidth(), tree->getRight());
    EXPECT_TRUE (tree->isVisible());

    editor.handleCommandMessage (3);
    auto* window = editor.getTooltipWindow();
    ASSERT_NE (window, nullptr);
    editor.handleCommandMessage (3);
    EXPECT_EQ (editor.getTooltipWindow(), window) << "still one tooltip window";
    editor.handleCommandMessage (4);
    EXPECT_EQ (editor.getTooltipWindow(), nullptr);
    editor.handleCommandMessage (4);

    editor.handleCommandMessage (5);
    EXPECT_TRUE (editor.areLinksShown());
    EXPECT_TRUE (child<juce::Button> (N::linkButton)->getToggleState());
    EXPECT_FALSE (engine->showParameterLinks.load());
}

TEST_F (EditorFixture, UserTogglesStoreAllFiveSwitchesWhichSurviveAStateRoundTrip)
{
    auto& editor = openEditor();
    pump (100);
    child<juce::Button> (N::keyboardButton)->setToggleState (false, juce::sendNotificationSync);
    child<juce::Button> (N::linkButton)->setToggleState (true, juce::sendNotificationSync);
    child<juce::Button> (N::tooltipButton)->setToggleState (false, juce::sendNotificationSync);
    EXPECT_FALSE (engine->showKeyboard.load());
    EXPECT_TRUE (engine->showParameterLinks.load());
    EXPECT_FALSE (engine->showTooltips.load());
    EXPECT_EQ (editor.getTooltipWindow(), nullptr);
    const int shortHeight = editor.getHeight();

    juce::MemoryBlock state;
    engine->getStateInformation (state);
    closeEditor();

    // A fresh instrument restored from the state opens with the same view.
    engine = std::make_unique<AudioEngine>();
    engine->setStateInformation (state.getData(), (int) state.getSize());
    EXPECT_FALSE (engine->showKeyboard.load());
    EXPECT_TRUE (engine->showParameterLinks.load());
    EXPECT_FALSE (engine->showTooltips.load());
    auto& restored = openEditor();
    pump (100);
    EXPECT_EQ (restored.getHeight(), shortHeight);
    EXPECT_FALSE (child<juce::Button> (N::keyboardButton)->getToggleState());
    EXPECT_TRUE (child<juce::Button> (N::linkButton)->getToggleState());
    EXPECT_EQ (restored.getTooltipWindow(), nullptr);

    // A state restored into the open editor switches it over.
    engine->showKeyboard = true;
    engine->getStateInformation (state);
    engine->showKeyboard = false;
    engine->setStateInformation (state.getData(), (int) state.getSize());
    pump (50);
    EXPECT_EQ (restored.getHeight(), child<juce::Component> (N::keyboard)->getBottom());
}

TEST_F (EditorFixture, ValueLabelsFlashFadeOverHalfASecondOrStayWhenPinned)
{
    auto& editor = openEditor();
    pump (100);
    ASSERT_FALSE (editor.getValueLabelFaders().empty());
    auto* label = editor.getValueLabelFaders().begin()->first;
    auto& fader = *editor.getValueLabelFaders().at (label);

    changeText (editor, *label, "0.50");
    EXPECT_FLOAT_EQ (fader.alpha, 1.0f);
    EXPECT_EQ (label->findColour (juce::Label::textColourId).getAlpha(), 255);
    EXPECT_TRUE (fader.isTimerRunning());
    for (int tick = 0; tick < 12; ++tick)
        fader.timerCallback();
    changeText (editor, *label, "0.51");
    EXPECT_FLOAT_EQ (fader.alpha, 1.0f) << "every change restarts the fade";
    for (int tick = 0; tick < 25; ++tick)
        fader.timerCallback();
    EXPECT_FLOAT_EQ (fader.alpha, 0.0f) << "25 ticks of 20 ms: gone after 0.5 s";
    EXPECT_EQ (label->findColour (juce::Label::textColourId).getAlpha(), 0);
    EXPECT_FALSE (fader.isTimerRunning());

    editor.handleCommandMessage (7);
    for (auto& [l, f] : editor.getValueLabelFaders())
        EXPECT_FLOAT_EQ (f->alpha, 1.0f);
    changeText (editor, *label, "0.52");
    EXPECT_FLOAT_EQ (fader.alpha, 1.0f);
    EXPECT_FALSE (fader.isTimerRunning()) << "pinned labels start no fade";

    editor.handleCommandMessage (8);
    for (auto& [l, f] : editor.getValueLabelFaders())
        EXPECT_FLOAT_EQ (f->alpha, 0.0f) << "unpinning hides every label at once";

    // The master volume's label is written silently: it never flashes.
    auto* master = child<juce::Label> (N::valueLabel (N::masterVolume));
    ASSERT_NE (master, nullptr);
    child<juce::Slider> (N::masterVolume)->setValue (0.3, juce::sendNotificationSync);
    editor.getParameterLinker().timerCallback();
    EXPECT_FLOAT_EQ (editor.getValueLabelFaders().at (master)->alpha, 0.0f);
}

TEST_F (EditorFixture, KeyboardPlaysAndShowsOneChannelOrAll)
{
    auto& editor = openEditor();
    auto* kb = child<juce::MidiKeyboardComponent> (N::keyboard);
    ASSERT_NE (kb, nullptr);

    const std::pair<int, int> cases[] { { 1, 0x0001 }, { 10, 0x0200 }, { 16, 0x8000 },
                                        { 0, 0xFFFF }, { -1, 0xFFFF }, { 17, 0xFFFF } };
    for (auto [channel, mask] : cases)
    {
        SCOPED_TRACE (channel);
        editor.setKeyboardMidiChannel (channel);
        EXPECT_EQ (kb->getMidiChannel(), channel >= 1 && channel <= 16 ? channel : 1);
        EXPECT_EQ (kb->getMidiChannelsToDisplay(), mask);
    }

    // Typed keys: the keyboard claims its note keys, nothing claims the rest.
    EXPECT_TRUE (editor.keyPressed (juce::KeyPress ('a', 0, 0)));
    EXPECT_FALSE (editor.keyPressed (juce::KeyPress ('q', 0, 0)));
}

TEST_F (EditorFixture, StateRestoredOnTheHostsThreadReachesTheEditorOnlyThroughTheMessageQueue)
{
    struct RecordingPanel : MainControlPanel
    {
        using MainControlPanel::MainControlPanel;
        void handleCommandMessage (int command) override
        {
            EXPECT_TRUE (juce::MessageManager::existsAndIsCurrentThread());
            commands.add (command);
        }
        juce::Array<int> commands;
    };

    juce::MemoryBlock sound;
    engine->writePresetState (sound);
    engine->showTooltips = false;

    auto recorder = std::make_unique<RecordingPanel> (*engine);
    engine->setCommandTarget (recorder.get());
    pump (100);
    recorder->commands.clear();

    std::thread host ([&] { engine->setStateInformation (sound.getData(), (int) sound.getSize()); });
    host.join();
    EXPECT_TRUE (recorder->commands.isEmpty()) << "nothing runs on the host's thread";
    pump (50);
    // The restore's two resyncs, then its five view commands; the binding's
    // poll adds resyncs of its own for the voice parameters it restored.
    auto views = recorder->commands;
    views.removeAllInstancesOf (2);
    EXPECT_EQ (views, juce::Array<int> ({ 4, 6, 8, 9, 11 }));
    EXPECT_EQ (recorder->commands.getFirst(), 2);
    EXPECT_EQ (recorder->commands[1], 2);

    // Posted, then the editor goes before the queue runs: nothing is delivered.
    std::thread late ([&] { engine->setStateInformation (sound.getData(), (int) sound.getSize()); });
    late.join();
    recorder.reset();
    pump (50);
}
