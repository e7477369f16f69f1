#include "EditorFixture.h"

#include "editor/EditorTooltips.h"
#include "gui/AlphaMaskImageButton.h"
#include "gui/DoubleAlphaMaskImageButton.h"
#include "gui/ImageStripIndictorComponent.h"
#include "gui/ImageToggleButton.h"
#include "gui/KESTLookAndFeel.h"
#include "gui/LevelMeterDisplay.h"
#include "gui/MultiColoredMidiKeyboard.h"
#include "gui/ParameterRadioButton.h"
#include "linking/LinkableParameterKnob.h"
#include "presets/PresetTreeComponent.h"
#include "tests/support/Contrast.h"
#include "tests/support/ScratchFolder.h"

#include <cmath>
#include <functional>

using Korvalden::Resources::ResourceManager;
namespace N = EditorNames;
namespace GUI = Korvalden::GUI;

namespace
{
    using ClassCheck = std::function<bool (juce::Component*)>;

    template <typename T>
    ClassCheck is()
    {
        return [] (juce::Component* c) { return dynamic_cast<T*> (c) != nullptr; };
    }

    /** Every child the panel looks up, with the class it must have. */
    std::vector<std::pair<juce::String, ClassCheck>> contract()
    {
        std::vector<std::pair<juce::String, ClassCheck>> names;
        for (int d = 1; d <= N::numDevices; ++d)
        {
            for (auto& kind : N::deviceKnobs)
        {
            names.emplace_back (N::deviceKnob (d, kind), is<LinkableParameterKnob>());
            names.emplace_back (N::valueLabel (N::deviceKnob (d, kind)), is<juce::Label>());
        }
        for (auto* group : { &N::oscillatorSwitches[0], &N::lfo1Switches[0], &N::trackingSwitches[0] })
            {
                const int count = group == &N::oscillatorSwitches[0] ? 4 : 3;
                for (int i = 0; i < count; ++i)
                    names.emplace_back (N::switchButton (d, group[i]), is<GUI::ParameterRadioButton>());
            }
            names.emplace_back (N::midiOnButton (d), is<GUI::AlphaMaskImageButton>());
            for (auto* kind : N::ledKinds)
                names.emplace_back (N::led (d, kind), is<GUI::ImageStripIndictorComponent>());
        }
        for (int m = 1; m <= N::numMacros; ++m)
        {
            names.emplace_back (N::macroKnob (m), is<LinkableParameterKnob>());
            names.emplace_back (N::valueLabel (N::macroKnob (m)), is<juce::Label>());
        }
        for (auto* button : N::alphaImageButtons)
            names.emplace_back (button, is<GUI::AlphaMaskImageButton>());
        names.emplace_back (N::directionButton, is<GUI::DoubleAlphaMaskImageButton>());
        names.emplace_back (N::presetTreeButton, is<GUI::ImageToggleButton>());
        names.emplace_back (N::keyboard, is<MultiColoredMidiKeyboard>());
        names.emplace_back (N::presetTree, is<Korvalden::Misc::PresetManager::PresetTreeComponent>());
        names.emplace_back (N::meterLeft, is<GUI::LevelMeterDisplay>());
        names.emplace_back (N::meterRight, is<GUI::LevelMeterDisplay>());
        names.emplace_back (N::masterVolume, is<juce::Slider>());
        names.emplace_back (N::valueLabel (N::masterVolume), is<juce::Label>());
        names.emplace_back (N::splitPointSlider, is<juce::Slider>());
        names.emplace_back (N::voiceMode, is<juce::ComboBox>());
        names.emplace_back (N::presetNameLabel, is<juce::Label>());
        names.emplace_back (N::logoButtonMaker, is<juce::Button>());
        names.emplace_back (N::logoButtonProduct, is<juce::Button>());
        for (auto* name : { N::background, N::keyboardOverlay, N::cpuWarnDisplay, N::cpuOverDisplay })
            names.emplace_back (name, is<juce::Component>());
        return names;
    }

