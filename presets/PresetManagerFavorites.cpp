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

enum class Merged
{
    unreadable,
    unchanged,
    changed,
    tooLarge
};

/** The file's text with the changes joined in.  Under the save lock. */
Merged merge (const juce::File& file, const FavoriteChanges& changes, juce::String& text)
{
    std::unique_ptr<juce::XmlElement> root;
    if (holdsSomething (file))
    {
        root = parseUntrustedXmlFile (file);
        if (root == nullptr)
            return Merged::unreadable;
    }
    else
    {
        root = std::make_unique<juce::XmlElement> ("FAVORITES");
    }
    if (! PresetManager::FavoriteList::mergeFavorites (*root, changes))
        return Merged::unchanged;

    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    text = root->toString (format);
    // What is written here must be read here again.
    return fitsUntrustedXmlLimits (*root, text.getNumBytesAsUTF8()) ? Merged::changed : Merged::tooLarge;
}

/** Why a file is not written that the next instance would refuse to read. */
juce::String tooLargeReason()
{
    return "it would grow past what Kest reads back (" + juce::String ((int) (maxUntrustedXmlBytes / (1024 * 1024)))
           + " MB or " + juce::String (maxUntrustedXmlNodes) + " elements and attributes)";
}

juce::String countOf (int count, const juce::String& what)
{
    return juce::String (count) + " " + what + (count == 1 ? "" : "s");
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
    favoriteChanges.clear();
}

bool PresetManager::saveFavorites (const juce::File& file, FavoritesSave when)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    // An instance that changed nothing leaves the file to the others.
    if (favoriteChanges.isEmpty())
    {
        favoritesRetry.stopTimer();
        return true;
    }

    if (! file.getParentDirectory().createDirectory().wasOk())
        return failFavoritesSave (file, "its folder cannot be made", when, true);

    // No other save, in any process, comes between the read and the rename.
    const SaveLock turn (file, when);
    if (turn.wasRefused())
        return failFavoritesSave (file, "another program keeps its folder locked", when, true);

    juce::String text;
    auto merged = merge (file, favoriteChanges, text);
    if (merged == Merged::tooLarge)
    {
        // A star the file cannot take is not kept; the file stays as it was.
        refuseUnsavedStars (file);
        merged = favoriteChanges.isEmpty() ? Merged::unchanged : merge (file, favoriteChanges, text);
        if (merged == Merged::tooLarge)
            return failFavoritesSave (file, tooLargeReason(), when, false);
        if (merged == Merged::unchanged)
        {
            favoriteChanges.clear();
            return false;
        }
    }

    if (merged == Merged::unreadable)
    {
        // Without an editor to show the alert, the failure is told as any other.
        reportFavoritesFileProblem (file);
        if (! favoritesProblemShown || when == FavoritesSave::atClose)
            failFavoritesSave (file, "it cannot be read, so it is left as it is", when, false);
        return false;
    }

    if (merged == Merged::changed && ! PresetFileSystem::writeAtomically (file, text.toRawUTF8(), text.getNumBytesAsUTF8()))
        return failFavoritesSave (file, PresetFileSystem::describeWriteFailure (file, errno), when, true);

    favoriteChanges.clear();
    favoritesSaveFailureTold = false;
    favoritesRetry.stopTimer();
    return true;
}

void PresetManager::favoritesChanged()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (favoritesFile != juce::File() && ! readingFavorites && ! refusingFavorites && ! closing)
        saveFavorites (favoritesFile);
}

void PresetManager::favoriteMarked (const juce::String& id, bool on)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (readingFavorites)
        return;
    favoriteChanges.marked (id, on);
    favoritesChanged();
}

void PresetManager::favoritesMoved (const juce::String& from, const juce::String& to, bool isFolder)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    favoriteChanges.moved (from, to, isFolder);
    favoritesChanged();
}

void PresetManager::FavoritesRetry::timerCallback()
{
    if (manager.closing || manager.favoritesFile == juce::File())
        stopTimer();
    else
        manager.saveFavorites (manager.favoritesFile, FavoritesSave::retry);
}

void PresetManager::refuseUnsavedStars (const juce::File& file)
{
    const auto stars = favoriteChanges.getUnsavedStars();
    if (stars.isEmpty())
        return;

    {
        const juce::ScopedValueSetter<bool> refusing (refusingFavorites, true);
        for (auto& id : stars)
        {
            // Cleared, the star takes its unsaved mark back.
            auto* preset = dynamic_cast<FileItem*> (findItemByPath (id));
            if (preset != nullptr && preset->isFavorite())
                preset->setFavorite (false);
            else
                favoriteChanges.marked (id, false);
        }
    }

    const auto reason = tooLargeReason() + ", so " + (stars.size() == 1 ? "the star just set is" : countOf (stars.size(), "star") + " just set are")
                        + " not kept";
    if (! showFailureAlert ("Write Error", "File could not be written!\n" + file.getFullPathName() + "\n\n"
                                               + reason.substring (0, 1).toUpperCase() + reason.substring (1) + "."))
        PresetFileSystem::printSaveFailure (file, reason);
}

bool PresetManager::failFavoritesSave (const juce::File& file, const juce::String& reason, FavoritesSave when, bool tryAgain)
{
    // Nothing comes after the last save: what it could not write is lost,
    // and said so, also when the failure was told before.
    if (when == FavoritesSave::atClose)
    {
        PresetFileSystem::printChangesLost (file, reason, favoriteChanges.size(), "favorites");
        return false;
    }

    // The marks stay in the tree, unsaved, for the next save; one that only
    // the user can mend is not tried again before the next change.
    if (! tryAgain)
        favoritesRetry.stopTimer();
    if (! favoritesSaveFailureTold)
        tellSaveFailure (file, reason);
    favoritesSaveFailureTold = true;
    if (tryAgain && file == favoritesFile && ! closing && ! favoritesRetry.isTimerRunning()
        && juce::MessageManager::getInstanceWithoutCreating() != nullptr)
        favoritesRetry.startTimer (SaveLock::retryIntervalMilliseconds);
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
