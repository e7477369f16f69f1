#pragma once

#include "presets/PresetManager.h"

// The items of the preset tree: folders and ".prs" files below the file-tree
// root, and the favourites list with its entries.  Every item is owned by its
// parent and deleted with it.  Message thread only.

namespace Korvalden::Misc
{
/** The root of a tree ("PresetFiles", or the favourites list). */
class PresetManager::PresetTreeRootItem : public juce::TreeViewItem
{
public:
    PresetTreeRootItem (PresetManager& owner, const juce::String& uniqueName = "PresetFiles");

    bool mightContainSubItems() override { return true; }
    juce::String getUniqueName() const override { return name; }

    PresetManager& manager;

private:
    juce::String name;
};

/** What every row below a root has in common. */
class PresetManager::PresetTreeItemBase : public juce::TreeViewItem
{
public:
    bool mightContainSubItems() override { return ! isPreset(); }
    int getItemHeight() const override;
    bool canBeSelected() const override { return isPreset(); }
    /** The row of a tree view: PresetTreeComponent::ItemComponent. */
    std::unique_ptr<juce::Component> createItemComponent() override;
    /** The selection shows the loaded preset: a selection made any other way
        (a click beside the row, in the framework's indent) is put back. */
    void itemSelectionChanged (bool isNowSelected) override;

    virtual bool isPreset() const = 0;
    /** A preset loads and becomes current; a folder becomes the active
        folder.  True when a preset was loaded (never for a folder). */
    virtual bool activate() = 0;
    virtual void showPopupMenu() {}
    virtual bool isMovable() const { return false; }
    virtual bool canAcceptItem (PresetTreeItemBase*) { return false; }
    virtual void acceptItem (PresetTreeItemBase*) {}
    /** The favourite flag of a preset; null for folders. */
    virtual juce::Value* getFavoriteValue() { return nullptr; }

    /** The manager of the tree that holds this item, or null outside one. */
    PresetManager* getPresetManager() const;
    /** The root of the tree that holds this item, or null. */
    PresetTreeRootItem* getRootItem() const;
    /** Opens every ancestor and asks the owner view to show the item. */
    void scrollIntoView();
    /** Folders before presets, then names by code point, case-sensitively. */
    static int compareByName (juce::TreeViewItem* a, juce::TreeViewItem* b);
    /** Inserts the item after every child that compares equal or smaller. */
    static void insertSorted (juce::TreeViewItem& parent, PresetTreeItemBase* item);
    /** Sorts the parent's children by compareByName. */
    static void sortChildren (juce::TreeViewItem& parent);

    /** The row component the tree view made for this item, while it exists. */
    void setRowComponent (juce::Component* row) { rowComponent = row; }
    juce::Component* getRowComponent() const { return rowComponent.getComponent(); }
    /** The rows of the item and of everything below it take the indent of
        the item's place: the view keeps the row of an item that moved to
        another folder and gives it only its new height. */
    void indentRows();
    /** True while the row is on the screen at its full height, not cut off
        by the edges of its tree. */
    bool isRowShownWhole() const;

private:
    juce::Component::SafePointer<juce::Component> rowComponent;

    JUCE_DECLARE_WEAK_REFERENCEABLE (PresetTreeItemBase)
};

/** An item backed by a file or a folder.  An item whose file is no longer
    where the tree shows it (another program renamed, moved, deleted or
    replaced it) is neither renamed nor moved, nor moved into, and such a
    preset is not deleted: that would act on a file the user did not see, or
    on none.  The manager tells the user and shows its folder as it is now
    (itemChangedElsewhere). */
class PresetManager::FileRepresentingItem : public PresetManager::PresetTreeItemBase
{
public:
    /** identity: what told the entry's file from any other as its folder
        was read; not known: whatever lies at its path. */
    FileRepresentingItem (const juce::File& file, bool readOnly, const PresetFileSystem::Identity& identity = {});

    /** A preset's file name without ".prs"; a folder's whole name. */
    juce::String getUniqueName() const override { return isPreset() ? file.getFileNameWithoutExtension() : file.getFileName(); }
    void showPopupMenu() override;
    bool isMovable() const override;

    /** Opens the in-place editor over the item's row (right of its first
        button) when the row shows whole, else over the manager's name label; with
        neither nothing opens.  A confirmed name goes to renameTo. */
    void showRenameEditor();

    /** The in-place editor's set-up: only letters, digits, space and "_().",
        in colours derived from the row's (or the label's) text-editor
        background. */
    void prepareTextEditor (juce::TextEditor& editor);
    /** The in-place editor's text and its confirmed name (overwrite mode 0). */
    juce::String getEditText() const { return getUniqueName(); }
    void renameTo (const juce::String& newName) { moveOrRename (newName, 0); }

