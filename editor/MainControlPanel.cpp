#include "editor/MainControlPanel.h"

#include "editor/EditorComponentNames.h"
#include "editor/EditorTooltips.h"
#include "engine/ApplicationPropertiesUser.h"
#include "engine/AudioEngine.h"
#include "gui/MultiColoredMidiKeyboard.h"
#include "gui/ResourceManager.h"

// Construction and teardown of the panel, the keyboard and the layout step.
namespace
{
    namespace N = EditorNames;
    using Resources = Korvalden::Resources::ResourceManager;

    constexpr int keyWidth = 16;
    constexpr int firstVisibleKey = 48;
    constexpr int keyPressBaseOctave = 4;
    constexpr const char* noteKeys = "awsedftgyhujkolp;";

    // The voice-mode items; their ids are the allocation mode + 1.
    constexpr const char* voiceModeItems[] { "UNISON", "SPLIT", "REVOLVER", "RANDOM", "CHORD (BLOW)", "CHORD (GROW)" };

    constexpr juce::uint32 nameLabelBackground = 0xFF383838;
}

MainControlPanel::ResourceUse::ResourceUse()    { Resources::acquire(); }
MainControlPanel::ResourceUse::~ResourceUse()   { Resources::release(); }

MainControlPanel::MainControlPanel (AudioEngine& engineToUse)
    : juce::AudioProcessorEditor (engineToUse),
      engine (engineToUse),
      parameterLinker (&engineToUse),
      sharedLookAndFeel (KESTLookAndFeel::getShared()),
      linkEditor (this, &engineToUse.getLinkManager()),
      meterLevels (engineToUse)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    for (auto* image : N::Images::deviceKnobStrips)
        deviceKnobStrips.emplace_back (Resources::getImage (image), N::Images::knobFrames, false);
    macroKnobStrip = std::make_unique<Korvalden::GUI::ImageStrip> (Resources::getImage (N::Images::macroKnobStrip),
                                                                   N::Images::knobFrames, false);

    // Every window on the desktop draws with the shared look-and-feel from now on.
    for (int i = juce::Desktop::getInstance().getNumComponents(); --i >= 0;)
        if (auto* window = juce::Desktop::getInstance().getComponent (i))
            window->sendLookAndFeelChange();

    // The construction's own use of the resources, besides the panel's.
    const ResourceUse constructionUse;

    createKeyboard();
    createKnobs();
    createMasterVolume();
    createSwitchGroups();
    createMidiOnButtons();
    createLeds();
    createPresetTree();
    createMeters();
    createToolButtons();
    applyLayout();
    wireLayoutChildren();
    registerLinkTargets();
    startTimer (ledTimerIntervalMs);
    registerVoiceParameterCallbacks();
    hideUnusedLayoutChildren();
}

MainControlPanel::~MainControlPanel()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    stopTimer();

    // An open overwrite question is answered now, before its box goes.
    for (auto& question : openQuestions)
        if (auto pending = question.lock())
            pending->give (false);
    openQuestions.clear();

    // An open options dialog goes with the editor whose keyboard it sets.
    delete optionsDialog.getComponent();

    // A fading label's fader goes before the label.
    for (auto& [label, fader] : valueLabelFaders)
        delete fader;
    valueLabelFaders.clear();

    // Likewise the keyboard stays a listener until its base's destructor.
    if (keyboard != nullptr)
    {
        const juce::ScopedLock lock (engine.getCallbackLock());
        delete keyboard;
    }

    // Last child first.
    while (getNumChildComponents() > 0)
        delete getChildComponent (getNumChildComponents() - 1);
    keyboard = nullptr;
    presetTree = nullptr;
    cpuWarnDisplay = cpuOverDisplay = nullptr;
}

void MainControlPanel::addOnTop (juce::Component& child)
{
    child.setVisible (true);
    addChildComponent (child, -1);
}

