#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"

namespace Korvalden::Misc
{
namespace
{
/** Deeper folders than this are not read: a guard against link loops the
    ancestor test cannot see (bind mounts and the like). */
constexpr int maxFolderDepth = 32;

juce::Array<juce::File> listChildren (const juce::File& folder, int whatToLookFor, const juce::String& pattern)
{
    auto children = folder.findChildFiles (whatToLookFor, false, pattern, juce::File::FollowSymlinks::yes);
    return children;
}
} // namespace

PresetManager::DirectoryItem::DirectoryItem (const juce::File& folder, bool isReadOnly, const juce::String& name,
                                             const juce::StringArray& realAncestors)
    : FileRepresentingItem (folder, isReadOnly), displayName (name)
{
    auto ancestors = realAncestors;
    ancestors.add (PresetFileSystem::resolvedPath (folder));

    if (ancestors.size() <= maxFolderDepth)
    {
        for (auto& child : listChildren (folder, juce::File::findDirectories, "*"))
        {
            // A link back to a folder of this walk would make the tree endless.
            if (ancestors.contains (PresetFileSystem::resolvedPath (child)))
                continue;
            addSubItem (new DirectoryItem (child, isReadOnly, {}, ancestors));
        }
    }

    for (auto& child : listChildren (folder, juce::File::findFiles, "*.prs"))
        addSubItem (new FileItem (child, isReadOnly));

    sortChildren (*this);
}

juce::String PresetManager::DirectoryItem::getUniqueName() const
{
    return displayName.isNotEmpty() ? displayName : file.getFileNameWithoutExtension();
}

void PresetManager::DirectoryItem::activate()
{
    auto* manager = getPresetManager();
    if (manager == nullptr || readOnly)
        return;

    manager->setCurrentFolder (this);
    treeHasChanged();
}

bool PresetManager::DirectoryItem::canAcceptItem (PresetTreeItemBase* item)
{
    return ! readOnly && dynamic_cast<FileRepresentingItem*> (item) != nullptr;
}

void PresetManager::DirectoryItem::acceptItem (PresetTreeItemBase* offered)
{
    auto* item = dynamic_cast<FileRepresentingItem*> (offered);
    if (item == nullptr || readOnly || ! item->isMovable() || item == this)
        return;

    // A folder never moves into itself or below itself.
    for (juce::TreeViewItem* ancestor = this; ancestor != nullptr; ancestor = ancestor->getParentItem())
        if (ancestor == item)
            return;

    auto target = PresetFileSystem::freeSibling (file.getChildFile (item->getFile().getFileName()));
    if (! PresetFileSystem::moveWithoutReplacing (item->getFile(), target))
        return;

    item->changeFileTo (target);
    auto* oldParent = item->getParentItem();
    for (int index = 0; oldParent != nullptr && index < oldParent->getNumSubItems(); ++index)
        if (oldParent->getSubItem (index) == item)
        {
            oldParent->removeSubItem (index, false);
            break;
        }

    insertSorted (*this, item);
    treeHasChanged();
}

PresetManager::DirectoryItem* PresetManager::DirectoryItem::createSubFolder()
{
    if (readOnly)
        return nullptr;

    auto folder = PresetFileSystem::freeSibling (file.getChildFile ("New Folder"));
    if (! folder.createDirectory().wasOk())
        return nullptr;

    auto* item = new DirectoryItem (folder, readOnly, {});
    insertSorted (*this, item);
    setOpen (true);
    item->showRenameEditor();
    if (auto* manager = getPresetManager())
        manager->setCurrentFolder (item);
    treeHasChanged();
    return item;
}
} // namespace Korvalden::Misc
