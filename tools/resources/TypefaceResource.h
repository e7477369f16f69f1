#pragma once

#include <juce_graphics/juce_graphics.h>

// The bundle's typeface "HelveticaNeue" (type BINARY): the framework's custom
// typeface stream (juce::CustomTypeface::writeToStream) copied glyph by glyph
// from a real font, covering printable ASCII and Latin-1.  Empty when the
// source gives no glyphs.
juce::MemoryBlock makeTypefaceStream (juce::Typeface& source, const juce::String& familyName);
