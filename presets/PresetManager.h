#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>

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
        /** Applies a sound from preset bytes. */
        virtual void readPresetState (const juce::MemoryBlock& in) = 0;
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
        not one that another instance saves meanwhile.  Nothing happens in a
        read-only folder.  A failed write leaves no item and shows "Write Error". */
    void savePreset();

    /** Makes an item current after its preset was loaded; clears the modified flag. */
    void selectItem (PresetTreeItemBase* item);
    /** "*" loads the first preset of the tree; another path loads the preset
        there, or leaves no preset current with the path's last part as the
        pending name.  Loads the file only when loadFile is set. */
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
        off the message thread, as the message thread last refreshed them. */
    StateItems getStateItems() const;
    /** Restores them.  On the message thread at once, reading the preset's
        file; from another thread on the message thread later, selecting the
        preset without reading its file when the state brings its own sound
        (already applied by then).  Any thread. */
    void restoreStateItems (StateItems items, bool stateHasItsOwnSound);

    /** Reads the favourites file (the first "Default" list) and, at
        saveFavorites, writes it when the favourites differ from what was
        read, keeping every other list in it. */
    void loadFavorites (const juce::File& file);
    bool saveFavorites (const juce::File& file);

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
    DirectoryItem* getCurrentFolder() const noexcept { return currentFolder; }
    PresetTreeItemBase* getCurrentItem() const noexcept { return currentItem; }
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
    void clearCurrentItem() noexcept { currentItem = nullptr; }
    void adoptOverwriteRequest (PresetClient::PresetOverwriteRequest* request);
    bool isClosing() const noexcept { return closing; }

private:
    struct DeferredRestore;

    void build();
    void applyStateItems (const StateItems& items, bool loadPresetFile);
    void updateStateSnapshot() const;
    void showWriteError() const;

    std::unique_ptr<PresetTreeRootItem> fileTreeRoot;
    std::unique_ptr<FavoriteList> favorites;
    PresetClient* client = nullptr;
    juce::File factoryRoot, userRoot;
    DirectoryItem* factoryFolder = nullptr;
    DirectoryItem* userFolder = nullptr;
    DirectoryItem* currentFolder = nullptr;
    PresetTreeItemBase* currentItem = nullptr;
    std::atomic<bool> modified { false };
    juce::String pendingPresetName;
    juce::Component::SafePointer<juce::Button> reloadButton, previousButton, nextButton, saveButton;
    juce::Component::SafePointer<juce::Label> nameLabel;
    juce::Component::SafePointer<juce::Component> treeComponent;
    int itemHeight = 20;
    juce::StringArray favoritesAsRead;
    juce::OwnedArray<PresetClient::PresetOverwriteRequest> overwriteRequests;
    std::unique_ptr<DeferredRestore> deferredRestore;
    juce::CriticalSection snapshotLock;
    mutable StateItems snapshot;
    bool closing = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetManager)
};
} // namespace Korvalden::Misc
