#pragma once

// The built bundle as a validator drives it: loaded once per test suite,
// instances made at any rate, played in blocks of any lengths with MIDI at
// sample positions, and the audio's hygiene measured.

#include "aax/AAX_CString.h"
#include "host/HostCollection.h"
#include "host/LoadedPlugIn.h"
#include "host/PluginInstance.h"
#include "tests/support/SignalMeasures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Validator
{
inline AAX_CMidiPacket midi (uint8_t status, uint8_t data1, uint8_t data2)
{
    AAX_CMidiPacket packet {};
    packet.length = 3;
    packet.data[0] = status;
    packet.data[1] = data1;
    packet.data[2] = data2;
    return packet;
}

inline AAX_CMidiPacket noteOn (uint8_t note, uint8_t velocity = 100) { return midi (0x90, note, velocity); }
inline AAX_CMidiPacket noteOff (uint8_t note) { return midi (0x80, note, 0); }

struct TimedMidi
{
    int64_t sample;
    AAX_CMidiPacket packet;
};

/** A C minor chord held from sample 0 until release (never when negative). */
inline std::vector<TimedMidi> chord (int64_t release = -1)
{
    std::vector<TimedMidi> events;
    for (uint8_t note : { 48, 51, 55, 60 })
        events.push_back ({ 0, noteOn (note) });
    if (release >= 0)
        for (uint8_t note : { 48, 51, 55, 60 })
            events.push_back ({ release, noteOff (note) });
    return events;
}

struct Played
{
    std::vector<float> left, right;
};

/** Plays total samples in blocks whose lengths cycle through blockLengths,
    each event in the block that holds its sample; beforeBlock runs before
    each block with the block's start. */
inline Played play (KestHost::PluginInstance& instance, int64_t total, const std::vector<int>& blockLengths,
                    const std::vector<TimedMidi>& events = {}, const std::function<void (int64_t)>& beforeBlock = {})
{
    auto& context = instance.context();
    Played played;
    size_t next = 0;
    size_t lengthIndex = 0;
    for (int64_t position = 0; position < total;)
    {
        const int length = (int) std::min<int64_t> (std::min (blockLengths[lengthIndex++ % blockLengths.size()], context.maximumBlock()),
                                                     total - position);
        if (beforeBlock)
            beforeBlock (position);
        context.midiNode().clear();
        while (next < events.size() && events[next].sample < position + length)
        {
            auto packet = events[next++].packet;
            packet.timestamp = (uint32_t) std::max<int64_t> (0, events[next - 1].sample - position);
            context.midiNode().add (packet);
        }
        context.process (length);
        played.left.insert (played.left.end(), context.output (0), context.output (0) + length);
        const int second = context.channels() > 1 ? 1 : 0;
        played.right.insert (played.right.end(), context.output (second), context.output (second) + length);
        position += length;
    }
    return played;
}

/** No NaN, no infinity, no denormal and nothing louder than +12 dBFS. */
inline ::testing::AssertionResult cleanAudio (const std::vector<float>& samples)
{
    for (size_t i = 0; i < samples.size(); ++i)
    {
        const auto sample = samples[i];
        if (! std::isfinite (sample))
            return ::testing::AssertionFailure() << "sample " << i << " is " << sample;
        if (std::fpclassify (sample) == FP_SUBNORMAL)
            return ::testing::AssertionFailure() << "sample " << i << " is a denormal (" << sample << ")";
        if (std::abs (sample) > 4.0f)
            return ::testing::AssertionFailure() << "sample " << i << " is " << sample << ", far above full scale";
    }
    return ::testing::AssertionSuccess();
}

inline double rms (const std::vector<float>& samples, size_t from = 0, size_t to = SIZE_MAX)
{
    return SignalMeasures::rms (samples, (int) from, (int) std::min (to, samples.size()));
}

inline float peak (const std::vector<float>& samples, size_t from = 0, size_t to = SIZE_MAX)
{
    return (float) SignalMeasures::peak (samples, (int) from, (int) std::min (to, samples.size()));
}

/** The bundle loaded for a whole test suite. */
class BundleUnderTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { plugIn = std::make_unique<KestHost::LoadedPlugIn> (KEST_BUNDLE_PATH); }
    static void TearDownTestSuite() { plugIn.reset(); }

    static std::unique_ptr<KestHost::PluginInstance> makeInstance (double sampleRate = 48000.0, int maxBlock = 4096, int channels = 2)
    {
        return std::make_unique<KestHost::PluginInstance> (plugIn->description(), (float) sampleRate, channels, maxBlock);
    }

    /** Every host parameter identifier but the bypass. */
    static std::vector<std::string> parameterIds (KestHost::PluginInstance& instance);

    inline static std::unique_ptr<KestHost::LoadedPlugIn> plugIn;
};

inline std::vector<std::string> BundleUnderTest::parameterIds (KestHost::PluginInstance& instance)
{
    std::vector<std::string> ids;
    int32_t count = 0;
    instance.effect().GetNumberOfParameters (&count);
    for (int32_t index = 0; index < count; ++index)
    {
        AAX_CString id;
        if (instance.effect().GetParameterIDFromIndex (index, &id) == AAX_SUCCESS && std::string (id.Get()) != "MasterBypassID")
            ids.emplace_back (id.Get());
    }
    return ids;
}
} // namespace Validator
