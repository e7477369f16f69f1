#include "engine/AudioEngine.h"

#include "engine/ParameterFunctions.h"
#include "engine/XmlBinaryBlock.h"

#include <cmath>

// Presets ("KEST_Preset") and the plug-in state ("KEST_Plugin_State"), both
// stored as binary XML blocks.

namespace
{
const juce::Identifier presetTag ("KEST_Preset");
const juce::Identifier stateTag ("KEST_Plugin_State");
const juce::Identifier linkingTag ("PARAMETERLINKING");

bool hasTag (const juce::XmlElement& element, const juce::Identifier& tag)
{
    return element.getTagName().equalsIgnoreCase (tag.toString());
}

juce::XmlElement* findChild (const juce::XmlElement& parent, const juce::Identifier& tag)
{
    for (auto* child : parent.getChildIterator())
        if (hasTag (*child, tag))
            return child;
    return nullptr;
}

/** A bool attribute: true when its first non-blank character is 1, y, Y, t or T. */
bool readBool (const juce::XmlElement& element, const char* name, bool current)
{
    if (! element.hasAttribute (name))
        return current;
    auto text = element.getStringAttribute (name).trimStart();
    return text.isNotEmpty() && juce::String ("1yYtT").containsChar (text[0]);
}
} // namespace

void AudioEngine::storeValueFromFile (int index, double value)
{
    if (std::isfinite (value))
        storeParameter (index, ParameterFunctions::toUnit ((float) value));
}

std::unique_ptr<juce::XmlElement> AudioEngine::createPresetElement()
{
    auto element = std::make_unique<juce::XmlElement> (presetTag);
    element->setAttribute ("Version", 1);
    for (int index = 0; index < ParameterTable::numHostParameters; ++index)
        element->setAttribute (parameters[(size_t) index]->name, (double) parameters[(size_t) index]->getValue());
    linkManager.writeXml (*element);
    for (unsigned int point = 0; point < MultiSoundVoiceController::numSplitPoints; ++point)
        element->setAttribute ("SplitPoint" + juce::String (point + 1), globalController.getSplitPoint (point));
    return element;
}

void AudioEngine::writePresetState (juce::MemoryBlock& out)
{
    jassert (isOwnerThread());
    XmlBinaryBlock::write (*createPresetElement(), out);
}

bool AudioEngine::readPresetState (const juce::MemoryBlock& in)
{
    // Only a whole preset is a sound: a block cut short or damaged, or one
    // whose root is something else, changes nothing.
    auto element = XmlBinaryBlock::read (in);
    if (element == nullptr || ! hasTag (*element, presetTag))
        return false;

    applySoundAndTellEditor (*element, *element);
    return true;
}

void AudioEngine::applySoundAndTellEditor (const juce::XmlElement& sound, const juce::XmlElement& linkFallback)
{
    // The editor re-reads the voice settings once the sound is in, and again
    // after the host has been told.
    applySound (sound, linkFallback);
    postToEditor (editorResyncVoiceSettings);
    updateHostDisplay();
    postToEditor (editorResyncVoiceSettings);
}

void AudioEngine::applySound (const juce::XmlElement& sound, const juce::XmlElement& linkFallback)
{
    if (hasTag (sound, presetTag))
    {
        for (int index = 0; index < ParameterTable::numHostParameters; ++index)
        {
            auto& record = *parameters[(size_t) index];
            storeValueFromFile (index, sound.getDoubleAttribute (record.name, (double) record.getValue()));
        }
    }

    // Whatever the root's tag, its links and split points are applied.
    linkManager.readXml (findChild (sound, linkingTag) != nullptr ? sound : linkFallback);
    static constexpr int defaultSplitPoints[] = { 32, 64, 96 };
    for (unsigned int point = 0; point < MultiSoundVoiceController::numSplitPoints; ++point)
        globalController.setSplitPoint (point, sound.getIntAttribute ("SplitPoint" + juce::String (point + 1),
                                                                      defaultSplitPoints[point]));

    applyParameterChanges();
}

void AudioEngine::getStateInformation (juce::MemoryBlock& destData)
{
    juce::XmlElement state (stateTag);
    writePresetStateItems (state);
    state.setAttribute (parameters[ParameterTable::masterVolume]->name, (double) parameters[ParameterTable::masterVolume]->getValue());
    state.setAttribute ("NumberOfVoices", getRequestedNumberOfVoices());
    state.setAttribute ("ShowTooltips", showTooltips ? 1 : 0);
    state.setAttribute ("ShowParameterLinks", showParameterLinks ? 1 : 0);
    state.setAttribute ("ShowValueLabels", showValueLabels ? 1 : 0);
    state.setAttribute ("ShowKeyboard", showKeyboard ? 1 : 0);
    state.setAttribute ("ShowPresetManager", showPresetManager ? 1 : 0);
    state.addChildElement (createPresetElement().release());
    state.setAttribute ("PresetChangedState", isPresetModified() ? 1 : 0);
    XmlBinaryBlock::write (state, destData);
}

void AudioEngine::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return;

    // Parsed once; a block that is refused changes nothing.
    auto state = XmlBinaryBlock::read (data, (size_t) sizeInBytes);
    if (state == nullptr)
        return;

    if (! hasTag (*state, stateTag))
    {
        applySoundAndTellEditor (*state, *state);
        postViewCommandsToEditor();
        return;
    }

    // A state without a sound of its own takes its preset's file as the
    // sound: the root's own links and split points (normally none and the
    // defaults) come first, so that the file has the last word.
    const auto* preset = findChild (*state, presetTag);
    if (preset == nullptr)
    {
        restoringStateLinks = true;
        applySoundAndTellEditor (*state, *state);
        restoringStateLinks = false;
    }

    restorePresetStateItems (*state, readBool (*state, "PresetChangedState", false), preset != nullptr);

    auto& volume = *parameters[ParameterTable::masterVolume];
    storeValueFromFile (ParameterTable::masterVolume, state->getDoubleAttribute (volume.name, (double) volume.getValue()));
    applyParameterChanges();

    // A count outside 1..maxNumberOfVoices (a negative one included) is ignored.
    setNumberOfVoices ((unsigned int) state->getIntAttribute ("NumberOfVoices", numberOfVoices.load()));

    showTooltips = readBool (*state, "ShowTooltips", showTooltips.load());
    showParameterLinks = readBool (*state, "ShowParameterLinks", showParameterLinks.load());
    showValueLabels = readBool (*state, "ShowValueLabels", showValueLabels.load());
    showKeyboard = readBool (*state, "ShowKeyboard", showKeyboard.load());
    showPresetManager = readBool (*state, "ShowPresetManager", showPresetManager.load());

    // The embedded preset is the sound, read straight from the parsed tree.
    // The split points are set once, to their final values, as the audio
    // thread may be reading them; links the state root itself carries apply
    // when the preset has none.
    // The state says itself whether its sound was modified: the links read
    // with it do not mark it again, so a state restores as it was saved.
    if (preset != nullptr)
    {
        restoringStateLinks = true;
        applySoundAndTellEditor (*preset, *state);
        restoringStateLinks = false;
    }
    postViewCommandsToEditor();
}