    /** A panel that records the commands it receives. */
    struct RecordingPanel : MainControlPanel
    {
        using MainControlPanel::MainControlPanel;
        void handleCommandMessage (int command) override { commands.add (command); }
        juce::Array<int> commands;
    };

    /** An engine whose editor records its commands. */
    struct RecordingEngine : AudioEngine
    {
        juce::AudioProcessorEditor* createEditor() override
        {
            auto* panel = new RecordingPanel (*this);
            postViewCommands (*panel);
            return panel;
        }
    };

    /** What lies over other controls on purpose: the backdrop, the shade
        over the keyboard's top edge and the link overlay's layer. */
    bool mayOverlap (const juce::String& name)
    {
        return name == N::background || name == N::keyboardOverlay || name == N::linkOverlay;
    }
}

TEST_F (EditorFixture, FindsEveryNameItLooksUpWithItsClass)
{
    auto& editor = openEditor();
    EXPECT_EQ (editor.getWidth(), 1240);
    EXPECT_EQ (editor.getHeight(), 628);

    for (auto& [name, check] : contract())
    {
        auto* c = child<juce::Component> (name);
        ASSERT_NE (c, nullptr) << name;
        EXPECT_TRUE (check (c)) << name << " has the wrong class";
    }

    // Each name once: a second child of the same name would never be found.
    juce::StringArray seen;
    for (auto* c : editor.getChildren())
    {
        EXPECT_FALSE (seen.contains (c->getName())) << c->getName() << " twice";
        seen.add (c->getName());
    }
}

TEST_F (EditorFixture, NoTwoVisibleControlsOverlapAndLinkTargetsLieOverTheirKnobs)
{
    auto& editor = openEditor();
    std::vector<juce::Component*> shown;
    for (auto* c : editor.getChildren())
        if (c->isVisible() && ! c->getBounds().isEmpty() && ! mayOverlap (c->getName()))
            shown.push_back (c);
    ASSERT_GT (shown.size(), 100u);

    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE (shown[i]->getBounds().intersects (shown[j]->getBounds()))
                << shown[i]->getName() << " overlaps " << shown[j]->getName();

    // Each knob's link target lies over that knob (and value labels) only.
    for (auto& target : editor.getLinkEditor().getTargets())
    {
        if (target->count() != 1)
            continue;
        bool overOwnKnob = false;
        for (auto* c : shown)
        {
            if (! c->getBounds().intersects (target->area) || c->getName().startsWith ("Value_"))
                continue;
            auto* knob = dynamic_cast<LinkableParameterKnob*> (c);
            ASSERT_NE (knob, nullptr) << "target of " << target->indexes[0] << " over " << c->getName();
            EXPECT_EQ (knob->getIndex(), target->indexes[0]) << "target of " << target->indexes[0] << " over " << c->getName();
            overOwnKnob = true;
        }
        EXPECT_TRUE (overOwnKnob) << target->indexes[0];
    }
}

TEST_F (EditorFixture, TooltipsCarryTheirTextsAndDeviceSuffixes)
{
    openEditor();
    auto tooltipOf = [this] (const juce::String& name) -> juce::String {
        if (auto* client = dynamic_cast<juce::SettableTooltipClient*> (child<juce::Component> (name)))
            return client->getTooltip();
        return "<missing " + name + ">";
    };

    EXPECT_EQ (tooltipOf ("3_Btn_OscPulse"), "chooses pulse waveform  for Device MUNE");
    EXPECT_EQ (tooltipOf ("1_Btn_LFO1_Off"), "turns of modulation by LFO1 for Device ORVA");
    EXPECT_EQ (tooltipOf ("4_Btn_TrackHalf"), "turns on half keyboard tracking of the filter frequency for Device KEST");
    EXPECT_EQ (tooltipOf ("2_Btn_MidiOn"), "enables/disables activity for Device TESK");
    EXPECT_EQ (tooltipOf (N::masterVolume), "changes the overall Volume");

    for (int d = 1; d <= N::numDevices; ++d)
    {
        const N::SwitchButton* groups[] { N::oscillatorSwitches, N::lfo1Switches, N::trackingSwitches };
        const char* const* texts[] { EditorTooltips::oscillatorSwitches, EditorTooltips::lfo1Switches, EditorTooltips::trackingSwitches };
        for (int g = 0; g < 3; ++g)
            for (int i = 0; i < (g == 0 ? 4 : 3); ++i)
                EXPECT_EQ (tooltipOf (N::switchButton (d, groups[g][i])), juce::String (texts[g][i]) + EditorTooltips::deviceSuffixes[d - 1]);
    }
}

