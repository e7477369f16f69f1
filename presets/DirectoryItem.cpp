#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace Korvalden::Misc
{
namespace
{
/** The name a preset of this file name shows (and is sorted by): the name
    without its extension.  A folder shows its whole name. */
juce::String nameWithoutExtension (const juce::String& fileName)
{
    const int dot = fileName.lastIndexOfChar ('.');
    return dot > 0 ? fileName.substring (0, dot) : fileName;
}

bool isPresetName (const juce::String& fileName)
{
    return juce::File::areFileNamesCaseSensitive() ? fileName.endsWith (".prs") : fileName.endsWithIgnoreCase (".prs");
}

/** One entry of a folder listing. */
struct Entry
{
    juce::String fileName, shownName;
    dev_t device = 0;
    ino_t inode = 0;
};

/** The order of compareByName within one kind, then by file name so that
    equal names always come in the same order. */
void sortByShownName (std::vector<Entry>& entries)
{
    std::sort (entries.begin(), entries.end(), [] (const Entry& a, const Entry& b) {
        const int order = a.shownName.compare (b.shownName);
        return order != 0 ? order < 0 : a.fileName.compare (b.fileName) < 0;
    });
}
} // namespace

/** What one reading of a tree shares: the folders read so far (by device
    and inode), the number of items made, and the links to folders that wait
    until every folder lying in the tree has been read. */
class PresetManager::DirectoryItem::Walk
{
public:
    /** False when the folder was read already. */
    bool claimFolder (dev_t device, ino_t inode) { return folders.insert ({ device, inode }).second; }
    bool isClaimed (dev_t device, ino_t inode) const { return folders.count ({ device, inode }) != 0; }
    /** False when the tree is full: the folder's item is left out, and the
        first such folder is kept to be told. */
    bool takeItem (const juce::File& folder)
    {
        if (items >= maxItemsPerTree)
        {
            if (reached.itemLimitFolder == juce::File())
                reached.itemLimitFolder = folder;
            return false;
        }
        ++items;
        return true;
    }
    void noteDepthLimit (const juce::File& folder)
    {
        if (reached.depthLimitFolder == juce::File())
            reached.depthLimitFolder = folder;
    }

    struct PendingLink
    {
        DirectoryItem* parent;
        juce::File link;
        int depth;
    };
    std::deque<PendingLink> pendingLinks;
    LimitsReached reached;

private:
    std::set<std::pair<dev_t, ino_t>> folders;
    int items = 0;
};

PresetManager::DirectoryItem::DirectoryItem (const juce::File& folder, bool isReadOnly, const juce::String& name)
    : FileRepresentingItem (folder, isReadOnly), displayName (name)
{
    Walk walk;
    struct stat info {};
    if (::stat (folder.getFullPathName().toRawUTF8(), &info) != 0 || ! S_ISDIR (info.st_mode))
        return;
    walk.claimFolder (info.st_dev, info.st_ino);
    readFolder (walk, 0);

    // Links last: a folder that lies in the tree shows at its own place, and
    // a folder that two links lead to is read once.
    while (! walk.pendingLinks.empty())
    {
        const auto pending = walk.pendingLinks.front();
        walk.pendingLinks.pop_front();

        if (::stat (pending.link.getFullPathName().toRawUTF8(), &info) != 0 || ! S_ISDIR (info.st_mode)
            || ! walk.claimFolder (info.st_dev, info.st_ino) || ! walk.takeItem (pending.parent->getFile()))
            continue;
        insertSorted (*pending.parent, new DirectoryItem (pending.link, isReadOnly, walk, pending.depth));
    }
    limitsReached = walk.reached;
}

PresetManager::DirectoryItem::DirectoryItem (const juce::File& folder, bool isReadOnly, Walk& walk, int depth)
    : FileRepresentingItem (folder, isReadOnly)
{
    readFolder (walk, depth);
}

void PresetManager::DirectoryItem::readFolder (Walk& walk, int depth)
{
    auto* listing = ::opendir (file.getFullPathName().toRawUTF8());
    if (listing == nullptr)
        return;

    const int descriptor = ::dirfd (listing);
    std::vector<Entry> folders, links, presets;
    while (auto* entry = ::readdir (listing))
    {
        const char* name = entry->d_name;
        if (std::strcmp (name, ".") == 0 || std::strcmp (name, "..") == 0)
            continue;

        struct stat info {};
        auto type = entry->d_type;
        if (type == DT_UNKNOWN || type == DT_DIR)
        {
            if (::fstatat (descriptor, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR (info.st_mode) ? DT_DIR : S_ISLNK (info.st_mode) ? DT_LNK : DT_REG;
        }

        Entry found;
        found.fileName = juce::String::fromUTF8 (name);
        if (type == DT_DIR)
        {
            found.device = info.st_dev;
            found.inode = info.st_ino;
            folders.push_back (std::move (found));
            continue;
        }
        // A link leads to a folder or stands for a preset (even one that
        // leads nowhere, as any file of that name does).
        if (type == DT_LNK && ::fstatat (descriptor, name, &info, 0) == 0 && S_ISDIR (info.st_mode))
        {
            found.device = info.st_dev;
            found.inode = info.st_ino;
            links.push_back (std::move (found));
        }
        else if (isPresetName (found.fileName))
            presets.push_back (std::move (found));
    }
    ::closedir (listing);

    if (depth >= maxFolderDepth)
    {
        // A link back to a folder read already hides nothing.
        const bool hidesAFolder = ! folders.empty()
                                  || std::any_of (links.begin(), links.end(), [&walk] (const Entry& link)
                                                  { return ! walk.isClaimed (link.device, link.inode); });
        if (hidesAFolder)
            walk.noteDepthLimit (file);
        folders.clear();
        links.clear();
    }

    for (auto* kind : { &folders, &links, &presets })
    {
        for (auto& entry : *kind)
            entry.shownName = kind == &presets ? nameWithoutExtension (entry.fileName) : entry.fileName;
        sortByShownName (*kind);
    }

    // This folder's own items are counted before any below it, so a full
    // tree still shows the upper folders whole.
    std::vector<const Entry*> subFolders;
    for (auto& entry : folders)
        if (walk.claimFolder (entry.device, entry.inode) && walk.takeItem (file))
            subFolders.push_back (&entry);

    const auto prefix = file.getFullPathName() + (file.getFullPathName().endsWithChar ('/') ? "" : "/");
    for (auto& entry : presets)
    {
        if (! walk.takeItem (file))
            break;
        addSubItem (new FileItem (juce::File (prefix + entry.fileName), readOnly));
    }

    // Folders come before presets (compareByName).
    int position = 0;
    for (auto* entry : subFolders)
        addSubItem (new DirectoryItem (juce::File (prefix + entry->fileName), readOnly, walk, depth + 1), position++);

    for (auto& entry : links)
        walk.pendingLinks.push_back ({ this, juce::File (prefix + entry.fileName), depth + 1 });
}

juce::String PresetManager::DirectoryItem::getUniqueName() const
{
    return displayName.isNotEmpty() ? displayName : file.getFileName();
}

bool PresetManager::DirectoryItem::activate()
{
    auto* manager = getPresetManager();
    if (manager == nullptr || readOnly)
        return false;

    manager->setCurrentFolder (this);
    treeHasChanged();
    return false;
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
    const auto oldPath = item->getItemIdentifierString();
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
    item->indentRows();
    if (auto* manager = getPresetManager())
        manager->itemRenamedOrMoved (oldPath, item->getItemIdentifierString(), ! item->isPreset());
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
    treeHasChanged();
    if (auto* manager = getPresetManager())
    {
        manager->setCurrentFolder (item);
        manager->openRenameFieldWhenShown (*item);
    }
    return item;
}
} // namespace Korvalden::Misc
