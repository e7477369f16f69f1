#include "editor/SplitPointSlider.h"

namespace SplitPointSlider
{
bool hasThreeThumbs (const juce::Slider& slider)
{
    const auto style = slider.getSliderStyle();
    return style == juce::Slider::ThreeValueHorizontal || style == juce::Slider::ThreeValueVertical;
}

void show (juce::Slider& slider, int s1, int s2, int s3)
{
    if (! hasThreeThumbs (slider))
        return;
    slider.setMinAndMaxValues ((double) juce::jmin (s1, s3), (double) juce::jmax (s1, s3), juce::dontSendNotification);
    slider.setValue ((double) s2, juce::dontSendNotification);
}

std::array<int, 3> read (const juce::Slider& slider)
{
    auto truncated = [] (double v) { return std::isfinite (v) ? (int) juce::jlimit (-1.0e6, 1.0e6, v) : 0; };
    return { truncated (slider.getMinValue()), truncated (slider.getValue()), truncated (slider.getMaxValue()) };
}
}