    /** Renames the file or folder in place.  Mode 0 asks the client when a
        preset of that name exists, 1 overwrites it, 2 keeps both under a
        numbered name.  Names that would leave the folder (".", "..", path
        separators) are refused.  A failed rename changes nothing on disk
        or in the tree.  Returns true when the item has its new name (or the
        question was asked). */
    bool moveOrRename (const juce::String& newName, int mode);
    /** The item's file moves into the new parent folder; children follow. */
    void relocateTo (const juce::File& newParentFolder);
    /** The item now stands for this file (after a move); children follow. */
    void changeFileTo (const juce::File& newFile);
    /** Whether the item's file is still where the tree shows it: the very
        file that was read there (its identity), not renamed, moved, deleted
        or replaced by another program since, also where a new file got the
        number of one that was deleted (PresetFileSystem::isStillAt).  One
        look-up of the path.  Message thread. */
    bool isWhereShown() const;
    /** The item stands for this entry of its folder, which another program
        renamed or replaced: its identity is kept; children follow.  Message
        thread. */
    void foundAt (const juce::File& newFile, const PresetFileSystem::Identity& found);
    /** The item's own file was renamed or moved here: what tells it from
        others is read again (where the file system keeps no birth time, the
        rename changed it).  Message thread. */
    void identifyAgain();
    /** Deletes the preset, or the folder when empty, and the item.  The
        current preset steps forward first.  False when the file stays. */
    bool deleteItem();

    const juce::File& getFile() const noexcept { return file; }
    /** What told its file from any other when it was read; not known when
        it was not. */
    const PresetFileSystem::Identity& getIdentity() const noexcept { return identity; }
    bool isReadOnly() const noexcept { return readOnly; }
    /** "Factory Presets" and "User Presets": never renamed, moved or deleted. */
    bool isTopLevel() const;

    /** The entries of the item's popup menu. */
    enum MenuChoice
    {
        renameChoice = 1,
        deleteChoice = 2,
        newFolderChoice = 3
    };
    /** Carries out a choice of the popup menu; 0 (dismissed) does nothing. */
    void handleMenuChoice (int choice);

    class PresetOverwriteRequest;

protected:
    juce::File file;
    const bool readOnly;
    PresetFileSystem::Identity identity;

private:
    /** Takes the item out of the tree without touching its file. */
    void removeFromTree();

    JUCE_DECLARE_WEAK_REFERENCEABLE (FileRepresentingItem)
};

/** The pending rename of an item: holds the target name and a weak pointer
    to the item, so it never outlives what it points to.  Owned by the
    manager; answered at most once. */
class PresetManager::FileRepresentingItem::PresetOverwriteRequest : public PresetManager::PresetClient::PresetOverwriteRequest
{
public:
    PresetOverwriteRequest (const juce::String& targetName, FileRepresentingItem& item);

    juce::String getPresetName() const override { return targetName; }
    void answer (bool overwrite) override;

private:
    juce::String targetName;
    juce::WeakReference<FileRepresentingItem> item;
    bool answered = false;
};

/** One ".prs" preset file with its favourite flag. */
class PresetManager::FileItem : public PresetManager::FileRepresentingItem,
                                private juce::Value::Listener
{
public:
    FileItem (const juce::File& file, bool readOnly, const PresetFileSystem::Identity& identity = {});
    ~FileItem() override;

    bool isPreset() const override { return true; }
    bool activate() override;
    juce::Value* getFavoriteValue() override { return &favorite; }

    /** Reads the file and hands it to the client; false changes nothing. */
    bool loadPreset();
    /** Sets the flag and delivers the change at once. */
    void setFavorite (bool on);
    bool isFavorite() const { return hasEntry; }
    /** The path an earlier version stored in the favourites file, by which
        the favourite was found; empty when the file holds the tree path. */
    const juce::String& getStoredFavoriteId() const noexcept { return storedFavoriteId; }
    void setStoredFavoriteId (const juce::String& id) { storedFavoriteId = id; }

private:
    /** A star the user set or cleared at a preset that is no longer where the
        tree shows it waits for the manager to find where it went
        (itemChangedElsewhere); it would name nothing, or a later preset of
        that name. */
    void valueChanged (juce::Value&) override;
    /** Makes or removes the entry as the flag says, and saves the change. */
    void deliverFavoriteFlag();

    friend class PresetManager;
    friend class FavoriteList;
    juce::Value favorite;
    bool hasEntry = false;
    juce::String storedFavoriteId;
    /** The list that holds this preset's entry, while it has one. */
    FavoriteList* favoriteList = nullptr;
};

/** A folder; reads its whole sub-tree when created. */
class PresetManager::DirectoryItem : public PresetManager::FileRepresentingItem
{
public:
    /** The most folders and presets one tree shows; what lies beyond is not read. */
    static constexpr int maxItemsPerTree = 150000;
    /** Folders deeper below the tree's top than this are not read. */
    static constexpr int maxFolderDepth = 32;

