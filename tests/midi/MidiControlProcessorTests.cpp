#include "engine/MidiControlProcessor.h"
#include "engine/ParameterRecord.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using Korvalden::Parameter::MidiMapping;

namespace
{
/** Logs every setter call of a record as (record id, value). */
struct SetterLog
{
    struct Call
    {
        int record;
        float value;
    };
    std::vector<Call> calls;
};

class LoggingSetter final : public Korvalden::Parameter::SetValueFunctor
{
public:
    LoggingSetter (SetterLog& logToUse, int idToUse) : log (logToUse), id (idToUse) {}
    void operator() (float value) override { log.calls.push_back ({ id, value }); }

private:
    SetterLog& log;
    int id;
};

/** A processor with its registry, channel states and a few records. */
struct MidiControlFixture : public ::testing::Test
{
    ParameterRecord& makeRecord (float initialValue = 0.0f)
    {
        const auto id = static_cast<int> (records.size());
        records.push_back (std::make_unique<ParameterRecord> ("Record" + juce::String (id), 0.0f, nullptr,
                                                              std::make_unique<LoggingSetter> (log, id)));
        records.back()->value.store (initialValue);
        return *records.back();
    }

    MidiMapping& map (std::uint32_t type, std::uint32_t number, std::uint32_t channel, ParameterRecord& record,
                      std::uint32_t range = 16383)
    {
        mappings.push_back (std::make_unique<MidiMapping> (type, number, channel, range, &record));
        registry.add (mappings.back().get());
        return *mappings.back();
    }

    void send (std::vector<std::uint8_t> bytes) { processor.handleMidiEvent (bytes.data(), static_cast<int> (bytes.size())); }
    void controller (int channel, int number, int value)
    {
        send ({ static_cast<std::uint8_t> (0xb0 + channel - 1), static_cast<std::uint8_t> (number),
                static_cast<std::uint8_t> (value) });
    }
    void selectRpn (int channel, int number) { controller (channel, 101, number >> 7); controller (channel, 100, number & 0x7f); }
    void selectNrpn (int channel, int number) { controller (channel, 99, number >> 7); controller (channel, 98, number & 0x7f); }

    SetterLog log;
    MidiMappingRegistry registry;
    MidiControlProcessor::RpnStates states {};
    MidiControlProcessor processor { registry, states };
    std::vector<std::unique_ptr<ParameterRecord>> records;
    std::vector<std::unique_ptr<MidiMapping>> mappings;
};

constexpr float step = 129.0f / 16383.0f;
} // namespace

TEST_F (MidiControlFixture, MappedMessagesSetValueDirtyFlagAndSetter)
{
    auto& volume = makeRecord();
    auto& bend = makeRecord();
    auto& pressure = makeRecord();
    map (MidiMapping::controller, 7, 3, volume);
    map (MidiMapping::pitchBend, 0, 0, bend);
    map (MidiMapping::channelPressure, 0, 0, pressure);

    controller (3, 7, 64);

    EXPECT_NEAR (volume.getValue(), 8256.0f / 16383.0f, 1e-6f);
    EXPECT_TRUE (volume.testAndClearDirty());
    ASSERT_EQ (log.calls.size(), 1u);
    EXPECT_NEAR (log.calls[0].value, 0.504f, 0.0005f);

    controller (3, 7, 127);
    EXPECT_FLOAT_EQ (volume.getValue(), 1.0f);

    controller (4, 7, 0);
    controller (3, 8, 0);
    EXPECT_FLOAT_EQ (volume.getValue(), 1.0f);
    EXPECT_EQ (log.calls.size(), 2u);

    send ({ 0xe4, 0x00, 0x40 });
    EXPECT_NEAR (bend.getValue(), 8192.0f / 16383.0f, 1e-6f);
    send ({ 0xe4, 0x7f, 0x7f });
    EXPECT_FLOAT_EQ (bend.getValue(), 1.0f);
    send ({ 0xd9, 0x40 });
    EXPECT_NEAR (pressure.getValue(), 0.504f, 0.0005f);
}

