#include "editor/SplitPointSlider.h"

#include "engine/MultiSoundVoiceController.h"

namespace SplitPointSlider
{
namespace
{
    std::array<int, 3> held (const MultiSoundVoiceController& controller)
    {
        return { controller.getSplitPoint (0), controller.getSplitPoint (1), controller.getSplitPoint (2) };
    }
}

bool hasThreeThumbs (const juce::Slider& slider)
{
    const auto style = slider.getSliderStyle();
    return style == juce::Slider::ThreeValueHorizontal || style == juce::Slider::ThreeValueVertical;
}

void showAndApply (juce::Slider& slider, MultiSoundVoiceController& controller)
{
    if (! hasThreeThumbs (slider))
        return;

    const auto points = held (controller);
    slider.setMinAndMaxValues ((double) juce::jmin (points[0], points[2]), (double) juce::jmax (points[0], points[2]),
                               juce::dontSendNotification);
    slider.setValue ((double) points[1], juce::dontSendNotification);

    // Written here rather than by a thumb's change notification: a thumb
    // that does not move sends none, and a notification delivered later
    // would write these thumbs over points a preset loaded in between.
    if (read (slider) != points)
        apply (slider, controller);
}

void apply (const juce::Slider& slider, MultiSoundVoiceController& controller)
{
    const auto points = read (slider);
    for (unsigned int i = 0; i < MultiSoundVoiceController::numSplitPoints; ++i)
        controller.setSplitPoint (i, points[i]);
}

std::array<int, 3> read (const juce::Slider& slider)
{
    auto truncated = [] (double v) { return std::isfinite (v) ? (int) juce::jlimit (-1.0e6, 1.0e6, v) : 0; };
    return { truncated (slider.getMinValue()), truncated (slider.getValue()), truncated (slider.getMaxValue()) };
}
}
