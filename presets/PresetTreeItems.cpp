#include "presets/PresetTreeItems.h"

namespace Korvalden::Misc
{
PresetManager::PresetTreeRootItem::PresetTreeRootItem (PresetManager& owner, const juce::String& uniqueName)
    : manager (owner), name (uniqueName)
{
    setLinesDrawnForSubItems (false);
}

//==============================================================================
int PresetManager::PresetTreeItemBase::getItemHeight() const
{
    auto* manager = getPresetManager();
    return manager != nullptr ? manager->getItemHeight() : 20;
}

PresetManager::PresetTreeRootItem* PresetManager::PresetTreeItemBase::getRootItem() const
{
    for (auto* item = getParentItem(); item != nullptr; item = item->getParentItem())
        if (auto* root = dynamic_cast<PresetTreeRootItem*> (item))
            return root;
    return nullptr;
}

PresetManager* PresetManager::PresetTreeItemBase::getPresetManager() const
{
    auto* root = getRootItem();
    return root != nullptr ? &root->manager : nullptr;
}

void PresetManager::PresetTreeItemBase::scrollIntoView()
{
    for (auto* item = getParentItem(); item != nullptr; item = item->getParentItem())
        item->setOpen (true);
    if (auto* view = getOwnerView())
        view->scrollToKeepItemVisible (this);
}

bool PresetManager::PresetTreeItemBase::isRowShownWhole() const
{
    auto* row = getRowComponent();
    auto* view = getOwnerView();
    if (row == nullptr || view == nullptr || ! row->isShowing())
        return false;

    auto* viewport = view->getViewport();
    const auto shown = viewport->getScreenBounds().withHeight (viewport->getViewHeight());
    const auto bounds = row->getScreenBounds();
    return bounds.getY() >= shown.getY() && bounds.getBottom() <= shown.getBottom();
}

int PresetManager::PresetTreeItemBase::compareByName (juce::TreeViewItem* a, juce::TreeViewItem* b)
{
    auto* first = dynamic_cast<PresetTreeItemBase*> (a);
    auto* second = dynamic_cast<PresetTreeItemBase*> (b);
    if (first == nullptr || second == nullptr)
        return 0;

    if (first->isPreset() != second->isPreset())
        return first->isPreset() ? 1 : -1;

    return first->getUniqueName().compare (second->getUniqueName());
}

void PresetManager::PresetTreeItemBase::insertSorted (juce::TreeViewItem& parent, PresetTreeItemBase* item)
{
    int low = 0, high = parent.getNumSubItems();
    while (low < high)
    {
        const int middle = (low + high) / 2;
        if (compareByName (parent.getSubItem (middle), item) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    parent.addSubItem (item, low);
    if (auto* row = dynamic_cast<FileRepresentingItem*> (item))
        if (auto* manager = row->getPresetManager())
            manager->rowsChanged();
}

namespace
{
struct NameOrder
{
    static int compareElements (juce::TreeViewItem* a, juce::TreeViewItem* b)
    {
        return PresetManager::PresetTreeItemBase::compareByName (a, b);
    }
};
} // namespace

void PresetManager::PresetTreeItemBase::sortChildren (juce::TreeViewItem& parent)
{
    NameOrder order;
    parent.sortSubItems (order);
}
} // namespace Korvalden::Misc
