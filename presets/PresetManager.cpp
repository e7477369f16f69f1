#include "presets/PresetManager.h"

#include "engine/UntrustedXml.h"
#include "gui/InplaceTextEditor.h"
#include "gui/WarningAlert.h"
#include "platform/ApplicationSupport.h"
#include "platform/BundleResources.h"
#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeComponent.h"
#include "presets/PresetTreeItems.h"

namespace Korvalden::Misc
{
/** A state restored on another thread waits here for the message thread. */
struct PresetManager::DeferredRestore : public juce::AsyncUpdater
{
    explicit DeferredRestore (PresetManager& owner) : manager (owner) {}
    ~DeferredRestore() override { cancelPendingUpdate(); }

    void handleAsyncUpdate() override
    {
        StateItems items;
        bool loadFile = false;
        juce::uint32 count = 0;
        {
            const juce::ScopedLock lock (manager.snapshotLock);
            if (! manager.restorePending)
                return;
            items = std::move (pending);
            loadFile = loadPresetFile;
            count = manager.restoreCount;
        }

        // The restoring thread set the modified flag already; edits made
        // since then stand, unless a preset file is read now.
        manager.applyStateItems (items, loadFile, loadFile);

        {
            const juce::ScopedLock lock (manager.snapshotLock);
            if (manager.restoreCount != count)
                return; // a newer restore waits; it is the one to be saved
            manager.restorePending = false;
        }
        manager.updateStateSnapshot();
    }

    PresetManager& manager;
    StateItems pending;       // guarded by the manager's snapshotLock
    bool loadPresetFile = false;
};

/** The rename field of a preset just saved or a folder just made.  It opens
    once the tree shows the item's whole row: the tree places its rows, and
    selects the loaded preset (which takes the keyboard focus), on later
    turns of the message loop, and a field opened before them would find no
    row, scroll to where the row is not yet, or lose the focus at once.  The
    keys typed from the click on go into the field as it opens. */
struct PresetManager::RenameWhenShown : public juce::AsyncUpdater
{
    explicit RenameWhenShown (PresetManager& ownerToUse) : owner (ownerToUse) {}
    ~RenameWhenShown() override { cancelPendingUpdate(); }

    void open (FileRepresentingItem& itemToName)
    {
        for (auto* parent = itemToName.getParentItem(); parent != nullptr; parent = parent->getParentItem())
            parent->setOpen (true);
        item = &itemToName;
        turnsLeft = maxTurns;
        // What is typed from now on goes into the name, however soon.
        if (auto* label = owner.getPresetNameLabel(); label != nullptr && typedAhead == nullptr)
            typedAhead = std::make_unique<GUI::InplaceTextEditor::KeysTypedAhead> (*label);
        triggerAsyncUpdate();
    }

    void handleAsyncUpdate() override
    {
        auto* named = item.get();
        if (named == nullptr)
        {
            typedAhead.reset();
            return;
        }

        // Without a tree on the screen, or in one too low for a whole row,
        // the field opens over the name label.
        auto* view = named->getOwnerView();
        const bool rowCanShow = view != nullptr && view->isShowing()
                                && view->getViewport()->getViewHeight() >= named->getItemHeight();
        if (rowCanShow && ! named->isRowShownWhole())
        {
            // The tree has placed the new row by now: it can be scrolled to.
            named->scrollIntoView();
            if (--turnsLeft > 0)
            {
                triggerAsyncUpdate();
                return;
            }
        }

        item = nullptr;
        named->showRenameEditor();
        if (typedAhead != nullptr)
            typedAhead->handTo (dynamic_cast<juce::TextEditor*> (juce::Component::getCurrentlyFocusedComponent()));
        typedAhead.reset();
    }

