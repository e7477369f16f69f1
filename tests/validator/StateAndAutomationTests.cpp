// State kept by a host and automation played in small blocks, as a strict
// validator checks them.
#include "tests/validator/BundleUnderTest.h"

#include <random>

using namespace Validator;

namespace
{
class StateAndAutomation : public BundleUnderTest
{
};

bool sameChunks (const std::vector<KestHost::PluginInstance::Chunk>& a, const std::vector<KestHost::PluginInstance::Chunk>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].id != b[i].id || a[i].record != b[i].record)
            return false;
    return true;
}
} // namespace

TEST_F (StateAndAutomation, StateGetSetGetIsBitIdenticalOnTheSameAndOnAFreshInstance)
{
    auto instance = makeInstance();
    std::mt19937 random (7);
    std::uniform_real_distribution<double> unit (0.0, 1.0);
    for (auto& id : parameterIds (*instance))
        instance->setParameter (id.c_str(), unit (random));
    play (*instance, 4800, { 480 }, chord (2400));

    const auto first = instance->saveChunks();
    ASSERT_GE (first.size(), 2u) << "the default chunk and the instrument's own state";
    for (auto& chunk : first)
        ASSERT_EQ (instance->restoreChunk (chunk), AAX_SUCCESS);
    EXPECT_TRUE (sameChunks (instance->saveChunks(), first));

    auto fresh = makeInstance();
    for (auto& chunk : first)
        ASSERT_EQ (fresh->restoreChunk (chunk), AAX_SUCCESS);
    EXPECT_TRUE (sameChunks (fresh->saveChunks(), first));

    for (auto& chunk : first)
    {
        AAX_CBoolean equal = 0;
        EXPECT_EQ (fresh->effect().CompareActiveChunk (reinterpret_cast<const AAX_SPlugInChunk*> (chunk.record.data()), &equal), AAX_SUCCESS);
        EXPECT_TRUE (equal) << "chunk " << chunk.id;
    }
}

TEST_F (StateAndAutomation, AutomationInThirtyTwoSampleBlocksWhilePlayingReachesTheSound)
{
    auto instance = makeInstance();
    const auto ids = parameterIds (*instance);
    ASSERT_FALSE (ids.empty());

    std::mt19937 random (32);
    std::uniform_real_distribution<double> unit (0.0, 1.0);
    size_t which = 0;
    std::string lastId;
    double lastValue = 0.0;
    const auto played = play (*instance, 48000, { 32 }, chord (36000), [&] (int64_t)
    {
        lastId = ids[which++ % ids.size()];
        lastValue = unit (random);
        // The master volume stays up, so that there is sound to measure.
        if (lastId == ids.back())
            lastValue = 0.75;
        ASSERT_EQ (instance->setParameter (lastId.c_str(), lastValue), AAX_SUCCESS);
        EXPECT_NEAR (instance->parameter (lastId.c_str()), lastValue, 1.0e-6) << lastId;
    });
    EXPECT_TRUE (cleanAudio (played.left));
    EXPECT_TRUE (cleanAudio (played.right));
}
