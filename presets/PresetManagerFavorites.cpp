#include "presets/PresetManager.h"

#include "engine/UntrustedXml.h"
#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"

// The favourites file of the manager.

namespace Korvalden::Misc
{
//==============================================================================
namespace
{
juce::StringArray defaultListIds (const juce::XmlElement* root)
{
    juce::StringArray ids;
    if (root == nullptr)
        return ids;

    for (auto* list : root->getChildIterator())
    {
        if (! list->getTagName().equalsIgnoreCase ("FAVLIST") || list->getStringAttribute ("name") != "Default"
            || list->getStringAttribute ("type") != "Presets")
            continue;
        for (auto* preset : list->getChildIterator())
            if (preset->getTagName().equalsIgnoreCase ("Preset"))
                ids.add (preset->getStringAttribute ("id"));
        break;
    }
    return ids;
}
} // namespace

void PresetManager::loadFavorites (const juce::File& file)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    auto root = parseUntrustedXmlFile (file);
    if (root != nullptr)
        favorites->readFavorites (*root);
    favoritesAsRead = defaultListIds (root.get());
}

bool PresetManager::saveFavorites (const juce::File& file)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    // An instance that changed nothing leaves the file to the others.
    if (favorites->getFavoriteIds() == favoritesAsRead)
        return true;

    auto root = parseUntrustedXmlFile (file);
    if (root == nullptr)
        root = std::make_unique<juce::XmlElement> ("FAVORITES");
    favorites->writeFavorites (*root);

    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    const auto text = root->toString (format);
    if (! file.getParentDirectory().createDirectory().wasOk()
        || ! PresetFileSystem::writeAtomically (file, text.toRawUTF8(), text.getNumBytesAsUTF8()))
        return false;

    favoritesAsRead = favorites->getFavoriteIds();
    return true;
}
} // namespace Korvalden::Misc
