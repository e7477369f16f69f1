#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** A toggle button drawn from four images: off, off under the mouse, on, and
    on under the mouse.  While pressed it shows the image of the state a click
    leads to.  Images are drawn centred at their own size.  Message thread. */
class ImageToggleButton : public juce::Button
{
public:
    explicit ImageToggleButton (const juce::String& name = {});

    void setImages (const juce::Image& off, const juce::Image& offOver,
                    const juce::Image& on, const juce::Image& onOver);

    /** The image for the toggle state and the mouse. */
    const juce::Image& getImageFor (bool over, bool down) const;

    void paintButton (juce::Graphics& g, bool over, bool down) override;

private:
    juce::Image offImage, offOverImage, onImage, onOverImage;
};
} // namespace Korvalden::GUI
