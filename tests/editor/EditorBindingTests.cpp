#include "EditorFixture.h"

#include "gui/ParameterRadioButton.h"
#include "tests/support/EngineBlocks.h"
#include "tests/support/MouseEvents.h"

#include <atomic>
#include <thread>

namespace N = EditorNames;
namespace GUI = Korvalden::GUI;

namespace
{
    /** Stands for the linker's next 25 ms poll. */
    void poll (MainControlPanel& panel)   { panel.getParameterLinker().timerCallback(); }

    void clickAt (juce::Component& c)
    {
        const auto centre = c.getLocalBounds().getCentre().toFloat();
        c.mouseDown (mouseAt (c, centre, centre, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), false));
    }
}

TEST_F (EditorFixture, MidiOnButtonsMoveTheirParameterAndFollowTheHost)
{
    auto& editor = openEditor();
    for (int d = 1; d <= N::numDevices; ++d)
    {
        const int index = 20 * (d - 1) + 19;
        auto* button = child<juce::Button> (N::midiOnButton (d));
        ASSERT_NE (button, nullptr);
        EXPECT_EQ (button->getToggleState(), engine->getParameter (index) >= 0.5f);

        engine->setParameter (index, 0.0f);
        poll (editor);
        EXPECT_FALSE (button->getToggleState());

        button->setToggleState (true, juce::sendNotificationSync);
        EXPECT_FLOAT_EQ (engine->getParameter (index), 1.0f);
    }
}

TEST_F (EditorFixture, SwitchGroupsShowTheParameterAndSetIt)
{
    auto& editor = openEditor();
    auto selected = [this] (int device, auto& buttons) {
        juce::StringArray names;
        for (auto& b : buttons)
            if (auto* radio = child<GUI::ParameterRadioButton> (N::switchButton (device, b)); radio != nullptr && radio->isSelected())
                names.add (b.suffix);
        return names.joinIntoString (",");
    };

    // Each group shows the value it was built with: exactly one button.
    for (int d = 1; d <= N::numDevices; ++d)
    {
        EXPECT_EQ (selected (d, N::oscillatorSwitches).isEmpty(), false);
        EXPECT_FALSE (selected (d, N::oscillatorSwitches).containsChar (','));
    }

    engine->setParameter (3, 0.4f);
    engine->setParameter (8, 0.3f);
    poll (editor);
    EXPECT_EQ (selected (1, N::oscillatorSwitches), "Btn_OscNoise");
    EXPECT_EQ (selected (1, N::trackingSwitches), "Btn_TrackHalf");

    engine->setParameter (63, 1.0f);
    poll (editor);
    EXPECT_EQ (selected (4, N::oscillatorSwitches), "Btn_OscPulse");

    auto* saw = child<GUI::ParameterRadioButton> ("2_Btn_OscSaw");
    ASSERT_NE (saw, nullptr);
    clickAt (*saw);
    EXPECT_NEAR (engine->getParameter (23), 2.0f / 3.0f, 1.0e-6f);
    poll (editor);
    EXPECT_EQ (selected (2, N::oscillatorSwitches), "Btn_OscSaw");
}

TEST_F (EditorFixture, MasterVolumeSliderAndLabelFollowParameter92BothWays)
{
    auto& editor = openEditor();
    auto* slider = child<juce::Slider> (N::masterVolume);
    auto* label = child<juce::Label> (N::valueLabel (N::masterVolume));
    ASSERT_NE (slider, nullptr);
    ASSERT_NE (label, nullptr);

    // Right after construction, the layout's empty text is replaced by the value.
    EXPECT_EQ (label->getText(), engine->getParameterText (92));
    EXPECT_FLOAT_EQ ((float) slider->getValue(), engine->getParameter (92));
    EXPECT_EQ (slider->getTooltip(), "changes the overall Volume");

    slider->setValue (0.25, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (engine->getParameter (92), 0.25f);
    EXPECT_EQ (label->getText(), engine->getParameterText (92));

    engine->setParameter (92, 0.75f);
    poll (editor);
    EXPECT_FLOAT_EQ ((float) slider->getValue(), 0.75f);
    EXPECT_EQ (label->getText(), engine->getParameterText (92));

    // The label fades: one fader, idle at alpha 0.
    auto& faders = editor.getValueLabelFaders();
    ASSERT_EQ (faders.count (label), 1u);
    EXPECT_FLOAT_EQ (faders.at (label)->alpha, 0.0f);
    EXPECT_FALSE (faders.at (label)->isTimerRunning());
}

TEST_F (EditorFixture, OpenedAndClosed50TimesWhileTheEngineProcesses)
{
    engine->prepareToPlay (48000.0, 256);
    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };
    std::atomic<bool> badSample { false };

    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 256);
        int note = 48;
        while (running)
        {
            juce::MidiBuffer midi;
            midi.addEvent (juce::MidiMessage::noteOn (1, note, 0.8f), 0);
            midi.addEvent (juce::MidiMessage::noteOff (1, note == 48 ? 72 : note - 1), 128);
            note = note == 72 ? 48 : note + 1;
            buffer.clear();
            playBlockAsHost (*engine, buffer, midi);
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < buffer.getNumSamples(); ++i)
                    if (! std::isfinite (buffer.getSample (ch, i)))
                        badSample = true;
            ++blocks;
        }
    });

    for (int i = 0; i < 50; ++i)
    {
        auto& editor = openEditor();
        EXPECT_EQ (engine->getActiveEditor(), &editor);
        // Host changes while open, so the poll has work to do.
        engine->setParameter (7, (float) i / 50.0f);
        pump (i % 10 == 0 ? 60 : 5);
        closeEditor();
        EXPECT_EQ (engine->getActiveEditor(), nullptr);
    }
    pump (20);   // commands still posted to closed editors go nowhere
    while (blocks.load() == 0) // the audio thread has had a turn, however busy the machine kept it
        pump (5);

    running = false;
    audio.join();
    engine->releaseResources();

    EXPECT_GT (blocks.load(), 0);
    EXPECT_FALSE (badSample.load());
    EXPECT_EQ (Korvalden::Resources::ResourceManager::getUserCount(), 0u);
    EXPECT_EQ (dynamic_cast<KESTLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
}