    /** Where reading stopped at a limit: the first folder that had items
        left out because the tree was full, and the first whose sub-folders
        lay below the depth limit; a default File for a limit not reached. */
    struct LimitsReached
    {
        juce::File itemLimitFolder, depthLimitFolder;
    };

    /** Reads the folder's whole sub-tree.  Every folder on disk (device and
        inode) is read once, at its own place when it lies in the tree, and
        links to folders are followed only after every folder that lies in
        the tree was read; so links never repeat or hide a folder.  Reading
        changes nothing on disk. */
    DirectoryItem (const juce::File& folder, bool readOnly, const juce::String& displayName, const PresetFileSystem::Identity& identity = {});

    juce::String getUniqueName() const override;
    bool isPreset() const override { return false; }
    bool activate() override;
    bool canAcceptItem (PresetTreeItemBase* item) override;
    /** Moves the item's file into this folder; never overwrites, never asks. */
    void acceptItem (PresetTreeItemBase* item) override;
    /** A new folder "New Folder" ("New Folder(2)" ...) that becomes active; null when it cannot be made. */
    DirectoryItem* createSubFolder();
    /** Reads the folder's own entries again and shows what it holds now.  A
        preset or folder that another program renamed (found by its
        identity, unless its file had other names when read) keeps its item, which takes the new name with its star, its
        place as current and what lies below it; an item whose entry went
        leaves the tree (a current preset among them leaves the sound as it
        is, with no preset current); a new entry gets an item.  Nothing is
        written and nothing outside the folder changes.  False when the
        folder cannot be read: it then stays as it is.  Message thread. */
    bool showWhatItHolds();
    /** The limits reached while this folder read its tree (kept by the
        folder that read it, the tree's top). */
    const LimitsReached& getLimitsReached() const noexcept { return limitsReached; }

private:
    class Walk;
    DirectoryItem (const juce::File& folder, bool readOnly, Walk& walk, int depth, const PresetFileSystem::Identity& identity);
    /** Lists the folder: its presets at once, its real sub-folders read
        depth-first, its links to folders left to the walk. */
    void readFolder (Walk& walk, int depth);

    juce::String displayName;
    LimitsReached limitsReached;
};

/** The favourites: a flat list of entries, sorted by name. */
class PresetManager::FavoriteList : public PresetManager::PresetTreeRootItem
{
public:
    explicit FavoriteList (PresetManager& owner) : PresetTreeRootItem (owner, "Favorites") {}

    /** Applies the first list named "Default" of type "Presets"; ids that do
        not resolve to a preset make no entry. */
    void readFavorites (const juce::XmlElement& root);
    /** Replaces the first such list's entries (or appends a new list); every
        other child of the root stays. */
    void writeFavorites (juce::XmlElement& root);
    /** Brings the first such list (a new one when there is none) up to date
        with what changed here since the last save (FavoriteChanges::applyTo);
        every other child stays.  False when nothing had to change. */
    static bool mergeFavorites (juce::XmlElement& root, const FavoriteChanges& changes);
    /** The tree paths of the entries' presets, in list order. */
    juce::StringArray getFavoriteIds() const;

    /** Called by a file item whose flag changed. */
    void addEntry (FileItem& target);
    void removeEntry (FileItem& target, bool reactivate);
    FavoriteItem* findEntry (const FileItem& target) const;
    /** Deletes every entry without touching the flags' listeners (the manager is going). */
    void forgetAllEntries();
};

/** One favourite: stands for a file item of the folder tree. */
class PresetManager::FavoriteItem : public PresetManager::PresetTreeItemBase
{
public:
    explicit FavoriteItem (FileItem& target) : target (target) {}

    juce::String getUniqueName() const override { return target.getUniqueName(); }
    bool isPreset() const override { return true; }
    /** Loads the target's preset and makes this entry current. */
    bool activate() override;
    juce::Value* getFavoriteValue() override { return target.getFavoriteValue(); }

    FileItem& target;
};
} // namespace Korvalden::Misc
