#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <unordered_map>
#include <unordered_set>
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

/** One entry of a folder listing: the folder's device and inode of what a
    folder or a link to a folder leads to, and what tells the entry's own
    file from any other. */
struct Entry
{
    juce::String fileName, shownName;
    dev_t device = 0;
    ino_t inode = 0;
    PresetFileSystem::Identity identity;
};

/** A folder's own entries by kind; presets are the ".prs" files and links
    that do not lead to a folder. */
struct Listing
{
    std::vector<Entry> folders, links, presets;
};

/** False when the folder cannot be read. */
bool listFolder (const juce::File& folder, Listing& listing)
{
    auto* handle = ::opendir (folder.getFullPathName().toRawUTF8());
    if (handle == nullptr)
        return false;

    const int descriptor = ::dirfd (handle);
    while (auto* entry = ::readdir (handle))
    {
        const char* name = entry->d_name;
        if (std::strcmp (name, ".") == 0 || std::strcmp (name, "..") == 0)
            continue;

        // Every entry that makes an item is looked at once, for its identity
        // (and its kind, where the listing does not tell it).
        Entry found;
        const auto listedInode = (juce::uint64) entry->d_ino;
        auto type = entry->d_type;
        if (type == DT_UNKNOWN || type == DT_DIR)
        {
            unsigned int mode = 0;
            found.identity = PresetFileSystem::identityAt (descriptor, name, listedInode, &mode);
            if (! found.identity.isKnown())
                continue;
            type = S_ISDIR (mode) ? DT_DIR : S_ISLNK (mode) ? DT_LNK : DT_REG;
        }
        found.fileName = juce::String::fromUTF8 (name);
        if (type == DT_DIR)
        {
            found.device = (dev_t) found.identity.device;
            found.inode = (ino_t) found.identity.inode;
            listing.folders.push_back (std::move (found));
            continue;
        }
        const bool isPreset = isPresetName (found.fileName);
        if (type != DT_LNK && ! isPreset)
            continue;
        if (! found.identity.isKnown())
            found.identity = PresetFileSystem::identityAt (descriptor, name, listedInode);

        struct stat info {};
        // A link leads to a folder or stands for a preset (even one that
        // leads nowhere, as any file of that name does).
        if (type == DT_LNK && ::fstatat (descriptor, name, &info, 0) == 0 && S_ISDIR (info.st_mode))
        {
            found.device = info.st_dev;
            found.inode = info.st_ino;
            listing.links.push_back (std::move (found));
        }
        else if (isPreset)
            listing.presets.push_back (std::move (found));
    }
    ::closedir (handle);
    return true;
}

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
        PresetFileSystem::Identity identity;
    };
    std::deque<PendingLink> pendingLinks;
    LimitsReached reached;

private:
    std::set<std::pair<dev_t, ino_t>> folders;
    int items = 0;
};

PresetManager::DirectoryItem::DirectoryItem (const juce::File& folder, bool isReadOnly, const juce::String& name,
                                             const PresetFileSystem::Identity& listed)
    : FileRepresentingItem (folder, isReadOnly, listed), displayName (name)
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
        insertSorted (*pending.parent, new DirectoryItem (pending.link, isReadOnly, walk, pending.depth, pending.identity));
    }
    limitsReached = walk.reached;
}

PresetManager::DirectoryItem::DirectoryItem (const juce::File& folder, bool isReadOnly, Walk& walk, int depth,
                                             const PresetFileSystem::Identity& listed)
    : FileRepresentingItem (folder, isReadOnly, listed)
{
    readFolder (walk, depth);
}

void PresetManager::DirectoryItem::readFolder (Walk& walk, int depth)
{
    Listing listing;
    if (! listFolder (file, listing))
        return;
    auto& folders = listing.folders;
    auto& links = listing.links;
    auto& presets = listing.presets;

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
        addSubItem (new FileItem (juce::File (prefix + entry.fileName), readOnly, entry.identity));
    }

    // Folders come before presets (compareByName).
    int position = 0;
    for (auto* entry : subFolders)
        addSubItem (new DirectoryItem (juce::File (prefix + entry->fileName), readOnly, walk, depth + 1, entry->identity), position++);

    for (auto& entry : links)
        walk.pendingLinks.push_back ({ this, juce::File (prefix + entry.fileName), depth + 1, entry.identity });
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

    // A preset or folder that another program renamed, moved or deleted is
    // not moved, nor anything into a folder that went.
    const bool itemShown = item->isWhereShown(), folderShown = isWhereShown();
    if (! itemShown || ! folderShown)
    {
        if (auto* manager = getPresetManager())
        {
            if (! itemShown)
                manager->itemChangedElsewhere (*item);
            if (! folderShown)
                manager->itemChangedElsewhere (*this);
        }
        return;
    }

    auto target = PresetFileSystem::freeSibling (file.getChildFile (item->getFile().getFileName()));
    const auto oldPath = item->getItemIdentifierString();
    const auto oldFile = item->getFile();
    const auto before = item->getIdentity();
    PresetManager::OwnChange change (getPresetManager());
    if (! PresetFileSystem::moveWithoutReplacing (oldFile, target))
        return;

    item->changeFileTo (target);
    item->identifyAgain();
    auto* oldParent = item->getParentItem();
    for (int index = 0; oldParent != nullptr && index < oldParent->getNumSubItems(); ++index)
        if (oldParent->getSubItem (index) == item)
        {
            oldParent->removeSubItem (index, false);
            break;
        }

    insertSorted (*this, item);
    change.moved (*item, oldFile, oldPath, before);
    change.done();
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

    auto* item = new DirectoryItem (folder, readOnly, {}, PresetFileSystem::identityOf (folder));
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

