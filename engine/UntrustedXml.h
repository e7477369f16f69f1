#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace Korvalden::Misc
{
/** The one reader for XML that comes from outside the program (state blocks,
    preset files, the favourites file): input above maxUntrustedXmlBytes is
    refused before it is parsed.  Returns null for anything that is not one
    well-formed element.  Any thread; allocates. */
constexpr size_t maxUntrustedXmlBytes = 4 * 1024 * 1024;

std::unique_ptr<juce::XmlElement> parseUntrustedXml (const void* data, size_t numBytes);

/** Reads a file through parseUntrustedXml: anything that is not a plain
    readable file (a folder, a device, a fifo) or that is too large gives null. */
std::unique_ptr<juce::XmlElement> parseUntrustedXmlFile (const juce::File& file);
} // namespace Korvalden::Misc
