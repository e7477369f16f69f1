#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <memory>

/** The one reader for XML that comes from outside: the host's state blocks,
    preset files and the user's settings file.

    It reads the subset of XML those files use (elements, attributes, text,
    CDATA, comments, processing instructions and the XML declaration, the five
    predefined entities and numeric character references) and refuses
    everything else rather than guess: input over maxBytes, text that is not
    valid UTF-8 or holds control characters, a DOCTYPE or any other markup
    declaration (so no entity can be defined), nesting deeper than maxDepth,
    more than maxNodes elements, attributes and texts in all, more than
    maxAttributesPerElement attributes on one element, a duplicate attribute,
    or anything that is not well-formed.  It never recurses, so no input can
    exhaust the stack, and it runs in time linear in the input.

    Whitespace-only text between elements is dropped, as the framework's own
    parser does.  Trailing zero bytes are ignored.

    Any thread; allocates.
*/
namespace Korvalden::Misc
{
constexpr size_t maxUntrustedXmlBytes = 4 * 1024 * 1024;
constexpr int maxUntrustedXmlDepth = 64;
constexpr int maxUntrustedXmlNodes = 250000;
constexpr int maxUntrustedXmlAttributesPerElement = 256;

/** The root element of the text, or null when the text is refused. */
std::unique_ptr<juce::XmlElement> parseUntrustedXml (const void* data, size_t numBytes);

/** False when text of numBytes that holds the element would pass a limit of
    parseUntrustedXml: its size, its count of elements, attributes and texts,
    its depth or the attributes of one element.  A writer checks with it that
    what it writes will be read again. */
bool fitsUntrustedXmlLimits (const juce::XmlElement& root, size_t numBytes);

/** The root element of the file's text, or null when the file is refused:
    missing, not a regular file (a FIFO or device is never opened in a way that
    could block), larger than maxUntrustedXmlBytes, unreadable, or its text is
    refused as parseUntrustedXml refuses it. */
std::unique_ptr<juce::XmlElement> parseUntrustedXmlFile (const juce::File& file);
} // namespace Korvalden::Misc
