#pragma once

#include "gui/AlphaFader.h"
#include "gui/InplaceTextEditor.h"
#include "linking/ParameterCopyGroup.h"
#include "linking/ParameterLinkManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

/** The link overlay of the editor panel: shows and edits parameter links
    right on the panel.

    It listens to every mouse event of the panel and its children and draws
    over the panel's controls (paintOverlay, which the panel calls from a
    layer above its controls and below any message box): a tinted background
    on each linked knob, the connection lines between linked knobs, each group
    name on a light plate over its knob and the lines (the knob caps are
    dark), and during a drag a line from the source to the mouse.
    Dragging from a knob's or section's target onto another of the same size
    links them position by position; clicking a line cuts that one link;
    resting the mouse 700 ms on a knob or line highlights its whole group;
    ctrl-click or a right click on a target opens a menu to link or free a
    column, free a parameter or group, rename a group, and copy or paste
    values and ratios.

    A press on a knob either turns it or drags a link, never both: while the
    link view is on, the panel's knobs leave their presses to the overlay
    (LinkableParameterKnob::setDragsLinks) and a drag from anywhere on a
    knob's target links, except from the ratio handle, which sets the ratio
    in both views; while it is off, the knobs turn and no link drag starts
    from a knob.  Targets beside the knobs (macro captions, section plates)
    start link drags in both.

    The lines show at full strength while the link view is on, and otherwise
    flash up for each action and fade out in half a second; every line is
    drawn at the overlay's alpha.  Each line lies on a darker, wider casing,
    so the light line stands out from the light panel as well as from the
    dark knob caps.  Panel colours: 1000 connection lines (the alpha the
    fader writes), 1001 drag line and drop highlights, 1002 the highlighted
    group, 1003 the lines' casing.  Drawing, the menu and copying create no
    link entries.  Message thread only.
*/
class ParameterLinkEditor : public juce::MouseListener,
                            private juce::Timer,
                            public Korvalden::GUI::InplaceTextEditor::Target
{
public:
    enum ColourIds
    {
        connectionColourId = 1000,
        dragColourId = 1001,
        highlightColourId = 1002,
        connectionCasingColourId = 1003
    };

    enum MenuItems
    {
        linkColumnItem = 1,
        freeColumnItem,
        freeParameterItem,
        renameItem,
        copyValueItem,
        copyRatioItem,
        copyValueAndRatioItem,
        pasteItem
    };

    static constexpr int highlightDelayMs = 700;
    static constexpr const char* cutCursorImageName = "CutLinkCursor";

    /** One registered knob or section. */
    struct LinkTarget
    {
        juce::Rectangle<int> area;          ///< panel coordinates; the group name shows and is renamed here
        juce::Rectangle<int> hitArea;       ///< where presses, drops and the tint find it: the area and any reach added
        juce::Colour colour;
        bool renamable = false;
        std::vector<int> indexes;
        int column = -1;
        std::unique_ptr<ParameterCopyGroup> copyGroup;
        juce::Image labelImage;             ///< shown under the mouse while dragging

        juce::Point<int> centre() const { return { area.getX() + area.getWidth() / 2, area.getY() + area.getHeight() / 2 }; }
        size_t count() const noexcept { return indexes.size(); }
    };

    /** Listens to the panel and its children and sets the panel's overlay
        colours; the overlay starts hidden.  Neither is owned; the panel must
        outlive the editor (it is a member of the panel). */
    ParameterLinkEditor (juce::Component* panel, ParameterLinkManager* manager);

    /** Stops listening to the panel; deletes the targets and their copy groups. */
    ~ParameterLinkEditor() override;

    /** A target of one knob; copyGroup is owned from now on.  Presses and
        drops also find it over reach (a macro's knob cap beside its caption). */
    void addParameterTarget (const juce::String& label, juce::Rectangle<int> area, int index, juce::Colour colour,
                             ParameterCopyGroup* copyGroup, bool renamable, juce::Rectangle<int> reach = {});

    /** A section target of several indexes (the first count); copyGroup is owned from now on. */
    void addGroupTarget (const juce::String& label, juce::Rectangle<int> area, const int* indexes, int count,
                         ParameterCopyGroup* copyGroup);

    /** Appends a column; the knobs of its indexes registered so far get its number. */
    void addColumn (const std::vector<int>& indexes);

    /** The link view switch: on shows the lines at full strength and keeps
        them; off hides them at once.  The panel's knobs drag links while it
        is on and turn while it is off. */
    void setLinksVisible (bool visible);
    bool areLinksVisible() const noexcept { return fader.pinned; }

    /** Draws the overlay in panel coordinates; the panel calls it from a layer
        over its controls. */
    void paintOverlay (juce::Graphics& g);

    /** Rebuilds the connection lines from the link model and repaints. */
    void updateConnections();

    /** The target menu, ready to show; its items act through menuItemChosen. */
    juce::PopupMenu createMenu (const LinkTarget& target) const;

    /** Acts on a chosen menu item (0: none) and lets a flashed overlay fade. */
    void menuItemChosen (LinkTarget& target, int itemId);

    const std::vector<std::unique_ptr<LinkTarget>>& getTargets() const noexcept { return targets; }
    const std::vector<std::pair<int, int>>& getConnections() const noexcept { return connections; }
    const std::set<int>& getHighlightSet() const noexcept { return highlightSet; }
    float getOverlayAlpha() const noexcept { return fader.alpha; }
    bool isDragging() const noexcept { return dragging; }

    void mouseMove (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

    /** The 700 ms rest: highlights the group under the mouse. */
    void showHighlight();

    void prepareTextEditor (juce::TextEditor&) override;
    juce::String getEditText() override;
    void renameTo (const juce::String& newName) override;
    void editorClosed() override;

private:
    enum HoverKind
    {
        hoverNothing = 0,
        hoverTarget = 1,
        hoverConnection = 2
    };

    void timerCallback() override;
    LinkTarget* appendTarget (const juce::String& label, juce::Rectangle<int> area, std::vector<int> indexes,
                              juce::Colour colour, bool renamable, ParameterCopyGroup* copyGroup);
    const LinkTarget* singleTargetOf (int index) const;
    juce::Point<int> toPanel (const juce::MouseEvent& e) const;
    void flashOverlay();
    void fadeUnlessVisible();
    void clearHighlight();
    void showMenu (LinkTarget& target, juce::Point<int> screenPosition);
    void createDragImage (const LinkTarget& source, juce::Point<int> screenPosition);
    bool pressMayDragLink (const juce::MouseEvent& e) const;
    static bool knobTakesPress (const juce::MouseEvent& e);
    void setKnobsDragLinks (bool on);

    ParameterLinkManager* manager;
    juce::Component::SafePointer<juce::Component> panel;
    int hoverKind = hoverNothing;
    LinkTarget* hoveredTarget = nullptr;
    LinkTarget* nameEditTarget = nullptr;
    std::pair<int, int> hoveredConnection { 0, 0 };
    juce::MouseCursor cutCursor;
    std::unique_ptr<juce::ImageComponent> dragImage;
    bool highlightShown = false;
    Korvalden::GUI::AlphaFader fader;
    bool dragging = false;
    bool snapped = false;
    bool pressMayStartLinkDrag = false;
    juce::Point<int> dragStart, dragEnd;
    LinkTarget* dragSource = nullptr;
    std::map<int, LinkTarget*> singleTargets;
    std::vector<std::pair<int, int>> connections;
    std::vector<std::unique_ptr<LinkTarget>> targets;
    std::set<int> highlightSet;
    std::vector<std::vector<int>> columns;

    JUCE_DECLARE_WEAK_REFERENCEABLE (ParameterLinkEditor)
    JUCE_DECLARE_NON_COPYABLE (ParameterLinkEditor)
};
