#include "engine/AudioEngine.h"

#include "platform/ApplicationSupport.h"

// The engine as the preset manager's client, and the preset items of the
// plug-in state.

juce::String AudioEngine::getDefaultPresetName() { return "New Preset"; }

juce::File AudioEngine::getFavoritesFile()
{
    return Korvalden::Platform::getUserMakerFolder().getChildFile ("Kest.Favorites.xml");
}

void AudioEngine::writePresetStateItems (juce::XmlElement& state)
{
    auto items = presetManager.getStateItems();
    auto* browser = state.createNewChildElement ("BrowserState");
    if (items.openness != nullptr)
        browser->addChildElement (items.openness.release());
    state.setAttribute ("Preset", items.presetPath);
    state.setAttribute ("ActiveUserFolder", items.folderPath);
}

void AudioEngine::restorePresetStateItems (const juce::XmlElement& state, bool modified, bool hasOwnSound)
{
    Korvalden::Misc::PresetManager::StateItems items;
    for (auto* child : state.getChildIterator())
        if (child->getTagName().equalsIgnoreCase ("BrowserState"))
        {
            if (auto* openness = child->getFirstChildElement())
                items.openness = std::make_unique<juce::XmlElement> (*openness);
            break;
        }
    items.presetPath = state.getStringAttribute ("Preset");
    items.folderPath = state.getStringAttribute ("ActiveUserFolder");
    items.modified = modified;
    presetManager.restoreStateItems (std::move (items), hasOwnSound);
}