TEST_F (EditorFixture, StartsWithLedsDarkTreeCpuDisplaysAndRandomGroupHidden)
{
    openEditor();
    auto* tree = child<Korvalden::Misc::PresetManager::PresetTreeComponent> (N::presetTree);
    ASSERT_NE (tree, nullptr);
    EXPECT_FALSE (tree->isVisible());   // until the view switch shows it
    EXPECT_EQ (tree, engine->getPresetManager().getTreeComponent());
    EXPECT_EQ (tree->findColour (juce::TreeView::selectedItemBackgroundColourId), juce::Colour (0xFF01AEF0));

    for (int d = 1; d <= N::numDevices; ++d)
        for (auto* kind : N::ledKinds)
        {
            auto* led = child<GUI::ImageStripIndictorComponent> (N::led (d, kind));
            ASSERT_NE (led, nullptr);
            EXPECT_EQ (led->getStrip().getCurrentIndex(), 0) << led->getName();
            EXPECT_EQ (led->getStrip().getFrameCount(), N::ledFrames);
        }

    for (auto* name : { N::cpuWarnDisplay, N::cpuOverDisplay, N::randomGroup[0], N::randomGroup[1], N::randomGroup[2], N::randomGroup[3] })
    {
        if (auto* c = child<juce::Component> (name))
        {
            EXPECT_FALSE (c->isVisible()) << name;
        }
    }
    EXPECT_TRUE (panel->isCpuWarningEnabled());
}

TEST_F (EditorFixture, AFavouriteStarReadsFilledAndAnyOtherHollowOnTheSelectedRowAndOnAPlainOne)
{
    auto& editor = openEditor();
    editor.handleCommandMessage (11);
    auto* tree = child<Korvalden::Misc::PresetManager::PresetTreeComponent> (N::presetTree);
    ASSERT_TRUE (tree != nullptr && tree->getTreeLookAndFeel() != nullptr);
    ASSERT_TRUE (tree->isVisible());
    auto& look = *tree->getTreeLookAndFeel();

    // A plain row paints nothing of its own: it shows what lies under the
    // tree, as at the tree's empty bottom.
    const auto picture = editor.createComponentSnapshot (editor.getLocalBounds());
    const auto plain = picture.getPixelAt (tree->getX() + tree->getWidth() / 2, tree->getBottom() - 4);
    const auto selected = tree->findColour (juce::TreeView::selectedItemBackgroundColourId);

    // Pixels a thin outline covers at least this much are its body, not its
    // anti-aliased rim.
    constexpr int lineAlpha = 192;
    const int row = 17;
    for (auto [rowColour, rowName] : { std::pair { selected, "selected" }, std::pair { plain, "plain" } })
        for (bool over : { false, true })
        {
            SCOPED_TRACE (juce::String (rowName) + (over ? ", under the mouse" : ""));
            const auto background = rowColour;
            const auto paint = [&] (bool favourite, bool onRow)
            {
                juce::Image image (juce::Image::ARGB, row, row, true);
                juce::Graphics g (image);
                if (onRow)
                    g.fillAll (background);
                look.drawFavoriteButton (g, image.getBounds(), favourite, over);
                return image;
            };

            // A favourite's middle, not only its rim, stands out from the row.
            const auto filled = paint (true, true);
            double least = 21.0;
            for (int y = row / 2 - 1; y <= row / 2 + 1; ++y)
                for (int x = row / 2 - 1; x <= row / 2 + 1; ++x)
                    least = std::min (least, contrast (filled.getPixelAt (x, y), background));
            EXPECT_GE (least, 3.0) << "a favourite";

            // Any other preset's star is hollow, and every pixel its outline
            // mostly covers reads, not only its darkest.
            const auto alone = paint (false, false), hollow = paint (false, true);
            int outline = 0;
            least = 21.0;
            for (int y = 0; y < row; ++y)
                for (int x = 0; x < row; ++x)
                    if (alone.getPixelAt (x, y).getAlpha() >= lineAlpha)
                    {
                        ++outline;
                        least = std::min (least, contrast (hollow.getPixelAt (x, y), background));
                    }
            EXPECT_GE (outline, 20) << "no outline of a star";
            EXPECT_GE (least, 3.0) << "a hollow star";
            EXPECT_EQ (hollow.getPixelAt (row / 2, row / 2), background) << "the star is not hollow";
        }
}

