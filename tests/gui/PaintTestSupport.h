#pragma once

#include "gui/EmbeddedTypefaceLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>

/** Paints a component headless, the way its window would. */
inline juce::Image paintToImage (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
    juce::Graphics g (image);
    component.paintEntireComponent (g, true);
    return image;
}

/** Sum of the red, green and blue differences. */
inline int colourDistance (juce::Colour a, juce::Colour b)
{
    return std::abs (a.getRed() - b.getRed()) + std::abs (a.getGreen() - b.getGreen())
         + std::abs (a.getBlue() - b.getBlue());
}

/** The device (0..3) whose colour is nearest to the pixel. */
inline int nearestDevice (juce::Colour pixel)
{
    int best = 0;
    for (int device = 1; device < 4; ++device)
        if (colourDistance (pixel, juce::Colour (EmbeddedTypefaceLookAndFeel::deviceColour[(size_t) device]))
            < colourDistance (pixel, juce::Colour (EmbeddedTypefaceLookAndFeel::deviceColour[(size_t) best])))
            best = device;
    return best;
}

/** Runs the message loop long enough for posted messages to arrive. */
inline void dispatchMessages (int milliseconds = 30)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

/** Writes a PNG for a person to look at when KEST_TEST_PNG_FOLDER is set. */
inline void savePngForLooking (const juce::Image& image, const juce::String& name)
{
    const auto folder = juce::SystemStats::getEnvironmentVariable ("KEST_TEST_PNG_FOLDER", {});
    if (folder.isEmpty())
        return;
    auto file = juce::File (folder).getChildFile (name + ".png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (image, out);
}

/** The MIDI channel that reaches the engine's global voice controller,
    whatever receive channel the user's settings give it (omni plays on 1). */
template <typename Engine>
int globalPlayingChannel (const Engine& engine)
{
    const auto global = (int) engine.getReceiveChannel (0);
    return global >= 1 && global <= 16 ? global : 1;
}
