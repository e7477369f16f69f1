#include "gui/InplaceTextEditor.h"
#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"

namespace Korvalden::Misc
{
namespace
{
/** What the in-place editor renames: the item while it exists.  It goes
    when the editor closes, so an item deleted meanwhile is never reached. */
class RenameTarget final : public GUI::InplaceTextEditor::Target
{
public:
    explicit RenameTarget (PresetManager::FileRepresentingItem& item) : item (&item) {}

    void prepareTextEditor (juce::TextEditor& editor) override
    {
        if (auto* target = item.get())
            target->prepareTextEditor (editor);
    }
    juce::String getEditText() override
    {
        auto* target = item.get();
        return target != nullptr ? target->getEditText() : juce::String();
    }
    void renameTo (const juce::String& newName) override
    {
        if (auto* target = item.get())
            target->renameTo (newName);
    }
    void editorClosed() override { delete this; }

private:
    juce::WeakReference<PresetManager::FileRepresentingItem> item;
};

int indexInParent (juce::TreeViewItem& item)
{
    auto* parent = item.getParentItem();
    if (parent == nullptr)
        return -1;
    for (int index = 0; index < parent->getNumSubItems(); ++index)
        if (parent->getSubItem (index) == &item)
            return index;
    return -1;
}
} // namespace

PresetManager::FileRepresentingItem::FileRepresentingItem (const juce::File& itemFile, bool isReadOnly,
                                                           const PresetFileSystem::Identity& listed)
    : file (itemFile), readOnly (isReadOnly), identity (listed)
{
    setLinesDrawnForSubItems (false);
}

bool PresetManager::FileRepresentingItem::isMovable() const
{
    return ! readOnly && dynamic_cast<PresetTreeItemBase*> (getParentItem()) != nullptr;
}

bool PresetManager::FileRepresentingItem::moveOrRename (const juce::String& typedName, int mode)
{
    namespace fs = PresetFileSystem;
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    const auto newName = typedName.trim();
    if (readOnly || isTopLevel() || ! fs::isAcceptableName (newName) || newName == getUniqueName())
        return false;

    // The name is all that was typed, dots included; a preset adds its
    // extension, a folder nothing.  A leading dot would hide the file.
    if (newName.startsWithChar ('.'))
        return false;
    auto target = file.getSiblingFile (newName + (isPreset() ? file.getFileExtension() : juce::String()));
    if (target.getParentDirectory() != file.getParentDirectory())
        return false;

    auto* manager = getPresetManager();
    if (! isWhereShown())
    {
        if (manager != nullptr)
            manager->itemChangedElsewhere (*this);
        return false;
    }

    const auto oldPath = getItemIdentifierString();
    const auto oldFile = file;
    const auto before = identity;
    const bool isOwnFile = fs::isSameFile (target, file);
    FileRepresentingItem* overwritten = nullptr;
    bool replacing = false;

    if (isPreset() && target.existsAsFile() && ! isOwnFile)
    {
        if (mode == 0 && manager != nullptr && manager->getClient() != nullptr)
        {
            auto* request = new PresetOverwriteRequest (target.getFileNameWithoutExtension(), *this);
            manager->adoptOverwriteRequest (request);
            manager->getClient()->handlePresetOverwriteRequest (request);
            return true;
        }

        if (mode == 1)
        {
            replacing = true;
            // The other preset's item goes once its file has been replaced.
            if (auto* parent = getParentItem())
                for (int index = 0; index < parent->getNumSubItems(); ++index)
                    if (auto* sibling = dynamic_cast<FileRepresentingItem*> (parent->getSubItem (index)))
                        if (sibling != this && fs::isSameFile (sibling->getFile(), target))
                            overwritten = sibling;
        }
        else
        {
            target = fs::freeSibling (target);
        }
    }
    else if (target.isDirectory() || (fs::existsAtAll (target) && ! (isOwnFile && isPreset())))
    {
        // A folder renamed to its own name in other letter case, or to the
        // name of another folder, takes a free numbered name.
        target = fs::freeSibling (target);
    }

    OwnChange change (manager);
    if (! (replacing ? fs::moveReplacing (file, target) : fs::moveWithoutReplacing (file, target)))
        return false;

    changeFileTo (target);
    identifyAgain();
    if (overwritten != nullptr)
        change.deleted (overwritten->getFile(), overwritten->getItemIdentifierString(), overwritten->getIdentity(), false);
    change.moved (*this, oldFile, oldPath, before);
    change.done();

    // The preset that now holds the name keeps the star the replaced one had.
    const bool keepsFavorite = overwritten != nullptr && overwritten->getFavoriteValue() != nullptr
                               && (bool) overwritten->getFavoriteValue()->getValue();
    if (overwritten != nullptr)
        overwritten->removeFromTree();
    if (keepsFavorite)
        if (auto* preset = dynamic_cast<FileItem*> (this))
            preset->setFavorite (true);

    if (auto* parent = getParentItem())
    {
        sortChildren (*parent);
        parent->treeHasChanged();
    }
    if (manager != nullptr)
        manager->itemRenamedOrMoved (oldPath, getItemIdentifierString(), ! isPreset());
    return true;
}

void PresetManager::FileRepresentingItem::changeFileTo (const juce::File& target)
{
    file = target;
    for (int index = 0; index < getNumSubItems(); ++index)
        if (auto* child = dynamic_cast<FileRepresentingItem*> (getSubItem (index)))
            child->relocateTo (file);
}

bool PresetManager::FileRepresentingItem::isWhereShown() const
{
    return PresetFileSystem::isStillAt (file, identity);
}

void PresetManager::FileRepresentingItem::foundAt (const juce::File& newFile, const PresetFileSystem::Identity& found)
{
    if (newFile != file)
        changeFileTo (newFile);
    identity = found;
    if (auto* manager = getPresetManager())
        manager->rowsChanged();
}

void PresetManager::FileRepresentingItem::identifyAgain()
{
    identity = PresetFileSystem::identityOf (file);
    if (auto* manager = getPresetManager())
        manager->rowsChanged();
}

void PresetManager::FileRepresentingItem::relocateTo (const juce::File& newParentFolder)
{
    changeFileTo (newParentFolder.getChildFile (file.getFileName()));
}

void PresetManager::FileRepresentingItem::removeFromTree()
{
    // The current preset and folder move on first, also from below a folder.
    if (auto* manager = getPresetManager())
    {
        manager->itemWillBeRemoved (*this);
        manager->rowsChanged();
    }

    auto* parent = getParentItem();
    const int index = indexInParent (*this);
    if (parent != nullptr && index >= 0)
        parent->removeSubItem (index, true); // deletes this item
}

bool PresetManager::FileRepresentingItem::isTopLevel() const
{
    return dynamic_cast<PresetTreeRootItem*> (getParentItem()) != nullptr;
}

bool PresetManager::FileRepresentingItem::deleteItem()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (readOnly || isTopLevel())
        return false;