TEST_F (EditorFixture, ToolButtonsAndSwitchesTakeTheirStateColours)
{
    openEditor();
    auto* save = child<juce::Button> (N::saveButton);
    ASSERT_NE (save, nullptr);
    EXPECT_FALSE (save->getClickingTogglesState());
    EXPECT_EQ (save->findColour (0), juce::Colour (0xFF666666));
    EXPECT_EQ (save->findColour (1), juce::Colour (0xFF737373));
    EXPECT_EQ (save->findColour (2), juce::Colour (0xFFE7E7E7));
    EXPECT_EQ (save->findColour (3), juce::Colour (0xFFFFFFFF));
    EXPECT_EQ (save->findColour (4), juce::Colour (0xFF282828));

    auto* link = child<juce::Button> (N::linkButton);
    ASSERT_NE (link, nullptr);
    EXPECT_TRUE (link->getClickingTogglesState());
    EXPECT_EQ (link->findColour (1), juce::Colour (0xFF4A4A4A));
    EXPECT_FALSE (link->getWantsKeyboardFocus());

    const juce::uint32 pressed[] { 0xFFE7DA00, 0xFF3E9300, 0xFFE514B7, 0xFF1495CA };
    for (int d = 1; d <= N::numDevices; ++d)
    {
        auto* midiOn = child<juce::Button> (N::midiOnButton (d));
        ASSERT_NE (midiOn, nullptr);
        EXPECT_EQ (midiOn->findColour (0), juce::Colour (0xFF7D7D7D));
        EXPECT_EQ (midiOn->findColour (1), juce::Colour (0xFFA2A2A2));
        EXPECT_EQ (midiOn->findColour (2), juce::Colour (pressed[d - 1]));
        EXPECT_EQ (midiOn->findColour (3), juce::Colour (N::deviceColours[d - 1]));
    }

    auto* mode = child<juce::ComboBox> (N::voiceMode);
    ASSERT_NE (mode, nullptr);
    ASSERT_EQ (mode->getNumItems(), 6);
    EXPECT_EQ (mode->getItemText (0), "UNISON");
    EXPECT_EQ (mode->getItemId (5), 6);
    EXPECT_EQ (mode->getItemText (5), "CHORD (GROW)");
}

TEST_F (EditorFixture, LendsItsPresetBarToThePresetManager)
{
    auto& editor = openEditor();
    EXPECT_EQ (editor.getControlButton (0), child<juce::Button> (N::reloadButton));
    EXPECT_EQ (editor.getControlButton (1), child<juce::Button> (N::previousButton));
    EXPECT_EQ (editor.getControlButton (2), child<juce::Button> (N::nextButton));
    EXPECT_EQ (editor.getControlButton (3), nullptr);
    EXPECT_EQ (editor.getControlButton (-1), nullptr);
    EXPECT_NE (editor.getPresetNameLabel(), nullptr);
    EXPECT_EQ (editor.getPresetNameLabel()->findColour (juce::TextEditor::backgroundColourId), juce::Colour (0xFF383838));
}

