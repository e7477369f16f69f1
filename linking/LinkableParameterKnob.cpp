#include "linking/LinkableParameterKnob.h"

#include <cmath>

namespace
{
constexpr float arcRadiansPerRatio = 1.5707964f; // a ratio of 1 is a quarter turn
constexpr float arcThickness = 5.0f;
constexpr juce::uint8 arcAlpha = 0xCC;
constexpr juce::uint8 handleAlpha = 0x99;
} // namespace

LinkableParameterKnob::LinkableParameterKnob (const juce::String& name, ParameterLinkManager* managerToUse,
                                              int parameterIndex, Korvalden::GUI::ImageStrip* stripToUse,
                                              const juce::Image& linkBackgroundImage)
    : juce::Component (name),
      ParameterController (managerToUse, parameterIndex),
      linkBackground (linkBackgroundImage),
      strip (stripToUse)
{
    JUCE_ASSERT_MESSAGE_THREAD
    setColour (0, juce::Colour (0xFFFFFFFF));
    setRepaintsOnMouseActivity (true);
}

LinkableParameterKnob::~LinkableParameterKnob()
{
    closeGesture();
}

void LinkableParameterKnob::setValueLabel (juce::Label* label)
{
    valueLabel = label;
}

void LinkableParameterKnob::setSteps (int normalSteps, int fineSteps)
{
    stepsNormal = juce::jmax (0, normalSteps);
    stepsFine = juce::jmax (0, fineSteps);
}

float LinkableParameterKnob::mapDragToValue (int steps, float start, float delta)
{
    // 0..1 is stretched to -1..1; beyond it the space grows logarithmically,
    // so dragging past an end keeps moving the target, ever more slowly.
    float x = 2.0f * start - 1.0f;
    if (std::abs (x) > 1.0f)
        x = std::copysign (std::log (std::abs (x)) + 1.0f, x);

    float y = x + delta;
    if (std::abs (y) > 1.0f)
        y = std::copysign (std::exp (std::abs (y) - 1.0f), y);

    float v = (y + 1.0f) * 0.5f;
    if (steps != 0 && v >= 0.0f && v <= 1.0f)
        v = std::floor (v * (float) steps + 0.5f) / (float) steps;
    return v;
}

//==============================================================================
void LinkableParameterKnob::resized()
{
    const juce::Image noFrame;
    const auto& frame = strip != nullptr ? strip->getCurrentFrame() : noFrame;
    const int fw = frame.isValid() ? frame.getWidth() : 0;
    const int fh = frame.isValid() ? frame.getHeight() : 0;

    knobArea = { (getWidth() - fw) / 2, (getHeight() - fh) / 2, fw, fh };

    // A square of the margin's height above the knob, centred over it.
    const int margin = knobArea.getY();
    handleArea = { knobArea.getX() + fw / 2 - margin / 2, 0, margin, margin };
}

void LinkableParameterKnob::setDragsLinks (bool on)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (on == pressesDragLinks)
        return;
    endDrag();
    pressesDragLinks = on;
}

float LinkableParameterKnob::currentRatio() const
{
    const auto entry = manager->findLinkEntry (index);
    return entry ? entry->ratio : 1.0f;
}

void LinkableParameterKnob::storeRatio (float ratio)
{
    {
        const juce::ScopedLock sl (manager->getLock());
        manager->getLinkEntry (index).ratio = juce::jlimit (-ratioLimit, ratioLimit, ratio);
    }
    manager->notifyListeners();
}

void LinkableParameterKnob::closeGesture()
{
    if (! gestureOpen)
        return;
    gestureOpen = false;
    const auto members = std::move (gestureMembers);
    gestureMembers.clear();
    manager->endGroupGesture (members);
}

void LinkableParameterKnob::endDrag()
{
    if (draggingKnob)
        closeGesture();
    draggingKnob = false;
    draggingHandle = false;

    if (linkMode)
    {
        linkMode = false;
        updateValueLabel();
        repaint();
    }
}

//==============================================================================
void LinkableParameterKnob::mouseEnter (const juce::MouseEvent&)
{
    hover = true;
    repaint();
}

void LinkableParameterKnob::mouseExit (const juce::MouseEvent&)
{
    hover = false;
    linkMode = false;
    updateValueLabel();
    repaint();
}

void LinkableParameterKnob::mouseDown (const juce::MouseEvent& e)
{
    if (! isEnabled())
        return;

    // A second press without a release (another button) ends the first drag.
    if (draggingKnob || draggingHandle)
        endDrag();

    dragStartY = lastDragY = e.y;
    fineDrag = isFine (e.mods);

    if (knobArea.contains (e.getPosition()))
    {
        // In the link view the press drags a link, never also the knob.
        if (pressesDragLinks)
            return;

        dragStartValue = value;
        draggingKnob = true;
        gestureMembers = manager->beginGroupGesture (this);
        gestureOpen = true;
    }
    else if (handleArea.contains (e.getPosition()))
    {
        dragStartValue = currentRatio();
        draggingHandle = true;
        linkMode = true;
        updateValueLabel();
        repaint();
    }
}

