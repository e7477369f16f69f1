#include "linking/ParameterLinkEditor.h"

#include "gui/ResourceManager.h"
#include "linking/LinkableParameterKnob.h"

namespace
{
constexpr int dragImageWindowFlags = juce::ComponentPeer::windowIsTemporary
                                     | juce::ComponentPeer::windowIgnoresMouseClicks
                                     | juce::ComponentPeer::windowIgnoresKeyPresses;
constexpr float connectionHitDistance = 5.0f;

juce::MouseCursor loadCutCursor()
{
    Korvalden::Resources::ResourceManager::acquire();
    const auto image = Korvalden::Resources::ResourceManager::getImage (ParameterLinkEditor::cutCursorImageName);
    Korvalden::Resources::ResourceManager::release();

    // Without its image the cut cursor is still told apart from the pointer.
    return image.isValid() ? juce::MouseCursor (image, 8, 5) : juce::MouseCursor (juce::MouseCursor::CrosshairCursor);
}

/** A 100 x 20 tag with the label, shown under the mouse while dragging. */
juce::Image createLabelImage (const juce::String& label)
{
    juce::Image image (juce::Image::ARGB, 100, 20, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colour (0x99000000));
    g.setColour (juce::Colour (0xFFFFFFFF));
    g.setFont (juce::Font (13.0f));
    g.drawText (label, image.getBounds(), juce::Justification::centred, false);
    return image;
}
} // namespace

ParameterLinkEditor::ParameterLinkEditor (juce::Component* panelToUse, ParameterLinkManager* managerToUse)
    : manager (managerToUse), panel (panelToUse), cutCursor (loadCutCursor())
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (panelToUse == nullptr)
        return;

    panelToUse->addMouseListener (this, true);
    panelToUse->setColour (connectionColourId, juce::Colour (0xFFF5F5F5));
    panelToUse->setColour (dragColourId, juce::Colour (0xFF555555));
    panelToUse->setColour (highlightColourId, juce::Colour (0xFFFFFF00));
    panelToUse->setColour (connectionCasingColourId, juce::Colour (0xFF3C3C3C));

    fader.addTarget (panelToUse, connectionColourId);
    fader.alpha = 0.0f;
    fader.applyAlpha();
}

ParameterLinkEditor::~ParameterLinkEditor()
{
    stopTimer();
    if (auto* p = panel.getComponent())
        p->removeMouseListener (this);
}

//==============================================================================
ParameterLinkEditor::LinkTarget* ParameterLinkEditor::appendTarget (const juce::String& label, juce::Rectangle<int> area,
                                                                    std::vector<int> indexes, juce::Colour colour,
                                                                    bool renamable, ParameterCopyGroup* copyGroup)
{
    JUCE_ASSERT_MESSAGE_THREAD
    auto target = std::make_unique<LinkTarget>();
    target->area = area;
    target->hitArea = area;
    target->colour = colour;
    target->renamable = renamable;
    target->indexes = std::move (indexes);
    target->copyGroup.reset (copyGroup);
    target->labelImage = createLabelImage (label);
    targets.push_back (std::move (target));
    return targets.back().get();
}

void ParameterLinkEditor::addParameterTarget (const juce::String& label, juce::Rectangle<int> area, int index,
                                              juce::Colour colour, ParameterCopyGroup* copyGroup, bool renamable,
                                              juce::Rectangle<int> reach)
{
    auto* target = appendTarget (label, area, { index }, colour, renamable, copyGroup);
    if (! reach.isEmpty())
        target->hitArea = area.getUnion (reach);
    singleTargets.emplace (index, target); // the first target of an index keeps it
}

void ParameterLinkEditor::addGroupTarget (const juce::String& label, juce::Rectangle<int> area, const int* indexes,
                                          int count, ParameterCopyGroup* copyGroup)
{
    std::vector<int> list;
    if (indexes != nullptr && count > 0)
        list.assign (indexes, indexes + count);
    appendTarget (label, area, std::move (list), juce::Colour (0x00FFFFFF), false, copyGroup);
}

void ParameterLinkEditor::addColumn (const std::vector<int>& indexes)
{
    const int number = (int) columns.size();
    columns.push_back (indexes);
    for (const int index : indexes)
        if (const auto found = singleTargets.find (index); found != singleTargets.end())
            found->second->column = number;
}