    static constexpr int maxTurns = 20;
    PresetManager& owner;
    juce::WeakReference<FileRepresentingItem> item;
    std::unique_ptr<GUI::InplaceTextEditor::KeysTypedAhead> typedAhead;
    int turnsLeft = 0;
};

PresetManager::PresetClient::~PresetClient()
{
    if (auto* manager = attachedManager.load())
        manager->client = nullptr;
}

void PresetManager::PresetClient::markCurrentPresetModified()
{
    if (auto* manager = attachedManager.load())
        manager->setPresetUnmodified (false);
}

//==============================================================================
juce::File PresetManager::getFactoryBaseFolder()
{
    return Platform::getComputerApplicationSupportFolder().getChildFile ("Korvalden/Presets");
}

juce::File PresetManager::getUserBaseFolder()
{
    return Platform::getUserMakerFolder().getChildFile ("Presets");
}

juce::File PresetManager::getFactoryRootFor (const juce::String& folderName)
{
    auto installed = getFactoryBaseFolder().getChildFile (folderName);
    if (installed.isDirectory())
        return installed;

    // A bundle that was never installed still offers the presets it carries.
    auto carried = Platform::getBundleResourceFolder().getChildFile ("Korvalden/Presets").getChildFile (folderName);
    return carried.isDirectory() ? carried : installed;
}

PresetManager::PresetManager (PresetClient* presetClient, const juce::String& folderName)
    : PresetManager (presetClient, getFactoryRootFor (folderName), getUserBaseFolder().getChildFile (folderName))
{
}

PresetManager::PresetManager (PresetClient* presetClient, const juce::File& factory, const juce::File& user)
    : client (presetClient), factoryRoot (factory), userRoot (user)
{
    openFavoritesOutbox();
    favorites = std::make_unique<FavoriteList> (*this);
    fileTreeRoot = std::make_unique<PresetTreeRootItem> (*this);

    if (factoryRoot.isDirectory())
    {
        factoryFolder = new DirectoryItem (factoryRoot, true, "Factory Presets");
        fileTreeRoot->addSubItem (factoryFolder);
    }

    if (! userRoot.isDirectory())
        userRoot.createDirectory(); // a failure shows when a save fails

    userFolder = new DirectoryItem (userRoot, false, "User Presets");
    fileTreeRoot->addSubItem (userFolder);
    currentFolder = userFolder;

    // The alert belongs to the editor whose name label is lent (it is only
    // called while one is).
    failureAlert = [this] (const juce::String& title, const juce::String& text)
    {
        if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
            return;
        juce::LookAndFeel::getDefaultLookAndFeel().setUsingNativeAlertWindows (true);
        Korvalden::GUI::WarningAlert::show (title, text, nameLabel.getComponent());
    };

    treeLimitsPending = ! getTreeLimitsReached().isEmpty();
    favorites->setOpen (true);
    updateStateSnapshot();
    deferredRestore = std::make_unique<DeferredRestore> (*this);
    renameWhenShown = std::make_unique<RenameWhenShown> (*this);

    if (client != nullptr)
        client->attachedManager = this;
}

PresetManager::~PresetManager()
{
    closing = true;
    closeFavoritesOutbox();
    cancelPendingUpdate();
    deferredRestore.reset();
    renameWhenShown.reset();
    elsewhereTurn.cancelPendingUpdate();
    changesElsewhere.clear();

    if (client != nullptr)
        client->attachedManager = nullptr;

    for (auto* button : { reloadButton.getComponent(), previousButton.getComponent(), nextButton.getComponent(), saveButton.getComponent() })
        if (button != nullptr)
            button->removeListener (this);

    // A panel still open shows the trees that go now; it goes first.
    delete treeComponent.getComponent();

    // Pending questions lose their item with the tree; they go first.
    overwriteRequests.clear();
    favorites->forgetAllEntries();
    favorites.reset();
    currentItem = nullptr;
    currentFolder = nullptr;
    fileTreeRoot.reset();
}

PresetManager::PresetTreeRootItem& PresetManager::getFileTreeRoot() noexcept
{
    return *fileTreeRoot;
}

//==============================================================================
void PresetManager::setControlButtonSet (ControlButtonSet* set)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (set == nullptr)
        return;

