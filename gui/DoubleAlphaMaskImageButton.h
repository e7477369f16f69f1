#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** A button drawn from two alpha masks, the second over the first, coloured
    with mirrored state colours: the first follows the state like an
    AlphaMaskImageButton, the second takes 3 minus that (0 and 3, 1 and 2
    swap); disabled colours both with 4.  Same colour ids 0..4 and defaults.
    Message thread. */
class DoubleAlphaMaskImageButton : public juce::Button
{
public:
    DoubleAlphaMaskImageButton (const juce::String& name, const juce::Image& firstMask, const juce::Image& secondMask);

    const juce::Image& getFirstTintedImage() const noexcept { return firstImage; }
    const juce::Image& getSecondTintedImage() const noexcept { return secondImage; }
    int getFirstStateIndex() const noexcept { return firstIndex; }
    int getSecondStateIndex() const noexcept { return secondIndex; }

    void paintButton (juce::Graphics& g, bool over, bool down) override;
    void colourChanged() override;

private:
    juce::Image firstImage, secondImage;
    int firstIndex = 0;
    int secondIndex = 3;
};
} // namespace Korvalden::GUI