const ParameterLinkEditor::LinkTarget* ParameterLinkEditor::singleTargetOf (int index) const
{
    const auto found = singleTargets.find (index);
    return found != singleTargets.end() ? found->second : nullptr;
}

//==============================================================================
void ParameterLinkEditor::setLinksVisible (bool visible)
{
    JUCE_ASSERT_MESSAGE_THREAD
    fader.pinned = visible;
    fader.stopTimer();
    fader.alpha = visible ? 1.0f : 0.0f;
    fader.applyAlpha();
    setKnobsDragLinks (visible);

    if (! visible)
    {
        // A stale highlight would come back yellow with the next flash.
        stopTimer();
        highlightShown = false;
        highlightSet.clear();
    }
}

void ParameterLinkEditor::setKnobsDragLinks (bool on)
{
    // Every knob on the panel, however deep it sits.
    auto* p = panel.getComponent();
    if (p == nullptr)
        return;

    std::vector<juce::Component*> pending (p->getChildren().begin(), p->getChildren().end());
    while (! pending.empty())
    {
        auto* c = pending.back();
        pending.pop_back();
        if (auto* knob = dynamic_cast<LinkableParameterKnob*> (c))
            knob->setDragsLinks (on);
        pending.insert (pending.end(), c->getChildren().begin(), c->getChildren().end());
    }
}

void ParameterLinkEditor::flashOverlay()
{
    fader.stopTimer();
    fader.alpha = 1.0f;
    fader.applyAlpha();
}

void ParameterLinkEditor::fadeUnlessVisible()
{
    if (! fader.pinned)
        fader.startTimer (Korvalden::GUI::AlphaFader::tickIntervalMs);
}

void ParameterLinkEditor::updateConnections()
{
    JUCE_ASSERT_MESSAGE_THREAD
    connections = manager->getLinkPairs();
    highlightSet.clear();
    if (auto* p = panel.getComponent())
        p->repaint();
}

void ParameterLinkEditor::clearHighlight()
{
    highlightSet.clear();
    if (auto* p = panel.getComponent())
        p->repaint();
}

//==============================================================================
juce::Point<int> ParameterLinkEditor::toPanel (const juce::MouseEvent& e) const
{
    auto* p = panel.getComponent();
    return p != nullptr ? e.getEventRelativeTo (p).getPosition() : e.getPosition();
}

void ParameterLinkEditor::mouseMove (const juce::MouseEvent& e)
{
    const auto position = toPanel (e);

    hoverKind = hoverNothing;
    for (auto& target : targets)
    {
        if (target->hitArea.contains (position))
        {
            hoveredTarget = target.get();
            hoverKind = hoverTarget;
            break;
        }
    }

    if (hoverKind == hoverNothing && fader.pinned && ! connections.empty())
    {
        float nearest = 1000.0f;
        for (const auto& connection : connections)
        {
            const auto* a = singleTargetOf (connection.first);
            const auto* b = singleTargetOf (connection.second);
            if (a == nullptr || b == nullptr)
                continue;

            juce::Point<float> onLine;
            const auto distance = juce::Line<float> (a->centre().toFloat(), b->centre().toFloat())
                                      .getDistanceFromPoint (position.toFloat(), onLine);
            if (distance < nearest)
            {
                nearest = distance;
                hoveredConnection = connection;
            }
        }
        if (nearest < connectionHitDistance)
            hoverKind = hoverConnection;
    }

    if (! dragging)
        if (auto* p = panel.getComponent())
            p->setMouseCursor (hoverKind == hoverTarget       ? juce::MouseCursor (juce::MouseCursor::PointingHandCursor)
                               : hoverKind == hoverConnection ? cutCursor
                                                              : juce::MouseCursor (juce::MouseCursor::NormalCursor));

    if (fader.pinned)
    {
        startTimer (highlightDelayMs);
        if (highlightShown)
        {
            highlightShown = false;
            clearHighlight();
        }
    }
}

void ParameterLinkEditor::timerCallback()
{
    stopTimer();
    showHighlight();
}