    for (auto* button : { reloadButton.getComponent(), previousButton.getComponent(), nextButton.getComponent(), saveButton.getComponent() })
        if (button != nullptr)
            button->removeListener (this);

    reloadButton = set->getControlButton (0);
    previousButton = set->getControlButton (1);
    nextButton = set->getControlButton (2);
    saveButton = set->getControlButton (3);
    nameLabel = set->getPresetNameLabel();

    if (reloadButton != nullptr)
        reloadButton->setEnabled (isPresetModified());
    if (nameLabel != nullptr && currentItem != nullptr)
        nameLabel->setText (getDisplayName(), juce::dontSendNotification);

    for (auto* button : { reloadButton.getComponent(), previousButton.getComponent(), nextButton.getComponent(), saveButton.getComponent() })
        if (button != nullptr)
            button->addListener (this);

    triggerAsyncUpdate();
    showPendingFavoritesFileProblem();
    showPendingTreeLimits();
}

void PresetManager::buttonClicked (juce::Button* button)
{
    if (button == nullptr)
        return;

    if (button == previousButton.getComponent() && currentItem != nullptr)
        stepPreset (currentItem, true);
    else if (button == nextButton.getComponent() && currentItem != nullptr)
        stepPreset (currentItem, false);
    else if (button == reloadButton.getComponent() && currentItem != nullptr)
        currentItem->activate();
    else if (button == saveButton.getComponent())
        savePreset();
}

void PresetManager::savePreset()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (client == nullptr || currentFolder == nullptr || currentFolder->isReadOnly())
        return;

    // A fresh instance has no pending name: it saves under the default name
    // rather than as ".prs"; so does a name that would leave the folder.
    auto name = (currentItem != nullptr ? client->getDefaultPresetName() : pendingPresetName).trim();
    if (! PresetFileSystem::isAcceptableName (name))
        name = client->getDefaultPresetName().trim();
    if (! PresetFileSystem::isAcceptableName (name))
        name = "New Preset";

    // A folder deleted outside gives way to the nearest one above it that
    // still exists; the user folder itself is made again, as at start.
    auto* folder = getCurrentFolder();
    if (folder == nullptr)
        return;
    while (! folder->getFile().isDirectory())
    {
        auto* parent = dynamic_cast<DirectoryItem*> (folder->getParentItem());
        if (parent == nullptr)
        {
            folder->getFile().createDirectory();
            break;
        }
        folder = parent;
    }
    setCurrentFolder (folder);

    // Another instance may save into the same folder at any moment: the name
    // is chosen only as the finished file is put in place, and a name taken
    // meanwhile gives way to the next free one.
    juce::MemoryBlock block;
    client->writePresetState (block);
    const auto wanted = folder->getFile().getChildFile (name + ".prs");
    const auto target = PresetFileSystem::writeNewFile (wanted, block.getData(), block.getSize());
    if (target == juce::File())
    {
        const auto reason = PresetFileSystem::describeError (errno);
        if (! showFailureAlert ("Write Error", "File could not be written!\n" + wanted.getFullPathName() + "\n\n" + reason + "."))
            PresetFileSystem::printSaveFailure (wanted, reason);
        return;
    }

    auto* item = new FileItem (target, false, PresetFileSystem::identityOf (target));
    PresetTreeItemBase::insertSorted (*folder, item);
    folder->treeHasChanged();
    item->activate();
    openRenameFieldWhenShown (*item);
}

void PresetManager::openRenameFieldWhenShown (FileRepresentingItem& item)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    renameWhenShown->open (item);
}

bool PresetManager::showFailureAlert (const juce::String& title, const juce::String& text) const
{
    // Only an open editor has someone to tell.
    if (nameLabel == nullptr || failureAlert == nullptr)
        return false;

    failureAlert (title, text);
    return true;
}