TEST_F (EditorFixture, KeyboardStartsAtKey48AndFollowsTheGlobalReceiveChannel)
{
    engine->setReceiveChannel (0, 5, false);
    openEditor();
    auto* keyboard = child<MultiColoredMidiKeyboard> (N::keyboard);
    ASSERT_NE (keyboard, nullptr);
    EXPECT_FLOAT_EQ (keyboard->getKeyWidth(), 16.0f);

    // The first key a player sees is 48: whole, right of the lower scroll
    // button, labelled like every C; no part of a lower key shows beside the
    // button, and the top key ends at the keyboard's right edge.
    juce::Component* scrollDown = nullptr;
    for (auto* button : keyboard->getChildren())
        if (button->isVisible() && button->getX() == 0)
            scrollDown = button;
    ASSERT_NE (scrollDown, nullptr);
    const auto first = keyboard->getRectangleForKey (48);
    EXPECT_GE (first.getX(), (float) scrollDown->getRight());
    EXPECT_FLOAT_EQ (first.getWidth(), keyboard->getRectangleForKey (50).getWidth());
    // Middle C (60) is C4, so the key under "a" reads C3.
    EXPECT_EQ (keyboard->getWhiteNoteText (48), "C3");
    EXPECT_EQ (keyboard->getWhiteNoteText (60), "C4");
    for (int note = 0; note < 48; ++note)
        EXPECT_LE (keyboard->getRectangleForKey (note).getRight(), (float) scrollDown->getRight()) << note;
    EXPECT_LE (keyboard->getRectangleForKey (127).getRight(), (float) keyboard->getWidth());
    EXPECT_LE (keyboard->getRight(), panel->getWidth());
    EXPECT_EQ (keyboard->getMidiChannel(), 5);
    EXPECT_EQ (keyboard->getMidiChannelsToDisplay(), 1 << 4);
    ASSERT_TRUE (keyboard->findKeyColour (2).has_value());
    EXPECT_EQ (*keyboard->findKeyColour (2), juce::Colour (0xFFFD17CA));

    // The computer keys play from note 48: the keyboard claims them.
    EXPECT_TRUE (keyboard->keyPressed (juce::KeyPress ('a', 0, 0)));
    EXPECT_TRUE (keyboard->keyPressed (juce::KeyPress (';', 0, 0)));
    EXPECT_FALSE (keyboard->keyPressed (juce::KeyPress ('z', 0, 0)));

    panel->setKeyboardMidiChannel (0);
    EXPECT_EQ (keyboard->getMidiChannel(), 1);
    EXPECT_EQ (keyboard->getMidiChannelsToDisplay(), 0xFFFF);
}

TEST_F (EditorFixture, TwoEditorsShareOneLookAndFeelThatGoesWithTheLast)
{
    AudioEngine second;
    openEditor();
    std::unique_ptr<juce::AudioProcessorEditor> other (second.createEditorIfNeeded());
    ASSERT_NE (other, nullptr);

    auto* shared = dynamic_cast<KESTLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel());
    ASSERT_NE (shared, nullptr);
    EXPECT_EQ (&panel->getLookAndFeel(), shared);
    EXPECT_EQ (&other->getLookAndFeel(), shared);

    other.reset();
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), shared);
    closeEditor();
    EXPECT_EQ (dynamic_cast<KESTLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel()), nullptr);
    EXPECT_EQ (ResourceManager::getUserCount(), 0u);
}