    // Another program's preset in its place is not the user's to delete (a
    // folder goes only when empty, which loses nothing).
    auto* manager = getPresetManager();
    if (isPreset() && ! isWhereShown())
    {
        if (manager != nullptr)
            manager->itemChangedElsewhere (*this);
        return false;
    }

    // A folder that still holds anything on disk stays (the system refuses
    // to remove it).
    const auto path = getItemIdentifierString();
    const bool isFolder = ! isPreset();
    {
        OwnChange change (manager);
        if (! file.deleteFile())
            return false;
        change.deleted (file, path, identity, isFolder);
    }
    removeFromTree(); // deletes this item
    if (manager != nullptr)
        manager->favoritesMoved (path, {}, isFolder);
    return true;
}

void PresetManager::FileRepresentingItem::showRenameEditor()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    scrollIntoView();

    juce::Component* host = nullptr;
    juce::Rectangle<int> area;
    if (auto* row = getRowComponent(); row != nullptr && isRowShownWhole())
    {
        host = row;
        int x = 0;
        for (auto* child : row->getChildren())
            if (dynamic_cast<juce::Button*> (child) != nullptr)
            {
                x = juce::jmin (child->getWidth(), row->getWidth());
                break;
            }
        area = { x, 0, row->getWidth() - x, row->getHeight() };
    }
    else if (auto* manager = getPresetManager())
    {
        host = manager->getPresetNameLabel();
    }

    if (host != nullptr)
        new GUI::InplaceTextEditor (new RenameTarget (*this), host, area); // both delete themselves
}