void PresetManager::tellSaveFailure (const juce::File& file, const juce::String& reason)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (! showFailureAlert ("Write Error", "File could not be written!\n" + file.getFullPathName() + "\n\n" + reason
                                               + "\n\nThe changes are kept while Kest runs and saved when it can."))
        PresetFileSystem::printSaveFailure (file, reason);
}

void PresetManager::tellSaveWaiting (const juce::File& file)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    const auto why = PresetFileSystem::describeLastingWait();
    if (! showFailureAlert ("Waiting to Save", "Kest is waiting to save\n" + file.getFullPathName() + "\n\n"
                                                   + why.substring (0, 1).toUpperCase() + why.substring (1) + "."))
        PresetFileSystem::printSaveWaiting (file);
}

void PresetManager::setFailureAlert (FailureAlert alert)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    failureAlert = std::move (alert);
}

//==============================================================================
void PresetManager::selectItemKeepingSound (PresetTreeItemBase* item)
{
    currentItem = item;
    pendingPresetPath = {};
    triggerAsyncUpdate();
    if (auto* tree = getTreeComponent())
        tree->postCommandMessage (PresetTreeComponent::showCurrentItemCommand);
}

void PresetManager::selectItem (PresetTreeItemBase* item)
{
    selectItemKeepingSound (item);
    modified = false;
}

void PresetManager::clearCurrentItem()
{
    currentItem = nullptr;
    pendingPresetPath = {};
    triggerAsyncUpdate();
}

PresetManager::DirectoryItem* PresetManager::getCurrentFolder() const noexcept
{
    return dynamic_cast<DirectoryItem*> (currentFolder.get());
}

namespace
{
/** Whether a folder's name stands for a path's token: its whole name, or
    the part before its last dot, the name that paths stored by earlier
    versions used for it. */
bool folderMatches (const PresetManager::PresetTreeItemBase& folder, const juce::String& token, bool byEarlierName)
{
    const auto name = folder.getUniqueName().replaceCharacter ('/', '\\');
    if (! byEarlierName)
        return name == token;
    const int dot = name.lastIndexOfChar ('.');
    return dot > 0 && name.substring (0, dot) == token;
}

bool isWithin (const juce::TreeViewItem* item, const juce::TreeViewItem& ancestor)
{
    for (; item != nullptr; item = item->getParentItem())
        if (item == &ancestor)
            return true;
    return false;
}
} // namespace

void PresetManager::itemWillBeRemoved (PresetTreeItemBase& item, bool keepSound)
{
    if (isWithin (getCurrentFolder(), item))
        setCurrentFolder (dynamic_cast<DirectoryItem*> (item.getParentItem()));

    // A favourite stands for a preset of the folder tree: it goes with it.
    auto isGoing = [this, &item]
    {
        auto* current = getCurrentItem();
        auto* entry = dynamic_cast<FavoriteItem*> (current);
        return isWithin (current, item) || (entry != nullptr && isWithin (&entry->target, item));
    };

    if (! isGoing())
        return;

    if (keepSound)
    {
        pendingPresetName = getCurrentItem()->getUniqueName();
        clearCurrentItem();
        return;
    }

    // From an entry the walk goes on among the favourites, else from the
    // item itself, past everything below it.
    auto* current = getCurrentItem();
    stepPreset (dynamic_cast<FavoriteItem*> (current) != nullptr ? current : &item, false);
    if (isGoing())
        clearCurrentItem();
}

PresetManager::PresetTreeComponent* PresetManager::createTreeComponent()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (auto* existing = getTreeComponent())
        return existing;

    auto* tree = new PresetTreeComponent (*this);
    treeComponent = tree;
    if (currentItem != nullptr)
        tree->postCommandMessage (PresetTreeComponent::showCurrentItemCommand);
    return tree;
}

PresetManager::PresetTreeComponent* PresetManager::getTreeComponent() const noexcept
{
    return dynamic_cast<PresetTreeComponent*> (treeComponent.getComponent());
}

