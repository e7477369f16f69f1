#include "gui/ImageToggleButton.h"

namespace Korvalden::GUI
{
ImageToggleButton::ImageToggleButton (const juce::String& name) : juce::Button (name)
{
    setClickingTogglesState (true);
}

void ImageToggleButton::setImages (const juce::Image& off, const juce::Image& offOver,
                                   const juce::Image& on, const juce::Image& onOver)
{
    offImage = off;
    offOverImage = offOver;
    onImage = on;
    onOverImage = onOver;
    repaint();
}

const juce::Image& ImageToggleButton::getImageFor (bool over, bool down) const
{
    const bool on = getToggleState();
    if (down)
        return on ? offOverImage : onOverImage;
    if (over)
        return on ? onOverImage : offOverImage;
    return on ? onImage : offImage;
}

void ImageToggleButton::paintButton (juce::Graphics& g, bool over, bool down)
{
    const auto& image = getImageFor (over, down);
    if (image.isValid())
        g.drawImage (image, getLocalBounds().toFloat(),
                     juce::RectanglePlacement::centred | juce::RectanglePlacement::doNotResize);
}
} // namespace Korvalden::GUI
