#include "gui/DoubleAlphaMaskImageButton.h"

#include "gui/AlphaMaskImageButton.h"
#include "gui/ResourceManager.h"

namespace Korvalden::GUI
{
using Resources::ResourceManager;

DoubleAlphaMaskImageButton::DoubleAlphaMaskImageButton (const juce::String& name, const juce::Image& firstMask,
                                                        const juce::Image& secondMask)
    : juce::Button (name),
      firstImage (ResourceManager::createTintedImage (firstMask, juce::Colour (0xFF000000))),
      secondImage (ResourceManager::createTintedImage (secondMask, juce::Colour (0xFF000000)))
{
    AlphaMaskImageButton::setDefaultStateColours (*this);
}

void DoubleAlphaMaskImageButton::paintButton (juce::Graphics& g, bool over, bool down)
{
    const int first = AlphaMaskImageButton::getStateIndex (*this, over, down);
    const int second = first == AlphaMaskImageButton::disabledColourId ? first : 3 - first;

    if (first != firstIndex)
    {
        ResourceManager::tintImage (firstImage, findColour (first));
        firstIndex = first;
    }
    if (second != secondIndex)
    {
        ResourceManager::tintImage (secondImage, findColour (second));
        secondIndex = second;
    }

    const auto placement = juce::RectanglePlacement::centred | juce::RectanglePlacement::doNotResize;
    for (const auto* image : { &firstImage, &secondImage })
        if (image->isValid())
            g.drawImage (*image, getLocalBounds().toFloat(), placement);
}

void DoubleAlphaMaskImageButton::colourChanged()
{
    ResourceManager::tintImage (firstImage, findColour (firstIndex));
    ResourceManager::tintImage (secondImage, findColour (secondIndex));
    repaint();
}
} // namespace Korvalden::GUI