void PresetManager::selectPresetByPath (const juce::String& path, bool loadFile)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    if (path == "*")
    {
        if (auto* first = dynamic_cast<PresetTreeItemBase*> (fileTreeRoot->getSubItem (0)))
            if (first->getNumSubItems() > 0)
                activateFirstOrLastPreset (first, false);
        return;
    }

    auto* item = findItemByPath (path);
    const auto name = path.fromLastOccurrenceOf ("/", false, false);

    if (item != nullptr && item->isPreset())
    {
        if (! loadFile)
        {
            selectItemKeepingSound (item);
            return;
        }

        // A preset that cannot be loaded is not current: none is.
        currentItem = nullptr;
        item->activate();
        if (getCurrentItem() == item)
            return;
        clearCurrentItem();
        pendingPresetName = name;
        return;
    }

    // A preset the tree does not hold now (a folder missing for a moment, a
    // file renamed outside) keeps its name, and its path for the next state.
    clearCurrentItem();
    pendingPresetName = name;
    pendingPresetPath = path;
}

PresetManager::PresetTreeItemBase* PresetManager::findItemByPath (const juce::String& path)
{
    juce::TreeViewItem* root = path.startsWith ("/Favorites") ? static_cast<juce::TreeViewItem*> (favorites.get())
                                                               : static_cast<juce::TreeViewItem*> (fileTreeRoot.get());
    const auto rootPath = root->getItemIdentifierString() + "/";
    if (! path.startsWith (rootPath))
        return nullptr;

    juce::StringArray tokens;
    tokens.addTokens (path.substring (rootPath.length()), "/", "");

    // A preset and a folder may share a name: every step but the last is a
    // folder, and the last one prefers a preset, as presets are looked for.
    // A folder with a dot in its name is also found by its earlier name.
    juce::TreeViewItem* item = root;
    bool byEarlierName = false;
    for (int level = 0; level < tokens.size(); ++level)
    {
        const bool last = level == tokens.size() - 1;
        PresetTreeItemBase* match = nullptr;
        for (int index = 0; index < item->getNumSubItems(); ++index)
        {
            auto* child = dynamic_cast<PresetTreeItemBase*> (item->getSubItem (index));
            if (child == nullptr || child->getUniqueName().replaceCharacter ('/', '\\') != tokens[level])
                continue;
            if (! last && child->isPreset())
                continue;
            if (match == nullptr || (last && child->isPreset() && ! match->isPreset()))
                match = child;
        }
        for (int index = 0; index < item->getNumSubItems() && match == nullptr; ++index)
            if (auto* child = dynamic_cast<DirectoryItem*> (item->getSubItem (index)); child != nullptr && folderMatches (*child, tokens[level], true))
                match = child;
        if (match == nullptr)
            return nullptr;
        byEarlierName = byEarlierName || match->getUniqueName().replaceCharacter ('/', '\\') != tokens[level];
        item = match;
    }

    auto* found = dynamic_cast<PresetTreeItemBase*> (item);
    return found != nullptr && (byEarlierName || found->getItemIdentifierString() == path) ? found : nullptr;
}

void PresetManager::setActiveFolderByPath (const juce::String& path)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    const auto rootPath = fileTreeRoot->getItemIdentifierString() + "/";
    if (! path.startsWith (rootPath))
        return;

    juce::StringArray tokens;
    tokens.addTokens (path.substring (rootPath.length()), "/", "");

    // Whole components only: "Pad" never stands for "Pads" (but it stands
    // for "Pad.old", by the name earlier versions stored for it).
    juce::TreeViewItem* item = fileTreeRoot.get();
    for (auto& token : tokens)
    {
        juce::TreeViewItem* next = nullptr;
        for (bool byEarlierName : { false, true })
            for (int index = 0; index < item->getNumSubItems() && next == nullptr; ++index)
                if (auto* child = dynamic_cast<DirectoryItem*> (item->getSubItem (index)); child != nullptr && folderMatches (*child, token, byEarlierName))
                    next = child;
        if (next == nullptr)
            break;
        item = next;
    }

    if (auto* folder = dynamic_cast<DirectoryItem*> (item))
        folder->activate();
}

