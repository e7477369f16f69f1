#include "tests/linking/LinkTestSupport.h"

namespace
{
std::unique_ptr<juce::XmlElement> parse (const char* text)
{
    return juce::parseXML (juce::String (text));
}

std::vector<juce::String> describe (const juce::XmlElement& linking)
{
    std::vector<juce::String> lines;
    for (auto* child : linking.getChildIterator())
    {
        juce::String line = child->getTagName();
        for (int i = 0; i < child->getNumAttributes(); ++i)
            line << " " << child->getAttributeName (i) << "=" << child->getAttributeValue (i);
        lines.push_back (line);
    }
    return lines;
}
} // namespace

TEST_F (LinkFixture, WritesEveryEntryWithEachLinkOnceUnderTheLowerIndex)
{
    manager.getLinkEntry (3);
    manager.getLinkEntry (5).ratio = -0.5f;
    manager.getLinkEntry (5).name = "Env";
    manager.link (3, 5);
    manager.link (5, 9);

    juce::XmlElement preset ("KEST_Preset");
    preset.createNewChildElement ("Other");
    manager.writeXml (preset);

    ASSERT_EQ (preset.getNumChildElements(), 2);
    auto* linking = preset.getChildElement (1);
    ASSERT_EQ (linking->getTagName(), "PARAMETERLINKING");
    EXPECT_EQ (describe (*linking), (std::vector<juce::String> {
                                        "PARAMETER Index=3 Ratio=1.0",
                                        "CONNECTION From=3 To=5",
                                        "PARAMETER Index=5 Ratio=-0.5 Name=Env",
                                        "CONNECTION From=5 To=9",
                                        "PARAMETER Index=9 Ratio=1.0" }));
}

TEST_F (LinkFixture, LinksRatiosAndNamesRoundTripExactly)
{
    const float awkward = 0.1f + 1.0e-7f;
    manager.getLinkEntry (80).name = "MAKRO 1";
    manager.getLinkEntry (2).ratio = awkward;
    manager.getLinkEntry (2).name = "Drive & <Tone>";
    manager.getLinkEntry (41).ratio = -3.75f;
    manager.getLinkEntry (60).ratio = 0.0f;
    manager.link (80, 2);
    manager.link (80, 41);
    manager.link (41, 60);

    juce::XmlElement written ("KEST_Preset");
    manager.writeXml (written);
    const auto text = written.toString();

    FakeDirtyCheckProcessor otherProcessor;
    ParameterLinkManager other (otherProcessor);
    other.readXml (*juce::parseXML (text));

    for (const int index : { 2, 41, 60, 80 })
    {
        EXPECT_EQ (other.getLinkEntry (index).links, manager.getLinkEntry (index).links) << index;
        EXPECT_EQ (other.getLinkEntry (index).name, manager.getLinkEntry (index).name) << index;
        EXPECT_EQ (other.getLinkEntry (index).ratio, manager.getLinkEntry (index).ratio) << index;
    }

    juce::XmlElement rewritten ("KEST_Preset");
    other.writeXml (rewritten);
    EXPECT_EQ (rewritten.toString(), text);
}

TEST_F (LinkFixture, RatiosThatAreNotFiniteAreIgnoredWhileTheRestOfTheEntryIsRead)
{
    manager.getLinkEntry (1).ratio = 0.5f;
    manager.getLinkEntry (2).ratio = -2.0f;
    manager.getLinkEntry (3).ratio = 0.75f;

    manager.readXml (*parse ("<KEST_Preset><PARAMETERLINKING>"
                             "<PARAMETER Index=\"1\" Ratio=\"nan\" Name=\"Kept\"/>"
                             "<PARAMETER Index=\"2\" Ratio=\"inf\"/>"
                             "<PARAMETER Index=\"3\" Ratio=\"1e300\"/>"
                             "<CONNECTION From=\"1\" To=\"2\"/>"
                             "</PARAMETERLINKING></KEST_Preset>"));

    EXPECT_EQ (manager.getLinkEntry (1).ratio, 0.5f);
    EXPECT_EQ (manager.getLinkEntry (1).name, "Kept");
    EXPECT_EQ (manager.getLinkEntry (2).ratio, -2.0f);
    EXPECT_EQ (manager.getLinkEntry (3).ratio, 0.75f);
    EXPECT_EQ (manager.getLinkEntry (1).links, (std::set<int> { 2 }));
}