TEST_F (EditorFixture, CreatedEditorHearsTheViewSwitchesFromTheEngine)
{
    engine->showTooltips = false;
    engine->showKeyboard = true;
    RecordingPanel recorder (*engine);
    recorder.getParameterLinker().timerCallback();     // the new engine's voice parameters are dirty
    engine->postViewCommands (recorder);
    pump (100);
    // The constructor's resync, the four registrations' resyncs, those of the
    // first poll, then the views in order.
    juce::Array<int> expected;
    for (int i = 0; i < 9; ++i)
        expected.add (2);
    expected.addArray ({ 4, 6, 8, 9, 11 });
    EXPECT_EQ (recorder.commands, expected);

    // Only the voice parameters reach the panel's callback.
    recorder.commands.clear();
    engine->setParameter (80, 0.3f);
    recorder.getParameterLinker().timerCallback();
    pump (50);
    EXPECT_TRUE (recorder.commands.isEmpty());
    engine->setParameter (88, 0.2f);
    recorder.getParameterLinker().timerCallback();
    pump (50);
    EXPECT_EQ (recorder.commands, juce::Array<int> ({ 2 }));
}

TEST_F (EditorFixture, BuildsWithoutItsLayoutAndImages)
{
    // An empty resource folder: no layout, no images, no typeface.
    const ScratchFolder empty ("kest-no-resources");
    ASSERT_TRUE (empty.wasCreated());
    Korvalden::Platform::setResourceFolderForTesting (empty.getFile());

    auto& editor = openEditor();
    EXPECT_NE (child<LinkableParameterKnob> ("4_Drive"), nullptr);
    EXPECT_NE (child<MultiColoredMidiKeyboard> (N::keyboard), nullptr);
    for (auto* name : { N::voiceMode, N::splitPointSlider, N::logoButtonMaker, N::presetNameLabel })
        EXPECT_EQ (child<juce::Component> (name), nullptr) << name;
    EXPECT_TRUE (editor.getLinkEditor().getTargets().empty());
    EXPECT_EQ (editor.getPresetNameLabel(), nullptr);

    // Still bound: the host moves the MIDI-on switch.
    engine->setParameter (39, 0.0f);
    editor.getParameterLinker().timerCallback();
    EXPECT_FALSE (child<juce::Button> (N::midiOnButton (2))->getToggleState());

    closeEditor();
}

TEST_F (EditorFixture, StateAndPresetReadersPostTheirCommandsToTheOpenEditor)
{
    RecordingEngine recording;
    juce::MemoryBlock state, preset;
    recording.getStateInformation (state);
    recording.writePresetState (preset);

    std::unique_ptr<juce::AudioProcessorEditor> editor (recording.createEditorIfNeeded());
    auto* panel = dynamic_cast<RecordingPanel*> (editor.get());
    ASSERT_NE (panel, nullptr);
    pump (100);

    panel->commands.clear();
    recording.readPresetState (preset);
    pump (50);
    // Its own two resyncs, and those of the poll that finds the voice parameters set.
    EXPECT_GE (panel->commands.size(), 2);
    for (int command : panel->commands)
        EXPECT_EQ (command, 2);

    // A state: the preset inside posts its two resyncs, then come the five views.
    panel->commands.clear();
    recording.showParameterLinks = true;
    recording.setStateInformation (state.getData(), (int) state.getSize());
    pump (50);
    juce::Array<int> views;
    for (int command : panel->commands)
        if (command != 2)
            views.add (command);
    EXPECT_EQ (views, juce::Array<int> ({ 3, 6, 8, 9, 11 }));
    EXPECT_GE (panel->commands.size(), 7);

    // Not XML at all: nothing is posted.  The poll that finds what the state
    // set runs first, here, not late on a loaded machine during the junk's turn.
    panel->getParameterLinker().timerCallback();
    pump (50);
    panel->commands.clear();
    const char junk[] = "no state";
    recording.setStateInformation (junk, (int) sizeof (junk));
    pump (50);
    EXPECT_TRUE (panel->commands.isEmpty());

    editor.reset();
}
