#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A mouse event for c at position (c's coordinates), pressed at downPosition. */
inline juce::MouseEvent mouseAt (juce::Component& c, juce::Point<float> position, juce::Point<float> downPosition,
                                 juce::ModifierKeys mods, bool dragged, int clicks = 1)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, mods,
                             juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                             juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                             juce::MouseInputSource::defaultTiltY, &c, &c, now, downPosition, now, clicks, dragged);
}
