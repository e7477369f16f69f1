#pragma once

#include <juce_graphics/juce_graphics.h>

namespace Korvalden::Resources
{
/** The largest image a resource may hold: no side longer than this... */
constexpr int maximumImageSide = 16384;

/** ...and no more pixels than this (64 MiB as ARGB). */
constexpr juce::int64 maximumImagePixels = (juce::int64) 4096 * 4096;

/** The PNG or JPEG image in the bytes, decoded by the framework's own loader;
    a null image for anything else.

    The framework's loaders do not survive every damaged file: a failed PNG
    read jumps into a stack frame that has already returned, a JPEG read goes
    on after its error handler, and a header may declare an image far larger
    than its data.  So the bytes are first read from start to end by the same
    decoding library, with the loader's own steps and proper error handling,
    and go to the loader only when that read met no error and the image is
    within the bounds above.  A cut or damaged file, a foreign format and a
    GIF (whose framework reader cannot be checked from outside) give a null
    image.  Any thread. */
juce::Image decodeImageResource (const void* data, size_t size);
} // namespace Korvalden::Resources