void ParameterLinkEditor::showHighlight()
{
    highlightShown = true;
    highlightSet.clear();

    if (hoverKind == hoverTarget && hoveredTarget != nullptr && hoveredTarget->count() == 1)
        highlightSet.insert (hoveredTarget->indexes.front());
    else if (hoverKind == hoverConnection)
        highlightSet.insert ({ hoveredConnection.first, hoveredConnection.second });
    else
        return;

    // Grow the set along the connections until the whole group is in it.
    for (bool grown = true; grown;)
    {
        grown = false;
        for (const auto& [a, b] : connections)
        {
            const bool hasA = highlightSet.count (a) != 0, hasB = highlightSet.count (b) != 0;
            if (hasA != hasB)
            {
                highlightSet.insert (hasA ? b : a);
                grown = true;
            }
        }
    }

    if (auto* p = panel.getComponent())
        p->repaint();
}

bool ParameterLinkEditor::pressMayDragLink (const juce::MouseEvent& e) const
{
    // The rename field over a target selects text by dragging.
    if (dynamic_cast<juce::TextEditor*> (e.originalComponent) != nullptr)
        return false;

    // A knob's press either turns the knob or drags a link, as the knob was told.
    return ! knobTakesPress (e);
}

bool ParameterLinkEditor::knobTakesPress (const juce::MouseEvent& e)
{
    auto* knob = dynamic_cast<LinkableParameterKnob*> (e.originalComponent);
    return knob != nullptr && ! knob->pressDragsLink (e.getEventRelativeTo (knob).getPosition());
}

void ParameterLinkEditor::mouseDown (const juce::MouseEvent& e)
{
    mouseMove (e);
    pressMayStartLinkDrag = false;

    // A line across a knob's ratio handle stays: the press sets the ratio.
    if (hoverKind == hoverConnection && fader.pinned && ! knobTakesPress (e))
    {
        manager->unlink (hoveredConnection.first, hoveredConnection.second);
        updateConnections();
        mouseMove (e);
        return;
    }

    if (hoverKind != hoverTarget || hoveredTarget == nullptr)
        return;

    if (e.mods.isCtrlDown() || e.mods.isRightButtonDown())
    {
        // The menu takes this press: a knob under it must not keep turning.
        if (auto* knob = dynamic_cast<LinkableParameterKnob*> (e.originalComponent))
            knob->endDrag();
        showMenu (*hoveredTarget, e.getScreenPosition());
        return;
    }

    pressMayStartLinkDrag = pressMayDragLink (e);
}

void ParameterLinkEditor::mouseDrag (const juce::MouseEvent& e)
{
    if (! dragging)
    {
        if (! pressMayStartLinkDrag || hoverKind != hoverTarget || hoveredTarget == nullptr)
            return;

        flashOverlay();
        dragSource = hoveredTarget;
        dragStart = dragEnd = dragSource->centre();
        dragging = true;
        createDragImage (*dragSource, e.getScreenPosition());
        return;
    }

    mouseMove (e);
    if (hoverKind == hoverTarget && hoveredTarget != dragSource && hoveredTarget->count() == dragSource->count())
    {
        dragEnd = hoveredTarget->centre();
        snapped = true;
    }
    else
    {
        dragEnd = toPanel (e);
        snapped = false;
    }

    if (auto* p = panel.getComponent())
        p->repaint();
    if (dragImage != nullptr)
        dragImage->setTopLeftPosition (e.getScreenPosition());
}

void ParameterLinkEditor::mouseUp (const juce::MouseEvent& e)
{
    pressMayStartLinkDrag = false;
    if (! dragging)
        return;

    mouseMove (e);
    if (hoverKind == hoverTarget && hoveredTarget != nullptr && hoveredTarget->count() == dragSource->count())
    {
        for (size_t i = 0; i < dragSource->count(); ++i)
            manager->link (dragSource->indexes[i], hoveredTarget->indexes[i]);
        updateConnections();
    }

    dragging = false;
    snapped = false;
    dragSource = nullptr;
    fadeUnlessVisible();
    dragImage.reset();
    if (auto* p = panel.getComponent())
        p->repaint();
}

void ParameterLinkEditor::createDragImage (const LinkTarget& source, juce::Point<int> screenPosition)
{
    // A window of its own needs a screen; without one (headless) the line alone shows the drag.
    if (juce::Desktop::getInstance().getDisplays().displays.isEmpty())
        return;

    dragImage = std::make_unique<juce::ImageComponent>();
    dragImage->setImage (source.labelImage, juce::RectanglePlacement::centred);
    dragImage->setSize (source.labelImage.getWidth(), source.labelImage.getHeight());
    dragImage->addToDesktop (dragImageWindowFlags);
    dragImage->setVisible (true);
    dragImage->setTopLeftPosition (screenPosition);
}
