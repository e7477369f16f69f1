#include "presets/PresetManager.h"

#include "engine/UntrustedXml.h"
#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"

// The favourites file of the manager.  Several instances share it: each one
// writes back only what its own user changed, into the file as it is then.

namespace Korvalden::Misc
{
namespace
{
/** A file that holds something: what cannot be parsed of it is never replaced. */
bool holdsSomething (const juce::File& file)
{
    return file.exists() && ! (file.existsAsFile() && file.getSize() == 0);
}

juce::StringArray sorted (juce::StringArray ids)
{
    ids.sort (false);
    return ids;
}
} // namespace

void PresetManager::loadFavorites (const juce::File& file)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    auto root = parseUntrustedXmlFile (file);
    if (root != nullptr)
        favorites->readFavorites (*root);
    else if (holdsSomething (file))
        reportFavoritesFileProblem (file);

    // Ids that named no preset made no entry: they are not this instance's
    // to keep or drop, so they stay in the file.
    favoritesAsRead = favorites->getFavoriteIds();
}

bool PresetManager::saveFavorites (const juce::File& file)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    // An instance that changed nothing leaves the file to the others.
    const auto now = favorites->getFavoriteIds();
    if (sorted (now) == sorted (favoritesAsRead))
        return true;

    std::unique_ptr<juce::XmlElement> root;
    if (holdsSomething (file))
    {
        root = parseUntrustedXmlFile (file);
        if (root == nullptr)
        {
            reportFavoritesFileProblem (file);
            return false;
        }
    }
    else
    {
        root = std::make_unique<juce::XmlElement> ("FAVORITES");
    }
    favorites->mergeFavorites (*root, favoritesAsRead);

    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    const auto text = root->toString (format);
    if (! file.getParentDirectory().createDirectory().wasOk()
        || ! PresetFileSystem::writeAtomically (file, text.toRawUTF8(), text.getNumBytesAsUTF8()))
        return false;

    favoritesAsRead = now;
    return true;
}

void PresetManager::reportFavoritesFileProblem (const juce::File& file)
{
    if (favoritesProblemShown)
        return;
    unreadableFavoritesFile = file;
    favoritesProblemPending = true;
    showPendingFavoritesFileProblem();
}

void PresetManager::showPendingFavoritesFileProblem()
{
    if (! favoritesProblemPending || favoritesProblemShown)
        return;

    if (showFailureAlert ("Read Error", "The favorites file could not be read:\n" + unreadableFavoritesFile.getFullPathName()
                                            + "\n\nIt is left as it is, and favorites marked now are not saved while it cannot be read."))
    {
        favoritesProblemPending = false;
        favoritesProblemShown = true;
    }
}
} // namespace Korvalden::Misc
