#include "engine/XmlBinaryBlock.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

namespace
{
juce::XmlElement makeElement()
{
    juce::XmlElement element ("KEST_Preset");
    element.setAttribute ("Version", 1);
    element.setAttribute ("Glide_1", 0.1);
    element.createNewChildElement ("PARAMETERLINKING")->setAttribute ("Name", juce::String (juce::CharPointer_UTF8 ("Gr\xc3\xbc\xc3\x9f" "e")));
    return element;
}
} // namespace

TEST (XmlBinaryBlock, writesMagicLengthSingleLineTextWithoutDeclarationAndOneZero)
{
    juce::MemoryBlock block;
    XmlBinaryBlock::write (makeElement(), block);

    const auto* bytes = static_cast<const char*> (block.getData());
    ASSERT_GE (block.getSize(), 9u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes), 0x21324356u);
    const auto length = juce::ByteOrder::littleEndianInt (bytes + 4);
    EXPECT_EQ (block.getSize(), 8 + length + 1);
    EXPECT_EQ (bytes[8 + length], 0);

    const auto text = juce::String::fromUTF8 (bytes + 8, (int) length);
    EXPECT_TRUE (text.startsWith ("<KEST_Preset "));
    EXPECT_FALSE (text.containsChar ('\n'));
    EXPECT_FALSE (text.contains ("<?xml"));

    auto back = XmlBinaryBlock::read (block);
    ASSERT_NE (back, nullptr);
    auto original = makeElement();
    EXPECT_TRUE (back->isEquivalentTo (&original, false));
}

TEST (XmlBinaryBlock, readsTheFrameworksOwnBlocksWithADeclaration)
{
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (makeElement(), block);
    auto back = XmlBinaryBlock::read (block);
    ASSERT_NE (back, nullptr);
    EXPECT_EQ (back->getTagName(), "KEST_Preset");
}

TEST (XmlBinaryBlock, rejectsEveryTruncationShortMagicAndLengthFaults)
{
    juce::MemoryBlock block;
    XmlBinaryBlock::write (makeElement(), block);

    // Every cut of a real block either is refused or is the whole element.
    for (size_t size = 0; size < block.getSize(); ++size)
    {
        auto element = XmlBinaryBlock::read (block.getData(), size);
        if (size < block.getSize() - 1)
        {
            EXPECT_EQ (element, nullptr) << size;
        }
    }

    auto corrupt = block;
    static_cast<char*> (corrupt.getData())[0] ^= 1;
    EXPECT_EQ (XmlBinaryBlock::read (corrupt), nullptr);

    auto tooLong = block;
    static_cast<unsigned char*> (tooLong.getData())[7] = 0x7f;
    EXPECT_EQ (XmlBinaryBlock::read (tooLong), nullptr);

    auto zeroLength = block;
    for (int i = 4; i < 8; ++i)
        static_cast<char*> (zeroLength.getData())[i] = 0;
    EXPECT_EQ (XmlBinaryBlock::read (zeroLength), nullptr);

    const char notXml[] = "\x56\x43\x32\x21\x05\x00\x00\x00hello";
    EXPECT_EQ (XmlBinaryBlock::read (notXml, sizeof (notXml)), nullptr);
    EXPECT_EQ (XmlBinaryBlock::read (nullptr, 100), nullptr);
}
