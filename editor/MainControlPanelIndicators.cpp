#include "editor/MainControlPanel.h"

#include "editor/EditorComponentNames.h"
#include "editor/EditorTooltips.h"
#include "engine/AudioEngine.h"
#include "gui/AlphaMaskImageButton.h"
#include "gui/DoubleAlphaMaskImageButton.h"
#include "gui/ImageStripIndictorComponent.h"
#include "gui/ImageToggleButton.h"
#include "gui/LeftButtonOnly.h"
#include "gui/ResourceManager.h"
#include "presets/PresetManagerLookAndFeel.h"
#include "presets/PresetTreeComponent.h"

// Indicators and tool buttons: MIDI-on switches, LEDs, meters, the preset
// bar, the view switches and the voice switches; and the two CPU displays,
// which the panel's timer shows from the engine's measured load.
namespace
{
    namespace N = EditorNames;
    using Resources = Korvalden::Resources::ResourceManager;
    using Korvalden::GUI::AlphaMaskImageButton;
    using Korvalden::GUI::LeftButtonOnly;

    constexpr juce::uint32 midiOnNormalColour = 0xFF7D7D7D;
    constexpr juce::uint32 presetBarColour = 0xFF666666;
    constexpr juce::uint32 toolColour = 0xFF383838;
    constexpr juce::uint32 disabledColour = 0xFF282828;

    using PresetTreeComponent = Korvalden::Misc::PresetManager::PresetTreeComponent;
    constexpr juce::uint32 treeSelectionColour = 0xFF01AEF0;
    constexpr int treeScrollBarThickness = 12;
    constexpr int treeItemHeight = 17;
    constexpr int treeHeaderHeight = 30;
    constexpr float treeHeaderFontHeight = 16.0f;

    // The meters' colours: track, bar, hot zone, clip.
    constexpr juce::uint32 meterColours[] { 0xFF383838, 0xFFFFFFFF, 0xFFFFB400, 0xFFD82222 };

    // The voice switches (FILL, MONO and DIRECTION below) take only the left
    // button: they have no menu, and a right press must not set their parameter.
    struct ToolButton
    {
        const char* name;
        juce::uint32 colour;
        bool toggles;
        bool parameterSwitch = false;
    };

    constexpr ToolButton toolButtons[] {
        { N::reloadButton, presetBarColour, false },  { N::previousButton, presetBarColour, false },
        { N::nextButton, presetBarColour, false },    { N::saveButton, presetBarColour, false },
        { N::fillButton, presetBarColour, true, true },
        { N::monophonButton, presetBarColour, true, true },
        { N::tooltipButton, toolColour, true },       { N::valueLabelsButton, toolColour, true },
        { N::keyboardButton, toolColour, true },      { N::settingsButton, toolColour, false },
        { N::linkButton, toolColour, true },
    };

    void setStateColours (juce::Button& button, juce::Colour normal, juce::Colour over, juce::Colour down, juce::Colour on)
    {
        button.setColour (AlphaMaskImageButton::normalColourId, normal);
        button.setColour (AlphaMaskImageButton::overColourId, over);
        button.setColour (AlphaMaskImageButton::downColourId, down);
        button.setColour (AlphaMaskImageButton::onColourId, on);
    }
}

void MainControlPanel::addMidiOnButton (const juce::String& name, int parameterIndex, juce::Colour colour, const juce::String& tooltip)
{
    auto* button = new AlphaMaskImageButton (name, Resources::getImage (N::Images::midiOn));
    button->setClickingTogglesState (true);
    addOnTop (*button);
    button->setTooltip (tooltip);
    parameterLinker.addControl (button, parameterIndex);

    const auto grey = juce::Colour (midiOnNormalColour);
    setStateColours (*button, grey, grey.brighter (0.4f), colour.darker (0.1f), colour);
}

AlphaMaskImageButton* MainControlPanel::addAlphaImageButton (const juce::String& name, juce::Colour colour, bool togglesOnClick,
                                                            bool leftButtonOnly)
{
    const auto mask = Resources::getImage (N::alphaMask (name));
    auto* button = leftButtonOnly ? new LeftButtonOnly<AlphaMaskImageButton> (name, mask) : new AlphaMaskImageButton (name, mask);
    button->setClickingTogglesState (togglesOnClick);
    button->addListener (this);
    button->setWantsKeyboardFocus (false);
    addOnTop (*button);

    button->setColour (AlphaMaskImageButton::disabledColourId, juce::Colour (disabledColour));
    setStateColours (*button, colour, colour.brighter (0.1f), juce::Colours::white.darker (0.1f), juce::Colours::white);
    return button;
}

void MainControlPanel::createMidiOnButtons()
{
    for (int d = 1; d <= N::numDevices; ++d)
        addMidiOnButton (N::midiOnButton (d), N::parametersPerDevice * (d - 1) + 19, juce::Colour (N::deviceColours[d - 1]),
                         EditorTooltips::deviceTooltip (EditorTooltips::midiOn, d));
}

