// The bounded XML reader on the largest inputs it accepts or refuses: its
// time grows with the input's length (some 30 MB per second for a settings
// file of many keys), so no project or settings file can stall an
// instance's creation for long.

#include "engine/UntrustedXml.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{
std::string settingsWithKeys (int count)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n";
    for (int i = 0; i < count; ++i)
        text += "  <VALUE name=\"Key" + std::to_string (i) + "\" val=\"" + std::to_string (i) + "\"/>\n";
    return text + "</PROPERTIES>\n";
}

void readsSettingsWithManyKeys (benchmark::State& state)
{
    const auto text = settingsWithKeys ((int) state.range (0));
    for (auto _ : state)
        benchmark::DoNotOptimize (Korvalden::Misc::parseUntrustedXml (text.data(), text.size()));
    state.SetBytesProcessed ((int64_t) state.iterations() * (int64_t) text.size());
}
BENCHMARK (readsSettingsWithManyKeys)->Arg (1000)->Arg (80000)->Unit (benchmark::kMillisecond);

void refusesDeepNestingAtOnce (benchmark::State& state)
{
    std::string text;
    for (int i = 0; i < 27000; ++i)
        text += "<a>";
    for (auto _ : state)
        benchmark::DoNotOptimize (Korvalden::Misc::parseUntrustedXml (text.data(), text.size()));
}
BENCHMARK (refusesDeepNestingAtOnce)->Unit (benchmark::kMicrosecond);

void readsTheLongestAcceptedText (benchmark::State& state)
{
    const auto text = "<r a=\"" + std::string (Korvalden::Misc::maxUntrustedXmlBytes - 16, 'x') + "\"/>";
    for (auto _ : state)
        benchmark::DoNotOptimize (Korvalden::Misc::parseUntrustedXml (text.data(), text.size()));
    state.SetBytesProcessed ((int64_t) state.iterations() * (int64_t) text.size());
}
BENCHMARK (readsTheLongestAcceptedText)->Unit (benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
