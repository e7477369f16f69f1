#include "presets/PresetManager.h"

#include "engine/UntrustedXml.h"
#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"
#include "presets/SaveLock.h"

#include <cerrno>

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

    favoritesFile = file;
    auto root = parseUntrustedXmlFile (file);
    if (root != nullptr)
    {
        const juce::ScopedValueSetter<bool> reading (readingFavorites, true);
        favorites->readFavorites (*root);
    }
    else if (holdsSomething (file))
    {
        reportFavoritesFileProblem (file);
    }

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

    if (! file.getParentDirectory().createDirectory().wasOk())
        return failFavoritesSave (file, "its folder cannot be made");

    // No other save, in any process, comes between the read and the rename.
    const SaveLock turn (file);
    if (turn.wasRefused())
        return failFavoritesSave (file, "another program keeps its folder locked");

    std::unique_ptr<juce::XmlElement> root;
    if (holdsSomething (file))
    {
        root = parseUntrustedXmlFile (file);
        if (root == nullptr)
        {
            // Without an editor to show the alert, the failure is told as any other.
            reportFavoritesFileProblem (file);
            if (! favoritesProblemShown)
                failFavoritesSave (file, "it cannot be read, so it is left as it is");
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
    if (! PresetFileSystem::writeAtomically (file, text.toRawUTF8(), text.getNumBytesAsUTF8()))
        return failFavoritesSave (file, PresetFileSystem::describeWriteFailure (file, errno));

    favoritesAsRead = now;
    favoritesSaveFailureTold = false;
    return true;
}

void PresetManager::favoritesChanged()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (favoritesFile != juce::File() && ! readingFavorites && ! closing)
        saveFavorites (favoritesFile);
}

bool PresetManager::failFavoritesSave (const juce::File& file, const juce::String& reason)
{
    // The marks stay in the tree, unsaved, for the next save.
    if (! favoritesSaveFailureTold)
        tellSaveFailure (file, reason);
    favoritesSaveFailureTold = true;
    return false;
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
