// A star set or cleared is saved at once on the message thread, and every
// instance reads the favourites file when it is created: both with 10 to
// 50,000 favourites, each a user preset in banks of 1,000.  And how long a
// star and an instance that goes wait while another program keeps the
// favourites' folder locked, and a setting's save and a settings object that
// goes, which share that folder.

#include "engine/ApplicationPropertiesUser.h"
#include "bench/PresetBenchSupport.h"
#include "presets/PresetManager.h"
#include "presets/PresetTreeItems.h"
#include "presets/SaveLock.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace
{
using Korvalden::Misc::PresetManager;
using PresetBenchSupport::SilentClient;
using PresetBenchSupport::touch;

/** A user folder of count favourite presets plus one more that is not a
    favourite ("Unmarked"), and the favourites file that marks them. */
struct ManyFavourites : public PresetBenchSupport::Roots
{
    explicit ManyFavourites (int count)
    {
        file = base.getChildFile ("Kest.Favorites.xml");

        juce::String text ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<FAVORITES>\n  <FAVLIST name=\"Default\" type=\"Presets\">\n");
        for (int i = 0; i < count; ++i)
        {
            const auto bank = "Bank " + juce::String (i / 1000).paddedLeft ('0', 3);
            const auto name = "Sound " + juce::String (i).paddedLeft ('0', 6);
            user.getChildFile (bank).createDirectory();
            touch (user.getChildFile (bank).getChildFile (name + ".prs"));
            text << "    <Preset id=\"/PresetFiles/User Presets/" << bank << "/" << name << "\"/>\n";
        }
        text << "  </FAVLIST>\n</FAVORITES>\n";
        file.replaceWithText (text);
        touch (user.getChildFile ("Unmarked.prs"));
    }
    juce::File file;
};

void aStarSetOrCleared (benchmark::State& state)
{
    ManyFavourites folders ((int) state.range (0));
    SilentClient client;
    PresetManager manager (&client, folders.factory, folders.user);
    manager.loadFavorites (folders.file);
    auto* star = dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath ("/PresetFiles/User Presets/Unmarked"));
    if (star == nullptr || manager.getFavoriteList().getNumSubItems() != state.range (0))
    {
        state.SkipWithError ("the favourites were not read");
        return;
    }

    bool on = false;
    for (auto _ : state)
    {
        on = ! on;
        star->setFavorite (on); // saved before it returns
    }
    state.counters["bytes"] = (double) folders.file.getSize();
}
BENCHMARK (aStarSetOrCleared)->Arg (10)->Arg (1000)->Arg (10000)->Arg (50000)->Unit (benchmark::kMillisecond)->MinTime (2.0);

void anInstanceOpens (benchmark::State& state)
{
    ManyFavourites folders ((int) state.range (0));
    SilentClient client;
    int favourites = 0;
    for (auto _ : state)
    {
        PresetManager manager (&client, folders.factory, folders.user);
        manager.loadFavorites (folders.file);
        favourites = manager.getFavoriteList().getNumSubItems();
    }
    state.counters["favourites"] = favourites;
}
BENCHMARK (anInstanceOpens)->Arg (10)->Arg (1000)->Arg (10000)->Arg (50000)->Unit (benchmark::kMillisecond)->Iterations (3);

/** What the message thread spends on a star while the lock is held: the save
    waits for it on the save queue's thread and the message thread goes on
    (Arg 0), or the last save as the instance goes waits for it and gives up
    (Arg 1, which tells each loss on standard error).  A second open of the
    folder is refused its lock as another process would be. */
void whileAnotherProgramHoldsTheLock (benchmark::State& state)
{
    ManyFavourites folders (10);
    SilentClient client;
    PresetManager manager (&client, folders.factory, folders.user);
    manager.loadFavorites (folders.file);
    auto* star = dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath ("/PresetFiles/User Presets/Unmarked"));
    const Korvalden::Misc::SaveLock otherProgram (folders.file);
    if (star == nullptr || otherProgram.wasRefused())
    {
        state.SkipWithError ("no lock held");
        return;
    }

    // Each star cleared is a change of its own, none taking back another.
    star->setFavorite (true);
    int cleared = 0;
    for (auto _ : state)
    {
        if (state.range (0) == 0)
            dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath ("/PresetFiles/User Presets/Bank 000/Sound 00000"
                                                                            + juce::String (cleared++)))
                ->setFavorite (false);
        else
            manager.saveFavorites (folders.file, PresetManager::FavoritesSave::atClose);
    }
}
BENCHMARK (whileAnotherProgramHoldsTheLock)->Arg (0)->Arg (1)->Unit (benchmark::kMillisecond)->Iterations (5);

/** A setting's save, as its timer makes it, hands the change to the save
    queue's thread, which waits for the lock (Arg 0), or a settings object
    that goes waits for it, gives up and leaves the change to the next object
    (Arg 1, which tells the loss on standard error as the benchmark ends).
    The settings lie in a data folder of their own. */
void aSettingWhileAnotherProgramHoldsTheLock (benchmark::State& state)
{
    using Korvalden::Misc::ApplicationPropertiesUser;
    ManyFavourites folders (0);
    ::setenv ("XDG_DATA_HOME", folders.base.getFullPathName().toRawUTF8(), 1);
    const auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    file.getParentDirectory().createDirectory();
    ApplicationPropertiesUser settings ("Kest");
    const Korvalden::Misc::SaveLock otherProgram (file);
    if (otherProgram.wasRefused())
    {
        state.SkipWithError ("no lock held");
        return;
    }

    int changes = 0;
    for (auto _ : state)
    {
        if (state.range (0) == 0)
        {
            settings.setValue ("MIDIReceiveChannel", ++changes);
            settings.save();
        }
        else
        {
            ApplicationPropertiesUser going ("Kest");
            going.setValue ("MIDIReceiveChannel", ++changes);
        }
    }
}
BENCHMARK (aSettingWhileAnotherProgramHoldsTheLock)->Arg (0)->Arg (1)->Unit (benchmark::kMillisecond)->Iterations (5);
} // namespace

int main (int argc, char** argv)
{
    return PresetBenchSupport::runWithMessageManager (argc, argv);
}
