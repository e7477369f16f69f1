#include "presets/PresetTreeItemComponent.h"

namespace Korvalden::Misc
{
namespace
{
using TreeComponent = PresetManager::PresetTreeComponent;
using Row = TreeComponent::ItemComponent;

/** The right button and the ctrl key: either one makes a click a popup click. */
constexpr int popupMenuBits = juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::rightButtonModifier;

bool isPopupClick (const juce::MouseEvent& e)
{
    return (e.mods.getRawFlags() & popupMenuBits) != 0;
}

bool isSameOrBelow (const juce::TreeViewItem* item, const juce::TreeViewItem* ancestor)
{
    for (; item != nullptr; item = item->getParentItem())
        if (item == ancestor)
            return true;
    return false;
}
} // namespace

//==============================================================================
std::unique_ptr<juce::Component> PresetManager::PresetTreeItemBase::createItemComponent()
{
    auto row = std::make_unique<TreeComponent::ItemComponent> (*this);
    setRowComponent (row.get());
    return row;
}

void PresetManager::PresetTreeItemBase::indentRows()
{
    // The view's own row component places ours at the item's indent.
    if (auto* row = getRowComponent())
        if (auto* holder = row->getParentComponent())
            holder->resized();

    for (int index = 0; index < getNumSubItems(); ++index)
        if (auto* child = dynamic_cast<PresetTreeItemBase*> (getSubItem (index)))
            child->indentRows();
}

void PresetManager::PresetTreeItemBase::itemSelectionChanged (bool isNowSelected)
{
    auto* manager = getPresetManager();
    if (isNowSelected && manager != nullptr && manager->getCurrentItem() != this)
        if (auto* tree = manager->getTreeComponent())
            tree->postCommandMessage (TreeComponent::showCurrentItemCommand);
}

//==============================================================================
Row::ItemButton::ItemButton (int buttonKind) : juce::Button ("FavoriteButton"), kind (buttonKind)
{
    // The tree keeps the focus, so the arrow keys keep stepping and Return
    // or space never toggles a star behind the user's back.
    setWantsKeyboardFocus (false);
    setMouseClickGrabsKeyboardFocus (false);
}

void Row::ItemButton::paintButton (juce::Graphics& g, bool isMouseOver, bool)
{
    auto* tree = findParentComponentOfClass<TreeComponent>();
    auto* look = tree != nullptr ? tree->getTreeLookAndFeel() : nullptr;
    if (look == nullptr)
        return;

    const auto area = getLocalBounds();
    if (kind == favoriteStar)
    {
        look->drawFavoriteButton (g, area, getToggleState(), isMouseOver);
    }
    else if (kind == openCloseButton)
    {
        auto* row = dynamic_cast<Row*> (getParentComponent());
        if (row == nullptr)
            return;
        auto& item = row->getItem();
        look->drawOpenCloseButton (g, area, item.isOpen(), item.getNumSubItems() == 0, isMouseOver);
    }
}

//==============================================================================
Row::ItemComponent (PresetTreeItemBase& itemToShow) : item (&itemToShow)
{
    if (item->mightContainSubItems())
    {
        button = std::make_unique<ItemButton> (ItemButton::openCloseButton);
        button->addListener (this);
    }
    else if (auto* favorite = item->getFavoriteValue())
    {
        button = std::make_unique<ItemButton> (ItemButton::favoriteStar);
        button->setClickingTogglesState (true);
        button->getToggleStateValue().referTo (*favorite);
    }

    if (button != nullptr)
        addAndMakeVisible (*button);
}

Row::~ItemComponent()
{
    if (button != nullptr)
        button->removeListener (this);
}

void Row::resized()
{
    if (button != nullptr)
        button->setBounds (0, 0, getHeight(), getHeight());
}

void Row::paint (juce::Graphics& g)
{
    auto colourId = TreeComponent::textColourId;
    if (item->isSelected() || dropHighlight)
    {
        g.fillAll (findColour (juce::TreeView::selectedItemBackgroundColourId, true));
        colourId = TreeComponent::highlightedTextColourId;
    }

    const int x = button != nullptr ? button->getWidth() + 2 : 0;
    const auto height = (float) getHeight();
    juce::Font font (getLookAndFeel().getTypefaceForFont (juce::Font()));
    g.setFont (font.withHeight (0.9f * height));
    g.setColour (findColour (colourId, true));
    g.drawText (item->getUniqueName(), juce::Rectangle<int> (x, 0, getWidth() - x, getHeight()),
                juce::Justification::centredLeft, true);

    if (! item->isPreset())
        if (auto* manager = item->getPresetManager(); manager != nullptr && manager->getCurrentFolder() == item)
            if (auto* tree = findParentComponentOfClass<TreeComponent>(); tree != nullptr && tree->getTreeLookAndFeel() != nullptr)
                tree->getTreeLookAndFeel()->drawActiveFolderMarker (g, getLocalBounds());
}

//==============================================================================
void Row::mouseDown (const juce::MouseEvent& e)
{
    popupClick = isPopupClick (e);
    if (popupClick)
        item->showPopupMenu();
}

void Row::mouseDrag (const juce::MouseEvent& e)
{
    // A click that trembles a little is still a click.
    if (popupClick || dragging || ! item->isMovable() || ! e.mouseWasDraggedSinceMouseDown())
        return;

    if (auto* container = juce::DragAndDropContainer::findParentDragContainerFor (this))
    {
        container->startDragging (dragDescription, this, juce::ScaledImage(), false, nullptr, &e.source);
        dragging = true;
    }
}

void Row::mouseUp (const juce::MouseEvent& e)
{
    // A popup click never loads what is under it, neither does a drag.
    const bool load = ! dragging && ! popupClick && ! isPopupClick (e);
    dragging = false;
    popupClick = false;
    if (load)
        item->activate(); // may change the tree; this row is not used after it
}

//==============================================================================
bool Row::isInterestedInDragSource (const SourceDetails& details)
{
    if (details.description.toString() != dragDescription || item->isPreset())
        return false;

    auto* sourceRow = dynamic_cast<Row*> (details.sourceComponent.get());
    if (sourceRow == nullptr)
        return false;

    auto* source = &sourceRow->getItem();
    return source->isMovable()                 // factory items and favourite entries stay
           && source->getParentItem() != item  // already there
           && ! isSameOrBelow (item, source)   // onto itself or into its own sub-folder
           && item->canAcceptItem (source);
}

void Row::itemDragEnter (const SourceDetails&)
{
    dropHighlight = true;
    repaint();
}

void Row::itemDragExit (const SourceDetails&)
{
    dropHighlight = false;
    repaint();
}

void Row::itemDropped (const SourceDetails& details)
{
    // The tree may have changed while the drag ran: ask again before moving.
    if (isInterestedInDragSource (details))
        if (auto* sourceRow = dynamic_cast<Row*> (details.sourceComponent.get()))
            item->acceptItem (&sourceRow->getItem());

    dropHighlight = false;
    repaint();
}

void Row::buttonClicked (juce::Button*)
{
    item->setOpen (! item->isOpen());
    repaint();
}

juce::String Row::getTooltip()
{
    return item->getUniqueName();
}
} // namespace Korvalden::Misc
