#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** An image button that writes its button text over its image: in the
    normal text area, or in the over text area while the mouse is over it and
    it is not pressed.  The text uses TextButton::textColourOnId while pressed
    and TextButton::textColourOffId otherwise.  Message thread only. */
class ImageTextButton : public juce::ImageButton
{
public:
    ImageTextButton() = default;

    /** Sets the three images unscaled and fully opaque, and sizes both text
        areas to their images (keeping the areas' positions). */
    void setImages (const juce::Image& normal, const juce::Image& over, const juce::Image& down);

    juce::Rectangle<int> normalTextArea;
    juce::Rectangle<int> overTextArea;

protected:
    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImageTextButton)
};
} // namespace Korvalden::GUI
