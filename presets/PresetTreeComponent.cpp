#include "presets/PresetTreeComponent.h"

#include "presets/PresetTreeItems.h"

namespace Korvalden::Misc
{
namespace
{
enum LayoutItem
{
    favoritesHeaderItem,
    favoritesViewItem,
    dividerItem,
    presetsHeaderItem,
    folderViewItem
};

constexpr int dividerHeight = 7;

void setHeaderLayout (juce::StretchableLayoutManager& layout, int index, const juce::Image& image)
{
    const int height = image.isValid() ? image.getHeight() : 0;
    layout.setItemLayout (index, height, height, height);
}

void prepareView (juce::TreeView& view, juce::TreeViewItem& root)
{
    view.setRootItem (&root);
    view.setRootItemVisible (false);
    view.setOpenCloseButtonsVisible (false); // the rows draw their own
}
} // namespace

bool PresetManager::PresetTreeComponent::PresetTreeView::keyPressed (const juce::KeyPress& key)
{
    // The panel decides about every key; the framework's own navigation
    // would move the selection away from the loaded preset.
    if (auto* parent = getParentComponent())
        return parent->keyPressed (key);
    return juce::TreeView::keyPressed (key);
}

PresetManager::PresetTreeComponent::ResizerBar::ResizerBar (juce::StretchableLayoutManager* layoutToUse, int itemIndex,
                                                            PresetTreeComponent& ownerComponent)
    : juce::StretchableLayoutResizerBar (layoutToUse, itemIndex, false), owner (ownerComponent)
{
    setMouseCursor (juce::MouseCursor::UpDownResizeCursor);
}

void PresetManager::PresetTreeComponent::ResizerBar::hasBeenMoved()
{
    owner.layOut();
}

//==============================================================================
PresetManager::PresetTreeComponent::PresetTreeComponent (PresetManager& owner)
    : manager (owner), divider (&layout, dividerItem, *this)
{
    prepareView (favoritesView, manager.getFavoriteList());
    prepareView (folderView, manager.getFileTreeRoot());

    for (auto* child : std::initializer_list<juce::Component*> { &favoritesHeader, &favoritesView, &divider, &presetsHeader, &folderView })
        addAndMakeVisible (child);

    favoritesHeader.setImagePlacement (juce::RectanglePlacement::centred);
    presetsHeader.setImagePlacement (juce::RectanglePlacement::centred);

    layout.setItemLayout (favoritesHeaderItem, 0, 0, 0);
    layout.setItemLayout (favoritesViewItem, 1, -1.0, -0.5);
    layout.setItemLayout (dividerItem, dividerHeight, dividerHeight, dividerHeight);
    layout.setItemLayout (presetsHeaderItem, 0, 0, 0);
    layout.setItemLayout (folderViewItem, 1, -1.0, -0.5);

    setColour (textColourId, juce::Colour (0xFFFFFFFF));
    setColour (highlightedTextColourId, juce::Colour (0xFF000000));
}

PresetManager::PresetTreeComponent::~PresetTreeComponent()
{
    // The items belong to the manager; the views only let go of them.
    favoritesView.setRootItem (nullptr);
    folderView.setRootItem (nullptr);
}

void PresetManager::PresetTreeComponent::setTreeLookAndFeel (std::unique_ptr<LookAndFeel> newLookAndFeel)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    treeLookAndFeel = std::move (newLookAndFeel);
    repaint();
    favoritesView.repaint();
    folderView.repaint();
}

void PresetManager::PresetTreeComponent::setHeaderImages (const juce::Image& favorites, const juce::Image& presets)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    favoritesHeader.setImage (favorites);
    presetsHeader.setImage (presets);
    setHeaderLayout (layout, favoritesHeaderItem, favorites);
    setHeaderLayout (layout, presetsHeaderItem, presets);
    layOut();
}

void PresetManager::PresetTreeComponent::setScrollBarThickness (int thickness)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    thickness = juce::jlimit (0, 64, thickness);
    favoritesView.getViewport()->setScrollBarThickness (thickness);
    folderView.getViewport()->setScrollBarThickness (thickness);
}

void PresetManager::PresetTreeComponent::setItemHeight (int height)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    manager.setItemHeight (juce::jlimit (1, 256, height));

    // Every item caches its height; a change of the tree makes them ask again.
    manager.getFavoriteList().treeHasChanged();
    manager.getFileTreeRoot().treeHasChanged();
}

void PresetManager::PresetTreeComponent::layOut()
{
    juce::Component* parts[] { &favoritesHeader, &favoritesView, &divider, &presetsHeader, &folderView };
    layout.layOutComponents (parts, 5, 0, 0, getWidth(), getHeight(), true, true);
}

void PresetManager::PresetTreeComponent::resized()
{
    layOut();
    scrollCurrentItemIntoView();
}

void PresetManager::PresetTreeComponent::scrollCurrentItemIntoView()
{
    if (auto* current = manager.getCurrentItem())
        if (auto* view = current->getOwnerView())
            view->scrollToKeepItemVisible (current);
}

bool PresetManager::PresetTreeComponent::keyPressed (const juce::KeyPress& key)
{
    const bool backwards = key.isKeyCode (juce::KeyPress::upKey) || key.isKeyCode (juce::KeyPress::leftKey);
    const bool forwards = key.isKeyCode (juce::KeyPress::downKey) || key.isKeyCode (juce::KeyPress::rightKey);
    const auto modifiers = juce::ModifierKeys::shiftModifier | juce::ModifierKeys::ctrlModifier
                           | juce::ModifierKeys::altModifier | juce::ModifierKeys::commandModifier;

    if (! (backwards || forwards) || (key.getModifiers().getRawFlags() & modifiers) != 0)
        return false;

    if (auto* current = manager.getCurrentItem())
        manager.stepPreset (current, backwards);
    return true;
}

void PresetManager::PresetTreeComponent::handleCommandMessage (int commandId)
{
    if (commandId != showCurrentItemCommand)
        return;

    favoritesView.clearSelectedItems();
    folderView.clearSelectedItems();

    if (auto* current = manager.getCurrentItem())
    {
        current->setSelected (true, false);
        current->scrollIntoView();
    }
}
} // namespace Korvalden::Misc
