#include "editor/MainControlPanel.h"

#include "editor/EditorComponentNames.h"
#include "editor/EditorTooltips.h"
#include "engine/AudioEngine.h"
#include "gui/MasterVolSliderLookAndFeel.h"
#include "gui/ParameterRadioButton.h"
#include "gui/ResourceManager.h"
#include "gui/SliderWithFineRightDrag.h"

// The controls bound to parameters: device knobs, macros, master volume and
// the devices' switch groups.
namespace
{
    namespace N = EditorNames;
    using Resources = Korvalden::Resources::ResourceManager;

    constexpr juce::uint32 switchNormalColour = 0xFF7D7D7D;

    int deviceParameter (int device, int offset)   { return N::parametersPerDevice * (device - 1) + offset; }
}

void MainControlPanel::addValueLabelFader (juce::Label& label)
{
    if (valueLabelFaders.count (&label) != 0)
        return;

    auto fader = std::make_unique<Korvalden::GUI::AlphaFader>();
    fader->alpha = 0.0f;
    fader->addTarget (&label, juce::Label::textColourId);
    valueLabelFaders.emplace (&label, fader.release());
}

void MainControlPanel::createKnobs()
{
}

void MainControlPanel::createMasterVolume()
{
    auto* slider = new Korvalden::GUI::SliderWithFineRightDrag();
    slider->setName (N::masterVolume);
    addOnTop (*slider);
    auto& lookAndFeel = *ownedLookAndFeels.emplace_back (std::make_unique<MasterVolSliderLookAndFeel>());
    slider->setLookAndFeel (&lookAndFeel);
    parameterLinker.addControl (slider, ParameterTable::masterVolume);

    auto* label = new juce::Label (N::valueLabel (N::masterVolume), {});
    addOnTop (*label);
    parameterLinker.addControl (label, ParameterTable::masterVolume);
    label->addListener (this);
    addValueLabelFader (*label);
}

void MainControlPanel::createSwitchGroups()
{
    const auto normal = juce::Colour (switchNormalColour);
    const auto hover = normal.brighter (0.4f);

    auto addGroup = [&] (int device, auto& buttons, auto& tooltips) {
        for (size_t i = 0; i < std::size (buttons); ++i)
        {
            const auto& button = buttons[i];
            const int index = deviceParameter (device, button.offset);
            auto* radio = new Korvalden::GUI::ParameterRadioButton (
                N::switchButton (device, button), &engine, index, button.positions, button.position,
                Resources::getImage (button.image), normal, hover, juce::Colour (N::deviceColours[device - 1]));
            addOnTop (*radio);
            radio->setTooltip (EditorTooltips::deviceTooltip (tooltips[i], device));
            parameterLinker.addCallback (radio, index);
        }
    };

    for (int d = 1; d <= N::numDevices; ++d)
    {
        addGroup (d, N::oscillatorSwitches, EditorTooltips::oscillatorSwitches);
        addGroup (d, N::lfo1Switches, EditorTooltips::lfo1Switches);
        addGroup (d, N::trackingSwitches, EditorTooltips::trackingSwitches);
    }
}
