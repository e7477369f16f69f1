#pragma once

#include "gui/ParameterGUILinker.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** One position of a stepped parameter, drawn from an alpha mask.

    Position p of n stands for the value p / (n - 1) and is shown selected
    while the parameter lies in ((p - 0.5) / (n - 1), (p + 0.5) / (n - 1)].
    A click sets the parameter to the position's value inside a change
    gesture; a right-button press leaves it, as it is the press that opens
    the editor's menu.  The colours: normal, under the mouse, selected
    (which wins over the mouse).  The editor registers it as the
    parameter's callback.  Message thread.
*/
class ParameterRadioButton : public juce::Component,
                             public Parameter::ParameterGUILinker::ParameterChangeCallback,
                             public juce::SettableTooltipClient
{
public:
    /** n below 2 is taken as 2; p is limited to 0..n-1.  The processor is not owned. */
    ParameterRadioButton (const juce::String& name, juce::AudioProcessor* processor, int index, int n, int p,
                          const juce::Image& alphaMask, juce::Colour normalColour, juce::Colour hoverColour,
                          juce::Colour selectedColour);

    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics& g) override;

    void parameterChanged (int index, float value) override;

    float getPositionValue() const noexcept { return positionValue; }
    bool isSelected() const noexcept { return selected; }
    bool isHovered() const noexcept { return hover; }
    const juce::Image& getTintedImage() const noexcept { return tintedImage; }

private:
    void setDisplayState (bool newHover, bool newSelected);

    juce::AudioProcessor* processor;
    int index;
    float positionValue;
    float lowerBound, upperBound;
    juce::Image tintedImage;
    juce::Colour normalColour, hoverColour, selectedColour;
    bool hover = false;
    bool selected = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ParameterRadioButton)
};
} // namespace Korvalden::GUI