bool PresetManager::DirectoryItem::showWhatItHolds()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    Listing listing;
    if (! listFolder (file, listing))
        return false;

    struct Found
    {
        const Entry* entry;
        bool isFolder, claimed;
    };
    std::vector<Found> found;
    for (auto* kind : { &listing.folders, &listing.links, &listing.presets })
        for (auto& entry : *kind)
            found.push_back ({ &entry, kind != &listing.presets, false });

    struct NameHash
    {
        size_t operator() (const juce::String& name) const noexcept { return (size_t) name.hashCode64(); }
    };
    std::unordered_map<juce::String, size_t, NameHash> byName;
    std::unordered_multimap<juce::uint64, size_t> byInode;
    for (size_t index = 0; index < found.size(); ++index)
    {
        byName.emplace (found[index].entry->fileName, index);
        byInode.emplace (found[index].entry->identity.inode, index);
    }

    std::vector<FileRepresentingItem*> items;
    for (int index = 0; index < getNumSubItems(); ++index)
        if (auto* item = dynamic_cast<FileRepresentingItem*> (getSubItem (index)))
            items.push_back (item);
    auto* manager = getPresetManager();
    const auto numbers = manager != nullptr ? manager->getRowNumbers() : nullptr;

    // Each item finds the very file it was read from at its place; else that
    // file under the name another program renamed it to (a preset only when
    // it had no other name then, which may be a row of its own); else
    // whatever replaced it there: for a preset, a file made since it was
    // read (another program saved over it), not an older one renamed or
    // moved onto its name, nor the file of another row.  A star that waited
    // for the lock goes by the same rules (PresetFileSystem::whereNow).
    std::vector<Found*> matches (items.size(), nullptr);
    const auto take = [] (Found& candidate, const FileRepresentingItem& item)
    { return ! candidate.claimed && candidate.isFolder == ! item.isPreset(); };
    for (int pass = 0; pass < 3; ++pass)
        for (size_t index = 0; index < items.size(); ++index)
        {
            auto& item = *items[index];
            if (matches[index] != nullptr)
                continue;
            const auto& shown = item.getIdentity();
            Found* match = nullptr;
            if (pass == 1)
            {
                if (shown.isKnown() && (! item.isPreset() || shown.links <= 1))
                    for (auto [at, end] = byInode.equal_range (shown.inode); at != end && match == nullptr; ++at)
                        if (take (found[at->second], item) && PresetFileSystem::isSameFile (shown, found[at->second].entry->identity))
                            match = &found[at->second];
            }
            else if (const auto named = byName.find (item.getFile().getFileName()); named != byName.end())
            {
                auto& candidate = found[named->second];
                const auto& now = candidate.entry->identity;
                const bool sameFile = ! shown.isKnown() || PresetFileSystem::isSameFile (shown, now);
                const bool replaced = ! item.isPreset() || ! now.isKnown() || PresetFileSystem::isSavedOver (now, shown, numbers.get());
                if (take (candidate, item) && (sameFile || (pass == 2 && replaced)))
                    match = &candidate;
            }
            if (match != nullptr)
            {
                match->claimed = true;
                matches[index] = match;
            }
        }

    const auto prefix = file.getFullPathName() + (file.getFullPathName().endsWithChar ('/') ? "" : "/");
    std::unordered_set<FileRepresentingItem*> gone;
    for (size_t index = 0; index < items.size(); ++index)
    {
        auto* item = items[index];
        if (auto* match = matches[index])
        {
            item->foundAt (juce::File (prefix + match->entry->fileName), match->entry->identity);
            continue;
        }

        gone.insert (item);
    }

    // Gone: nothing is loaded in their place, and nothing is written.
    for (int position = getNumSubItems(); --position >= 0;)
        if (auto* item = dynamic_cast<FileRepresentingItem*> (getSubItem (position)); item != nullptr && gone.count (item) != 0)
        {
            if (manager != nullptr)
                manager->itemWillBeRemoved (*item, true);
            removeSubItem (position, true);
        }

    int added = 0;
    for (auto& entry : found)
    {
        if (entry.claimed)
            continue;
        if (++added > maxItemsPerTree)
            break;
        const juce::File entryFile (prefix + entry.entry->fileName);
        if (entry.isFolder)
            addSubItem (new DirectoryItem (entryFile, readOnly, {}, entry.entry->identity));
        else
            addSubItem (new FileItem (entryFile, readOnly, entry.entry->identity));
    }

    sortChildren (*this);
    treeHasChanged();
    if (manager != nullptr)
    {
        manager->rowsChanged();
        // Entries and the name label show the names as they are now.
        manager->getFavoriteList().treeHasChanged();
        manager->triggerAsyncUpdate();
    }
    return true;
}
} // namespace Korvalden::Misc