//==============================================================================
void MainControlPanel::createKeyboard()
{
    // The keyboard becomes a listener of the engine's keyboard state inside
    // its base's constructor; the audio thread must not call it while the
    // rest of it is still being built.
    MultiColoredMidiKeyboard* kb = nullptr;
    {
        const juce::ScopedLock lock (engine.getCallbackLock());
        kb = new MultiColoredMidiKeyboard (engine.getKeyboardState(), juce::MidiKeyboardComponent::horizontalKeyboard,
                                           &engine.getGlobalController());
    }
    kb->setKeyWidth ((float) keyWidth);
    kb->setAvailableRange (0, 127);
    kb->setLowestVisibleKey (firstVisibleKey);
    kb->setMidiChannel (1);
    kb->setMidiChannelsToDisplay (0xFFFF);
    kb->setVelocity (1.0f, false);
    kb->setScrollButtonsVisible (true);
    kb->setOpaque (true);
    kb->setWantsKeyboardFocus (true);

    // The keyboard plays these keys from the base octave, not the framework's own map.
    kb->clearKeyMappings();
    for (int i = 0; noteKeys[i] != 0; ++i)
        kb->notePresses.add (juce::KeyPress (noteKeys[i], 0, 0));
    kb->notePressOctave = keyPressBaseOctave;

    kb->setName (N::keyboard);
    for (int d = 0; d < N::numDevices; ++d)
        kb->setKeyColour (d, juce::Colour (N::deviceColours[d]));
    addOnTop (*kb);

    keyboard = kb;
    setKeyboardMidiChannel (engine.getReceiveChannel (0));
}

void MainControlPanel::setKeyboardMidiChannel (int channel)
{
    auto* kb = findChildAs<juce::MidiKeyboardComponent> (N::keyboard);
    if (kb == nullptr)
        return;

    if (channel >= 1 && channel <= 16)
    {
        kb->setMidiChannel (channel);
        kb->setMidiChannelsToDisplay (1 << (channel - 1));
    }
    else
    {
        kb->setMidiChannel (1);
        kb->setMidiChannelsToDisplay (0xFFFF);
    }
}

//==============================================================================
void MainControlPanel::applyLayout()
{
    // A missing or partly broken layout leaves what could be applied.
    Resources::applyComponentLayout (this, N::mainLayout);

    // The layout's label record empties the master volume's value text.
    if (auto* label = findChildAs<juce::Label> (N::valueLabel (N::masterVolume)))
        parameterLinker.updateControl (label, ParameterTable::masterVolume);
}

void MainControlPanel::wireLayoutChildren()
{
    if (auto* volume = findChildAs<juce::Slider> (N::masterVolume))
        volume->setTooltip (EditorTooltips::masterVolume);

    setPresetTreeHeaders();

    engine.getPresetManager().setControlButtonSet (this);

    if (auto* name = findChildAs<juce::Label> (N::presetNameLabel))
        name->setColour (juce::TextEditor::backgroundColourId, juce::Colour (nameLabelBackground));

    for (auto* passive : { N::background, N::keyboardOverlay })
        if (auto* child = findChildAs<juce::Component> (passive))
            child->setInterceptsMouseClicks (false, false);

    cpuWarnDisplay = findChildAs<juce::Component> (N::cpuWarnDisplay);
    cpuOverDisplay = findChildAs<juce::Component> (N::cpuOverDisplay);
    for (auto* display : { cpuWarnDisplay, cpuOverDisplay })
        if (display != nullptr)
            display->setVisible (false);
    {
        Korvalden::Misc::ApplicationPropertiesUser settings ("Kest");
        cpuWarningEnabled = settings.getBoolValue ("EnableCPUWarning", true);
    }

    for (auto* logo : { N::logoButtonMaker, N::logoButtonProduct })
        if (auto* button = findChildAs<juce::Button> (logo))
            button->addListener (this);

    if (auto* split = findChildAs<juce::Slider> (N::splitPointSlider))
    {
        split->addListener (this);
        split->setScrollWheelEnabled (false);
    }

    if (auto* mode = findChildAs<juce::ComboBox> (N::voiceMode))
    {
        for (int i = 0; i < (int) std::size (voiceModeItems); ++i)
            mode->addItem (voiceModeItems[i], i + 1);
        mode->addListener (this);
    }

    postCommandMessage (AudioEngine::editorResyncVoiceSettings);
}

void MainControlPanel::registerVoiceParameterCallbacks()
{
    for (int i = 0; i < numVoiceParameters; ++i)
        parameterLinker.addCallback (this, firstVoiceParameter + i);
}

void MainControlPanel::hideUnusedLayoutChildren()
{
    for (auto* name : N::randomGroup)
        if (auto* child = findChildAs<juce::Component> (name))
            child->setVisible (false);
}
