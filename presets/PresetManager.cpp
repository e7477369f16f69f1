#include "presets/PresetManager.h"

#include "engine/UntrustedXml.h"
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
        {
            const juce::ScopedLock lock (pendingLock);
            items = std::move (pending);
            loadFile = loadPresetFile;
        }
        manager.applyStateItems (items, loadFile);
    }

    PresetManager& manager;
    juce::CriticalSection pendingLock;
    StateItems pending;
    bool loadPresetFile = false;
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

    favorites->setOpen (true);
    updateStateSnapshot();
    deferredRestore = std::make_unique<DeferredRestore> (*this);

    if (client != nullptr)
        client->attachedManager = this;
}

PresetManager::~PresetManager()
{
    closing = true;
    cancelPendingUpdate();
    deferredRestore.reset();

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

    // Another instance may save into the same folder at any moment: the name
    // is chosen only as the finished file is put in place, and a name taken
    // meanwhile gives way to the next free one.
    juce::MemoryBlock block;
    client->writePresetState (block);
    const auto target = PresetFileSystem::writeNewFile (currentFolder->getFile().getChildFile (name + ".prs"),
                                                        block.getData(), block.getSize());
    if (target == juce::File())
    {
        showWriteError();
        return;
    }

    auto* item = new FileItem (target, false);
    PresetTreeItemBase::insertSorted (*currentFolder, item);
    currentFolder->treeHasChanged();
    item->showRenameEditor();
    item->activate();
}

void PresetManager::showWriteError() const
{
    // Only an open editor has someone to tell (and a screen to tell it on).
    if (nameLabel == nullptr || juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        return;

    juce::LookAndFeel::getDefaultLookAndFeel().setUsingNativeAlertWindows (true);
    juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Write Error", "File could not be written!", "OK");
}

//==============================================================================
void PresetManager::selectItem (PresetTreeItemBase* item)
{
    currentItem = item;
    modified = false;
    triggerAsyncUpdate();
    if (auto* tree = getTreeComponent())
        tree->postCommandMessage (PresetTreeComponent::showCurrentItemCommand);
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
    if (item != nullptr && item->isPreset())
    {
        if (loadFile)
            item->activate();
        else
            selectItem (item);
        return;
    }

    currentItem = nullptr;
    pendingPresetName = path.fromLastOccurrenceOf ("/", false, false);
    triggerAsyncUpdate();
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
    juce::TreeViewItem* item = root;
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
        if (match == nullptr)
            return nullptr;
        item = match;
    }

    auto* found = dynamic_cast<PresetTreeItemBase*> (item);
    return found != nullptr && found->getItemIdentifierString() == path ? found : nullptr;
}

void PresetManager::setActiveFolderByPath (const juce::String& path)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    const auto rootPath = fileTreeRoot->getItemIdentifierString() + "/";
    if (! path.startsWith (rootPath))
        return;

    juce::StringArray tokens;
    tokens.addTokens (path.substring (rootPath.length()), "/", "");

    // Whole components only: "Pad" never stands for "Pads".
    juce::TreeViewItem* item = fileTreeRoot.get();
    for (auto& token : tokens)
    {
        juce::TreeViewItem* next = nullptr;
        for (int index = 0; index < item->getNumSubItems() && next == nullptr; ++index)
        {
            auto* child = dynamic_cast<DirectoryItem*> (item->getSubItem (index));
            if (child != nullptr && child->getUniqueName().replaceCharacter ('/', '\\') == token)
                next = child;
        }
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
    if (folder != nullptr && ! folder->isReadOnly() && folder != currentFolder)
    {
        currentFolder = folder;
        triggerAsyncUpdate();
    }
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

/** Loads the preset at a position of the walk and makes it current, as its
    activation does; false when it did not load, however that failed. */
bool loadAndSelect (PresetManager& manager, PresetManager::PresetTreeItemBase& item)
{
    if (auto* preset = dynamic_cast<PresetManager::FileItem*> (&item))
    {
        if (! preset->loadPreset())
            return false;
    }
    else if (auto* entry = dynamic_cast<PresetManager::FavoriteItem*> (&item))
    {
        if (! entry->target.loadPreset())
            return false;
    }
    else
    {
        return false;
    }
    manager.selectItem (&item);
    return true;
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
            if (loadAndSelect (*this, *item))
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
    if (! (reached->isPreset() && loadAndSelect (*this, *reached)))
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
    // message thread last saw them are given instead.
    if (juce::MessageManager::existsAndIsCurrentThread())
        updateStateSnapshot();

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
    if (currentItem != nullptr)
        items.presetPath = currentItem->getItemIdentifierString();
    if (currentFolder != nullptr)
        items.folderPath = currentFolder->getItemIdentifierString();

    const juce::ScopedLock lock (snapshotLock);
    snapshot = std::move (items);
}

void PresetManager::restoreStateItems (StateItems items, bool stateHasItsOwnSound)
{
    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        applyStateItems (items, true);
        return;
    }

    // The tree belongs to the message thread.  The sound the state brings
    // was applied already, so the preset is then only selected, not read.
    auto* restore = deferredRestore.get();
    if (restore == nullptr)
        return; // made on the message thread at construction
    {
        const juce::ScopedLock lock (restore->pendingLock);
        restore->pending = std::move (items);
        restore->loadPresetFile = ! stateHasItsOwnSound;
    }
    restore->triggerAsyncUpdate();
}

void PresetManager::applyStateItems (const StateItems& items, bool loadPresetFile)
{
    if (items.openness != nullptr)
        fileTreeRoot->restoreOpennessState (*items.openness);
    selectPresetByPath (items.presetPath, loadPresetFile);
    setActiveFolderByPath (items.folderPath);
    setPresetUnmodified (! items.modified);
}

} // namespace Korvalden::Misc
