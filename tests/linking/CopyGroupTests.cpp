#include "linking/ParameterCopyGroup.h"
#include "tests/linking/LinkTestSupport.h"

using Event = FakeDirtyCheckProcessor::Event;

namespace
{
std::vector<float> floatsIn (const juce::MemoryBlock& block)
{
    std::vector<float> numbers;
    juce::MemoryInputStream in (block, false);
    while (in.getNumBytesRemaining() >= 4)
        numbers.push_back (in.readFloat());
    return numbers;
}
} // namespace

struct CopyGroupFixture : LinkFixture
{
    ParameterClipboard clipboard;

    std::unique_ptr<ParameterCopyGroup> group (const char* name, std::vector<int> indexes)
    {
        return std::make_unique<ParameterCopyGroup> (&clipboard, &manager, name, indexes.data(), (int) indexes.size());
    }
};

TEST_F (CopyGroupFixture, CopiedValuesAreLittleEndianFloatsInTheGroupsOrder)
{
    std::vector<int> device;
    for (int i = 0; i < 19; ++i)
    {
        device.push_back (20 + i);
        processor.storeQuietly (20 + i, (float) i / 32.0f);
    }
    auto deviceGroup = group ("Device", device);

    deviceGroup->copy (ParameterCopyGroup::valueMode);
    EXPECT_EQ (clipboard.name, "Device_V");
    ASSERT_EQ (clipboard.data.getSize(), 76u);
    EXPECT_EQ ((juce::uint8) clipboard.data[4], 0x00); // 1/32 = 0x3D000000, low byte first
    EXPECT_EQ ((juce::uint8) clipboard.data[7], 0x3D);
    const auto numbers = floatsIn (clipboard.data);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ (numbers[(size_t) i], (float) i / 32.0f);

    // A later, shorter copy leaves nothing of the longer one behind.
    ParameterCopyGroup single (&clipboard, &manager, 25);
    single.copy (ParameterCopyGroup::valueMode);
    EXPECT_EQ (clipboard.name, "SingleParameter_V");
    EXPECT_EQ (clipboard.data.getSize(), 4u);

    single.copy (3);
    single.copy (-1);
    EXPECT_EQ (clipboard.name, "SingleParameter_V");
    EXPECT_EQ (clipboard.data.getSize(), 4u);
}

TEST_F (CopyGroupFixture, EveryIndexCarriesExactlyOneRatioSoPastedRatiosStayOnTheirParameters)
{
    control (0, 0.1f, 0.5f);
    processor.storeQuietly (1, 0.2f); // no control and no entry
    control (2, 0.3f, -1.0f);
    auto source = group ("VCO", { 0, 1, 2 });

    source->copy (ParameterCopyGroup::valueAndRatioMode);
    EXPECT_EQ (clipboard.name, "VCO_B");
    EXPECT_EQ (floatsIn (clipboard.data), (std::vector<float> { 0.1f, 0.5f, 0.2f, 1.0f, 0.3f, -1.0f }));
    EXPECT_FALSE (manager.findLinkEntry (1).has_value()); // copying creates no entry

    auto& a = control (20, 0.9f);
    auto& b = control (21, 0.9f, 0.75f);
    auto& c = control (22, 0.9f);
    auto destination = group ("VCO", { 20, 21, 22 });
    ASSERT_TRUE (destination->canPaste());
    destination->paste();

    EXPECT_FLOAT_EQ (a.getValue(), 0.1f);
    EXPECT_FLOAT_EQ (b.getValue(), 0.2f);
    EXPECT_FLOAT_EQ (c.getValue(), 0.3f);
    EXPECT_EQ (manager.getRatio (20), 0.5f);
    EXPECT_EQ (manager.getRatio (21), 1.0f);
    EXPECT_EQ (manager.getRatio (22), -1.0f);

    // Ratios alone.
    manager.getLinkEntry (0).ratio = 2.0f;
    source->copy (ParameterCopyGroup::ratioMode);
    EXPECT_EQ (floatsIn (clipboard.data), (std::vector<float> { 2.0f, 1.0f, -1.0f }));
    destination->paste();
    EXPECT_EQ (manager.getRatio (20), 2.0f);
    EXPECT_FLOAT_EQ (a.getValue(), 0.1f);
}