void MainControlPanel::createLeds()
{
    for (int d = 1; d <= N::numDevices; ++d)
        for (auto* kind : N::ledKinds)
            addOnTop (*new Korvalden::GUI::ImageStripIndictorComponent (
                N::led (d, kind), Resources::getImage (N::Images::deviceLedStrips[d - 1]), N::ledFrames, false));
}

void MainControlPanel::createPresetTree()
{
    auto* tree = engine.getPresetManager().createTreeComponent();
    if (tree == nullptr)
        return;

    tree->setName (N::presetTree);
    tree->setTreeLookAndFeel (PresetManagerLookAndFeel::fromResources());
    addChildComponent (tree, -1);   // the preset-tree view switch shows it
    presetTree = tree;

    tree->setColour (PresetTreeComponent::textColourId, juce::Colours::black);
    tree->setColour (PresetTreeComponent::highlightedTextColourId, juce::Colours::black);
    tree->setColour (juce::TreeView::selectedItemBackgroundColourId, juce::Colour (treeSelectionColour));
    tree->setScrollBarThickness (treeScrollBarThickness);
    tree->setItemHeight (treeItemHeight);
}

void MainControlPanel::setPresetTreeHeaders()
{
    auto* tree = dynamic_cast<PresetTreeComponent*> (presetTree);
    if (tree == nullptr || tree->getWidth() <= 0)
        return;

    // Drawn once at the tree's width of now.
    const int width = tree->getWidth();
    auto header = [this, width] (const juce::String& text) {
        juce::Image image (juce::Image::ARGB, width, treeHeaderHeight, true);
        juce::Graphics g (image);
        g.setColour (juce::Colours::black);
        g.setFont (getLookAndFeel().getPopupMenuFont().withHeight (treeHeaderFontHeight));
        g.drawText (text, juce::Rectangle<int> (8, 0, width, treeHeaderHeight), juce::Justification::centredLeft, false);
        return image;
    };
    tree->setHeaderImages (header ("FAVORITES"), header ("PRESETS"));
}

void MainControlPanel::createMeters()
{
    for (auto [name, channel] : { std::pair { N::meterLeft, 0 }, std::pair { N::meterRight, 1 } })
    {
        auto* meter = new Korvalden::GUI::LevelMeterDisplay (&meterLevels, channel, name);
        for (int id = 0; id < (int) std::size (meterColours); ++id)
            meter->setColour (id, juce::Colour (meterColours[id]));
        addOnTop (*meter);
    }
}

void MainControlPanel::createToolButtons()
{
    for (auto& tool : toolButtons)
        addAlphaImageButton (tool.name, juce::Colour (tool.colour), tool.toggles, tool.parameterSwitch);

    if (auto* link = findChildAs<juce::Button> (N::linkButton))
        link->addShortcut (juce::KeyPress ('l', juce::ModifierKeys::altModifier, 0));

    auto* treeButton = new Korvalden::GUI::ImageToggleButton (N::presetTreeButton);
    auto image = [] (int i) { return Resources::getImage (N::Images::presetBrowserButtons[i]); };
    treeButton->setImages (image (0), image (1), image (2), image (3));
    treeButton->setClickingTogglesState (true);
    treeButton->addListener (this);
    treeButton->setWantsKeyboardFocus (false);
    addOnTop (*treeButton);

    // The button tints both masks itself.
    auto* direction = new LeftButtonOnly<Korvalden::GUI::DoubleAlphaMaskImageButton> (
        N::directionButton, Resources::getImage (N::Images::directionDown), Resources::getImage (N::Images::directionUp));
    direction->setClickingTogglesState (true);
    direction->addListener (this);
    direction->setWantsKeyboardFocus (false);
    addOnTop (*direction);
    direction->setColour (AlphaMaskImageButton::disabledColourId, juce::Colour (disabledColour));
    const auto grey = juce::Colour (presetBarColour);
    setStateColours (*direction, grey, grey.brighter (0.1f), juce::Colours::white.darker (0.1f), juce::Colours::white);
}

juce::Button* MainControlPanel::getControlButton (int index)
{
    const char* names[] { N::reloadButton, N::previousButton, N::nextButton };
    return index >= 0 && index < (int) std::size (names) ? findChildAs<juce::Button> (names[index]) : nullptr;
}

juce::Label* MainControlPanel::getPresetNameLabel()
{
    return findChildAs<juce::Label> (N::presetNameLabel);
}

//==============================================================================
void MainControlPanel::setCpuWarningEnabled (bool on)
{
    cpuWarningEnabled = on;
    updateCpuDisplays();
}

void MainControlPanel::updateCpuDisplays()
{
    // Each display's visibility is its state: it goes above its show load
    // and stays until the load falls below its hide load.
    const float load = engine.getAudioThreadLoad();
    auto update = [this, load] (juce::Component* display, float showLoad, float hideLoad) {
        if (display == nullptr)
            return;
        const bool shown = display->isVisible();
        const bool show = cpuWarningEnabled && (shown ? load >= hideLoad : load > showLoad);
        if (show != shown)
            display->setVisible (show);
    };
    update (cpuWarnDisplay, cpuWarnShowLoad, cpuWarnHideLoad);
    update (cpuOverDisplay, cpuOverShowLoad, cpuOverHideLoad);
}
