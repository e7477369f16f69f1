#include "engine/MidiMapping.h"
#include "engine/MidiMappingRegistry.h"

#include <gtest/gtest.h>

#include <vector>

using Korvalden::Parameter::MidiMapping;

namespace
{
std::vector<MidiMapping*> entriesUnder (const MidiMappingRegistry& registry, std::uint32_t key)
{
    const juce::ScopedLock scope (registry.getLock());
    std::vector<MidiMapping*> result;
    const auto range = registry.findRange (key);
    for (auto it = range.first; it != range.second; ++it)
        result.push_back (it->second);
    return result;
}
} // namespace

TEST (MidiMappingKey, PacksChannelTypeAndNumber)
{
    EXPECT_EQ (MidiMapping (MidiMapping::controller, 7, 3, 16383, nullptr).getKey(), 0x03010007u);
    EXPECT_EQ (MidiMapping (MidiMapping::registeredParameter, 16383, 16, 16383, nullptr).getKey(), 0x10043fffu);
    EXPECT_EQ (MidiMapping (MidiMapping::nonRegisteredParameter, 300, 1, 16383, nullptr).getKey(), 0x0105012cu);
    EXPECT_EQ (MidiMapping (MidiMapping::channelPressure, 55, 2, 16383, nullptr).getKey(), 0x02020000u);
    EXPECT_EQ (MidiMapping (MidiMapping::pitchBend, 9, 0, 16383, nullptr).getKey(), 0x00030000u);
}

TEST (MidiMappingKey, ChannelAbove16MeansAnyChannel)
{
    EXPECT_EQ (MidiMapping (MidiMapping::controller, 7, 17, 16383, nullptr).getKey(), 0x00010007u);
    EXPECT_EQ (MidiMapping (MidiMapping::pitchBend, 0, 0xffffffffu, 16383, nullptr).getKey(), 0x00030000u);
    EXPECT_EQ (MidiMapping::anyChannelKey (0x03010007u), 0x00010007u);
}

TEST (MidiMappingKey, BadNumberOrTypeGivesKeyZero)
{
    EXPECT_EQ (MidiMapping (MidiMapping::controller, 128, 3, 16383, nullptr).getKey(), 0u);
    EXPECT_EQ (MidiMapping (MidiMapping::controller, 0xffffffffu, 3, 16383, nullptr).getKey(), 0u);
    EXPECT_EQ (MidiMapping (MidiMapping::registeredParameter, 16384, 3, 16383, nullptr).getKey(), 0u);
    EXPECT_EQ (MidiMapping (MidiMapping::nonRegisteredParameter, 16384, 3, 16383, nullptr).getKey(), 0u);
    EXPECT_EQ (MidiMapping (6, 1, 3, 16383, nullptr).getKey(), 0u);
    EXPECT_EQ (MidiMapping (0, 1, 3, 16383, nullptr).getKey(), 0u);
}

TEST (MidiMappingNormalisedValue, FullRangeScale)
{
    const MidiMapping mapping (MidiMapping::controller, 7, 0, 16383, nullptr);
    EXPECT_FLOAT_EQ (mapping.getNormalisedValue (16383), 1.0f);
    EXPECT_NEAR (mapping.getNormalisedValue (8256), 0.504f, 0.0005f);
    EXPECT_FLOAT_EQ (mapping.getNormalisedValue (0), 0.0f);
    EXPECT_FLOAT_EQ (mapping.getNormalisedValue (16512), 0.0f);
    EXPECT_FLOAT_EQ (mapping.getNormalisedValue (0xffffff7fu), 0.0f);
}

TEST (MidiMappingNormalisedValue, RangeZeroIsASwitch)
{
    const MidiMapping mapping (MidiMapping::controller, 64, 0, 0, nullptr);
    EXPECT_FLOAT_EQ (mapping.getNormalisedValue (0), 0.0f);
    EXPECT_FLOAT_EQ (mapping.getNormalisedValue (8191), 0.0f);
    EXPECT_FLOAT_EQ (mapping.getNormalisedValue (8192), 1.0f);
    EXPECT_FLOAT_EQ (mapping.getNormalisedValue (16383), 1.0f);
}

TEST (MidiMappingRegistry, MappingsUnderOneKeyKeepInsertionOrderAndAreStoredOnce)
{
    MidiMappingRegistry registry;
    MidiMapping first (MidiMapping::controller, 7, 3, 16383, nullptr);
    MidiMapping second (MidiMapping::controller, 7, 3, 16383, nullptr);
    MidiMapping other (MidiMapping::controller, 8, 3, 16383, nullptr);

    registry.add (&second);
    registry.add (&other);
    registry.add (&first);
    registry.add (&second);
    registry.add (nullptr);

    EXPECT_EQ (entriesUnder (registry, 0x03010007u), (std::vector<MidiMapping*> { &second, &first }));
    EXPECT_EQ (entriesUnder (registry, 0x03010008u), (std::vector<MidiMapping*> { &other }));
}

TEST (MidiMappingRegistry, RemoveTakesOutOnlyThatObject)
{
    MidiMappingRegistry registry;
    MidiMapping first (MidiMapping::pitchBend, 0, 0, 16383, nullptr);
    MidiMapping second (MidiMapping::pitchBend, 0, 0, 16383, nullptr);
    MidiMapping neverAdded (MidiMapping::pitchBend, 0, 0, 16383, nullptr);

    registry.add (&first);
    registry.add (&second);
    registry.remove (&neverAdded);
    registry.remove (nullptr);
    EXPECT_EQ (entriesUnder (registry, 0x00030000u), (std::vector<MidiMapping*> { &first, &second }));

    registry.remove (&first);
    EXPECT_EQ (entriesUnder (registry, 0x00030000u), (std::vector<MidiMapping*> { &second }));

    registry.remove (&second);
    EXPECT_TRUE (entriesUnder (registry, 0x00030000u).empty());
}
