#pragma once

#include "presets/PresetTreeComponent.h"
#include "presets/PresetTreeItems.h"

namespace Korvalden::Misc
{
/** One row of a preset tree: the item's name, with a favourite star in
    front of a preset or an open/close button in front of a folder.

    A click loads a preset or makes a folder the active one; a popup click
    (right button or ctrl) opens the item's menu and never loads.  Movable
    items are dragged as "PresetTreeItem"; only a writable folder that does
    not already hold the item, and is neither the item nor below it, takes a
    drop, and the move goes through the folder's acceptItem, which never
    replaces a file.

    Made by the tree view through PresetTreeItemBase::createItemComponent
    and deleted by it.  Message thread only.
*/
class PresetManager::PresetTreeComponent::ItemComponent : public juce::Component,
                                                          public juce::DragAndDropTarget,
                                                          public juce::TooltipClient,
                                                          public juce::Button::Listener
{
public:
    /** The star (kind 0) or the open/close button of a folder (kind 1). */
    class ItemButton : public juce::Button
    {
    public:
        enum Kind
        {
            favoriteStar = 0,
            openCloseButton = 1
        };

        explicit ItemButton (int kind);
        int getKind() const noexcept { return kind; }

    protected:
        void paintButton (juce::Graphics&, bool isMouseOver, bool isButtonDown) override;

    private:
        const int kind;
    };

    /** The drag description of a row. */
    static constexpr const char* dragDescription = "PresetTreeItem";

    explicit ItemComponent (PresetTreeItemBase& item);
    ~ItemComponent() override;

    PresetTreeItemBase& getItem() const noexcept { return *item; }
    ItemButton* getButton() const noexcept { return button.get(); }
    bool isDropHighlighted() const noexcept { return dropHighlight; }

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;

    bool isInterestedInDragSource (const SourceDetails&) override;
    void itemDragEnter (const SourceDetails&) override;
    void itemDragExit (const SourceDetails&) override;
    void itemDropped (const SourceDetails&) override;

    void buttonClicked (juce::Button*) override;
    juce::String getTooltip() override;

private:
    PresetTreeItemBase* item;
    bool dropHighlight = false;
    bool dragging = false;
    bool popupClick = false;
    std::unique_ptr<ItemButton> button;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ItemComponent)
};
} // namespace Korvalden::Misc
