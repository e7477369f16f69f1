#include "editor/SplitPointSlider.h"

#include "editor/EditorComponentNames.h"

SplitPointSlider::SplitPointSlider()
    : juce::Slider (juce::Slider::ThreeValueHorizontal, juce::Slider::NoTextBox)
{
    setName (EditorNames::splitPointSlider);
    setRange (0.0, 127.0, 1.0);
    setMinAndMaxValues (0.0, 127.0, juce::dontSendNotification);
    setScrollWheelEnabled (false);
}

void SplitPointSlider::showSplitPoints (int s1, int s2, int s3)
{
    // Each value is limited to the range and snapped to the interval.
    setMinAndMaxValues ((double) juce::jmin (s1, s3), (double) juce::jmax (s1, s3), juce::dontSendNotification);
    setValue ((double) s2, juce::dontSendNotification);
}

std::array<int, 3> SplitPointSlider::getSplitPoints() const
{
    auto truncated = [] (double v) { return std::isfinite (v) ? (int) juce::jlimit (-1.0e6, 1.0e6, v) : 0; };
    return { truncated (getMinValue()), truncated (getValue()), truncated (getMaxValue()) };
}
