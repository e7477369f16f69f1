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
// Or another instance whose user sets or clears a star and closes it once
// the star has landed (its save may wait for the lock as long as it takes):
//
//   kest_concurrent_saver --mark-then-end PRESET on|off
//
// Or another instance whose user sets or clears a star with a click and
// closes it once the star is saved:
//
//   kest_concurrent_saver --mark-and-save PRESET on|off MARKED_FILE
//
// An instance of the engine opens on the user's presets and favourites, sets
// or clears the star of the user preset PRESET at its row, creates
// MARKED_FILE and ends once the star is saved (its save may wait for the
// lock as long as it takes).  The exit code is 0 when the row still shows the
// star as set, 4 when the star was not kept (and so cleared again), 1 when
// a save failed, 2 when the preset is not shown.
//
// Or another instance whose user renames a preset:
//
//   kest_concurrent_saver --rename-when TRIGGER_FILE FROM TO
//
// An instance of the engine opens on the user's presets and favourites,
// renames the user preset FROM to TO once TRIGGER_FILE exists, and ends once
// the favourites file follows (exit code 0) or could not (1).
//
// Or an instance whose shared memory has little room, or whose table of
// recent changes is cut or spoilt while it runs:
//
//   kest_concurrent_saver --in-own-shm BYTES FREE CUTS ROUNDS [FILE_SIZE_LIMIT]
//
// It mounts a file system of BYTES with only FREE left on a /dev/shm of its
// own (the user's is never touched), limits the size of the files it writes
// if told to, then for each round r stars the user preset "S-r" and sets the
// key "S-r" to r.  CUTS (comma-separated, one for each round; "-" for none)
// says what happens to the table in round i: a byte count cuts it to that
// after the round; "FIELD=VALUE" (FIELD one of version, slots, slot-size,
// probes) gives its header another value in that field, and "check" spoils
// the check of every slot in it, in both cases after a later change of the
// key "S-i" was recorded in it and before the round saves, whose change
// must then land all the same; a table whose header was changed must also
// be left as it is, and gets its own header back after the round.  The exit
// code is the number of saves that failed, or of tables a round wrote to
// that it must have left; 3 when it cannot have a /dev/shm of its own.
//
// Any of these may begin with
//
//   --clock-ahead SECONDS
//
// for a process whose steady clock runs SECONDS (a decimal fraction
// allowed) ahead of the machine's: it runs in a time namespace of its own
// (in a user namespace of its own where that needs one).  The exit code is
// then 3 when it cannot have one.

#include "engine/ApplicationPropertiesUser.h"
#include "engine/AudioEngine.h"
#include "presets/PresetManager.h"
#include "presets/PresetTreeItems.h"
#include "presets/RecentChanges.h"
#include "presets/SaveLock.h"
#include "tests/support/TimeScale.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

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

/** Runs the message loop until landed() (nothing of the instance's is left
    to save), for as long as it takes: a save that waits for its turn lands
    by itself once the folder is free.  An instance that closes after this
    loses nothing to its last save's bounded wait, whatever the test did
    meanwhile on a loaded machine.  Only a hang makes it give up. */
void waitUntilLanded (const std::function<bool()>& landed)
{
    for (int waited = 0; waited < TimeScale::hangLimitMs (60000) && ! landed(); waited += 10)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
}

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
    const auto file = AudioEngine::getFavoritesFile();
    waitUntilLanded ([&manager, &file] { return manager.saveFavorites (file); });
    return manager.saveFavorites (file, PresetManager::FavoritesSave::atClose) ? 0 : 1;
}

/** Sets or clears the star as a click at the preset's row does and ends once
    it is saved, whenever another process lets the folder go. */
int markAndSave (const juce::String& preset, bool on, const juce::File& marked)
{
    juce::ScopedJuceInitialiser_GUI framework;
    auto engine = std::make_unique<AudioEngine>();
    auto& manager = engine->getPresetManager();
    const auto path = "/PresetFiles/User Presets/" + preset;
    const auto shown = [&manager, &path] { return dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath (path)); };
    if (shown() == nullptr)
        return 2;
    shown()->setFavorite (on);
    if (! marked.create())
        return 1;

    const auto file = AudioEngine::getFavoritesFile();
    waitUntilLanded ([&manager, &file] { return manager.saveFavorites (file); });
    if (! manager.saveFavorites (file, PresetManager::FavoritesSave::atClose))
        return 1;
    return shown() != nullptr && shown()->isFavorite() == on ? 0 : 4;
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
    auto& manager = engine->getPresetManager();
    const auto file = AudioEngine::getFavoritesFile();
    waitUntilLanded ([&manager, &file] { return manager.saveFavorites (file); });
    return manager.saveFavorites (file, PresetManager::FavoritesSave::atClose) ? 0 : 1;
}

