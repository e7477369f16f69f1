#pragma once

#include "gui/ImageStrip.h"
#include "linking/ParameterLinkManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** The rotary control of every continuous device parameter and macro.

    It draws its value from an image strip centred in the component, is turned
    by vertical dragging or the mouse wheel, and is itself the parameter's
    controller in the link model: a drag moves the whole link group (Alt moves
    only this parameter) inside one group gesture that is always closed, also
    when the drag is cut short.  Above the knob a small round handle sets the
    knob's link ratio (-2..2) by dragging or scrolling; while it is held, and
    after a turn of the wheel until the pointer leaves it, the ratio shows as
    an arc around the knob and as a signed percentage in the value label.
    Colour id 0 is the handle and arc colour.

    While the editor's link view is on (setDragsLinks), a press and drag on
    the knob belongs to the link overlay, which drags a link from it: the
    knob then starts no turn, so the two gestures never mix.  The ratio
    handle keeps its presses in the link view, where ratios are set; the
    wheel and a double click act as always.

    Dragging maps the value into a space where 0..1 is stretched to -1..1 and
    the parts beyond grow logarithmically (mapDragToValue): 150 pixels per
    unit, 1500 with ctrl or the right button.  Message thread only.
*/
class LinkableParameterKnob : public juce::Component,
                              public juce::SettableTooltipClient,
                              public ParameterLinkManager::ParameterController
{
public:
    static constexpr float dragPixelsPerUnit = 150.0f;
    static constexpr float fineDragPixelsPerUnit = 1500.0f;
    static constexpr float wheelFactor = 0.15f;
    static constexpr float ratioLimit = 2.0f;

    /** Registers the controller of the index with the link model (reading
        the current value).  The strip is not owned; linkBackground is the
        panel-sized image shown behind the knob while its ratio is shown. */
    LinkableParameterKnob (const juce::String& name, ParameterLinkManager* manager, int parameterIndex,
                           Korvalden::GUI::ImageStrip* strip, const juce::Image& linkBackground);

    /** Closes a drag's group gesture that is still open. */
    ~LinkableParameterKnob() override;

    /** The label that shows the value text or the ratio; not owned, may be null. */
    void setValueLabel (juce::Label* label);
    juce::Label* getValueLabel() const noexcept { return valueLabel; }

    /** Quantises dragged values inside 0..1 to multiples of 1/steps (0: continuous). */
    void setSteps (int normalSteps, int fineSteps);

    /** Writes the value text, or in link mode the ratio as "%+5.1f%%", into
        the label with notification. */
    void updateValueLabel();

    /** Ends a running knob or handle drag as a release would, closing its
        gesture (for a press that something else takes over). */
    void endDrag();

    /** On: presses off the ratio handle start no knob drag (the link
        overlay drags a link from them); off: presses turn the knob as
        usual.  The handle sets the ratio in both.  Switching ends a running
        drag.  Message thread. */
    void setDragsLinks (bool on);
    bool dragsLinks() const noexcept { return pressesDragLinks; }

    /** Whether a press at position (the knob's coordinates) is the link
        overlay's to drag a link from rather than the knob's own. */
    bool pressDragsLink (juce::Point<int> position) const noexcept
    {
        return pressesDragLinks && ! handleArea.contains (position);
    }

    /** The value reached by moving delta from start in the stretched space,
        quantised to 1/steps inside 0..1 when steps is not 0.  Values beyond
        0..1 are returned as they are. */
    static float mapDragToValue (int steps, float start, float delta);

    juce::Rectangle<int> getKnobArea() const noexcept { return knobArea; }
    juce::Rectangle<int> getHandleArea() const noexcept { return handleArea; }
    bool isInLinkMode() const noexcept { return linkMode; }
    bool isDraggingKnob() const noexcept { return draggingKnob; }

    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseMove (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override;
    void paint (juce::Graphics&) override;
    void modifierKeysChanged (const juce::ModifierKeys&) override;
    void resized() override;
    void enablementChanged() override;
    void visibilityChanged() override;
    void parentHierarchyChanged() override;

    /** The link model moved this parameter: refreshes the label and repaints. */
    void valueChanged() override;

private:
    static bool isFine (const juce::ModifierKeys& mods) { return mods.isCtrlDown() || mods.isRightButtonDown(); }
    float currentRatio() const;
    void storeRatio (float ratio);
    void closeGesture();

    juce::Rectangle<int> knobArea, handleArea;
    bool hover = false;
    bool linkMode = false;
    bool draggingKnob = false;
    bool draggingHandle = false;
    bool fineDrag = false;
    bool pressesDragLinks = false;
    int dragStartY = 0;
    int lastDragY = 0;
    float dragStartValue = 0.0f;
    int stepsNormal = 0;
    int stepsFine = 0;
    juce::Image linkBackground;
    Korvalden::GUI::ImageStrip* strip;
    juce::Label* valueLabel = nullptr;
    std::vector<int> gestureMembers; ///< the group whose gesture a knob drag holds open
    bool gestureOpen = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LinkableParameterKnob)
};
