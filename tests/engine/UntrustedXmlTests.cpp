#include "engine/UntrustedXml.h"

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>

using Korvalden::Misc::parseUntrustedXml;
using Korvalden::Misc::parseUntrustedXmlFile;

namespace
{
std::unique_ptr<juce::XmlElement> parse (const std::string& text)
{
    return parseUntrustedXml (text.data(), text.size());
}

std::string nested (int depth)
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "<a>";
    for (int i = 0; i < depth; ++i)
        text += "</a>";
    return text;
}
} // namespace

TEST (UntrustedXml, readsWhatTheFrameworkWritesAsTheFrameworkReadsIt)
{
    juce::XmlElement element ("KEST_Preset");
    element.setAttribute ("Version", 1);
    element.setAttribute ("Name", juce::String (juce::CharPointer_UTF8 ("a<b>&\"c' \xc3\xbc\xe2\x82\xac\xf0\x9f\x8e\xb9\t\n\x01")));
    auto* links = element.createNewChildElement ("PARAMETERLINKING");
    links->createNewChildElement ("PARAMETER")->setAttribute ("Index", 3);
    element.createNewChildElement ("TEXT")->addTextElement ("x < y & z");

    for (auto format : { juce::XmlElement::TextFormat().singleLine().withoutHeader(), juce::XmlElement::TextFormat() })
    {
        const auto text = element.toString (format);
        auto ours = parse (text.toStdString());
        ASSERT_NE (ours, nullptr) << text;
        EXPECT_TRUE (ours->isEquivalentTo (&element, false)) << ours->toString();
        EXPECT_TRUE (ours->isEquivalentTo (juce::parseXML (text).get(), false));
    }
}

TEST (UntrustedXml, acceptsTheRestOfTheSubsetItReads)
{
    static const char text[] = "\xef\xbb\xbf<?xml version=\"1.0\"?>\n<!-- c --><R a='1' b = \"&#65;&#x42;\">"
                               "<![CDATA[<x>&]]><?pi?> t<!-- c --><E/></R>\n<!-- end -->\n\0";
    auto root = parseUntrustedXml (text, sizeof (text)); // trailing zero bytes are ignored
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "R");
    EXPECT_EQ (root->getStringAttribute ("a"), "1");
    EXPECT_EQ (root->getStringAttribute ("b"), "AB");
    ASSERT_EQ (root->getNumChildElements(), 2);
    EXPECT_EQ (root->getChildElement (0)->getText(), "<x>& t");
    EXPECT_EQ (root->getChildElement (1)->getTagName(), "E");
}

TEST (UntrustedXml, readsTheInputsThatOnceHungOrCrashedHarmlessly)
{
    // Once an endless loop in the framework's parser: here, text after a processing instruction.
    auto root = parse ("<KEST_Plugin_State><?x?>a</KEST_Plugin_State>");
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getAllSubText(), "a");

    const std::string refused[] = {
        std::string ("<K e=\"\"e=\"\"><K V=\"\"1=\"\"2=\"7") + "\xbb\xa6",  // attribute soup, invalid UTF-8
        "<P>\xff",                                                        // invalid UTF-8
        "<!DOCTYPE r [<!ENTITY a \"x&a;\">]><r>&a;</r>",                  // self-referencing entity
        "<r>&a;</r>",                                                     // undefined entity
        nested (27000),
        nested (65),
        "<r a=\"1\" a=\"2\"/>",
        "<r a=\"1\"b=\"2\"/>",
        "<r></s>",
        "<r>",
        "<r/><s/>",
        "<r/>junk",
        "<r a=\"<\"/>",
        "<r>\x01</r>",
        "<r>&#0;</r>",
        "<r>&#xd800;</r>",
        "<r>&#x110000;</r>",
        "<r>&#123456789;</r>",
        "<r><!-- open</r>",
        "<r><![CDATA[open</r>",
        "\xc0\xaf<r/>",          // overlong
        "<r>\xed\xa0\x80</r>",  // encoded surrogate
        "<r>\xf4\x90\x80\x80</r>",
        "<1/>",
        "",
        "   ",
    };
    for (const auto& text : refused)
        EXPECT_EQ (parse (text), nullptr) << text.substr (0, 60);

    EXPECT_NE (parse (nested (64)), nullptr);
    EXPECT_EQ (parseUntrustedXml (nullptr, 10), nullptr);
}

TEST (UntrustedXml, refusesWhatWouldGrowWithoutBound)
{
    std::string big = "<r>" + std::string (Korvalden::Misc::maxUntrustedXmlBytes, 'x') + "</r>";
    EXPECT_EQ (parse (big), nullptr);

    std::string manyAttributes = "<r";
    for (int i = 0; i <= Korvalden::Misc::maxUntrustedXmlAttributesPerElement; ++i)
        manyAttributes += " a" + std::to_string (i) + "=\"\"";
    EXPECT_EQ (parse (manyAttributes + "/>"), nullptr);

    std::string manyElements = "<r>";
    for (int i = 0; i < Korvalden::Misc::maxUntrustedXmlNodes; ++i)
        manyElements += "<e/>";
    EXPECT_EQ (parse (manyElements + "</r>"), nullptr);

    // Just under the bound every element is there, in order.
    std::string wide = "<r>";
    for (int i = 0; i < 100000; ++i)
        wide += "<e i=\"" + std::to_string (i) + "\"/>";
    auto root = parse (wide + "</r>");
    ASSERT_NE (root, nullptr);
    ASSERT_EQ (root->getNumChildElements(), 100000);
    EXPECT_EQ (root->getChildElement (99999)->getIntAttribute ("i"), 99999);
}

TEST (UntrustedXml, fileReaderReadsOnlyRegularFilesAndNeverBlocks)
{
    auto folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("untrusted");
    ASSERT_TRUE (folder.createDirectory());

    auto good = folder.getChildFile ("good.xml");
    ASSERT_TRUE (good.replaceWithText ("<r a=\"1\"/>"));
    auto root = parseUntrustedXmlFile (good);
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getIntAttribute ("a"), 1);

    auto fifo = folder.getChildFile ("fifo.xml");
    ASSERT_EQ (mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    EXPECT_EQ (parseUntrustedXmlFile (fifo), nullptr); // returns at once; nobody writes to it

    EXPECT_EQ (parseUntrustedXmlFile (folder), nullptr);
    EXPECT_EQ (parseUntrustedXmlFile (folder.getChildFile ("missing.xml")), nullptr);

    auto big = folder.getChildFile ("big.xml");
    {
        juce::FileOutputStream out (big);
        out << "<r>";
        out.writeRepeatedByte ('x', Korvalden::Misc::maxUntrustedXmlBytes);
        out << "</r>";
    }
    EXPECT_EQ (parseUntrustedXmlFile (big), nullptr);
}