bool writeSystemFile (const char* file, const std::string& text)
{
    const int descriptor = ::open (file, O_WRONLY | O_CLOEXEC);
    const bool written = descriptor >= 0 && ::write (descriptor, text.data(), text.size()) == (ssize_t) text.size();
    return ::close (descriptor) == 0 && written;
}

/** Namespaces of this process's own, where it is still the same user: in a
    user namespace of its own where only that allows them.  Call it before
    any thread starts. */
bool unshareAsItself (int namespaces)
{
    const auto uid = std::to_string (::getuid()), gid = std::to_string (::getgid());
    if (::unshare (namespaces) == 0)
        return true;
    return ::unshare (CLONE_NEWUSER | namespaces) == 0 && writeSystemFile ("/proc/self/setgroups", "deny")
           && writeSystemFile ("/proc/self/uid_map", uid + " " + uid + " 1") && writeSystemFile ("/proc/self/gid_map", gid + " " + gid + " 1");
}

#ifndef CLONE_NEWTIME
#define CLONE_NEWTIME 0x00000080
#endif

/** A steady clock that runs the seconds ahead of the machine's: a time
    namespace of this process's own, entered at once.  Call it before any
    thread starts. */
bool clockAhead (double seconds)
{
    const auto whole = (long long) std::floor (seconds);
    const auto nanoseconds = (long long) std::llround ((seconds - (double) whole) * 1e9);
    if (! unshareAsItself (CLONE_NEWTIME)
        || ! writeSystemFile ("/proc/self/timens_offsets", "monotonic " + std::to_string (whole) + " " + std::to_string (nanoseconds) + "\n"))
        return false;
    const int clock = ::open ("/proc/self/ns/time_for_children", O_RDONLY | O_CLOEXEC);
    const bool entered = clock >= 0 && ::setns (clock, CLONE_NEWTIME) == 0;
    ::close (clock);
    return entered;
}

/** A /dev/shm of this process's own, of bytes with only free of them left:
    in a mount namespace of its own (and a user namespace where that needs
    one).  Call it before any thread starts. */
