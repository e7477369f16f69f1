#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** The binary form in which presets and the plug-in state are stored:
    bytes 0..3 the magic 0x21324356, bytes 4..7 the length of the XML text in
    bytes (both unsigned 32-bit little-endian), the XML text in UTF-8 on one
    line without an XML declaration, then one zero byte.

    Any thread; allocates.
*/
namespace XmlBinaryBlock
{
constexpr juce::uint32 magic = 0x21324356;

/** Replaces the block's contents with the element in binary form. */
void write (const juce::XmlElement& element, juce::MemoryBlock& destination);

/** The element of a binary block, or null when the block is not one: shorter
    than 9 bytes, another magic, a length of 0 or one that runs past the data,
    or text that the untrusted-XML reader refuses.  A declaration in the text
    is accepted. */
std::unique_ptr<juce::XmlElement> read (const void* data, size_t sizeInBytes);
std::unique_ptr<juce::XmlElement> read (const juce::MemoryBlock& block);
} // namespace XmlBinaryBlock
