#include "engine/UntrustedXml.h"

#include <sys/stat.h>

namespace Korvalden::Misc
{
std::unique_ptr<juce::XmlElement> parseUntrustedXml (const void* data, size_t numBytes)
{
    if (data == nullptr || numBytes == 0 || numBytes > maxUntrustedXmlBytes)
        return nullptr;

    return juce::parseXML (juce::String::fromUTF8 (static_cast<const char*> (data), (int) numBytes));
}

std::unique_ptr<juce::XmlElement> parseUntrustedXmlFile (const juce::File& file)
{
    struct stat info {};
    if (::stat (file.getFullPathName().toRawUTF8(), &info) != 0 || ! S_ISREG (info.st_mode)
        || (size_t) info.st_size > maxUntrustedXmlBytes)
        return nullptr;

    juce::MemoryBlock block;
    if (! file.loadFileAsData (block) || block.getSize() > maxUntrustedXmlBytes)
        return nullptr;

    return parseUntrustedXml (block.getData(), block.getSize());
}
} // namespace Korvalden::Misc