TEST_F (LinkFixture, ReadingReplacesLinksOnlyWhenTheElementIsThere)
{
    std::vector<int> notified;
    struct Counter final : ParameterLinkManager::Listener
    {
        explicit Counter (std::vector<int>& l) : log (l) {}
        void parameterLinksChanged() override { log.push_back (0); }
        std::vector<int>& log;
    } counter (notified);

    manager.getLinkEntry (4).ratio = 0.3f;
    manager.getLinkEntry (4).name = "Keep";
    manager.link (4, 5);
    manager.addListener (&counter);

    manager.readXml (*parse ("<KEST_Preset Glide_1=\"0.5\"/>"));
    EXPECT_EQ (manager.getLinkEntry (4).links, (std::set<int> { 5 }));

    manager.readXml (*parse ("<Anything><parameterlinking/></Anything>"));
    EXPECT_TRUE (manager.getLinkEntry (4).links.empty());
    EXPECT_EQ (manager.getLinkEntry (4).ratio, 0.3f);
    EXPECT_EQ (manager.getLinkEntry (4).name, "Keep");
    EXPECT_TRUE (notified.empty()) << "ratio and name changes made by reading never notify";

    // Mixed-case tags, incomplete and self-connections skipped, one notification for the whole element.
    manager.readXml (*parse ("<KEST_Preset><ParameterLinking>"
                             "<Parameter Index=\"6\" Ratio=\"-1\" Name=\"\"/>"
                             "<PARAMETER Index=\"7\"/>"
                             "<PARAMETER index=\"8\" Ratio=\"2\"/>"
                             "<connection From=\"6\" To=\"9\"/>"
                             "<CONNECTION From=\"6\"/>"
                             "<CONNECTION From=\"9\" To=\"9\"/>"
                             "<CONNECTION From=\"9\" To=\"6\"/>"
                             "</ParameterLinking></KEST_Preset>"));
    EXPECT_EQ (manager.getLinkEntry (6).ratio, -1.0f);
    EXPECT_EQ (manager.getLinkEntry (6).links, (std::set<int> { 9 }));
    EXPECT_EQ (manager.getLinkEntry (9).links, (std::set<int> { 6 }));
    EXPECT_EQ (manager.getLinkEntry (8).ratio, 1.0f) << "attribute names match exactly";
    EXPECT_EQ (notified.size(), 1u);
    manager.removeListener (&counter);
}

TEST_F (LinkFixture, AnEntryWithoutItsIndexOrRatioIsSkippedWholeAndAnEmptyNameKeepsTheName)
{
    manager.getLinkEntry (0).ratio = 0.6f;
    manager.getLinkEntry (6).name = "Six";
    manager.getLinkEntry (7).ratio = 0.4f;
    manager.getLinkEntry (7).name = "Seven";

    manager.readXml (*parse ("<KEST_Preset><PARAMETERLINKING>"
                             "<PARAMETER Index=\"7\" Name=\"Other\"/>"
                             "<PARAMETER Ratio=\"0.2\" Name=\"Nobody\"/>"
                             "<PARAMETER Index=\"6\" Ratio=\"-1\" Name=\"\"/>"
                             "<CONNECTION To=\"7\"/>"
                             "</PARAMETERLINKING></KEST_Preset>"));

    EXPECT_EQ (manager.getLinkEntry (7).ratio, 0.4f);
    EXPECT_EQ (manager.getLinkEntry (7).name, "Seven");
    EXPECT_EQ (manager.getLinkEntry (0).ratio, 0.6f);
    EXPECT_EQ (manager.getLinkEntry (0).name, "");
    EXPECT_EQ (manager.getLinkEntry (6).ratio, -1.0f);
    EXPECT_EQ (manager.getLinkEntry (6).name, "Six");
    EXPECT_TRUE (manager.getLinkEntry (0).links.empty());
    EXPECT_TRUE (manager.getLinkEntry (7).links.empty());
}
