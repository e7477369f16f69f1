#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** A button drawn from one alpha mask (white = opaque), coloured with the
    colour of its state.

    The state colours are the button's colour ids 0..4, which the editor
    overrides per button.  The mask is coloured in once; later state changes
    recolour that copy, keeping its alpha.  Drawn centred at its own size.
    Message thread.
*/
class AlphaMaskImageButton : public juce::Button
{
public:
    /** Colour ids of the states. */
    enum StateColourIds
    {
        normalColourId = 0,
        overColourId = 1,
        downColourId = 2,
        onColourId = 3,
        disabledColourId = 4
    };

    AlphaMaskImageButton (const juce::String& name, const juce::Image& alphaMask);

    /** The state colour id for painting: disabled (the button or a parent)
        gives 4.  A toggling button: pressed gives 1 when on and 2 when off;
        else on gives 2 under the mouse and 3 otherwise, off 1 and 0.  Any
        other button: 2 pressed, 1 under the mouse, else 0. */
    static int getStateIndex (const juce::Button& button, bool over, bool down);

    /** Sets colour ids 0..4 to their defaults (grey, light grey, white,
        light grey, black). */
    static void setDefaultStateColours (juce::Button& button);

    /** The coloured copy of the mask and the state whose colour it carries. */
    const juce::Image& getTintedImage() const noexcept { return tintedImage; }
    int getCurrentStateIndex() const noexcept { return stateIndex; }

    void paintButton (juce::Graphics& g, bool over, bool down) override;
    void colourChanged() override;

private:
    juce::Image tintedImage;
    int stateIndex = normalColourId;
};
} // namespace Korvalden::GUI
