#include "engine/UntrustedXml.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#if ! JUCE_WINDOWS
 #include <fcntl.h>
 #include <sys/stat.h>
 #include <unistd.h>
#endif

// The framework's own parser loops for ever or reads past its input on some
// malformed text, recurses once per nesting level and expands entities, so
// untrusted text never reaches it.  This reader first checks the bytes, then
// builds a light tree with an explicit stack, and only then the framework's
// elements (children are prepended from the back, so building stays linear).

namespace Korvalden::Misc
{
namespace
{
bool isContinuation (unsigned char c) noexcept { return (c & 0xc0) == 0x80; }

/** True when the bytes are valid UTF-8 (no overlong form, surrogate or code
    point above U+10FFFF) and hold no control character but tab, LF and CR. */
bool isCleanUtf8 (const unsigned char* p, const unsigned char* end) noexcept
{
    while (p < end)
    {
        const auto c = *p;
        if (c < 0x80)
        {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                return false;
            ++p;
            continue;
        }

        int continuations = 0;
        unsigned char low = 0x80, high = 0xbf; // the range of the first continuation byte
        if (c >= 0xc2 && c <= 0xdf)      continuations = 1;
        else if (c == 0xe0)              { continuations = 2; low = 0xa0; }
        else if (c == 0xed)              { continuations = 2; high = 0x9f; }
        else if (c >= 0xe1 && c <= 0xef) continuations = 2;
        else if (c == 0xf0)              { continuations = 3; low = 0x90; }
        else if (c >= 0xf1 && c <= 0xf3) continuations = 3;
        else if (c == 0xf4)              { continuations = 3; high = 0x8f; }
        else                             return false;

        if (end - p <= continuations || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i <= continuations; ++i)
            if (! isContinuation (p[i]))
                return false;
        p += continuations + 1;
    }
    return true;
}

void appendUtf8 (std::string& out, juce::uint32 codePoint)
{
    if (codePoint < 0x80)
    {
        out += (char) codePoint;
    }
    else if (codePoint < 0x800)
    {
        out += (char) (0xc0 | (codePoint >> 6));
        out += (char) (0x80 | (codePoint & 0x3f));
    }
    else if (codePoint < 0x10000)
    {
        out += (char) (0xe0 | (codePoint >> 12));
        out += (char) (0x80 | ((codePoint >> 6) & 0x3f));
        out += (char) (0x80 | (codePoint & 0x3f));
    }
    else
    {
        out += (char) (0xf0 | (codePoint >> 18));
        out += (char) (0x80 | ((codePoint >> 12) & 0x3f));
        out += (char) (0x80 | ((codePoint >> 6) & 0x3f));
        out += (char) (0x80 | (codePoint & 0x3f));
    }
}

juce::String toJuceString (const std::string& utf8)
{
    return juce::String::fromUTF8 (utf8.data(), (int) utf8.size());
}

struct Node
{
    std::string name; // empty for a text node
    std::string text;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<std::unique_ptr<Node>> children;
};

class Parser
{
public:
    Parser (const char* begin, const char* endOfText) noexcept : p (begin), end (endOfText) {}

    std::unique_ptr<Node> parse()
    {
        if (! skipMisc() || p == end || *p != '<')
            return nullptr;
        ++p;

        auto root = std::make_unique<Node>();
        bool isEmpty = false;
        if (! readStartTag (*root, isEmpty))
            return nullptr;

        std::vector<Node*> open;
        if (! isEmpty)
            open.push_back (root.get());

        std::string text;
        while (! open.empty())
        {
            if (p == end)
                return nullptr;

            if (*p != '<')
            {
                if (! readText (text))
                    return nullptr;
            }
            else if (startsWith ("<![CDATA["))
            {
                p += 9;
                const auto* start = p;
                if (! skipPast ("]]>"))
                    return nullptr;
                text.append (start, (size_t) (p - 3 - start));
            }
            else if (startsWith ("<!--"))
            {
                if (! skipPast ("-->"))
                    return nullptr;
            }
            else if (startsWith ("<?"))
            {
                if (! skipPast ("?>"))
                    return nullptr;
            }
            else if (startsWith ("<!"))
            {
                return nullptr; // DOCTYPE, ENTITY and every other declaration
            }
            else if (startsWith ("</"))
            {
                if (! flushText (text, *open.back()))
                    return nullptr;
                p += 2;
                std::string name;
                if (! readName (name) || name != open.back()->name)
                    return nullptr;
                skipSpace();
                if (p == end || *p != '>')
                    return nullptr;
                ++p;
                open.pop_back();
            }
            else
            {
                if (! flushText (text, *open.back()) || (int) open.size() >= maxUntrustedXmlDepth)
                    return nullptr;
                ++p;
                auto child = std::make_unique<Node>();
                if (! readStartTag (*child, isEmpty))
                    return nullptr;
                auto* childPointer = child.get();
                open.back()->children.push_back (std::move (child));
                if (! isEmpty)
                    open.push_back (childPointer);
            }
        }

        if (! skipMisc() || p != end)
            return nullptr;
        return root;
    }

private:
    const char* p;
    const char* end;
    int numNodes = 0;

