#include "editor/MainControlPanel.h"

#include "editor/EditorComponentNames.h"
#include "editor/EditorTooltips.h"
#include "engine/AudioEngine.h"
#include "gui/MasterVolSliderLookAndFeel.h"
#include "gui/ParameterRadioButton.h"
#include "gui/ResourceManager.h"
#include "gui/SliderWithFineRightDrag.h"
#include "linking/LinkableParameterKnob.h"

// The controls bound to parameters: device knobs, macros, master volume and
// the devices' switch groups.
namespace
{
    namespace N = EditorNames;
    using Resources = Korvalden::Resources::ResourceManager;

    constexpr juce::uint32 switchNormalColour = 0xFF7D7D7D;
    constexpr float valueLabelHeight = 10.0f;

    // The Tune knobs move in semitones, and in 16-cent steps when dragged finely.
    constexpr int tuneSteps = 48;
    constexpr int tuneFineSteps = 300;

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

void MainControlPanel::addKnobWithValueLabel (const KnobContext& context, const juce::String& name, int parameterIndex,
                                              Korvalden::GUI::ImageStrip& strip, juce::Colour colour, const juce::String& tooltip)
{
    auto* knob = new LinkableParameterKnob (name, context.linkManager, parameterIndex, &strip, context.linkBackground);
    knob->setColour (0, colour);
    knob->setTooltip (tooltip);
    context.panel->addOnTop (*knob);
    parameterLinker.addCallback (knob, parameterIndex);

    auto* label = new juce::Label (N::valueLabel (name), {});
    label->setFont (juce::Font (valueLabelHeight));
    label->setColour (juce::Label::textColourId, juce::Colours::black);
    label->setJustificationType (juce::Justification::centred);
    context.panel->addOnTop (*label);
    knob->setValueLabel (label);
    knob->updateValueLabel();
    label->addListener (this);      // after the first text, which starts no fade
    addValueLabelFader (*label);
}

void MainControlPanel::createKnobs()
{
    const KnobContext context { this, &engine.getLinkManager(), Resources::getImage (N::Images::linkBackground) };

    for (int d = 1; d <= N::numDevices; ++d)
        for (int i = 0; i < N::numDeviceKnobs; ++i)
        {
            const auto& kind = N::deviceKnobs[i];
            addKnobWithValueLabel (context, N::deviceKnob (d, kind), deviceParameter (d, kind.offset), deviceKnobStrips[(size_t) d - 1],
                                   juce::Colour (N::deviceColours[d - 1]), EditorTooltips::deviceTooltip (EditorTooltips::deviceKnobs[i], d));
        }

    for (int m = 1; m <= N::numMacros; ++m)
        addKnobWithValueLabel (context, N::macroKnob (m), N::firstMacroParameter + m - 1, *macroKnobStrip,
                               juce::Colour (N::macroColour), EditorTooltips::macro);

    for (int d = 1; d <= N::numDevices; ++d)
        if (auto* tune = findChildAs<LinkableParameterKnob> (N::devicePrefix (d) + "Tune"))
            tune->setSteps (tuneSteps, tuneFineSteps);
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
