#include "engine/XmlBinaryBlock.h"

#include "engine/UntrustedXml.h"

namespace XmlBinaryBlock
{
namespace
{
void writeLittleEndian (char* destination, juce::uint32 value) noexcept
{
    for (int i = 0; i < 4; ++i)
        destination[i] = (char) ((value >> (8 * i)) & 0xff);
}
} // namespace

void write (const juce::XmlElement& element, juce::MemoryBlock& destination)
{
    const auto text = element.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
    const auto length = text.getNumBytesAsUTF8();

    destination.setSize (8 + length + 1, true);
    auto* bytes = static_cast<char*> (destination.getData());
    writeLittleEndian (bytes, magic);
    writeLittleEndian (bytes + 4, (juce::uint32) length);
    text.copyToUTF8 (bytes + 8, length + 1);
}

std::unique_ptr<juce::XmlElement> read (const void* data, size_t sizeInBytes)
{
    if (data == nullptr || sizeInBytes < 9)
        return nullptr;

    const auto* bytes = static_cast<const char*> (data);
    if (juce::ByteOrder::littleEndianInt (bytes) != magic)
        return nullptr;

    const size_t length = juce::ByteOrder::littleEndianInt (bytes + 4);
    if (length == 0 || length > sizeInBytes - 8)
        return nullptr;

    return Korvalden::Misc::parseUntrustedXml (bytes + 8, length);
}

std::unique_ptr<juce::XmlElement> read (const juce::MemoryBlock& block)
{
    return read (block.getData(), block.getSize());
}
} // namespace XmlBinaryBlock
