#include "gui/ImageTextButton.h"

namespace Korvalden::GUI
{
void ImageTextButton::setImages (const juce::Image& normal, const juce::Image& over, const juce::Image& down)
{
    const juce::Colour noOverlay (0x00FFFFFF);
    juce::ImageButton::setImages (false, false, true,
                                  normal, 1.0f, noOverlay,
                                  over, 1.0f, noOverlay,
                                  down, 1.0f, noOverlay,
                                  0.0f);

    normalTextArea.setSize (normal.getWidth(), normal.getHeight());
    overTextArea.setSize (over.getWidth(), over.getHeight());
}

void ImageTextButton::paintButton (juce::Graphics& g, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    juce::ImageButton::paintButton (g, shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);

    g.setColour (findColour (shouldDrawButtonAsDown ? juce::TextButton::textColourOnId
                                                    : juce::TextButton::textColourOffId));
    g.setFont (juce::LookAndFeel::getDefaultLookAndFeel().getPopupMenuFont().withHeight (0.4f * (float) getHeight()));

    const auto& area = (shouldDrawButtonAsHighlighted && ! shouldDrawButtonAsDown) ? overTextArea : normalTextArea;
    g.drawText (getButtonText(), area, juce::Justification::centred, false);
}
} // namespace Korvalden::GUI
