// What the editor's link overlay offers, target by target: which parameter
// each knob links, in which device colour and column, which knobs each
// device and module section links and which values it copies, and which
// knobs "Link Column" chains.  The tables are the panel's as a musician
// meets it, written out.

#include "EditorFixture.h"

#include "linking/ParameterCopyGroup.h"

#include <set>

namespace
{
// Parameter offsets within a device: the knobs a section links, and the values it copies (all but MidiOn).
const std::vector<int> knobOffsets { 0, 1, 2, 5, 6, 7, 9, 12, 10, 11, 13, 14, 15, 16, 17, 18 };
const std::vector<int> copyOffsets { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 10, 11, 13, 14, 15, 16, 17, 18 };
const juce::uint32 deviceColours[] { 0xFFFFF000, 0xFF45A200, 0xFFFD17CA, 0xFF17A4DF };

std::vector<int> ofDevice (int device, const std::vector<int>& offsets, size_t first, size_t count)
{
    std::vector<int> indexes;
    for (size_t i = first; i < first + count; ++i)
        indexes.push_back (20 * device + offsets[i]);
    return indexes;
}

const ParameterLinkEditor::LinkTarget* findTarget (ParameterLinkEditor& links, const std::vector<int>& indexes)
{
    for (auto& target : links.getTargets())
        if (target->indexes == indexes)
            return target.get();
    return nullptr;
}

std::set<std::pair<int, int>> linkedPairs (const ParameterLinkEditor& links)
{
    return { links.getConnections().begin(), links.getConnections().end() };
}
} // namespace

TEST_F (EditorFixture, EveryKnobTargetLinksItsOwnParameterInItsDeviceColourAndColumn)
{
    auto& links = openEditor().getLinkEditor();

    for (int device = 0; device < 4; ++device)
        for (size_t kind = 0; kind < knobOffsets.size(); ++kind)
        {
            const int index = 20 * device + knobOffsets[kind];
            SCOPED_TRACE (index);
            const auto* target = findTarget (links, { index });
            ASSERT_NE (target, nullptr);
            EXPECT_EQ (target->colour, juce::Colour (deviceColours[device]));
            EXPECT_EQ (target->column, (int) kind);
            EXPECT_FALSE (target->renamable);
            ASSERT_NE (target->copyGroup, nullptr);
            EXPECT_EQ (target->copyGroup->getName(), "SingleParameter");
            EXPECT_EQ (target->copyGroup->getIndexes(), (std::vector<int> { index }));
        }

    for (int macro = 80; macro <= 87; ++macro)
    {
        SCOPED_TRACE (macro);
        const auto* target = findTarget (links, { macro });
        ASSERT_NE (target, nullptr);
        EXPECT_EQ (target->colour, juce::Colour (0xFF5F6062));
        EXPECT_EQ (target->column, -1);
        EXPECT_TRUE (target->renamable);
    }

    // Switches and MIDI-on have no target of their own.
    for (int offset : { 3, 4, 8, 19 })
        for (int device = 0; device < 4; ++device)
            EXPECT_EQ (findTarget (links, { 20 * device + offset }), nullptr) << 20 * device + offset;
}

TEST_F (EditorFixture, EverySectionLinksItsKnobsAndCopiesItsValuesIncludingItsSwitches)
{
    auto& links = openEditor().getLinkEditor();
    const struct
    {
        const char* copyName;
        size_t copyFirst, copyCount, knobFirst, knobCount;
    } sections[] { { "Device", 0, 19, 0, 16 }, { "VCO", 0, 7, 0, 5 }, { "VCF", 7, 6, 5, 5 }, { "VCA", 13, 6, 10, 6 } };

    size_t groups = 0;
    for (int device = 0; device < 4; ++device)
        for (auto& section : sections)
        {
            SCOPED_TRACE (juce::String (device + 1) + " " + section.copyName);
            const auto* target = findTarget (links, ofDevice (device, knobOffsets, section.knobFirst, section.knobCount));
            ASSERT_NE (target, nullptr);
            EXPECT_FALSE (target->renamable);
            EXPECT_EQ (target->column, -1);
            ASSERT_NE (target->copyGroup, nullptr);
            EXPECT_EQ (target->copyGroup->getName(), section.copyName);
            EXPECT_EQ (target->copyGroup->getIndexes(), ofDevice (device, copyOffsets, section.copyFirst, section.copyCount));
            ++groups;
        }
    EXPECT_EQ (groups, 16u);
    EXPECT_EQ (links.getTargets().size(), 64u + 8u + 16u);
}

TEST_F (EditorFixture, LinkColumnChainsTheFourDevicesKnobsOfOneKindAndFreeColumnUnlinksThem)
{
    auto& links = openEditor().getLinkEditor();

    for (size_t kind = 0; kind < knobOffsets.size(); ++kind)
    {
        const int k = knobOffsets[kind];
        SCOPED_TRACE (k);
        // Chosen on the knob of the third device, as on any knob of the column.
        auto* target = const_cast<ParameterLinkEditor::LinkTarget*> (findTarget (links, { 40 + k }));
        ASSERT_NE (target, nullptr);

        links.menuItemChosen (*target, 1);
        EXPECT_EQ (linkedPairs (links), (std::set<std::pair<int, int>> { { k, 20 + k }, { 20 + k, 40 + k }, { 40 + k, 60 + k } }));

        links.menuItemChosen (*target, 2);
        EXPECT_TRUE (links.getConnections().empty());
    }

    // A macro belongs to no column: its menu offers neither column item.
    const auto* macro = findTarget (links, { 80 });
    ASSERT_NE (macro, nullptr);
    const auto menu = links.createMenu (*macro);
    for (juce::PopupMenu::MenuItemIterator item (menu, true); item.next();)
        EXPECT_TRUE (item.getItem().itemID != 1 && item.getItem().itemID != 2) << item.getItem().text;
}
