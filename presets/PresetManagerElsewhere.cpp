#include "presets/PresetManager.h"

#include "presets/PresetTreeItems.h"

#include <functional>

// Another instance, or any other program, may rename, move, delete or
// replace a preset while this tree still shows it.  A change the user makes
// at such an item would name nothing, or a later preset of that name: it is
// carried to where the preset went when its folder shows it there, and
// otherwise told, never written.

namespace Korvalden::Misc
{
namespace
{
PresetManager::DirectoryItem* folderOf (juce::TreeViewItem& item)
{
    return dynamic_cast<PresetManager::DirectoryItem*> (item.getParentItem());
}

/** Shows the item's folder as it is now, or the nearest one above it that
    is still where shown (a folder renamed with the item in it); and the
    item's own folder too, if the item stands there again but not where
    shown.  Returns the folder shown first; null when there is none or it
    cannot be read. */
PresetManager::DirectoryItem* showFolderOf (PresetManager::FileRepresentingItem& changed)
{
    auto* folder = folderOf (changed);
    while (folder != nullptr && ! folder->isWhereShown() && folderOf (*folder) != nullptr)
        folder = folderOf (*folder);
    if (folder == nullptr)
        return nullptr;

    const juce::WeakReference<PresetManager::FileRepresentingItem> item (&changed);
    if (! folder->showWhatItHolds())
        return nullptr;
    if (auto* standing = item.get(); standing != nullptr && ! standing->isWhereShown())
        if (auto* own = folderOf (*standing); own != nullptr && own != folder)
            own->showWhatItHolds();
    return folder;
}
} // namespace

void PresetManager::itemChangedElsewhere (FileRepresentingItem& item, bool starChanged)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (closing)
        return;
    changesElsewhere.push_back ({ &item, item.getUniqueName(), item.getItemIdentifierString(), starChanged });
    elsewhereTurn.triggerAsyncUpdate();
}

void PresetManager::showChangesElsewhere()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    auto changes = std::move (changesElsewhere);
    changesElsewhere.clear();

    std::vector<juce::WeakReference<FileRepresentingItem>> items;
    for (auto& change : changes)
        items.push_back (change.item);
    const auto foldersShown = showFoldersOf (items);

    juce::StringArray names;
    for (auto& change : changes)
    {
        auto* preset = dynamic_cast<FileItem*> (change.item.get());
        if (change.starChanged && preset != nullptr)
        {
            // Found where it went (or at its place after all): the star is
            // the user's, there; a clear also goes from the path it had, as
            // for a star that waited (FavoriteChanges::followPresets).
            // Otherwise the row shows what the file holds.
            if (preset->isWhereShown())
            {
                const bool clears = preset->hasEntry && ! (bool) preset->favorite.getValue();
                if (clears && preset->storedFavoriteId.isEmpty() && preset->getItemIdentifierString() != change.path)
                    preset->storedFavoriteId = change.path;
                preset->deliverFavoriteFlag();
                continue;
            }
            preset->setFavorite (preset->hasEntry);
        }
        names.addIfNotAlreadyThere ("\"" + change.name + "\"");
    }
    if (names.isEmpty())
        return;

    auto text = "Another program renamed, moved or deleted " + names.joinIntoString (", ") + " after Kest showed "
                + (names.size() == 1 ? "it" : "them") + ", so nothing was changed.";
    if (foldersShown.isNotEmpty())
        text << "\n\n" << foldersShown;
    showFailureAlert ("Changed by Another Program", text);
}

std::shared_ptr<const PresetFileSystem::RowNumbers> PresetManager::getRowNumbers()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (rowNumbers != nullptr)
        return rowNumbers;

    PresetFileSystem::RowNumbers numbers;
    std::function<void (juce::TreeViewItem&)> collect = [&numbers, &collect] (juce::TreeViewItem& folder)
    {
        for (int index = 0; index < folder.getNumSubItems(); ++index)
            if (auto* row = dynamic_cast<FileRepresentingItem*> (folder.getSubItem (index)))
            {
                if (const auto& identity = row->getIdentity(); identity.isKnown())
                {
                    numbers.files.emplace (identity.device, identity.inode);
                    if (row->isPreset() && identity.listedInode != 0 && identity.listedInode != identity.inode)
                        numbers.listed.insert (identity.listedInode);
                }
                collect (*row);
            }
    };
    collect (*fileTreeRoot);
    rowNumbers = std::make_shared<const PresetFileSystem::RowNumbers> (std::move (numbers));
    return rowNumbers;
}

juce::String PresetManager::showFoldersOf (const std::vector<juce::WeakReference<FileRepresentingItem>>& items)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    juce::StringArray folders;
    if (closing)
        return {};
    // Weak: showing one folder again may delete the items of another.
    for (auto& each : items)
        if (auto* item = each.get(); item != nullptr && ! item->isWhereShown())
            if (auto* shown = showFolderOf (*item))
                folders.addIfNotAlreadyThere (shown->getUniqueName());
    if (folders.isEmpty())
        return {};
    const bool one = folders.size() == 1;
    return juce::String (one ? "The folder " : "The folders ") + "\"" + folders.joinIntoString ("\", \"") + "\" now "
           + (one ? "shows what it holds." : "show what they hold.");
}
} // namespace Korvalden::Misc
