#include "gui/AlphaMaskImageButton.h"

#include "gui/ResourceManager.h"

namespace Korvalden::GUI
{
using Resources::ResourceManager;

AlphaMaskImageButton::AlphaMaskImageButton (const juce::String& name, const juce::Image& alphaMask)
    : juce::Button (name),
      tintedImage (ResourceManager::createTintedImage (alphaMask, juce::Colour (0xFF000000)))
{
    setDefaultStateColours (*this);
}

int AlphaMaskImageButton::getStateIndex (const juce::Button& button, bool over, bool down)
{
    if (! button.isEnabled())
        return disabledColourId;

    if (button.getClickingTogglesState())
    {
        const bool on = button.getToggleState();
        if (down)
            return on ? overColourId : downColourId;
        if (on)
            return over ? downColourId : onColourId;
        return over ? overColourId : normalColourId;
    }

    if (down)
        return downColourId;
    return over ? overColourId : normalColourId;
}

void AlphaMaskImageButton::setDefaultStateColours (juce::Button& button)
{
    button.setColour (normalColourId, juce::Colour (0xFF555555));
    button.setColour (overColourId, juce::Colour (0xFF808080));
    button.setColour (downColourId, juce::Colour (0xFFFFFFFF));
    button.setColour (onColourId, juce::Colour (0xFFD3D3D3));
    button.setColour (disabledColourId, juce::Colour (0xFF000000));
}

void AlphaMaskImageButton::paintButton (juce::Graphics& g, bool over, bool down)
{
    const int index = getStateIndex (*this, over, down);
    if (index != stateIndex)
    {
        ResourceManager::tintImage (tintedImage, findColour (index));
        stateIndex = index;
    }

    if (tintedImage.isValid())
        g.drawImage (tintedImage, getLocalBounds().toFloat(),
                     juce::RectanglePlacement::centred | juce::RectanglePlacement::doNotResize);
}

void AlphaMaskImageButton::colourChanged()
{
    ResourceManager::tintImage (tintedImage, findColour (stateIndex));
    repaint();
}
} // namespace Korvalden::GUI
