#include "gui/MasterVolSliderLookAndFeel.h"

void MasterVolSliderLookAndFeel::drawLinearSliderBackground (juce::Graphics&, int, int, int, int, float, float, float,
                                                             juce::Slider::SliderStyle, juce::Slider&)
{
}

void MasterVolSliderLookAndFeel::drawLinearSliderThumb (juce::Graphics& g, int, int, int, int, float sliderPos, float,
                                                        float, juce::Slider::SliderStyle, juce::Slider& slider)
{
    const auto r = (float) getSliderThumbRadius (slider);
    g.setColour (juce::Colours::white);
    g.fillRoundedRectangle (sliderPos - r / 2.0f, 0.0f, r, (float) slider.getHeight(), r / 2.0f);
}

int MasterVolSliderLookAndFeel::getSliderThumbRadius (juce::Slider&)
{
    return 5;
}
