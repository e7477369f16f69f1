#pragma once

#include <juce_core/juce_core.h>

#include <cmath>

/** What the devices' LEDs show for the engine's readings.  Plain functions,
    any thread. */
namespace DeviceLedValues
{
    /** Drive levels up to 0.1 leave the LED dark; 1.0 lights it fully. */
    inline float drive (float level)
    {
        constexpr float floor = 0.1f;
        const float m = level - floor;
        return m >= 0.0f ? m / (1.0f - floor) : 0.0f;
    }

    /** A value the LED's strip can show: above 1 the last frame, below 0
        (or not a number) the first, never an empty frame. */
    inline float shown (float v)
    {
        return std::isfinite (v) ? juce::jlimit (0.0f, 1.0f, v) : 0.0f;
    }
}
