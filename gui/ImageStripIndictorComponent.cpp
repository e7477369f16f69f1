#include "gui/ImageStripIndictorComponent.h"

namespace Korvalden::GUI
{
ImageStripIndictorComponent::ImageStripIndictorComponent (const juce::String& name, const juce::Image& stripImage,
                                                          int count, bool horizontal)
    : juce::Component (name), strip (stripImage, count, horizontal)
{
}

void ImageStripIndictorComponent::setValue (float v)
{
    if (strip.setValue (v))
        repaint();
}

void ImageStripIndictorComponent::paint (juce::Graphics& g)
{
    const auto& frame = strip.getCurrentFrame();
    if (frame.isValid())
        g.drawImage (frame, getLocalBounds().toFloat(),
                     juce::RectanglePlacement::centred | juce::RectanglePlacement::doNotResize);
}
} // namespace Korvalden::GUI
