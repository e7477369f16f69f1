// The built bundle's processor rendering 16 voices at 48 kHz in blocks of
// 512, through its process procedure as kest-host calls it.  The
// "realtime_factor" counter is audio seconds rendered per second.

#include "host/HostCollection.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"
#include "host/PluginBundle.h"
#include "host/PluginInstance.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace KestHost;

namespace
{
constexpr float sampleRate = 48000.0f;
constexpr int blockSize = 512;

AAX_CMidiPacket channelMessage (uint8_t status, uint8_t data1, uint8_t data2)
{
    AAX_CMidiPacket packet {};
    packet.length = 3;
    packet.data[0] = status;
    packet.data[1] = data1;
    packet.data[2] = data2;
    return packet;
}

void sixteenVoices (benchmark::State& state)
{
    PluginBundle bundle (KEST_BUNDLE_PATH);
    HostEnvironment registration;
    bundle.entryPoints().startup (&registration.hostUnknown());
    IACFPluginDefinition* definition = nullptr;
    bundle.entryPoints().registerPlugin (&registration.hostUnknown(), &definition);

    {
        PluginInstance instance (static_cast<HostPluginDefinition*> (definition)->collection(), sampleRate, 2, blockSize);
        auto& context = instance.context();

        // Unison (the default): each of four held notes sounds on all four
        // devices, sixteen voices.
        for (uint8_t note : { 48, 55, 60, 64 })
            context.midiNode().add (channelMessage (0x90, note, 100));
        context.process (blockSize);
        context.midiNode().clear();

        for (auto _ : state)
        {
            context.process (blockSize);
            benchmark::DoNotOptimize (context.output (0)[blockSize - 1]);
        }
        state.counters["realtime_factor"] = benchmark::Counter ((double) state.iterations() * blockSize / sampleRate,
                                                                benchmark::Counter::kIsRate);
    }

    definition->Release();
    bundle.entryPoints().shutdown (nullptr);
}
} // namespace

BENCHMARK (sixteenVoices)->Unit (benchmark::kMicrosecond)->MinTime (2.0);
BENCHMARK_MAIN();