TEST_F (CopyGroupFixture, PasteMatchesGroupsByTheStartOfTheClipboardName)
{
    auto vco = group ("VCO", { 0, 1, 2 });
    auto otherVco = group ("VCO", { 20, 21, 22 });
    auto vcf = group ("VCF", { 7, 8, 9 });
    auto device = group ("Device", { 0, 1, 2, 7, 8, 9 });
    ParameterCopyGroup single (&clipboard, &manager, 5);

    for (auto* g : { vco.get(), vcf.get(), device.get(), &single })
        EXPECT_FALSE (g->canPaste()) << g->getName(); // nothing copied yet

    vco->copy (ParameterCopyGroup::valueMode);
    EXPECT_TRUE (vco->canPaste());
    EXPECT_TRUE (otherVco->canPaste());
    EXPECT_FALSE (vcf->canPaste());
    EXPECT_FALSE (device->canPaste());
    EXPECT_FALSE (single.canPaste());

    single.copy (ParameterCopyGroup::valueMode);
    for (auto* g : { vco.get(), vcf.get(), device.get(), &single })
        EXPECT_TRUE (g->canPaste()) << g->getName();

    // The VCO copy lands position by position on the other device's VCO.
    processor.storeQuietly (0, 0.125f);
    processor.storeQuietly (1, 0.25f);
    processor.storeQuietly (2, 0.375f);
    vco->copy (ParameterCopyGroup::valueMode);
    processor.takeEvents();
    otherVco->paste();
    EXPECT_EQ (hostEvents (processor), (std::vector<Event> { valueOf (20, 0.125f), valueOf (21, 0.25f), valueOf (22, 0.375f) }));
}

TEST_F (CopyGroupFixture, OneKnobsValueSpreadsOverTheSectionsKnobsWithoutMovingTheirPartners)
{
    auto& source = control (5, 0.7f);
    control (7, 0.1f);
    processor.storeQuietly (8, 0.2f); // a switch of the section: no knob
    control (9, 0.1f);
    auto& partner = control (30, 0.4f);
    manager.link (7, 30);
    ParameterCopyGroup single (&clipboard, &manager, source.getIndex());
    auto vcf = group ("VCF", { 7, 8, 9 });

    single.copy (ParameterCopyGroup::valueMode);
    resetCounts();
    vcf->paste();

    EXPECT_EQ (hostEvents (processor),
               (std::vector<Event> { beginOf (7), beginOf (30), valueOf (7, 0.7f), endOf (7), endOf (30),
                                     beginOf (9), valueOf (9, 0.7f), endOf (9) }));
    EXPECT_EQ (processor.getParameter (8), 0.2f);
    EXPECT_FLOAT_EQ (partner.getValue(), 0.4f);

    // Values and ratio together.
    manager.getLinkEntry (5).ratio = -0.25f;
    single.copy (ParameterCopyGroup::valueAndRatioMode);
    vcf->paste();
    EXPECT_EQ (manager.getRatio (7), -0.25f);
    EXPECT_EQ (manager.getRatio (9), -0.25f);
}

TEST_F (CopyGroupFixture, AClipboardOfTheWrongLengthOrKindChangesNothing)
{
    control (0, 0.5f);
    control (1, 0.5f);
    auto vco = group ("VCO", { 0, 1 });
    resetCounts();

    // Only the name's start matched: a three-number copy from another "VCO..." group.
    clipboard.name = "VCOX_V";
    juce::MemoryOutputStream out (clipboard.data, false);
    out.writeFloat (0.1f);
    out.writeFloat (0.2f);
    out.writeFloat (0.3f);
    out.flush();
    ASSERT_TRUE (vco->canPaste());
    vco->paste();
    EXPECT_TRUE (processor.takeEvents().empty());

    clipboard.data.setSize (4); // truncated
    vco->paste();
    EXPECT_TRUE (processor.takeEvents().empty());

    clipboard.name = "VCO_X"; // no mode
    clipboard.data.setSize (8);
    vco->paste();
    EXPECT_TRUE (processor.takeEvents().empty());

    // NaN numbers are refused by the model.
    clipboard.name = "VCO_V";
    const float nan = std::numeric_limits<float>::quiet_NaN();
    clipboard.data.copyFrom (&nan, 0, 4);
    clipboard.data.copyFrom (&nan, 4, 4);
    vco->paste();
    EXPECT_EQ (processor.getParameter (0), 0.5f);
    EXPECT_EQ (processor.getParameter (1), 0.5f);
}