    static bool isSpace (char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    static bool isNameStart (char c) noexcept
    {
        const auto u = (unsigned char) c;
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
    }

    static bool isNameChar (char c) noexcept
    {
        return isNameStart (c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
    }

    bool startsWith (const char* literal) const noexcept
    {
        const auto length = std::strlen (literal);
        return (size_t) (end - p) >= length && std::memcmp (p, literal, length) == 0;
    }

    void skipSpace() noexcept
    {
        while (p != end && isSpace (*p))
            ++p;
    }

    /** Moves past the next occurrence of the terminator; false when there is none. */
    bool skipPast (const char* terminator) noexcept
    {
        const auto length = std::strlen (terminator);
        for (; (size_t) (end - p) >= length; ++p)
        {
            if (std::memcmp (p, terminator, length) == 0)
            {
                p += length;
                return true;
            }
        }
        p = end;
        return false;
    }

    /** Whitespace, comments and processing instructions (the declaration among them). */
    bool skipMisc() noexcept
    {
        for (;;)
        {
            skipSpace();
            if (startsWith ("<!--"))
            {
                if (! skipPast ("-->"))
                    return false;
            }
            else if (startsWith ("<?"))
            {
                if (! skipPast ("?>"))
                    return false;
            }
            else
            {
                return true;
            }
        }
    }

    bool countNode() noexcept { return ++numNodes <= maxUntrustedXmlNodes; }

    bool readName (std::string& name)
    {
        if (p == end || ! isNameStart (*p))
            return false;
        const auto* start = p;
        while (p != end && isNameChar (*p))
            ++p;
        name.assign (start, (size_t) (p - start));
        return true;
    }

    /** A reference after its '&': one of the five predefined entities or a character reference. */
    bool readReference (std::string& out)
    {
        static constexpr struct { const char* name; char character; } predefined[] = {
            { "lt;", '<' }, { "gt;", '>' }, { "amp;", '&' }, { "quot;", '"' }, { "apos;", '\'' }
        };
        for (const auto& entity : predefined)
        {
            if (startsWith (entity.name))
            {
                p += std::strlen (entity.name);
                out += entity.character;
                return true;
            }
        }

        if (p == end || *p != '#')
            return false;
        ++p;
        const bool hex = p != end && *p == 'x';
        if (hex)
            ++p;

        juce::uint32 codePoint = 0;
        int digits = 0;
        for (; p != end && *p != ';'; ++p, ++digits)
        {
            int digit = -1;
            if (*p >= '0' && *p <= '9')
                digit = *p - '0';
            else if (hex && *p >= 'a' && *p <= 'f')
                digit = *p - 'a' + 10;
            else if (hex && *p >= 'A' && *p <= 'F')
                digit = *p - 'A' + 10;
            if (digit < 0 || digits >= 8)
                return false;
            codePoint = codePoint * (hex ? 16u : 10u) + (juce::uint32) digit;
        }
        if (p == end || digits == 0 || codePoint == 0 || codePoint > 0x10ffff
            || (codePoint >= 0xd800 && codePoint <= 0xdfff))
            return false;
        ++p;
        appendUtf8 (out, codePoint);
        return true;
    }

    bool readText (std::string& text)
    {
        while (p != end && *p != '<')
        {
            if (*p == '&')
            {
                ++p;
                if (! readReference (text))
                    return false;
            }
            else
            {
                text += *p++;
            }
        }
        return true;
    }

    /** Adds the text gathered so far as a child, unless it is only whitespace. */
    bool flushText (std::string& text, Node& parent)
    {
        bool onlySpace = true;
        for (auto c : text)
            onlySpace = onlySpace && isSpace (c);

        if (! onlySpace)
        {
            if (! countNode())
                return false;
            auto node = std::make_unique<Node>();
            node->text = std::move (text);
            parent.children.push_back (std::move (node));
        }
        text.clear();
        return true;
    }

    /** The rest of a start tag after its '<'. */
    bool readStartTag (Node& node, bool& isEmpty)
    {
        if (! countNode() || ! readName (node.name))
            return false;

        for (;;)
        {
            const auto* beforeSpace = p;
            skipSpace();
            if (p == end)
                return false;

            if (*p == '>' || startsWith ("/>"))
            {
                isEmpty = *p == '/';
                p += isEmpty ? 2 : 1;
                return true;
            }

            std::string name, value;
            if (p == beforeSpace || ! readName (name))
                return false;
            skipSpace();
            if (p == end || *p != '=')
                return false;
            ++p;
            skipSpace();
            if (p == end || (*p != '"' && *p != '\''))
                return false;

            const char quote = *p++;
            while (p != end && *p != quote)
            {
                if (*p == '<')
                    return false;
                if (*p == '&')
                {
                    ++p;
                    if (! readReference (value))
                        return false;
                }
                else
                {
                    value += *p++;
                }
            }
            if (p == end)
                return false;
            ++p;

            if (! countNode() || (int) node.attributes.size() >= maxUntrustedXmlAttributesPerElement)
                return false;
            for (const auto& attribute : node.attributes)
                if (attribute.first == name)
                    return false;
            node.attributes.emplace_back (std::move (name), std::move (value));
        }
    }
};

/** The framework's element for a node; the depth is bounded, so recursion is too. */
juce::XmlElement* createElement (const Node& node)
{
    if (node.name.empty())
        return juce::XmlElement::createTextElement (toJuceString (node.text));

    auto* element = new juce::XmlElement (toJuceString (node.name));
    for (const auto& [name, value] : node.attributes)
        element->setAttribute (juce::Identifier (toJuceString (name)), toJuceString (value));
    for (auto child = node.children.rbegin(); child != node.children.rend(); ++child)
        element->prependChildElement (createElement (**child));
    return element;
}
} // namespace

std::unique_ptr<juce::XmlElement> parseUntrustedXml (const void* data, size_t numBytes)
{
    if (data == nullptr || numBytes == 0 || numBytes > maxUntrustedXmlBytes)
        return nullptr;

    const auto* begin = static_cast<const char*> (data);
    const auto* end = begin + numBytes;
    while (end != begin && end[-1] == 0)
        --end;

    if (end - begin >= 3 && std::memcmp (begin, "\xef\xbb\xbf", 3) == 0)
        begin += 3;

    if (! isCleanUtf8 (reinterpret_cast<const unsigned char*> (begin), reinterpret_cast<const unsigned char*> (end)))
        return nullptr;

    auto root = Parser (begin, end).parse();
    if (root == nullptr)
        return nullptr;
    return std::unique_ptr<juce::XmlElement> (createElement (*root));
}

bool fitsUntrustedXmlLimits (const juce::XmlElement& root, size_t numBytes)
{
    if (numBytes > maxUntrustedXmlBytes)
        return false;

    // Every text counts, also one the reader would drop as whitespace.
    int nodes = 0;
    std::vector<std::pair<const juce::XmlElement*, int>> pending { { &root, 1 } };
    while (! pending.empty())
    {
        const auto [element, depth] = pending.back();
        pending.pop_back();
        if (element->isTextElement())
        {
            if (++nodes > maxUntrustedXmlNodes)
                return false;
            continue;
        }
        const int attributes = element->getNumAttributes();
        nodes += 1 + attributes;
        if (nodes > maxUntrustedXmlNodes || depth > maxUntrustedXmlDepth || attributes > maxUntrustedXmlAttributesPerElement)
            return false;
        for (auto* child = element->getFirstChildElement(); child != nullptr; child = child->getNextElement())
            pending.emplace_back (child, depth + 1);
    }
    return true;
}

std::unique_ptr<juce::XmlElement> parseUntrustedXmlFile (const juce::File& file)
{
    juce::MemoryBlock contents;

#if JUCE_WINDOWS
    if (! file.existsAsFile() || file.getSize() > (juce::int64) maxUntrustedXmlBytes || ! file.loadFileAsData (contents))
        return nullptr;
#else
    // Opened without blocking, so a FIFO or device at the path cannot stall
    // the caller; only a regular file is read.
    const int fd = ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;

    struct stat info {};
    bool ok = ::fstat (fd, &info) == 0 && S_ISREG (info.st_mode) && info.st_size >= 0
              && (juce::uint64) info.st_size <= maxUntrustedXmlBytes;

    if (ok)
    {
        contents.setSize ((size_t) info.st_size);
        size_t done = 0;
        while (ok && done < contents.getSize())
        {
            const auto got = ::read (fd, static_cast<char*> (contents.getData()) + done, contents.getSize() - done);
            if (got > 0)
                done += (size_t) got;
            else if (! (got < 0 && errno == EINTR))
                ok = false; // an error, or the file shrank while it was read
        }
    }
    ::close (fd);
    if (! ok)
        return nullptr;
#endif

    return parseUntrustedXml (contents.getData(), contents.getSize());
}
} // namespace Korvalden::Misc
