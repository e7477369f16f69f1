// One of several processes that mark favourites and change settings of
// their own at the same time, each round as a new instance would: read,
// change, save.  Every few rounds it also takes back a mark and a key it
// made two rounds before.
//
//   kest_concurrent_saver NAME ROUNDS PRESET_FOLDER FAVOURITES_FILE START_FILE
//
// Presets "NAME-0" ... must lie in PRESET_FOLDER.  It starts when START_FILE
// exists, so that the processes run together.  The exit code is the number
// of saves that failed (at most 100); 2 for wrong arguments.
//
// Or a host that goes down right after its user starred a preset:
//
//   kest_concurrent_saver --mark-then-wait PRESET MARKED_FILE
//
// An instance of the engine stars the user preset PRESET as its star button
// does, creates MARKED_FILE once the star shows and then waits to be killed.
//
// Or another program that keeps the folder of a file locked for a while:
//
//   kest_concurrent_saver --hold-lock FILE HELD_FILE RELEASE_FILE
//
// It takes the lock that saves of FILE take turns with, creates HELD_FILE
// and keeps the lock until RELEASE_FILE exists.
//
// Or a process that changes a setting and ends:
//
//   kest_concurrent_saver --set-then-end KEY VALUE
//
// Or another instance whose user sets or clears a star and closes it:
//
//   kest_concurrent_saver --mark-then-end PRESET on|off
//
// Or another instance whose user renames a preset:
//
//   kest_concurrent_saver --rename-when TRIGGER_FILE FROM TO
//
// An instance of the engine opens on the user's presets and favourites,
// renames the user preset FROM to TO once TRIGGER_FILE exists, and ends once
// the favourites file follows (exit code 0) or could not (1).

#include "engine/ApplicationPropertiesUser.h"
#include "engine/AudioEngine.h"
#include "presets/PresetManager.h"
#include "presets/PresetTreeItems.h"
#include "presets/SaveLock.h"

#include <algorithm>
#include <chrono>
#include <thread>

using Korvalden::Misc::ApplicationPropertiesUser;
using Korvalden::Misc::PresetManager;

namespace
{
struct NoSound : public PresetManager::PresetClient
{
    void writePresetState (juce::MemoryBlock&) override {}
    bool readPresetState (const juce::MemoryBlock&) override { return false; }
    juce::String getDefaultPresetName() override { return "New Preset"; }
    void handlePresetOverwriteRequest (PresetOverwriteRequest* request) override { request->answer (false); }
};

bool setFavorite (PresetManager& manager, const juce::String& preset, bool on)
{
    auto* item = dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath ("/PresetFiles/User Presets/" + preset));
    if (item == nullptr)
        return false;
    item->setFavorite (on);
    return true;
}
} // namespace

/** Stars the preset as a click on its star does, then waits. */
int markThenWait (const juce::String& preset, const juce::File& marked)
{
    juce::ScopedJuceInitialiser_GUI framework;
    AudioEngine engine;
    auto* item = dynamic_cast<PresetManager::FileItem*> (engine.getPresetManager().findItemByPath ("/PresetFiles/User Presets/" + preset));
    if (item == nullptr)
        return 2;

    item->getFavoriteValue()->setValue (true); // heard on a later turn, as the button's change is
    while (! item->isFavorite())
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    if (! marked.create())
        return 1;
    for (;;)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1000);
}

/** Keeps the file's folder locked until told to let go. */
int holdLock (const juce::File& file, const juce::File& held, const juce::File& release)
{
    const Korvalden::Misc::SaveLock turn (file);
    if (turn.wasRefused() || ! held.create())
        return 1;
    while (! release.exists())
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    return 0;
}

/** Sets the key as the options dialog would, closes the settings and ends. */
int setThenEnd (const juce::String& key, const juce::String& value)
{
    juce::ScopedJuceInitialiser_GUI framework;
    ApplicationPropertiesUser settings ("Kest");
    settings.setValue (key, value);
    return 0;
}

/** Sets or clears the star of the user preset, whatever it shows, and ends
    once it is saved (0) or could not be (1). */
int markThenEnd (const juce::String& preset, bool on)
{
    juce::ScopedJuceInitialiser_GUI framework;
    auto engine = std::make_unique<AudioEngine>();
    auto& manager = engine->getPresetManager();
    manager.favoriteMarked ("/PresetFiles/User Presets/" + preset, on);
    return manager.saveFavorites (AudioEngine::getFavoritesFile(), PresetManager::FavoritesSave::atClose) ? 0 : 1;
}

/** Renames the preset as the user would, once told to. */
int renameWhen (const juce::File& trigger, const juce::String& from, const juce::String& to)
{
    juce::ScopedJuceInitialiser_GUI framework;
    auto engine = std::make_unique<AudioEngine>();
    auto* item = dynamic_cast<PresetManager::FileItem*> (engine->getPresetManager().findItemByPath ("/PresetFiles/User Presets/" + from));
    if (item == nullptr)
        return 2;
    while (! trigger.exists())
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    if (! item->moveOrRename (to, 0))
        return 1;
    return engine->getPresetManager().saveFavorites (AudioEngine::getFavoritesFile(), PresetManager::FavoritesSave::atClose) ? 0 : 1;
}

int main (int argc, char** argv)
{
    if (argc == 4 && juce::String (argv[1]) == "--mark-then-end")
        return markThenEnd (argv[2], juce::String (argv[3]) == "on");
    if (argc == 5 && juce::String (argv[1]) == "--rename-when")
        return renameWhen (juce::File (argv[2]), argv[3], argv[4]);
    if (argc == 4 && juce::String (argv[1]) == "--mark-then-wait")
        return markThenWait (argv[2], juce::File (argv[3]));
    if (argc == 5 && juce::String (argv[1]) == "--hold-lock")
        return holdLock (juce::File (argv[2]), juce::File (argv[3]), juce::File (argv[4]));
    if (argc == 4 && juce::String (argv[1]) == "--set-then-end")
        return setThenEnd (argv[2], argv[3]);
    if (argc != 6)
        return 2;
    const juce::String name (argv[1]);
    const int rounds = juce::String (argv[2]).getIntValue();
    const juce::File presets (argv[3]), favourites (argv[4]), start (argv[5]);

    juce::ScopedJuceInitialiser_GUI framework;
    while (! start.exists())
        std::this_thread::sleep_for (std::chrono::milliseconds (1));

    int failures = 0;
    NoSound client;
    for (int round = 0; round < rounds; ++round)
    {
        const bool takesBack = round % 4 == 3;
        const auto mark = name + "-" + juce::String (round), earlier = name + "-" + juce::String (round - 2);
        {
            PresetManager manager (&client, presets.getSiblingFile ("no factory"), presets);
            manager.loadFavorites (favourites);
            bool ok = setFavorite (manager, mark, true);
            if (takesBack)
                ok = setFavorite (manager, earlier, false) && ok;
            if (! ok || ! manager.saveFavorites (favourites, PresetManager::FavoritesSave::atClose))
                ++failures;
        }
        {
            ApplicationPropertiesUser settings ("Kest");
            settings.setValue (mark, round);
            if (takesBack)
                settings.removeValue (earlier);
            if (! settings.save (Korvalden::Misc::SaveLock::Moment::atClose))
                ++failures;
        }
    }
    return std::min (failures, 100);
}