void PresetManager::setCurrentFolder (DirectoryItem* folder)
{
    if (folder == nullptr)
        folder = userFolder;
    if (folder != nullptr && ! folder->isReadOnly() && folder != getCurrentFolder())
    {
        currentFolder = folder;
        triggerAsyncUpdate();
    }
}

void PresetManager::itemRenamedOrMoved (const juce::String& from, const juce::String& to, bool isFolder)
{
    triggerAsyncUpdate();
    // An entry draws its preset's name: the list draws its rows again.  It
    // keeps its order until it is read again.
    favorites->treeHasChanged();
    favoritesMoved (from, to, isFolder);
}

void PresetManager::adoptOverwriteRequest (PresetClient::PresetOverwriteRequest* request)
{
    overwriteRequests.add (request);
}

//==============================================================================
namespace
{
int countItems (const juce::TreeViewItem& item)
{
    int count = item.getNumSubItems();
    for (int index = 0; index < item.getNumSubItems(); ++index)
        count += countItems (*item.getSubItem (index));
    return count;
}

/** The item after (or before) this one in display order at its own level or
    above, wrapping around at the root. */
juce::TreeViewItem* nextPosition (juce::TreeViewItem* item, bool backwards)
{
    for (;;)
    {
        auto* parent = item->getParentItem();
        if (parent == nullptr || parent->getNumSubItems() == 0)
            return nullptr;

        int index = 0;
        while (index < parent->getNumSubItems() && parent->getSubItem (index) != item)
            ++index;

        const int next = index + (backwards ? -1 : 1);
        if (next >= 0 && next < parent->getNumSubItems())
            return parent->getSubItem (next);

        if (dynamic_cast<PresetManager::PresetTreeRootItem*> (parent) != nullptr)
            return parent->getSubItem (backwards ? parent->getNumSubItems() - 1 : 0);

        item = parent;
    }
}

/** Walks from a position into folders until a preset or an empty folder. */
juce::TreeViewItem* descend (juce::TreeViewItem* item, bool last)
{
    auto* base = dynamic_cast<PresetManager::PresetTreeItemBase*> (item);
    while (base != nullptr && ! base->isPreset() && base->getNumSubItems() > 0)
    {
        item = base->getSubItem (last ? base->getNumSubItems() - 1 : 0);
        base = dynamic_cast<PresetManager::PresetTreeItemBase*> (item);
    }
    return item;
}
} // namespace

void PresetManager::stepPreset (PresetTreeItemBase* from, bool backwards)
{
    if (from == nullptr)
        return;

    auto* root = from->getRootItem();
    if (root == nullptr)
        return;

    // A preset that does not load (a FIFO, a file too large or unreadable,
    // bytes the client refuses) is passed by.  One full pass over the tree at
    // most: a tree without a preset that loads ends the walk.
    juce::TreeViewItem* position = from;
    for (int steps = countItems (*root) + 1; steps > 0; --steps)
    {
        auto* next = nextPosition (position, backwards);
        if (next == nullptr)
            return;

        position = descend (next, backwards);
        if (auto* item = dynamic_cast<PresetTreeItemBase*> (position); item != nullptr && item->isPreset())
            if (item->activate())
                return;
    }
}

void PresetManager::activateFirstOrLastPreset (PresetTreeItemBase* item, bool last)
{
    if (item == nullptr)
        return;

    auto* reached = dynamic_cast<PresetTreeItemBase*> (descend (item, last));
    if (reached == nullptr)
        return;

    // An empty folder, or a preset that does not load, is a position in the walk.
    if (! (reached->isPreset() && reached->activate()))
        stepPreset (reached, last);
}