void PresetManager::FileRepresentingItem::prepareTextEditor (juce::TextEditor& editor)
{
    auto base = juce::Colours::white;
    auto* manager = getPresetManager();
    if (auto* row = getRowComponent(); row != nullptr && isRowShownWhole())
        base = row->findColour (juce::TextEditor::backgroundColourId, true);
    else if (manager != nullptr && manager->getPresetNameLabel() != nullptr)
        base = manager->getPresetNameLabel()->findColour (juce::TextEditor::backgroundColourId, true);

    editor.setInputRestrictions (0, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890 _().");
    const auto contrast = base.contrasting (0.5f);
    editor.setColour (juce::TextEditor::backgroundColourId, base);
    editor.setColour (juce::TextEditor::highlightColourId, contrast);
    editor.setColour (juce::TextEditor::textColourId, contrast);
    editor.setColour (juce::TextEditor::highlightedTextColourId, base);
    editor.setColour (juce::CaretComponent::caretColourId, contrast);
}

void PresetManager::FileRepresentingItem::showPopupMenu()
{
    if (readOnly)
        return;

    const bool isFolder = ! isPreset();
    const bool belowTopLevel = dynamic_cast<PresetTreeItemBase*> (getParentItem()) != nullptr;

    juce::PopupMenu menu;
    if (isFolder)
        menu.addItem (newFolderChoice, "Create new Folder");
    if (belowTopLevel)
    {
        menu.addItem (renameChoice, "Rename");
        menu.addItem (deleteChoice, "Delete", isPreset() || getNumSubItems() == 0);
    }
    if (menu.getNumItems() == 0)
        return;

    // The choices that open a name field run as they are made: the keys
    // typed next go into the name.
    for (const int opensField : { renameChoice, newFolderChoice })
        GUI::InplaceTextEditor::chooseAtOnce (menu, opensField, [weakItem = juce::WeakReference<FileRepresentingItem> (this), opensField] {
            if (auto* item = weakItem.get())
                item->handleMenuChoice (opensField);
        });

    // Asynchronous: no nested message loop runs while the host processes a
    // block.  The item may be gone by the time a choice arrives.
    auto options = juce::PopupMenu::Options();
    if (auto* row = getRowComponent())
        options = options.withTargetComponent (row).withMousePosition();
    menu.showMenuAsync (options, [weakItem = juce::WeakReference<FileRepresentingItem> (this)] (int choice) {
        if (auto* item = weakItem.get())
            item->handleMenuChoice (choice);
    });
}

void PresetManager::FileRepresentingItem::handleMenuChoice (int choice)
{
    switch (choice)
    {
        case renameChoice: showRenameEditor(); break;
        case deleteChoice: deleteItem(); break;
        case newFolderChoice:
            if (auto* folder = dynamic_cast<DirectoryItem*> (this))
                folder->createSubFolder();
            break;
        default: break;
    }
}

//==============================================================================
PresetManager::FileRepresentingItem::PresetOverwriteRequest::PresetOverwriteRequest (const juce::String& name,
                                                                                     FileRepresentingItem& asking)
    : targetName (name), item (&asking)
{
}

void PresetManager::FileRepresentingItem::PresetOverwriteRequest::answer (bool overwrite)
{
    if (answered)
        return;
    answered = true;

    if (auto* asking = item.get())
        asking->moveOrRename (targetName, overwrite ? 1 : 2);
}
} // namespace Korvalden::Misc
