#include "gui/ParameterRadioButton.h"
#include "gui/SliderWithFineRightDrag.h"
#include "tests/support/EventFilters.h"
#include "tests/support/MouseEvents.h"

#include <gtest/gtest.h>

using Korvalden::GUI::ParameterRadioButton;
using Korvalden::GUI::SliderWithFineRightDrag;
using Event = FakeDirtyCheckProcessor::Event;

namespace
{
const juce::Colour normal (0xFF7D7D7D), hover (0xFF00AFDB), selected (0xFFFFF000);

juce::Image opaqueMask()
{
    juce::Image mask (juce::Image::RGB, 6, 6, false);
    mask.clear (mask.getBounds(), juce::Colours::white);
    return mask;
}

/** Presses at the middle, drags up by the steps (pixels), releases; the value at the end. */
double dragUp (juce::Slider& slider, juce::ModifierKeys buttonAndKeys, std::initializer_list<float> steps)
{
    const juce::Point<float> start (20.0f, 20.0f);
    slider.mouseDown (mouseAt (slider, start, start, buttonAndKeys, false));
    float y = start.y;
    for (auto step : steps)
    {
        y -= step;
        slider.mouseDrag (mouseAt (slider, { start.x, y }, start, buttonAndKeys, true));
    }
    slider.mouseUp (mouseAt (slider, { start.x, y }, start, buttonAndKeys.withoutMouseButtons(), true));
    return slider.getValue();
}

void makeKnob (juce::Slider& slider)
{
    slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    slider.setRange (0.0, 1.0);
    slider.setValue (0.5, juce::dontSendNotification);
    slider.setBounds (0, 0, 40, 40);
}
} // namespace

TEST (ParameterRadioButton, SelectedInsideItsHalfOpenInterval)
{
    FakeDirtyCheckProcessor processor;
    ParameterRadioButton button ("Mode2", &processor, 40, 5, 2, opaqueMask(), normal, hover, selected);
    EXPECT_FLOAT_EQ (button.getPositionValue(), 0.5f);

    const std::pair<float, bool> cases[] = { { 0.375f, false }, { 0.3751f, true }, { 0.5f, true },
                                             { 0.625f, true }, { 0.6251f, false }, { 0.0f, false } };
    for (auto [value, expected] : cases)
    {
        button.parameterChanged (40, value);
        EXPECT_EQ (button.isSelected(), expected) << value;
    }

    button.parameterChanged (40, 0.5f);
    button.parameterChanged (41, 0.0f);
    EXPECT_TRUE (button.isSelected());

    ParameterRadioButton first ("Mode0", &processor, 40, 5, 0, opaqueMask(), normal, hover, selected);
    first.parameterChanged (40, 0.0f);
    EXPECT_TRUE (first.isSelected()); // (-0.125, 0.125]
    first.parameterChanged (40, 0.126f);
    EXPECT_FALSE (first.isSelected());
}

TEST (ParameterRadioButton, ColoursFollowHoverButSelectionWins)
{
    FakeDirtyCheckProcessor processor;
    ParameterRadioButton button ("Mode1", &processor, 3, 3, 1, opaqueMask(), normal, hover, selected);
    auto colour = [&button] { return button.getTintedImage().getPixelAt (2, 2); };

    EXPECT_EQ (colour(), normal);
    auto event = mouseAt (button, {}, {}, {}, false);
    button.mouseEnter (event);
    EXPECT_EQ (colour(), hover);
    button.parameterChanged (3, 0.5f);
    EXPECT_EQ (colour(), selected);
    button.mouseExit (event);
    EXPECT_EQ (colour(), selected);
    button.parameterChanged (3, 1.0f);
    EXPECT_EQ (colour(), normal);
    button.mouseEnter (event);
    button.parameterChanged (3, 0.0f);
    EXPECT_EQ (colour(), hover);
    EXPECT_TRUE (button.isHovered());
}

TEST (ParameterRadioButton, ClickSetsThePositionInsideAGesture)
{
    FakeDirtyCheckProcessor processor;
    ParameterRadioButton button ("Mode3", &processor, 12, 4, 3, opaqueMask(), normal, hover, selected);
    processor.takeEvents();

    button.mouseDown (mouseAt (button, {}, {}, juce::ModifierKeys::leftButtonModifier, false));
    EXPECT_EQ (hostEvents (processor), (std::vector<Event> { beginOf (12), valueOf (12, 1.0f), endOf (12) }));
    EXPECT_FLOAT_EQ (processor.getParameter (12), 1.0f);
}

TEST (SliderWithFineRightDrag, RightDragIsExactlyACtrlLeftDrag)
{
    const std::initializer_list<float> steps = { 3.0f, 7.0f, 12.0f, 5.0f };
    const auto left = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier);
    const auto ctrlLeft = left.withFlags (juce::ModifierKeys::ctrlModifier);
    const auto right = juce::ModifierKeys (juce::ModifierKeys::rightButtonModifier);

    SliderWithFineRightDrag fine;
    juce::Slider reference, plain;
    for (auto* s : { (juce::Slider*) &fine, &reference, &plain })
        makeKnob (*s);

    const double fineValue = dragUp (fine, right, steps);
    const double ctrlValue = dragUp (reference, ctrlLeft, steps);
    const double plainValue = dragUp (plain, left, steps);

    EXPECT_NE (fineValue, 0.5);
    EXPECT_DOUBLE_EQ (fineValue, ctrlValue);
    EXPECT_NE (fineValue, plainValue);

    // A left drag on it is the slider's own.
    SliderWithFineRightDrag leftOnly;
    makeKnob (leftOnly);
    EXPECT_DOUBLE_EQ (dragUp (leftOnly, left, steps), plainValue);
}

TEST (SliderWithFineRightDrag, DisabledSliderIgnoresDrags)
{
    juce::Component parent;
    SliderWithFineRightDrag fine;
    makeKnob (fine);
    parent.addAndMakeVisible (fine);
    parent.setEnabled (false);
    fine.mouseDrag (mouseAt (fine, { 20.0f, 0.0f }, { 20.0f, 20.0f }, juce::ModifierKeys::rightButtonModifier, true));
    EXPECT_EQ (fine.getValue(), 0.5);

    const auto converted = SliderWithFineRightDrag::asFineLeftDrag (
        mouseAt (fine, { 1.0f, 2.0f }, { 3.0f, 4.0f },
                 juce::ModifierKeys (juce::ModifierKeys::rightButtonModifier | juce::ModifierKeys::shiftModifier), true));
    EXPECT_EQ (converted.mods.getRawFlags(),
               juce::ModifierKeys::leftButtonModifier | juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier);
    EXPECT_EQ (converted.position, juce::Point<float> (1.0f, 2.0f));
    EXPECT_EQ (converted.mouseDownPosition, juce::Point<float> (3.0f, 4.0f));
    EXPECT_TRUE (converted.mouseWasDraggedSinceMouseDown());
}
