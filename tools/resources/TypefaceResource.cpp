#include "TypefaceResource.h"

juce::MemoryBlock makeTypefaceStream (juce::Typeface& source, const juce::String& familyName)
{
    juce::CustomTypeface typeface;
    typeface.setCharacteristics (familyName, "Regular", source.getAscent(), ' ');

    // Printable ASCII, then the printable half of Latin-1 (no-break space to ÿ).
    typeface.addGlyphsFromOtherTypeface (source, 0x20, 0x7F - 0x20);
    typeface.addGlyphsFromOtherTypeface (source, 0xA0, 0x100 - 0xA0);

    juce::MemoryOutputStream out;
    if (! typeface.writeToStream (out))
        return {};
    return out.getMemoryBlock();
}
