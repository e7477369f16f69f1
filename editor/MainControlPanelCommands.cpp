#include "editor/MainControlPanel.h"

#include "editor/EditorComponentNames.h"
#include "editor/SplitPointSlider.h"
#include "gui/MultiColoredMidiKeyboard.h"

// The engine's commands and the five view switches.
//
// The engine and the voice controls post numbered commands: 2 re-reads the
// voice settings, 3..12 switch a view option on (odd) or off (even).  A user
// toggle applies its switch and copies all five into the engine, which keeps
// them in the plug-in state; a command sets its toggle silently, so it never
// writes the engine's flags back.
namespace
{
    namespace N = EditorNames;

    struct ViewSwitch
    {
        const char* button;
        bool storedWhenMissing;
    };

    // In command order: tooltips 3/4, links 5/6, value labels 7/8, keyboard 9/10, tree 11/12.
    constexpr ViewSwitch viewSwitches[] {
        { N::tooltipButton, true },     { N::linkButton, false },     { N::valueLabelsButton, true },
        { N::keyboardButton, true },    { N::presetTreeButton, true },
    };
    constexpr int numViewSwitches = (int) std::size (viewSwitches);

    constexpr int tooltipDelayMs = 700;
    constexpr int hiddenKeyboardStrip = 10;

    using Mode = MultiSoundVoiceController::tVoiceAllocationMode;
}

void MainControlPanel::handleCommandMessage (int command)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    if (command == AudioEngine::editorResyncVoiceSettings)
        resyncVoiceControls();
    else if (command >= AudioEngine::editorFirstViewCommand && command < AudioEngine::editorFirstViewCommand + 2 * numViewSwitches)
        setViewSwitch (command);
}

void MainControlPanel::resyncVoiceControls()
{
    auto* combo = findChildAs<juce::ComboBox> (N::voiceMode);
    if (combo == nullptr)
        return;

    auto& controller = engine.getGlobalController();
    const auto mode = (unsigned int) controller.getAllocationMode();
    if (mode <= 5)
        combo->setSelectedId ((int) mode + 1, juce::dontSendNotification);

    const bool chord = mode == Mode::chordBlow || mode == Mode::chordGrow;
    if (auto* direction = findChildAs<juce::Button> (N::directionButton))
    {
        direction->setToggleState (controller.getDirection(), juce::dontSendNotification);
        direction->setEnabled (mode == Mode::revolver || chord);
    }
    if (auto* fill = findChildAs<juce::Button> (N::fillButton))
    {
        fill->setToggleState (controller.getFill(), juce::dontSendNotification);
        fill->setEnabled (mode == Mode::revolver || mode == Mode::random);
    }
    if (auto* mono = findChildAs<juce::Button> (N::monophonButton))
    {
        mono->setToggleState (engine.isMonophonic(), juce::dontSendNotification);
        mono->setEnabled (! chord);
    }
    if (auto* split = findChildAs<juce::Slider> (N::splitPointSlider))
    {
        split->setVisible (mode == Mode::split);
        SplitPointSlider::show (*split, controller);
    }

    refreshLinkOverlay();
}

void MainControlPanel::setViewSwitch (int command)
{
    const int index = (command - AudioEngine::editorFirstViewCommand) / 2;
    const bool on = (command % 2) != 0;

    switch (index)
    {
        case 0: setTooltipsEnabled (on); break;
        case 1: setLinksVisible (on); break;
        case 2: setValueLabelsVisible (on); break;
        case 3: setKeyboardVisible (on); break;
        case 4: setPresetTreeVisible (on); break;
        default: return;
    }

    if (auto* button = findChildAs<juce::Button> (viewSwitches[index].button))
        button->setToggleState (on, juce::dontSendNotification);
}

void MainControlPanel::buttonStateChanged (juce::Button* button)
{
    if (button == nullptr)
        return;

    const auto& name = button->getName();
    const bool on = button->getToggleState();
    if (name == N::linkButton)                  setLinksVisible (on);
    else if (name == N::tooltipButton)          setTooltipsEnabled (on);
    else if (name == N::presetTreeButton)       setPresetTreeVisible (on);
    else if (name == N::keyboardButton)         setKeyboardVisible (on);
    else if (name == N::valueLabelsButton)      setValueLabelsVisible (on);
    else                                        return;

    storeViewState();
}

void MainControlPanel::storeViewState()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    bool states[numViewSwitches];
    for (int i = 0; i < numViewSwitches; ++i)
    {
        auto* button = findChildAs<juce::Button> (viewSwitches[i].button);
        states[i] = button != nullptr ? button->getToggleState() : viewSwitches[i].storedWhenMissing;
    }

    engine.showTooltips = states[0];
    engine.showParameterLinks = states[1];
    engine.showValueLabels = states[2];
    engine.showKeyboard = states[3];
    engine.showPresetManager = states[4];
}

//==============================================================================
void MainControlPanel::setTooltipsEnabled (bool on)
{
    if (! on)
    {
        tooltipWindow.reset();
        return;
    }
    if (tooltipWindow == nullptr)
    {
        tooltipWindow = std::make_unique<juce::TooltipWindow> (nullptr, tooltipDelayMs);
        tooltipWindow->setName ("tooltip");
    }
}

void MainControlPanel::setPresetTreeVisible (bool visible)
{
    if (presetTree == nullptr)
        return;

    setSize (visible ? presetTree->getRight() : presetTree->getX(), getHeight());
    presetTree->setVisible (visible);
}

void MainControlPanel::setKeyboardVisible (bool visible)
{
    if (keyboard == nullptr)
        return;

    const int height = visible ? keyboard->getBottom() : keyboard->getY() + hiddenKeyboardStrip;
    setSize (getWidth(), height);
    if (presetTree != nullptr)
        presetTree->setSize (presetTree->getWidth(), height);
}

void MainControlPanel::setValueLabelsVisible (bool pinned)
{
    for (auto& [label, fader] : valueLabelFaders)
    {
        fader->pinned = pinned;
        if (pinned)
            fader->stopTimer();
        fader->alpha = pinned ? 1.0f : 0.0f;
        fader->applyAlpha();
    }
}
