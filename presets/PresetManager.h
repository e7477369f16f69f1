#pragma once

#include "presets/FavoriteChanges.h"
#include "presets/SaveLock.h"
#include "presets/SaveQueue.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace Korvalden::Misc
{
/** The model behind the preset browser: the tree of preset folders and ".prs"
    files (factory and user), the favourites, the loaded preset and whether it
    was changed since, stepping through presets and saving the current sound.

    It never touches parameters: everything about the sound goes through the
    PresetClient, which the engine implements.

    Folders: the factory root is <computer-wide Application Support>/Korvalden/
    Presets/<folder name> (else the bundle's copy) and read-only to the user;
    the user root is the same
    path below the user's Application Support folder.  A ".prs" file holds
    exactly the bytes of PresetClient::writePresetState; its name is the
    preset's name.

    Tree paths ("/PresetFiles/User Presets/Bass/Deep", "/Favorites/Deep") are
    the framework's item identifier strings; they name items in the plug-in
    state and the favourites file.

    Threads: message thread only, apart from setPresetUnmodified,
    isPresetModified, getStateItems and restoreStateItems, which any thread
    may call.
*/
class PresetManager : public juce::Button::Listener,
                      public juce::AsyncUpdater
{
public:
    class PresetTreeRootItem;
    class PresetTreeItemBase;
    class FileRepresentingItem;
    class FileItem;
    class DirectoryItem;
    class FavoriteList;
    class FavoriteItem;
    class PresetTreeComponent;

    /** What the manager needs of the engine. */
    class PresetClient
    {
    public:
        /** An existing preset is in the way of a rename: answer it once, at
            once or later on the message thread, and do not touch it after. */
        class PresetOverwriteRequest
        {
        public:
            virtual ~PresetOverwriteRequest() = default;
            /** The name of the preset that already exists. */
            virtual juce::String getPresetName() const = 0;
            /** Carries out the pending rename: true overwrites the other
                preset, false keeps both under a numbered name.  A second
                answer, or one after the item has gone, does nothing. */
            virtual void answer (bool overwrite) = 0;
        };

        virtual ~PresetClient();

        /** Replaces the block's content with the current sound as preset bytes. */
        virtual void writePresetState (juce::MemoryBlock& out) = 0;
        /** Applies a sound from preset bytes.  True when they held a preset
            and the sound is now that preset's; false when they were refused,
            and then nothing changed. */
        virtual bool readPresetState (const juce::MemoryBlock& in) = 0;
        /** The name a newly saved preset starts with. */
        virtual juce::String getDefaultPresetName() = 0;
        /** Decides whether an existing preset may be overwritten (see the request). */
        virtual void handlePresetOverwriteRequest (PresetOverwriteRequest* request) = 0;

    protected:
        /** Marks the current preset as modified; nothing without a manager.  Any thread. */
        void markCurrentPresetModified();

    private:
        friend class PresetManager;
        std::atomic<PresetManager*> attachedManager { nullptr };
    };

    /** The buttons and the name label that the editor lends. */
    class ControlButtonSet
    {
    public:
        virtual ~ControlButtonSet() = default;
        /** 0 reload, 1 previous, 2 next, 3 save; null for a button not lent. */
        virtual juce::Button* getControlButton (int index) = 0;
        virtual juce::Label* getPresetNameLabel() = 0;
    };

    /** The preset items of the plug-in state. */
    struct StateItems
    {
        std::unique_ptr<juce::XmlElement> openness;
        juce::String presetPath;
        juce::String folderPath;
        bool modified = false;
    };

    /** Reads the folders below the platform's factory and user preset folders
        (the user folder is created when missing) and attaches to the client. */
    PresetManager (PresetClient* client, const juce::String& folderName);
    /** The same over the given roots. */
    PresetManager (PresetClient* client, const juce::File& factoryRoot, const juce::File& userRoot);
    ~PresetManager() override;

    /** <Application Support>/Korvalden/Presets of the computer and of the user. */
    static juce::File getFactoryBaseFolder();
    static juce::File getUserBaseFolder();
    /** The computer-wide factory folder of the product; when it does not
        exist, the one the plug-in bundle carries in its resources
        (Korvalden/Presets/<folder name>), if that exists.  Any thread. */
    static juce::File getFactoryRootFor (const juce::String& folderName);

    //==============================================================================
    /** Takes the buttons and the name label from the editor; null changes nothing. */
    void setControlButtonSet (ControlButtonSet* set);
    void buttonClicked (juce::Button* button) override;

    /** Writes the current sound as a new preset into the active folder:
        "New Preset" (or the pending name while no preset is current), made
        unique as "New Preset(2)" and so on; no file is ever replaced, also
        not one that another instance saves meanwhile.  The new preset becomes
        the current one, and its rename field opens (openRenameFieldWhenShown).
        Nothing happens in a read-only folder.  A failed
        write leaves no item and shows "Write Error" with the file and why
        (PresetFileSystem::describeError; without an editor, on standard
        error).  Message thread. */
    void savePreset();
    /** Opens the item's rename field, holding the keyboard focus, once the
        tree has made its row and can show it whole, scrolled into view; over
        the name label when no tree shows or it is too low for a row. */
    void openRenameFieldWhenShown (FileRepresentingItem& item);

    /** Makes an item current after its preset was loaded; clears the modified flag. */
    void selectItem (PresetTreeItemBase* item);
    /** Makes an item current whose preset is the sound already; the
        modified flag stays. */
    void selectItemKeepingSound (PresetTreeItemBase* item);
    /** "*" loads the first preset of the tree; another path loads the preset
        there, or leaves no preset current with the path's last part as the
        pending name (also when the preset's file cannot be loaded).  Without
        loadFile the preset there only becomes current (the sound is already
        its own) and the modified flag stays.  A path the tree does not hold
        is kept for the plug-in state until another preset becomes current. */
    void selectPresetByPath (const juce::String& path, bool loadFile = true);
    PresetTreeItemBase* findItemByPath (const juce::String& path);
    /** Makes the writable folder at the path active; whole components only. */
    void setActiveFolderByPath (const juce::String& path);

    /** Walks the tree in display order from the item and loads the next or
        previous preset, wrapping around at the ends of its tree; presets
        that do not load are passed by. */
    void stepPreset (PresetTreeItemBase* from, bool backwards);
    void activateFirstOrLastPreset (PresetTreeItemBase* item, bool last);

    /** Any thread: the modified flag becomes !unmodified; a change requests a refresh. */
    void setPresetUnmodified (bool unmodified);
    /** Any thread. */
    bool isPresetModified() const noexcept { return modified.load(); }

    /** Refreshes the name label and the reload button. */
    void handleAsyncUpdate() override;

    //==============================================================================
    /** The plug-in state's preset items of the current tree.  Any thread:
        off the message thread, as the message thread last refreshed them, or
        as a restore that the message thread has not reached yet left them. */
    StateItems getStateItems() const;
    /** Restores them: the modified flag at once, the tree on the message
        thread (at once there, else later).  A state that brings its own sound
        only selects its preset; one without loads the preset's file.  A state
        saved at any moment afterwards carries the restored items.  Any thread. */
    void restoreStateItems (StateItems items, bool stateHasItsOwnSound);

    /** When a save of the favourites happens, which bounds its wait for
        another process's turn at the file: none on the message thread at a
        change or a retry (a save that cannot take its turn at once waits on
        SaveQueue's thread), at most about 2 s when the instance goes. */
    using FavoritesSave = SaveLock::Moment;

    /** Reads the favourites file (the first "Default" list).  saveFavorites
        writes only what this instance changed since (FavoriteChanges) into
        the file as it is now, keeping every other entry and list: those of
        other instances and ids that name no preset here; the file lists its
        entries by name, as the favourites list shows them.  The read, the
        merge and the rename take turns with every other save of the file, in
        any process (SaveQueue): a save that cannot take its turn at once has
        not failed, it waits for it off the message thread and lands as soon
        as it gets it, in no order that can be relied on among processes.  So
        a star that waited never sets back the same star that another process
        changed later and saved first (RecentChanges), and one that lands
        after another program renamed, moved or deleted its preset follows it
        there or is told as not kept (favoriteMarked).  A wait that lasts is
        told once (tellSaveWaiting), and only when the user changed the
        favourites.  A file that exists but cannot be read is never replaced:
        saving then fails, and the user hears of it once per instance (when
        an editor is open, else when the next one opens).  A change that would take the
        file past what loadFavorites reads is not kept: the star it set is
        cleared again and the user is told at once what is not kept, while
        the changes around it are saved.  Any other failed save is told once,
        until a save succeeds (tellSaveFailure); the changes stay, and are
        tried again every second until they are saved.  A save when the
        instance goes waits at most about 2 s; what it could not save is told
        on standard error with how many changes are lost.  Returns true when
        nothing is left to save.  Message thread. */
    void loadFavorites (const juce::File& file);
    bool saveFavorites (const juce::File& file, FavoritesSave when = FavoritesSave::atChange);
    /** The favourites may have changed here: what changed is saved at once
        into the file that loadFavorites read, so that a host that goes down
        loses none.  Nothing happens before a file was read, while it is read,
        or while the manager goes.  Message thread. */
    void favoritesChanged();
    /** A star was set (on) or cleared at the preset with the tree path id;
        saved at once.  A cleared star also goes from the id the file held
        for it when that is another (storedId).  With the preset's identity
        (a click at its row), a star that lands after this instance or
        another program renamed or moved the preset goes where it went, one
        whose preset was deleted here goes with it, and one set at a preset
        that another program took away by then is not kept, which the user
        is told (FavoriteChanges::followPresets).  Message thread. */
    void favoriteMarked (const juce::String& id, bool on, const juce::String& storedId = {},
                         const FavoriteChanges::Identity& preset = {});
    /** The preset (or with isFolder, the folder) at the tree path from was
        renamed or moved to the path to, or deleted when to is empty: the
        favourites file follows, also for the marks of other instances; saved
        at once.  A favourite that the file holds under another id (an
        earlier version's path) moves under that id.  Message thread. */
    void favoritesMoved (const juce::String& from, const juce::String& to, bool isFolder);

    /** One line for each limit at which reading a preset tree stopped,
        naming the limit and the folder where it was reached; empty when
        every preset was read.  An open editor hears of them once per
        instance, through the failure alert.  Message thread. */
    juce::StringArray getTreeLimitsReached() const;

    /** How a failure reaches the user (title, text).  The default shows a
        native alert when there is a screen (WarningAlert), which belongs to
        the editor, stays in front of the windows it blocks and gives the
        keyboard focus back when it closes.  It is called only while an
        editor has lent its name label.  Message thread. */
    using FailureAlert = std::function<void (const juce::String& title, const juce::String& text)>;
    void setFailureAlert (FailureAlert alert);

    /** Tells the user that a file of theirs could not be saved and why: the
        "Write Error" alert while an editor is open, else a line on standard
        error (where a command-line host shows it).  Message thread. */
    void tellSaveFailure (const juce::File& file, const juce::String& reason);
    /** Tells the user that a save of the file has waited a while for another
        program to let go of its folder, and that the changes are kept and
        saved as soon as it does; where tellSaveFailure tells.  Message thread. */
    void tellSaveWaiting (const juce::File& file);

    /** The browser panel over the trees: the one that exists, else a new one.
        The caller adds it to its window, which owns it; the manager deletes
        it only if it still exists when the manager goes. */
    PresetTreeComponent* createTreeComponent();
    PresetTreeComponent* getTreeComponent() const noexcept;

    //==============================================================================
    PresetClient* getClient() const noexcept { return client; }
    PresetTreeRootItem& getFileTreeRoot() noexcept;
    FavoriteList& getFavoriteList() noexcept { return *favorites; }
    DirectoryItem* getFactoryFolderItem() const noexcept { return factoryFolder; }
    DirectoryItem* getUserFolderItem() const noexcept { return userFolder; }
    /** Never an item that has left the tree. */
    DirectoryItem* getCurrentFolder() const noexcept;
    PresetTreeItemBase* getCurrentItem() const noexcept { return currentItem.get(); }
    const juce::String& getPendingPresetName() const noexcept { return pendingPresetName; }
    const juce::File& getFactoryRoot() const noexcept { return factoryRoot; }
    const juce::File& getUserRoot() const noexcept { return userRoot; }
    juce::Label* getPresetNameLabel() const noexcept { return nameLabel.getComponent(); }
    int getItemHeight() const noexcept { return itemHeight; }
    void setItemHeight (int height) noexcept { itemHeight = height; }

    /** The text the name label shows: the current preset's name, "*" in front
        when modified; "*" and the pending name while no preset is current. */
    juce::String getDisplayName() const;

    /** For the items: the current folder changes (never to a read-only one);
        a request is kept alive until the manager goes. */
    void setCurrentFolder (DirectoryItem* folder);
    void clearCurrentItem();
    /** An item and its sub-tree are about to leave the tree: the current
        folder moves to the item's parent folder, and a current preset among
        them (or a favourite standing for one) steps forwards from the item;
        should the step end among them again, none is current.  With
        keepSound (their files went elsewhere), nothing is loaded: no preset
        is current, and the current one's name is the pending name. */
    void itemWillBeRemoved (PresetTreeItemBase& item, bool keepSound = false);
    /** The numbers of the rows of the file tree as it shows them now
        (PresetFileSystem::RowNumbers), for telling a preset saved over under
        its name from another row's moved there: made when first asked after
        the rows changed, and shared with what looks at a row's file later on
        another thread (a star that waits).  Message thread. */
    std::shared_ptr<const PresetFileSystem::RowNumbers> getRowNumbers();
    /** A row of the file tree came or went, or what tells its file apart
        changed.  Message thread. */
    void rowsChanged() noexcept { rowNumbers.reset(); }

    /** The user set or cleared the star of (starChanged), or renamed, moved,
        deleted or moved something into, an item whose file is no longer
        where the tree shows it: another program renamed, moved, deleted or
        replaced it.  Nothing was done or written for it.  On the next turn
        of the message loop, its folder (or the nearest one above it that is
        still where shown) shows what it holds now (showWhatItHolds); a star
        then goes to the preset where it went when the item found it there
        by its identity (or to a file made since under its name that is no
        other row's: saved over), as a star that waited for the lock would
        (PresetFileSystem::whereNow), and is saved; otherwise the star is put back, and the
        user is told, through the failure alert while an editor is open,
        that another program changed it and that the folder now shows what
        it holds.  Message thread. */
    void itemChangedElsewhere (FileRepresentingItem& item, bool starChanged = false);
    /** An item was renamed or moved from the path \p from to \p to: the
        name label, the favourites' rows and the favourites file follow at
        once (a favourite's path is its id).  Message thread. */
    void itemRenamedOrMoved (const juce::String& from, const juce::String& to, bool isFolder);
    void adoptOverwriteRequest (PresetClient::PresetOverwriteRequest* request);
    bool isClosing() const noexcept { return closing; }

private:
    struct DeferredRestore;
    struct RenameWhenShown;

    void build();
    void applyStateItems (const StateItems& items, bool loadPresetFile, bool restoreModifiedFlag);
    void updateStateSnapshot() const;
    bool showFailureAlert (const juce::String& title, const juce::String& text) const;
    void reportFavoritesFileProblem (const juce::File& file);
    void showPendingFavoritesFileProblem();
    void showPendingTreeLimits();
    struct FavoritesOutbox;
    struct FavoritesReport;

    /** A rename, move or deletion of a preset or folder that this instance
        makes on disk itself, told from just before it begins until it has
        ended: a star that a save took meanwhile, and saves on another thread
        (while it waits for the lock, or as it is written), follows the
        preset there, or is dropped with it, instead of counting it as gone
        with another program's doing (FavoriteChanges::followPresets).  Made
        on the stack around the file operation, which is all that comes
        between its making and done.  Message thread. */
    class OwnChange
    {
    public:
        /** Without a manager nothing is told. */
        explicit OwnChange (PresetManager* manager);
        /** Ends the change: what was not told as made was not. */
        ~OwnChange();

        /** item was renamed or moved from the file and tree path it had
            (fromFile, from), where before told its file apart. */
        void moved (const FileRepresentingItem& item, const juce::File& fromFile, const juce::String& from,
                    const PresetFileSystem::Identity& before);
        /** The preset or folder at file and the tree path was deleted, or
            replaced by another one renamed onto its name. */
        void deleted (const juce::File& file, const juce::String& path, const PresetFileSystem::Identity& before, bool isFolder);
        /** Ends the change now, before what follows it (the favourites'
            saves among them). */
        void done();

    private:
        std::shared_ptr<FavoritesOutbox> outbox;
        std::uint64_t order = 0;
        std::vector<FavoriteChanges::OwnMove> made;

        JUCE_DECLARE_NON_COPYABLE (OwnChange)
    };

    void openFavoritesOutbox();
    /** Takes the outbox out of the save queue: what it holds is not saved. */
    void closeFavoritesOutbox();
    /** Keeps what failed for the next save; tells it when tell is set (the
        user changed the favourites) and it was not told already. */
    bool failFavoritesSave (const juce::File& file, const juce::String& reason, bool tryAgain, bool tell = true);
    /** What the saves made meanwhile did: told, and shown in the tree. */
    void favoritesSaved (bool atClose = false);
    void handleFavoritesReport (const FavoritesReport& report, bool atClose);
    /** Clears the stars that notKept set and tells why they are not kept:
        a write error, or (changedElsewhere) another program changed their
        presets. */
    void refuseFavoriteChanges (const juce::File& file, const juce::String& reason, const std::vector<FavoriteChanges::Change>& notKept,
                                bool changedElsewhere = false);
    void checkFavoritesWait();
    /** The stars waiting here that a move to the tree path to carried
        follow their presets from where the tree shows them now.  Under
        SaveQueue::lockClients(), together with the move, so that no turn
        takes the one without the other. */
    void identifyMovedMarks (const juce::String& to, bool isFolder);
    /** Not while the favourites are read, a refused change is taken back or
        the manager goes: a change of the flag then is the user's. */
    bool takesUserFavoriteChanges() const noexcept { return ! readingFavorites && ! refusingFavorites && ! closing; }
    /** What itemChangedElsewhere left for this turn of the message loop. */
    void showChangesElsewhere();
    /** Shows the folder of each item that is no longer where the tree shows
        it as the folder is now (or the nearest one above that still is).
        Returns the sentence that tells which folders now show what they
        hold; empty when none was shown again.  Message thread. */
    juce::String showFoldersOf (const std::vector<juce::WeakReference<FileRepresentingItem>>& items);

    /** Tries an unsaved change of the favourites again until it is saved,
        and tells a wait for the file's turn that lasts. */
    struct FavoritesTimer final : public juce::Timer
    {
        FavoritesTimer (PresetManager& owner, void (PresetManager::*callback)()) : manager (owner), call (callback) {}
        void timerCallback() override { (manager.*call)(); }
        PresetManager& manager;
        void (PresetManager::*call)();
    };
    void retryFavoritesSave();

    /** A change that itemChangedElsewhere left for a later turn. */
    struct ChangeElsewhere
    {
        juce::WeakReference<FileRepresentingItem> item;
        /** The item's name and tree path when the user changed it. */
        juce::String name, path;
        bool starChanged = false;
    };
    /** Calls showChangesElsewhere on a later turn of the message loop. */
    struct ElsewhereTurn final : public juce::AsyncUpdater
    {
        explicit ElsewhereTurn (PresetManager& owner) : manager (owner) {}
        ~ElsewhereTurn() override { cancelPendingUpdate(); }
        void handleAsyncUpdate() override { manager.showChangesElsewhere(); }
        PresetManager& manager;
    };

    std::unique_ptr<PresetTreeRootItem> fileTreeRoot;
    std::shared_ptr<const PresetFileSystem::RowNumbers> rowNumbers;
    std::unique_ptr<FavoriteList> favorites;
    PresetClient* client = nullptr;
    juce::File factoryRoot, userRoot;
    DirectoryItem* factoryFolder = nullptr;
    DirectoryItem* userFolder = nullptr;
    // Weak: an item deleted with its folder can never be reached through these.
    juce::WeakReference<FileRepresentingItem> currentFolder;
    juce::WeakReference<PresetTreeItemBase> currentItem;
    std::atomic<bool> modified { false };
    juce::String pendingPresetName;
    /** A restored preset path that names no item here, while no item is current. */
    juce::String pendingPresetPath;
    juce::Component::SafePointer<juce::Button> reloadButton, previousButton, nextButton, saveButton;
    juce::Component::SafePointer<juce::Label> nameLabel;
    juce::Component::SafePointer<juce::Component> treeComponent;
    int itemHeight = 20;
    /** What changed here since the favourites were last read or saved, as
        the save queue takes it. */
    std::shared_ptr<FavoritesOutbox> favoritesOutbox;
    juce::File favoritesFile;
    bool readingFavorites = false, refusingFavorites = false;
    FavoritesTimer favoritesRetry { *this, &PresetManager::retryFavoritesSave };
    FavoritesTimer favoritesWaitWatch { *this, &PresetManager::checkFavoritesWait };
    std::vector<ChangeElsewhere> changesElsewhere;
    ElsewhereTurn elsewhereTurn { *this };
    juce::File unreadableFavoritesFile;
    bool favoritesProblemPending = false, favoritesProblemShown = false;
    bool favoritesSaveFailureTold = false, favoritesWaitTold = false;
    juce::uint32 favoritesWaitingSince = 0;
    juce::String lastFavoritesFailure;
    FailureAlert failureAlert;
    bool treeLimitsPending = false;
    juce::OwnedArray<PresetClient::PresetOverwriteRequest> overwriteRequests;
    std::unique_ptr<DeferredRestore> deferredRestore;
    std::unique_ptr<RenameWhenShown> renameWhenShown;
    juce::CriticalSection snapshotLock;
    mutable StateItems snapshot;
    /** Guarded by snapshotLock: a restore from another thread waits for the
        message thread, and the snapshot holds what it restores meanwhile. */
    bool restorePending = false;
    juce::uint32 restoreCount = 0;
    bool closing = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetManager)
};
} // namespace Korvalden::Misc
