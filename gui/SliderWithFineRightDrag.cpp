#include "gui/SliderWithFineRightDrag.h"

namespace Korvalden::GUI
{
juce::MouseEvent SliderWithFineRightDrag::asFineLeftDrag (const juce::MouseEvent& e)
{
    const auto mods = e.mods.withoutFlags (juce::ModifierKeys::rightButtonModifier
                                           | juce::ModifierKeys::leftButtonModifier
                                           | juce::ModifierKeys::ctrlModifier)
                          .withFlags (juce::ModifierKeys::leftButtonModifier | juce::ModifierKeys::ctrlModifier);

    return juce::MouseEvent (e.source, e.position, mods, e.pressure, e.orientation, e.rotation, e.tiltX, e.tiltY,
                             e.eventComponent, e.originalComponent, e.eventTime, e.mouseDownPosition,
                             e.mouseDownTime, e.getNumberOfClicks(), e.mouseWasDraggedSinceMouseDown());
}

void SliderWithFineRightDrag::mouseDown (const juce::MouseEvent& e)
{
    juce::Slider::mouseDown (e.mods.isRightButtonDown() ? asFineLeftDrag (e) : e);
}

void SliderWithFineRightDrag::mouseDrag (const juce::MouseEvent& e)
{
    if (! isEnabled())
        return;

    if (e.mods.isRightButtonDown())
        juce::Slider::mouseDrag (asFineLeftDrag (e));
    else
        juce::Slider::mouseDrag (e);
}
} // namespace Korvalden::GUI