TEST_F (MidiControlFixture, OtherMessagesAndTruncatedMessagesAreIgnored)
{
    auto& anything = makeRecord (0.25f);
    map (MidiMapping::controller, 64, 0, anything);
    map (MidiMapping::pitchBend, 0, 0, anything);

    send ({ 0x90, 64, 100 });
    send ({ 0xa0, 64, 100 });
    send ({ 0xb0, 64 });
    send ({ 0xe0, 0x7f });
    send ({ 0xb0 });
    processor.handleMidiEvent (nullptr, 3);

    EXPECT_FLOAT_EQ (anything.getValue(), 0.25f);
    EXPECT_TRUE (log.calls.empty());
}

TEST_F (MidiControlFixture, ExactChannelMappingHidesTheAnyChannelOne)
{
    auto& exact = makeRecord();
    auto& any = makeRecord();
    auto& globalBend = makeRecord (0.5f);
    auto& deviceBend = makeRecord (0.5f);
    map (MidiMapping::controller, 7, 3, exact);
    map (MidiMapping::controller, 7, 0, any);
    map (MidiMapping::pitchBend, 0, 0, globalBend);
    map (MidiMapping::pitchBend, 0, 5, deviceBend);

    controller (3, 7, 127);
    EXPECT_FLOAT_EQ (exact.getValue(), 1.0f);
    EXPECT_FLOAT_EQ (any.getValue(), 0.0f);

    controller (5, 7, 127);
    EXPECT_FLOAT_EQ (any.getValue(), 1.0f);
    ASSERT_EQ (log.calls.size(), 2u);
    EXPECT_EQ (log.calls[0].record, 0);
    EXPECT_EQ (log.calls[1].record, 1);

    // A pitch bend on a device's own channel bends only that device.
    send ({ 0xe4, 0x7f, 0x7f });
    EXPECT_FLOAT_EQ (deviceBend.getValue(), 1.0f);
    EXPECT_FLOAT_EQ (globalBend.getValue(), 0.5f);
}

TEST_F (MidiControlFixture, MappingsUnderOneKeyApplyInInsertionOrder)
{
    auto& later = makeRecord();
    auto& earlier = makeRecord();
    map (MidiMapping::controller, 64, 0, earlier);
    map (MidiMapping::controller, 64, 0, later);

    controller (1, 64, 127);

    ASSERT_EQ (log.calls.size(), 2u);
    EXPECT_EQ (log.calls[0].record, 1);
    EXPECT_EQ (log.calls[1].record, 0);
    EXPECT_FLOAT_EQ (earlier.getValue(), 1.0f);
    EXPECT_FLOAT_EQ (later.getValue(), 1.0f);
}

TEST_F (MidiControlFixture, BusyLockLosesOnlyThatEvent)
{
    auto& volume = makeRecord();
    map (MidiMapping::controller, 7, 0, volume);

    std::mutex mutex;
    std::condition_variable changed;
    bool locked = false, release = false;

    std::thread owner ([&] {
        const juce::ScopedLock scope (registry.getLock());
        std::unique_lock<std::mutex> guard (mutex);
        locked = true;
        changed.notify_all();
        changed.wait (guard, [&] { return release; });
    });

    {
        std::unique_lock<std::mutex> guard (mutex);
        changed.wait (guard, [&] { return locked; });
    }

    controller (1, 7, 127);
    EXPECT_FLOAT_EQ (volume.getValue(), 0.0f);
    EXPECT_FALSE (volume.testAndClearDirty());

    {
        std::lock_guard<std::mutex> guard (mutex);
        release = true;
    }
    changed.notify_all();
    owner.join();

    controller (1, 7, 64);
    EXPECT_NEAR (volume.getValue(), 0.504f, 0.0005f);
    ASSERT_EQ (log.calls.size(), 1u);
}

TEST_F (MidiControlFixture, DataEntrySetsTheSelectedRegisteredParameter)
{
    auto& tuning = makeRecord();
    map (MidiMapping::registeredParameter, 258, 0, tuning);

    selectRpn (2, 258);
    controller (2, 6, 64);
    EXPECT_NEAR (tuning.getValue(), 8256.0f / 16383.0f, 1e-6f);

    controller (2, 38, 10);
    EXPECT_NEAR (tuning.getValue(), 8202.0f / 16383.0f, 1e-6f);
    EXPECT_EQ (states[1].dataValue, 8202u);

    // Another channel has its own selection: nothing selected there yet.
    controller (3, 6, 127);
    EXPECT_NEAR (tuning.getValue(), 8202.0f / 16383.0f, 1e-6f);
    EXPECT_EQ (states[2].rpnNumber, 0u);
}