void LinkableParameterKnob::mouseDrag (const juce::MouseEvent& e)
{
    if (! isEnabled())
        return;

    const bool fine = isFine (e.mods);
    if (fine != fineDrag)
    {
        // Switching sensitivity re-anchors the drag where the mouse last was, so nothing jumps.
        dragStartValue = draggingHandle ? currentRatio() : value;
        dragStartY = lastDragY;
        fineDrag = fine;
    }
    lastDragY = e.y;

    const float pixelsPerUnit = fine ? fineDragPixelsPerUnit : dragPixelsPerUnit;
    const float dy = (float) (dragStartY - e.y); // upward is positive

    if (draggingKnob)
    {
        const int steps = fine ? stepsFine : stepsNormal;
        const float delta = dy / juce::jmax (pixelsPerUnit, (float) steps);
        if (delta != 0.0f)
            manager->propagateValue (this, ! e.mods.isAltDown(), mapDragToValue (steps, dragStartValue, delta));
    }
    else if (draggingHandle)
    {
        storeRatio (dy / pixelsPerUnit + dragStartValue);
    }

    updateValueLabel();
    repaint();
}

void LinkableParameterKnob::mouseUp (const juce::MouseEvent&)
{
    // Also when the knob was disabled meanwhile: a gesture that began always ends.
    endDrag();
}

void LinkableParameterKnob::modifierKeysChanged (const juce::ModifierKeys& mods)
{
    if (! draggingKnob && ! draggingHandle)
        return;

    dragStartValue = draggingHandle ? currentRatio() : value;
    dragStartY = lastDragY;
    fineDrag = isFine (mods);
}

void LinkableParameterKnob::mouseDoubleClick (const juce::MouseEvent& e)
{
    if (! isEnabled())
        return;

    if (knobArea.contains (e.getPosition()))
    {
        const bool propagate = ! e.mods.isAltDown();
        if (gestureOpen) // the second press's gesture is still open: reset inside it
        {
            JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
            manager->propagateValue (this, propagate, manager->getProcessor().getParameterDefaultValue (index));
            JUCE_END_IGNORE_WARNINGS_GCC_LIKE
        }
        else
            resetToDefault (propagate);
        updateValueLabel();
    }
    else if (handleArea.contains (e.getPosition()))
    {
        storeRatio (1.0f);
    }
}

void LinkableParameterKnob::mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    if (! isEnabled() || e.mods.isAnyMouseButtonDown())
        return;

    // A wheel event without movement (or a broken one) changes nothing at all.
    if (! std::isfinite (wheel.deltaY) || wheel.deltaY == 0.0f)
        return;

    const int steps = isFine (e.mods) ? stepsFine : stepsNormal;
    float amount = steps != 0 ? std::copysign (2.0f / (float) steps, wheel.deltaY) : wheel.deltaY * wheelFactor;
    if (wheel.isReversed)
        amount = -amount;

    if (knobArea.contains (e.getPosition()))
    {
        const auto members = manager->beginGroupGesture (this);
        manager->propagateValue (this, ! e.mods.isAltDown(), mapDragToValue (steps, value, amount));
        manager->endGroupGesture (members);
    }
    else if (handleArea.contains (e.getPosition()))
    {
        storeRatio (currentRatio() + amount);
        // The ratio shows as a press on the handle shows it, until the pointer leaves the handle.
        linkMode = true;
    }

    updateValueLabel();
    repaint();
}

void LinkableParameterKnob::mouseMove (const juce::MouseEvent& e)
{
    if (linkMode && ! draggingHandle && ! handleArea.contains (e.getPosition()))
    {
        linkMode = false;
        updateValueLabel();
        repaint();
    }
}

void LinkableParameterKnob::enablementChanged()
{
    if (! isEnabled())
        endDrag();
}

void LinkableParameterKnob::visibilityChanged()
{
    if (! isVisible())
        endDrag();
}

void LinkableParameterKnob::parentHierarchyChanged()
{
    // Taken out of (or moved within) the window: the mouse is no longer ours.
    if (draggingKnob || draggingHandle)
        endDrag();
}

void LinkableParameterKnob::valueChanged()
{
    updateValueLabel();
    repaint();
}

//==============================================================================
void LinkableParameterKnob::updateValueLabel()
{
    if (valueLabel == nullptr)
        return;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    const auto text = linkMode ? juce::String::formatted ("%+5.1f%%", (double) currentRatio() * 100.0)
                               : manager->getProcessor().getParameterText (index);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    valueLabel->setText (text, juce::sendNotification);
}

void LinkableParameterKnob::paint (juce::Graphics& g)
{
    const int w = getWidth(), h = getHeight();

    // The panel's ring background shows through where the knob sits.
    if (linkMode && linkBackground.isValid())
        g.drawImage (linkBackground, 0, 0, w, h, getX(), getY(), w, h);

    if (strip != nullptr)
    {
        strip->setValue (juce::jlimit (0.0f, 1.0f, value));
        const auto& frame = strip->getCurrentFrame();
        if (frame.isValid())
            g.drawImageAt (frame, knobArea.getX(), knobArea.getY());
    }

    const auto colour = findColour (0);
    if (linkMode)
    {
        // Halfway between the knob's edge and the component's edge, from straight up.
        const float fw = (float) knobArea.getWidth(), fh = (float) knobArea.getHeight();
        juce::Path arc;
        arc.addCentredArc ((float) w * 0.5f, (float) h * 0.5f, ((float) w + fw) * 0.25f, ((float) h + fh) * 0.25f,
                           0.0f, 0.0f, currentRatio() * arcRadiansPerRatio, true);
        g.setColour (colour.withAlpha (arcAlpha));
        g.strokePath (arc, juce::PathStrokeType (arcThickness, juce::PathStrokeType::curved,
                                                 juce::PathStrokeType::rounded));
    }
    else if (hover)
    {
        g.setColour (colour.withAlpha (handleAlpha));
        g.fillEllipse (handleArea.toFloat());
    }
}
