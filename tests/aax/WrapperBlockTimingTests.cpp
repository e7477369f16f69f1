// Event timing through the bundle: the wrapper hands the engine blocks of at
// most 1024 samples, so a host buffer of 4096 is split three times.  A note
// at sample N of the host's stream must sound exactly like the same note at
// sample 0, N samples later, on and beside every split.

#include "host/HostCollection.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"
#include "host/PluginBundle.h"
#include "host/PluginInstance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using namespace KestHost;

namespace
{
constexpr int heard = 6000;
constexpr int held = 3000;

AAX_CMidiPacket note (uint32_t timestamp, bool on)
{
    AAX_CMidiPacket packet {};
    packet.timestamp = timestamp;
    packet.length = 3;
    packet.data[0] = on ? 0x90 : 0x80;
    packet.data[1] = 57;
    packet.data[2] = on ? 100 : 0;
    return packet;
}

class WrapperBlockTiming : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        bundle = std::make_unique<PluginBundle> (KEST_BUNDLE_PATH);
        registration = std::make_unique<HostEnvironment>();
        bundle->entryPoints().startup (&registration->hostUnknown());
        ASSERT_EQ (bundle->entryPoints().registerPlugin (&registration->hostUnknown(), &definition), AAX_SUCCESS);
    }

    static void TearDownTestSuite()
    {
        definition->Release();
        bundle->entryPoints().shutdown (nullptr);
        registration.reset();
        bundle.reset();
    }

    /** A fresh instance plays a note from stream sample start for held
        samples, in host buffers of bufferSize; answers channel 0 up to
        start + heard. */
    static std::vector<float> playAt (int start, int bufferSize)
    {
        const auto& description = static_cast<HostPluginDefinition*> (definition)->collection();
        PluginInstance instance (description, 48000.0f, 2, bufferSize);
        auto& context = instance.context();

        const int length = start + heard;
        std::vector<float> out;
        for (int position = 0; position < length; position += bufferSize)
        {
            const int n = std::min (bufferSize, length - position);
            context.midiNode().clear();
            for (const auto& [sample, on] : { std::pair { start, true }, std::pair { start + held, false } })
                if (sample >= position && sample < position + n)
                    context.midiNode().add (note ((uint32_t) (sample - position), on));
            context.process (n);
            out.insert (out.end(), context.output (0), context.output (0) + n);
        }
        return out;
    }

    static double maxDifference (const std::vector<float>& a, int aFrom, const std::vector<float>& b, int count)
    {
        double m = 0.0;
        for (int k = 0; k < count; ++k)
            m = std::max (m, (double) std::fabs (a[(size_t) (aFrom + k)] - b[(size_t) k]));
        return m;
    }

    static std::unique_ptr<PluginBundle> bundle;
    static std::unique_ptr<HostEnvironment> registration;
    static IACFPluginDefinition* definition;
};

std::unique_ptr<PluginBundle> WrapperBlockTiming::bundle;
std::unique_ptr<HostEnvironment> WrapperBlockTiming::registration;
IACFPluginDefinition* WrapperBlockTiming::definition = nullptr;
} // namespace

TEST_F (WrapperBlockTiming, aNoteSoundsFromItsSampleAcrossTheEngineBlocksOfALongHostBuffer)
{
    const auto reference = playAt (0, 64);
    double loudest = 0.0;
    for (float x : reference)
        loudest = std::max (loudest, (double) std::fabs (x));
    ASSERT_GT (loudest, 0.05);
    const double tolerance = 1e-4 * loudest; // float noise, far below one sample of shift
    ASSERT_GT (maxDifference (reference, 1, reference, heard - 1), 100 * tolerance);

    for (int start : { 1, 1023, 1024, 1025, 2048, 3071, 3072, 4095, 4096, 5000 })
    {
        for (int bufferSize : { 4096, 3000, 1024, 1 })
        {
            const auto out = playAt (start, bufferSize);
            double before = 0.0;
            for (int i = 0; i < start; ++i)
                before = std::max (before, (double) std::fabs (out[(size_t) i]));
            EXPECT_EQ (before, 0.0) << "sound before the note at " << start << ", buffers of " << bufferSize;
            EXPECT_LE (maxDifference (out, start, reference, heard), tolerance)
                << "note at " << start << ", buffers of " << bufferSize;
        }
    }
}
