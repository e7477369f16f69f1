// Reading the preset folders when an instance is created: a folder of
// 100,001 presets, and a pack whose folders are reached through 16 levels of
// two links each to the next folder (without a loop), which a walk that
// follows every link would read 65,536 times.

#include "bench/PresetBenchSupport.h"
#include "presets/PresetManager.h"
#include "presets/PresetTreeItems.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace
{
using Korvalden::Misc::PresetManager;
using PresetBenchSupport::Roots;
using PresetBenchSupport::SilentClient;
using PresetBenchSupport::touch;

int countItems (const juce::TreeViewItem& item)
{
    int count = item.getNumSubItems();
    for (int index = 0; index < item.getNumSubItems(); ++index)
        count += countItems (*item.getSubItem (index));
    return count;
}

void readsAFolderOf100001Presets (benchmark::State& state)
{
    Roots roots;
    for (int i = 0; i < 100001; ++i)
        touch (roots.factory.getChildFile ("Preset " + juce::String (i).paddedLeft ('0', 6) + ".prs"));

    SilentClient client;
    int items = 0;
    for (auto _ : state)
    {
        PresetManager manager (&client, roots.factory, roots.user);
        items = countItems (manager.getFileTreeRoot());
    }
    state.counters["items"] = items;
}
BENCHMARK (readsAFolderOf100001Presets)->Unit (benchmark::kMillisecond)->Iterations (3);

void readsSixteenLevelsOfTwoLinksToTheNextFolder (benchmark::State& state)
{
    Roots roots;
    constexpr int levels = 16;
    auto pack = roots.base.getChildFile ("pack");
    for (int level = 0; level <= levels; ++level)
    {
        auto folder = pack.getChildFile ("Level" + juce::String (level));
        folder.createDirectory();
        touch (folder.getChildFile ("Sound " + juce::String (level) + ".prs"));
        if (level < levels)
            for (auto name : { "A", "B" })
                pack.getChildFile ("Level" + juce::String (level + 1)).createSymbolicLink (folder.getChildFile (name), false);
    }
    pack.getChildFile ("Level0").createSymbolicLink (roots.factory.getChildFile ("Pack"), false);

    SilentClient client;
    int items = 0;
    for (auto _ : state)
    {
        PresetManager manager (&client, roots.factory, roots.user);
        items = countItems (manager.getFileTreeRoot());
    }
    state.counters["items"] = items;
}
BENCHMARK (readsSixteenLevelsOfTwoLinksToTheNextFolder)->Unit (benchmark::kMillisecond)->Iterations (3);
} // namespace

int main (int argc, char** argv)
{
    return PresetBenchSupport::runWithMessageManager (argc, argv);
}
