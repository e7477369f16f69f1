#pragma once

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <cmath>

/** Relative luminance of an opaque colour, as contrast guidelines define it. */
inline double luminance (juce::Colour colour)
{
    const auto linear = [] (juce::uint8 value)
    {
        const double v = value / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow ((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear (colour.getRed()) + 0.7152 * linear (colour.getGreen()) + 0.0722 * linear (colour.getBlue());
}

/** 1 for equal luminance up to 21 for black on white; 3 is the least a symbol needs. */
inline double contrast (juce::Colour a, juce::Colour b)
{
    const double la = luminance (a), lb = luminance (b);
    return (std::max (la, lb) + 0.05) / (std::min (la, lb) + 0.05);
}