bool ownSharedMemory (long bytes, long free)
{
    if (! unshareAsItself (CLONE_NEWNS))
        return false;
    const auto size = "size=" + std::to_string (bytes);
    if (::mount (nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 || ::mount ("tmpfs", "/dev/shm", "tmpfs", 0, size.c_str()) != 0)
        return false;
    const int filler = ::open ("/dev/shm/filler", O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    const bool filled = filler >= 0 && (bytes <= free || ::posix_fallocate (filler, 0, bytes - free) == 0);
    ::close (filler);
    return filled;
}

/** Does something to every table of recent changes in this process's /dev/shm. */
void forEachTable (const std::function<void (const std::string& path)>& action)
{
    if (auto* folder = ::opendir ("/dev/shm"))
    {
        while (auto* entry = ::readdir (folder))
            if (std::string (entry->d_name).rfind ("kest-recent-changes", 0) == 0)
                action ("/dev/shm/" + std::string (entry->d_name));
        ::closedir (folder);
    }
}

std::string bytesOf (const std::string& path)
{
    std::ifstream file (path, std::ios::binary);
    return std::string (std::istreambuf_iterator<char> (file), {});
}

void writeAt (const std::string& path, const void* bytes, size_t size, off_t offset)
{
    const int descriptor = ::open (path.c_str(), O_WRONLY | O_CLOEXEC);
    (void) ::pwrite (descriptor, bytes, size, offset);
    ::close (descriptor);
}

/** Spoils every table of this process's /dev/shm as a row of CUTS says:
    "check" breaks the check of each slot in use, "FIELD=VALUE" gives the
    header another value in that field, and the table gets its own header
    back when this goes. */
class SpoiltTables
{
public:
    explicit SpoiltTables (const juce::String& spoilt)
    {
        // A header of 24 bytes: a magic number, then the version, the
        // number of slots, their size and the probes, 32 bits each.  A slot
        // of 24 bytes: a key (0 for a free slot), a moment and their check.
        const std::map<juce::String, off_t> fields { { "version", 8 }, { "slots", 12 }, { "slot-size", 16 }, { "probes", 20 } };
        const auto field = fields.find (spoilt.upToFirstOccurrenceOf ("=", false, false));
        const auto value = (std::uint32_t) spoilt.fromFirstOccurrenceOf ("=", false, false).getLargeIntValue();
        forEachTable ([&] (const std::string& path)
                      {
                          const auto bytes = bytesOf (path);
                          if (field != fields.end())
                          {
                              headers[path] = bytes.substr (0, 24);
                              writeAt (path, &value, sizeof (value), field->second);
                              tables[path] = bytesOf (path);
                          }
                          for (size_t slot = 24; spoilt == "check" && slot + 24 <= bytes.size(); slot += 24)
                              if (bytes.compare (slot, 8, std::string (8, '\0')) != 0)
                                  writeAt (path, std::string (1, (char) (bytes[slot + 16] ^ 1)).data(), 1, (off_t) slot + 16);
                      });
    }

    ~SpoiltTables()
    {
        for (const auto& [path, header] : headers)
            writeAt (path, header.data(), header.size(), 0);
    }

    /** True when every table given another header is as it was then. */
    bool leftAsItWas() const
    {
        return std::all_of (tables.begin(), tables.end(), [] (const auto& table) { return bytesOf (table.first) == table.second; });
    }

private:
    std::map<std::string, std::string> headers, tables;
};

/** Stars and sets round by round, as an instance in a small, cut or spoilt shared memory. */
int inOwnSharedMemory (long bytes, long free, const juce::String& cuts, int rounds, rlim_t fileSizeLimit)
{
    using Korvalden::Misc::RecentChanges;
    if (! ownSharedMemory (bytes, free))
        return 3;
    const struct rlimit limit { fileSizeLimit, fileSizeLimit };
    if (fileSizeLimit != RLIM_INFINITY && ::setrlimit (RLIMIT_FSIZE, &limit) != 0)
        return 1;
    juce::ScopedJuceInitialiser_GUI framework;
    AudioEngine engine;
    const auto whatHappens = juce::StringArray::fromTokens (cuts, ",", "");
    int failures = 0;
    for (int round = 0; round < rounds; ++round)
    {
        const auto name = "S-" + juce::String (round);
        const auto happens = round < whatHappens.size() ? whatHappens[round] : juce::String ("-");
        ApplicationPropertiesUser settings ("Kest");
        settings.setValue (name, round);
        std::optional<SpoiltTables> spoilt;
        if (happens == "check" || happens.contains ("="))
        {
            RecentChanges (settings.getFile()).landed (name, RecentChanges::now());
            spoilt.emplace (happens);
        }
        if (! setFavorite (engine.getPresetManager(), name, true) || ! settings.save (Korvalden::Misc::SaveLock::Moment::atClose))
            ++failures;
        if (spoilt.has_value() && ! spoilt->leftAsItWas())
            ++failures;
        spoilt.reset();
        if (happens.containsOnly ("0123456789") && happens.isNotEmpty())
            forEachTable ([size = (off_t) happens.getLargeIntValue()] (const std::string& path) { (void) ::truncate (path.c_str(), size); });
    }
    return failures;
}

int main (int argc, char** argv)
{
    if (argc >= 3 && juce::String (argv[1]) == "--clock-ahead")
    {
        if (! clockAhead (juce::String (argv[2]).getDoubleValue()))
            return 3;
        argv[2] = argv[0];
        argv += 2;
        argc -= 2;
    }
    if ((argc == 6 || argc == 7) && juce::String (argv[1]) == "--in-own-shm")
        return inOwnSharedMemory (std::atol (argv[2]), std::atol (argv[3]), argv[4], std::atoi (argv[5]),
                                  argc == 7 ? (rlim_t) std::atol (argv[6]) : RLIM_INFINITY);
    if (argc == 4 && juce::String (argv[1]) == "--mark-then-end")
        return markThenEnd (argv[2], juce::String (argv[3]) == "on");
    if (argc == 5 && juce::String (argv[1]) == "--mark-and-save")
        return markAndSave (argv[2], juce::String (argv[3]) == "on", juce::File (argv[4]));
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
