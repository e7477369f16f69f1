#include "gui/ParameterRadioButton.h"

#include "gui/ResourceManager.h"

// The processor is reached through the framework's index-based parameter API.
JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace Korvalden::GUI
{
namespace
{
int atLeastTwo (int n) { return juce::jmax (2, n); }
} // namespace

ParameterRadioButton::ParameterRadioButton (const juce::String& name, juce::AudioProcessor* processorToUse,
                                            int parameterIndex, int n, int p, const juce::Image& alphaMask,
                                            juce::Colour normal, juce::Colour hovered, juce::Colour selectedCol)
    : juce::Component (name),
      processor (processorToUse),
      index (parameterIndex),
      positionValue ((float) juce::jlimit (0, atLeastTwo (n) - 1, p) / (float) (atLeastTwo (n) - 1)),
      lowerBound (((float) juce::jlimit (0, atLeastTwo (n) - 1, p) - 0.5f) / (float) (atLeastTwo (n) - 1)),
      upperBound (((float) juce::jlimit (0, atLeastTwo (n) - 1, p) + 0.5f) / (float) (atLeastTwo (n) - 1)),
      tintedImage (Resources::ResourceManager::createTintedImage (alphaMask, normal)),
      normalColour (normal),
      hoverColour (hovered),
      selectedColour (selectedCol)
{
}

void ParameterRadioButton::mouseEnter (const juce::MouseEvent&)
{
    setDisplayState (true, selected);
}

void ParameterRadioButton::mouseExit (const juce::MouseEvent&)
{
    setDisplayState (false, selected);
}

void ParameterRadioButton::mouseDown (const juce::MouseEvent& e)
{
    if (processor == nullptr || e.mods.isRightButtonDown())
        return;
    processor->beginParameterChangeGesture (index);
    processor->setParameterNotifyingHost (index, positionValue);
    processor->endParameterChangeGesture (index);
}

void ParameterRadioButton::parameterChanged (int changedIndex, float value)
{
    if (changedIndex != index)
        return;
    setDisplayState (hover, lowerBound < value && value <= upperBound);
}

void ParameterRadioButton::setDisplayState (bool newHover, bool newSelected)
{
    if (newSelected)
    {
        if (! selected)
            Resources::ResourceManager::tintImage (tintedImage, selectedColour);
    }
    else if (selected || newHover != hover)
    {
        Resources::ResourceManager::tintImage (tintedImage, newHover ? hoverColour : normalColour);
    }

    hover = newHover;
    selected = newSelected;
    repaint();
}

void ParameterRadioButton::paint (juce::Graphics& g)
{
    if (tintedImage.isValid())
        g.drawImageAt (tintedImage, 0, 0);
}
} // namespace Korvalden::GUI

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
