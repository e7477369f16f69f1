#pragma once

#include <juce_core/juce_core.h>

/** The copy buffer shared by all copy groups of one editor.

    name is the copying group's name followed by "_V" (values), "_C" (link
    ratios) or "_B" (both); data holds the copied numbers as little-endian
    32-bit floats in the group's order.  Empty until the first copy; it lives
    and dies with the editor, so a copy is not shared between instances.
    Message thread.
*/
struct ParameterClipboard
{
    juce::String name;
    juce::MemoryBlock data;
};
