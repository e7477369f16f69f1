#include "engine/AudioEngine.h"
#include "engine/XmlBinaryBlock.h"
#include "tests/support/EngineBlocks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
/** A binary block around any bytes, as a corrupted project could hold it. */
juce::MemoryBlock rawBlock (const std::string& text)
{
    juce::MemoryBlock block (8 + text.size() + 1, true);
    auto* bytes = static_cast<char*> (block.getData());
    for (int i = 0; i < 4; ++i)
    {
        bytes[i] = (char) ((XmlBinaryBlock::magic >> (8 * i)) & 0xff);
        bytes[4 + i] = (char) ((text.size() >> (8 * i)) & 0xff);
    }
    std::memcpy (bytes + 8, text.data(), text.size());
    return block;
}

juce::MemoryBlock stateOf (AudioEngine& engine)
{
    juce::MemoryBlock block;
    engine.getStateInformation (block);
    return block;
}

void restore (AudioEngine& engine, const juce::MemoryBlock& block)
{
    engine.setStateInformation (block.getData(), (int) block.getSize());
}

std::string nested (int depth)
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "<KEST_Plugin_State>";
    for (int i = 0; i < depth; ++i)
        text += "</KEST_Plugin_State>";
    return text;
}

/** An engine whose state differs from the defaults everywhere a state reaches. */
void makeDistinct (AudioEngine& engine)
{
    for (int i = 0; i < 93; ++i)
        engine.setParameter (i, 0.1f + 0.008f * (float) i);
    engine.getLinkManager().link (2, 22);
    engine.getGlobalController().setSplitPoint (0, 40);
    engine.getGlobalController().setSplitPoint (1, 70);
    engine.getGlobalController().setSplitPoint (2, 100);
}
} // namespace

TEST (AudioEngineHostileState, refusedBlocksChangeNothingAndTheNextValidStateStillRestores)
{
    AudioEngine source;
    makeDistinct (source);
    const auto valid = stateOf (source);

    const std::string refused[] = {
        std::string ("<K e=\"\"e=\"\"><K V=\"\"1=\"\"2=\"7") + "\xbb\xa6",
        "<P>\xff",
        "<!DOCTYPE KEST_Plugin_State [<!ENTITY a \"x&a;\">]><KEST_Plugin_State NumberOfVoices=\"&a;\"/>",
        nested (27000),
        nested (4000),
        "<KEST_Plugin_State NumberOfVoices=\"3\"><KEST_Preset Glide_1=\"0.5\">",
    };

    AudioEngine target;
    restore (target, valid);
    for (const auto& text : refused)
    {
        restore (target, rawBlock (text));
        EXPECT_EQ (stateOf (target), valid) << text.substr (0, 60);
    }
}

TEST (AudioEngineHostileState, oddButWellFormedBlocksAreReadHarmlessly)
{
    AudioEngine source;
    makeDistinct (source);
    const auto valid = stateOf (source);

    // Once a crash: the embedded preset was written out again and the
    // framework's writer failed on an element after a text node.
    const std::string crash = "<KEST_Plugin_State><KEST_Preset>x<y a=\"" + std::string (60, 'a')
                              + "\" b=\"c\"/></KEST_Preset></KEST_Plugin_State>";
    // Once an endless loop of the framework's parser.
    const std::string loop = "<KEST_Plugin_State><?x?>a</KEST_Plugin_State>";

    for (const auto& text : { crash, loop })
    {
        AudioEngine target;
        restore (target, valid);
        restore (target, rawBlock (text));
        for (int i = 0; i < 93; ++i)
            EXPECT_EQ (target.getParameter (i), source.getParameter (i)) << i;
        EXPECT_EQ (target.getLinkManager().getLinkEntry (2).links, (std::set<int> { 22 }));

        restore (target, valid);
        EXPECT_EQ (stateOf (target), valid);
    }
}

TEST (AudioEngineHostileState, linksToIndexesTheInstrumentLacksDoNotAccumulate)
{
    AudioEngine engine;
    engine.getLinkManager().link (1, 2);
    auto xml = XmlBinaryBlock::read (stateOf (engine));
    auto* linking = xml->getChildByName ("KEST_Preset")->getChildByName ("PARAMETERLINKING");
    for (int i = 0; i < 50; ++i)
    {
        auto* parameter = linking->createNewChildElement ("PARAMETER");
        parameter->setAttribute ("Index", 1000 + i);
        parameter->setAttribute ("Ratio", 0.5);
        auto* connection = linking->createNewChildElement ("CONNECTION");
        connection->setAttribute ("From", -1 - i);
        connection->setAttribute ("To", 1);
    }
    juce::MemoryBlock hostile;
    XmlBinaryBlock::write (*xml, hostile);

    restore (engine, hostile);
    const auto first = stateOf (engine);
    for (int i = 0; i < 200; ++i)
        restore (engine, hostile);
    EXPECT_EQ (stateOf (engine), first);
    EXPECT_EQ (engine.getLinkManager().getLinkEntry (1).links, (std::set<int> { 2 }));

    AudioEngine reference;
    reference.getLinkManager().link (1, 2);
    EXPECT_EQ (first.getSize(), stateOf (reference).getSize());
}

TEST (AudioEngineHostileState, aRestoreIsOneChangeForListenersAndNeverShowsDefaultSplitPoints)
{
    AudioEngine source;
    makeDistinct (source);
    source.getLinkManager().link (3, 4);
    source.getLinkManager().link (5, 6);
    const auto valid = stateOf (source);

    AudioEngine target;
    struct Counter final : ParameterLinkManager::Listener
    {
        void parameterLinksChanged() override { ++calls; }
        int calls = 0;
    } counter;
    target.getLinkManager().addListener (&counter);
    restore (target, valid);
    EXPECT_EQ (counter.calls, 1);
    target.getLinkManager().removeListener (&counter);

    // The audio thread reads the split points while the host restores.
    std::atomic<bool> running { true }, sawDefault { false };
    std::thread reader ([&] {
        while (running)
            if (asTheAudioThread (target, [&] { return target.getGlobalController().getSplitPoint (0); }) == 32)
                sawDefault = true;
    });
    for (int i = 0; i < 300; ++i)
        restore (target, valid);
    running = false;
    reader.join();
    EXPECT_FALSE (sawDefault);
    EXPECT_EQ (target.getGlobalController().getSplitPoint (2), 100);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
