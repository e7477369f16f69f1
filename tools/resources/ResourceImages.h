#pragma once

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <vector>

// Every image of the bundle, drawn procedurally.  Each entry is the image's
// resource name and the function that draws it; the catalogue is the one
// list of image names the generator writes and the tests look for.
struct ImageEntry
{
    juce::String name;
    std::function<juce::Image()> draw;
};

std::vector<ImageEntry> imageCatalogue();

namespace ResourceImages
{
    // Strips (knobCount frames of a knob, stacked vertically; LEDs likewise).
    juce::Image knobStrip (juce::Colour arcColour);
    juce::Image ledStrip (juce::Colour colour);

    // Alpha masks: opaque greyscale, white where the icon is.
    juce::Image mask (int width, int height, const std::function<void (juce::Graphics&, juce::Rectangle<float>)>& drawIcon);
    std::vector<ImageEntry> iconMasks();

    // The panel's backgrounds.
    juce::Image panelBackground();
    juce::Image backgroundWithRings();
    juce::Image keyboardShadow();

    // Message box, preset tree, logos, cursor and the other small pictures.
    std::vector<ImageEntry> chromeImages();
}