//==============================================================================
void PresetManager::setPresetUnmodified (bool unmodified)
{
    const bool newValue = ! unmodified;
    if (modified.exchange (newValue) != newValue && ! closing)
        triggerAsyncUpdate();
}

juce::String PresetManager::getDisplayName() const
{
    if (currentItem == nullptr)
        return "*" + pendingPresetName;
    return (isPresetModified() ? "*" : "") + currentItem->getUniqueName();
}

void PresetManager::handleAsyncUpdate()
{
    updateStateSnapshot();
    if (nameLabel != nullptr)
        nameLabel->setText (getDisplayName(), juce::dontSendNotification);
    if (reloadButton != nullptr)
        reloadButton->setEnabled (isPresetModified() && currentItem != nullptr);
}
//==============================================================================
PresetManager::StateItems PresetManager::getStateItems() const
{
    // Off the message thread the tree may be changing: the items as the
    // message thread last saw them are given instead.  The message thread
    // first takes in a restore that waits for it.
    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        if (deferredRestore != nullptr)
            deferredRestore->handleUpdateNowIfNeeded();
        updateStateSnapshot();
    }

    StateItems items;
    {
        const juce::ScopedLock lock (snapshotLock);
        if (snapshot.openness != nullptr)
            items.openness = std::make_unique<juce::XmlElement> (*snapshot.openness);
        items.presetPath = snapshot.presetPath;
        items.folderPath = snapshot.folderPath;
    }
    items.modified = isPresetModified();
    return items;
}

void PresetManager::updateStateSnapshot() const
{
    StateItems items;
    items.openness = fileTreeRoot->getOpennessState();
    if (auto* item = getCurrentItem())
        items.presetPath = item->getItemIdentifierString();
    else
        items.presetPath = pendingPresetPath;
    if (auto* folder = getCurrentFolder())
        items.folderPath = folder->getItemIdentifierString();

    const juce::ScopedLock lock (snapshotLock);
    if (restorePending)
        return; // the restored items stand until the tree has them
    snapshot = std::move (items);
}

void PresetManager::restoreStateItems (StateItems items, bool stateHasItsOwnSound)
{
    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        if (deferredRestore != nullptr)
            deferredRestore->handleUpdateNowIfNeeded(); // an earlier restore first
        applyStateItems (items, ! stateHasItsOwnSound, true);
        updateStateSnapshot();
        return;
    }

    // The tree belongs to the message thread.  Until it takes the items in,
    // a state saved from any thread carries them as restored.
    auto* restore = deferredRestore.get();
    if (restore == nullptr)
        return; // made on the message thread at construction

    setPresetUnmodified (! items.modified);
    {
        const juce::ScopedLock lock (snapshotLock);
        // One restore replaces another that still waits, as if both had been
        // taken in: what this one does not bring stays as the other left it.
        if (restorePending)
        {
            if (items.openness == nullptr)
                items.openness = std::move (restore->pending.openness);
            if (items.folderPath.isEmpty())
                items.folderPath = restore->pending.folderPath;
        }
        if (items.openness != nullptr)
            snapshot.openness = std::make_unique<juce::XmlElement> (*items.openness);
        snapshot.presetPath = items.presetPath;
        if (items.folderPath.isNotEmpty())
            snapshot.folderPath = items.folderPath;
        restore->pending = std::move (items);
        restore->loadPresetFile = ! stateHasItsOwnSound;
        restorePending = true;
        ++restoreCount;
    }
    restore->triggerAsyncUpdate();
}

void PresetManager::applyStateItems (const StateItems& items, bool loadPresetFile, bool restoreModifiedFlag)
{
    if (items.openness != nullptr)
        fileTreeRoot->restoreOpennessState (*items.openness);
    selectPresetByPath (items.presetPath, loadPresetFile);
    setActiveFolderByPath (items.folderPath);
    if (restoreModifiedFlag)
        setPresetUnmodified (! items.modified);
}

} // namespace Korvalden::Misc