TEST_F (MidiControlFixture, IncrementAndDecrementStepBy129)
{
    auto& cutoff = makeRecord (0.5f);
    map (MidiMapping::registeredParameter, 5, 0, cutoff);
    selectRpn (1, 5);

    controller (1, 96, 0);
    EXPECT_NEAR (cutoff.getValue(), 0.5f + step, 1e-4f);
    EXPECT_EQ (states[0].dataValue, 8192u + 129u);

    controller (1, 97, 0);
    controller (1, 97, 0);
    EXPECT_NEAR (cutoff.getValue(), 0.5f - step, 1e-4f);
    EXPECT_EQ (states[0].dataValue, 8192u - 129u);
    EXPECT_EQ (log.calls.size(), 3u);
}

TEST_F (MidiControlFixture, SteppingStopsAtTheEndsOfTheRange)
{
    auto& top = makeRecord (1.0f);
    auto& nearTop = makeRecord ((16383.0f - 100.0f) / 16383.0f);
    auto& bottom = makeRecord (0.0f);
    map (MidiMapping::registeredParameter, 1, 0, top);
    map (MidiMapping::registeredParameter, 2, 0, nearTop);
    map (MidiMapping::registeredParameter, 3, 0, bottom);

    selectRpn (1, 1);
    controller (1, 96, 0);
    EXPECT_FLOAT_EQ (top.getValue(), 1.0f);

    selectRpn (1, 2);
    controller (1, 96, 0);
    EXPECT_FLOAT_EQ (nearTop.getValue(), 1.0f);

    selectRpn (1, 3);
    controller (1, 97, 0);
    EXPECT_FLOAT_EQ (bottom.getValue(), 0.0f);
    EXPECT_EQ (states[0].dataValue, 0u);
    controller (1, 96, 0);
    EXPECT_NEAR (bottom.getValue(), step, 1e-6f);
}

TEST_F (MidiControlFixture, SwitchMappingsJumpToOnOrOff)
{
    auto& toggle = makeRecord (0.0f);
    map (MidiMapping::nonRegisteredParameter, 7, 0, toggle, 0);
    selectNrpn (1, 7);

    controller (1, 96, 0);
    EXPECT_FLOAT_EQ (toggle.getValue(), 1.0f);
    controller (1, 97, 0);
    EXPECT_FLOAT_EQ (toggle.getValue(), 0.0f);
    controller (1, 6, 64);
    EXPECT_FLOAT_EQ (toggle.getValue(), 1.0f);
}

TEST_F (MidiControlFixture, RegisteredAndNonRegisteredSelectionsAreKeptApart)
{
    auto& registered = makeRecord();
    auto& nonRegistered = makeRecord();
    map (MidiMapping::registeredParameter, 1000, 0, registered);
    map (MidiMapping::nonRegisteredParameter, 1000, 0, nonRegistered);

    selectRpn (1, 1000);
    selectNrpn (1, 1000);
    controller (1, 6, 127);
    EXPECT_FLOAT_EQ (nonRegistered.getValue(), 1.0f);
    EXPECT_FLOAT_EQ (registered.getValue(), 0.0f);

    // 100 alone switches back to the registered number chosen before.
    controller (1, 100, 1000 & 0x7f);
    controller (1, 6, 64);
    EXPECT_NEAR (registered.getValue(), 0.504f, 0.0005f);
    EXPECT_FLOAT_EQ (nonRegistered.getValue(), 1.0f);
}

TEST_F (MidiControlFixture, ControllerWithItsOwnMappingNeverReachesDataEntry)
{
    auto& lfoLevel = makeRecord();
    auto& registered = makeRecord();
    map (MidiMapping::controller, 6, 0, lfoLevel);
    map (MidiMapping::controller, 101, 0, makeRecord());
    map (MidiMapping::registeredParameter, 0, 0, registered);

    controller (1, 101, 1);
    EXPECT_EQ (states[0].rpnNumber, 0u);

    controller (1, 6, 127);
    EXPECT_FLOAT_EQ (lfoLevel.getValue(), 1.0f);
    EXPECT_FLOAT_EQ (registered.getValue(), 0.0f);
    EXPECT_EQ (states[0].dataValue, 0u);
}
