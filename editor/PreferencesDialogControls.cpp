#include "editor/PreferencesDialog.h"

#include "editor/EditorComponentNames.h"
#include "editor/FindChildAs.h"
#include "engine/AudioEngine.h"

#include <cmath>

// The options dialog's controls: filling the receive-channel and controller
// combos at opening, and what a change of a combo, the CPU-warning switch or
// the voice-count slider does.

namespace O = EditorNames::Options;

namespace
{
constexpr const char* cpuWarningKey = "EnableCPUWarning";
constexpr const char* sustainPedalKey = "MIDICC_SustainPedal";
constexpr int firstItemId = -1;      // "Omni", "Off": the framework reserves 0 for "nothing selected"
constexpr int highestController = 127;

bool isController (int value) noexcept
{
    return (unsigned int) value <= (unsigned int) highestController;
}
} // namespace

juce::String PreferencesDialog::receiveChannelKey (int slot)
{
    return slot == 0 ? juce::String ("MIDIReceiveChannel") : "MIDIReceiveChannel" + juce::String (slot);
}

juce::String PreferencesDialog::controllerKey (int parameterIndex)
{
    return "MIDICC_" + ParameterTable::getEntry (parameterIndex).name;
}

//==============================================================================
void PreferencesDialog::fillMidiChannelCombo (juce::Component* page, int slot)
{
    auto* combo = findChildAs<juce::ComboBox> (page, O::channelCombo (slot));
    if (combo == nullptr)
        return;

    combo->addListener (this);
    combo->addItem (slot == 0 ? "Omni" : "Off", firstItemId);
    for (int channel = 1; channel <= 16; ++channel)
        combo->addItem (juce::String (channel), channel);

    const auto stored = settings.getIntValue (receiveChannelKey (slot), -1);
    combo->setSelectedId (stored >= 1 && stored <= 16 ? stored : firstItemId, juce::dontSendNotification);
}

void PreferencesDialog::fillControllerCombo (juce::Component* page, const juce::String& comboName,
                                             const juce::String& key, int defaultController)
{
    auto* combo = findChildAs<juce::ComboBox> (page, comboName);
    if (combo == nullptr)
        return;

    combo->addListener (this);
    combo->addItem ("Off", firstItemId);
    for (int controller = 0; controller <= highestController; ++controller)
        combo->addItem (juce::String (controller), controller + 1);

    const auto stored = settings.getIntValue (key, defaultController);
    combo->setSelectedId (isController (stored) ? stored + 1 : firstItemId, juce::dontSendNotification);
}

void PreferencesDialog::setUpGeneralPage (juce::Component& page)
{
    if (auto* warning = findChildAs<juce::Button> (&page, O::enableCpuWarning))
    {
        warning->setToggleState (settings.getBoolValue (cpuWarningKey, true), juce::dontSendNotification);
        warning->addListener (this);
    }

    if (auto* voices = findChildAs<juce::Slider> (&page, O::numberOfVoices))
    {
        voices->setValue ((double) engine.getRequestedNumberOfVoices(), juce::sendNotificationAsync);
        voices->addListener (this);
    }

    // The plug-in has no audio device of its own to set up.
    if (auto* audio = findChildAs<juce::GroupComponent> (&page, O::audioGroup))
        audio->setVisible (false);
}

//==============================================================================
void PreferencesDialog::comboBoxChanged (juce::ComboBox* combo)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (combo == nullptr)
        return;

    for (int slot = 0; slot < ParameterTable::numReceiveSlots; ++slot)
        applyReceiveChannel (combo, slot);

    // Several parameters may share a controller, and the sustain pedal one
    // with a parameter: a choice never takes a controller from another row.
    const auto name = combo->getName();
    for (int index = 0; index < ParameterTable::numParameters; ++index)
    {
        if (name != O::controllerCombo (index))
            continue;

        const auto value = combo->getSelectedId() - 1;
        settings.setValue (controllerKey (index), value);
        engine.setParameterCC ((unsigned int) index, (unsigned int) value);
    }

    if (name == O::sustainPedal)
    {
        const auto value = combo->getSelectedId() - 1;
        settings.setValue (sustainPedalKey, value);
        engine.setSustainPedalCC ((unsigned int) value);
    }
}

void PreferencesDialog::applyReceiveChannel (juce::ComboBox* combo, int slot)
{
    if (combo->getName() != O::channelCombo (slot))
        return;

    const auto channel = combo->getSelectedId();
    settings.setValue (receiveChannelKey (slot), channel);

    // No voice may hang on across the change of its channel's mappings.
    engine.stopAllVoices();
    engine.setReceiveChannel ((unsigned int) slot, channel, true);

    if (editorCallbacks.receiveChannelChosen != nullptr)
        editorCallbacks.receiveChannelChosen (channel);
}

//==============================================================================
void PreferencesDialog::buttonStateChanged (juce::Button* button)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (button == nullptr || button->getName() != O::enableCpuWarning)
        return;

    // Hovering and pressing report too: only a changed switch is stored, so
    // merely touching it never rewrites the settings file.
    const bool on = button->getToggleState();
    if (settings.getBoolValue (cpuWarningKey, true) == on)
        return;

    settings.setValue (cpuWarningKey, on);
    if (editorCallbacks.cpuWarningSwitched != nullptr)
        editorCallbacks.cpuWarningSwitched (on);
}

void PreferencesDialog::sliderValueChanged (juce::Slider* slider)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (slider == nullptr || slider->getName() != O::numberOfVoices)
        return;

    const auto value = slider->getValue();
    const auto count = std::isfinite (value) && std::abs (value) < 1.0e9 ? (int) value : 0;

    if (! engine.requestNumberOfVoices (count))
        slider->setValue ((double) engine.getRequestedNumberOfVoices(), juce::dontSendNotification);
}
