#pragma once

#include "presets/PresetManager.h"

#include <memory>

namespace Korvalden::Misc
{
/** The preset browser panel: a header image, the favourites tree, a
    draggable divider, a second header image and the folder tree, top to
    bottom.  Each row is an ItemComponent (PresetTreeItemComponent.h) that
    draws its own star or open/close button through the component's
    LookAndFeel.

    The arrow keys step through the presets instead of moving a selection:
    the selection always shows the loaded preset.

    Built by PresetManager::createTreeComponent; the caller adds it to its
    window, which owns it.  Message thread only.
*/
class PresetManager::PresetTreeComponent : public juce::Component,
                                           public juce::DragAndDropContainer
{
public:
    class ItemComponent;

    /** Row text, and the text of a selected or drop-highlighted row.  The
        background of such a row is juce::TreeView::selectedItemBackgroundColourId,
        looked up through the parents like these. */
    enum ColourIds
    {
        textColourId = 0,
        highlightedTextColourId = 1
    };

    /** The pictures of the rows; without one, stars, folder buttons and the
        active-folder mark are not drawn. */
    class LookAndFeel
    {
    public:
        virtual ~LookAndFeel() = default;
        virtual void drawOpenCloseButton (juce::Graphics&, juce::Rectangle<int> area, bool isOpen, bool isEmpty, bool isMouseOver) = 0;
        virtual void drawActiveFolderMarker (juce::Graphics&, juce::Rectangle<int> area) = 0;
        virtual void drawFavoriteButton (juce::Graphics&, juce::Rectangle<int> area, bool isFavourite, bool isMouseOver) = 0;
    };

    /** A tree that hands every key to the panel, so the panel decides. */
    class PresetTreeView : public juce::TreeView
    {
    public:
        explicit PresetTreeView (const juce::String& name) : juce::TreeView (name) {}
        bool keyPressed (const juce::KeyPress& key) override;
    };

    /** The divider between the two trees. */
    class ResizerBar : public juce::StretchableLayoutResizerBar
    {
    public:
        ResizerBar (juce::StretchableLayoutManager* layout, int itemIndex, PresetTreeComponent& owner);
        void hasBeenMoved() override;

    private:
        PresetTreeComponent& owner;
    };

    /** Shows the manager's favourites and folder tree.  Use createTreeComponent. */
    explicit PresetTreeComponent (PresetManager& manager);
    ~PresetTreeComponent() override;

    /** Takes ownership of the row pictures (null: none drawn). */
    void setTreeLookAndFeel (std::unique_ptr<LookAndFeel> newLookAndFeel);
    LookAndFeel* getTreeLookAndFeel() const noexcept { return treeLookAndFeel.get(); }

    /** The images above the favourites and above the folder tree; each takes
        exactly its image's height (none for a null image). */
    void setHeaderImages (const juce::Image& favoritesHeader, const juce::Image& presetsHeader);
    void setScrollBarThickness (int thickness);
    /** The row height of every item of both trees (20 until set). */
    void setItemHeight (int height);

    void resized() override;
    /** Up and left load the previous preset, down and right the next one;
        without a modifier only, and consumed also when nothing is loaded. */
    bool keyPressed (const juce::KeyPress& key) override;
    /** Command 0: the selection shows the manager's current preset, opened and scrolled to. */
    void handleCommandMessage (int commandId) override;

    /** The command that makes the selection follow the current preset. */
    static constexpr int showCurrentItemCommand = 0;

    PresetManager& getManager() const noexcept { return manager; }
    PresetTreeView& getFavoritesView() noexcept { return favoritesView; }
    PresetTreeView& getFolderView() noexcept { return folderView; }

private:
    void layOut();
    void scrollCurrentItemIntoView();

    std::unique_ptr<LookAndFeel> treeLookAndFeel;
    PresetManager& manager;
    PresetTreeView favoritesView { "FavoriteTree" };
    PresetTreeView folderView { "PresetTree" };
    juce::ImageComponent favoritesHeader, presetsHeader;
    juce::StretchableLayoutManager layout;
    ResizerBar divider;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetTreeComponent)
};
} // namespace Korvalden::Misc
