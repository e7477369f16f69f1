#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The master-volume slider's look-and-feel: no track, and a white bar as
    thumb, as high as the slider.  Message thread only. */
class MasterVolSliderLookAndFeel : public juce::LookAndFeel_V2
{
public:
    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height,
                                     float sliderPos, float minSliderPos, float maxSliderPos,
                                     juce::Slider::SliderStyle, juce::Slider&) override;
    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height,
                                float sliderPos, float minSliderPos, float maxSliderPos,
                                juce::Slider::SliderStyle, juce::Slider&) override;
    int getSliderThumbRadius (juce::Slider&) override;
};
