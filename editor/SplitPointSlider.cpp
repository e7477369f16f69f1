#include "editor/SplitPointSlider.h"

#include "engine/MultiSoundVoiceController.h"

#include <optional>

namespace SplitPointSlider
{
namespace
{
    // The thumbs as last shown or written, kept with the slider, so that a
    // move is told apart from what a resync put there.
    const juce::Identifier thumbsKept ("splitThumbsKept");

    void keep (juce::Slider& slider, const std::array<int, 3>& thumbs)
    {
        juce::Array<juce::var> values;
        for (auto thumb : thumbs)
            values.add (thumb);
        slider.getProperties().set (thumbsKept, values);
    }

    std::optional<std::array<int, 3>> kept (const juce::Slider& slider)
    {
        const auto* values = slider.getProperties()[thumbsKept].getArray();
        if (values == nullptr || values->size() != 3)
            return std::nullopt;
        return std::array<int, 3> { (int) (*values)[0], (int) (*values)[1], (int) (*values)[2] };
    }
}

bool hasThreeThumbs (const juce::Slider& slider)
{
    const auto style = slider.getSliderStyle();
    return style == juce::Slider::ThreeValueHorizontal || style == juce::Slider::ThreeValueVertical;
}

void show (juce::Slider& slider, const MultiSoundVoiceController& controller)
{
    if (! hasThreeThumbs (slider))
        return;

    const int s1 = controller.getSplitPoint (0), s2 = controller.getSplitPoint (1), s3 = controller.getSplitPoint (2);
    slider.setMinAndMaxValues ((double) juce::jmin (s1, s3), (double) juce::jmax (s1, s3), juce::dontSendNotification);
    slider.setValue ((double) s2, juce::dontSendNotification);
    keep (slider, read (slider));
}

void writeMovedThumbs (juce::Slider& slider, MultiSoundVoiceController& controller)
{
    if (! hasThreeThumbs (slider))
        return;

    const auto thumbs = read (slider);
    const auto before = kept (slider);

    // Points held out of order show point 3 on the lower thumb.
    const bool swapped = controller.getSplitPoint (0) > controller.getSplitPoint (2);
    const unsigned int pointOfThumb[] { swapped ? 2u : 0u, 1u, swapped ? 0u : 2u };

    for (size_t thumb = 0; thumb < thumbs.size(); ++thumb)
        if (! before.has_value() || (*before)[thumb] != thumbs[thumb])
            controller.setSplitPoint (pointOfThumb[thumb], thumbs[thumb]);

    keep (slider, thumbs);
}

std::array<int, 3> read (const juce::Slider& slider)
{
    auto truncated = [] (double v) { return std::isfinite (v) ? (int) juce::jlimit (-1.0e6, 1.0e6, v) : 0; };
    return { truncated (slider.getMinValue()), truncated (slider.getValue()), truncated (slider.getMaxValue()) };
}
}
