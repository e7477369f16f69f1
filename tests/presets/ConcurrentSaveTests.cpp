#include "engine/ApplicationPropertiesUser.h"
#include "engine/AudioEngine.h"
#include "platform/ApplicationSupport.h"
#include "presets/PresetTreeItems.h"
#include "presets/RecentChanges.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/StandardErrorCapture.h"
#include "tests/support/TimeScale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Two processes (two hosts, or a host and a scanner) marking favourites and
// changing settings of their own at the same time: each one's additions and
// removals survive the other's saves.

extern char** environ;

namespace
{
/** Starts the saving process; -1 when it cannot be started. */
pid_t startSaver (const std::vector<std::string>& arguments)
{
    std::vector<char*> argv { const_cast<char*> (KEST_CONCURRENT_SAVER) };
    for (auto& argument : arguments)
        argv.push_back (const_cast<char*> (argument.c_str()));
    argv.push_back (nullptr);
    pid_t child = -1;
    return ::posix_spawn (&child, KEST_CONCURRENT_SAVER, nullptr, nullptr, argv.data(), environ) == 0 ? child : -1;
}

int exitCodeOf (pid_t child)
{
    int status = 0;
    return ::waitpid (child, &status, 0) == child && WIFEXITED (status) ? WEXITSTATUS (status) : -1;
}

/** The names each process left that are missing, then those it took back
    (round r takes back round r - 2 when r % 4 == 3) that are there again. */
std::pair<juce::StringArray, juce::StringArray> lostAndBack (const std::set<juce::String>& survived, int rounds)
{
    std::pair<juce::StringArray, juce::StringArray> found;
    for (auto process : { "A", "B" })
        for (int round = 0; round < rounds; ++round)
        {
            const bool takenBack = (round + 2) % 4 == 3 && round + 2 < rounds;
            const auto name = process + juce::String ("-") + juce::String (round);
            if (takenBack == (survived.count (name) > 0))
                (takenBack ? found.second : found.first).add (name);
        }
    return found;
}

/** Another process that keeps the folder of the file locked, as a program
    syncing the folder might, until released. */
class OtherProcessLock
{
public:
    OtherProcessLock (const juce::File& file, const ScratchFolder& scratch)
        : held (scratch.getChildFile ("held")), released (scratch.getChildFile ("released"))
    {
        held.deleteFile();
        released.deleteFile();
        process = startSaver ({ "--hold-lock", file.getFullPathName().toStdString(), held.getFullPathName().toStdString(),
                                released.getFullPathName().toStdString() });
        for (int waited = 0; process > 0 && ! held.exists() && waited < 60000; waited += 10)
            juce::Thread::sleep (10);
    }
    ~OtherProcessLock() { release(); }

    bool isHeld() const { return held.exists(); }
    void release()
    {
        if (process > 0 && released.create())
            exitCodeOf (process);
        process = -1;
    }

private:
    juce::File held, released;
    pid_t process = -1;
};

/** Sets or clears the star of a user preset of the engine. */
bool star (AudioEngine& engine, const juce::String& preset, bool on)
{
    auto* item = dynamic_cast<Korvalden::Misc::PresetManager::FileItem*> (
        engine.getPresetManager().findItemByPath ("/PresetFiles/User Presets/" + preset));
    if (item == nullptr)
        return false;
    item->setFavorite (on);
    return true;
}

juce::File userPresets()
{
    const auto presets = Korvalden::Platform::getUserMakerFolder().getChildFile ("Presets/Kest");
    presets.createDirectory();
    for (auto name : { "Round", "Warm" })
        presets.getChildFile (name + juce::String (".prs")).replaceWithText ("sound");
    return presets;
}

juce::String favouritesIn (const juce::File& presets)
{
    Korvalden::Misc::PresetManager::PresetClient* noClient = nullptr;
    Korvalden::Misc::PresetManager next (noClient, {}, presets);
    next.loadFavorites (AudioEngine::getFavoritesFile());
    return next.getFavoriteList().getFavoriteIds().joinIntoString (" ");
}
} // namespace

TEST (ConcurrentSaves, twoProcessesMarkingFavouritesAndChangingSettingsLoseNoneOfEachOthersChanges)
{
    ScratchFolder scratch ("kest-concurrent");
    ASSERT_TRUE (scratch.wasCreated());
    const auto presets = scratch.getChildFile ("presets");
    const auto favourites = scratch.getChildFile ("Kest.Favorites.xml");
    const auto start = scratch.getChildFile ("start");
    ASSERT_TRUE (presets.createDirectory());

    constexpr int rounds = 150;
    std::vector<pid_t> children;
    // Each waits for the other's turns at times: a wait is no failure.
    StandardErrorCapture errors;
    for (auto process : { "A", "B" })
    {
        for (int round = 0; round < rounds; ++round)
            ASSERT_TRUE (presets.getChildFile (process + juce::String ("-") + juce::String (round) + ".prs").replaceWithText ("sound"));
        children.push_back (startSaver ({ process, std::to_string (rounds), presets.getFullPathName().toStdString(),
                                          favourites.getFullPathName().toStdString(), start.getFullPathName().toStdString() }));
        ASSERT_GT (children.back(), 0);
    }
    ASSERT_TRUE (start.create());
    for (auto child : children)
        EXPECT_EQ (exitCodeOf (child), 0) << "failed saves";
    EXPECT_EQ (errors.lines().size(), 0) << errors.lines().joinIntoString ("\n");

    std::set<juce::String> favouritesLeft;
    auto root = juce::parseXML (favourites);
    ASSERT_NE (root, nullptr);
    for (auto* list : root->getChildWithTagNameIterator ("FAVLIST"))
        for (auto* entry : list->getChildIterator())
            favouritesLeft.insert (entry->getStringAttribute ("id").fromLastOccurrenceOf ("/", false, false));

    std::set<juce::String> keysLeft;
    Korvalden::Misc::ApplicationPropertiesUser settings ("Kest");
    for (auto& key : settings.getAllProperties().getAllKeys())
        keysLeft.insert (key);

    for (auto [what, survived] : { std::pair { "favourites", &favouritesLeft }, std::pair { "settings keys", &keysLeft } })
    {
        const auto [lost, back] = lostAndBack (*survived, rounds);
        EXPECT_EQ (lost.size(), 0) << what << " lost: " << lost.joinIntoString (" ");
        EXPECT_EQ (back.size(), 0) << what << " taken back but there again: " << back.joinIntoString (" ");
    }
}

TEST (ConcurrentSaves, aFavouriteIsKeptFromTheMomentItIsMarkedAlsoWhenTheHostIsKilledThen)
{
    const auto presets = Korvalden::Platform::getUserMakerFolder().getChildFile ("Presets/Kest");
    ASSERT_TRUE (presets.createDirectory());
    ASSERT_TRUE (presets.getChildFile ("Warm.prs").replaceWithText ("sound"));
    ScratchFolder scratch ("kest-killed");
    ASSERT_TRUE (scratch.wasCreated());
    const auto marked = scratch.getChildFile ("marked");

    const auto host = startSaver ({ "--mark-then-wait", "Warm", marked.getFullPathName().toStdString() });
    ASSERT_GT (host, 0);
    bool waiting = true;
    for (int waited = 0; waiting && waited < 60000 && ! marked.exists(); waited += 10)
    {
        int status = 0;
        waiting = ::waitpid (host, &status, WNOHANG) == 0;
        juce::Thread::sleep (10);
    }
    ASSERT_TRUE (waiting && marked.exists()) << "the host went before it marked the preset";
    ::kill (host, SIGKILL);
    int status = 0;
    ASSERT_EQ (::waitpid (host, &status, 0), host);

    EXPECT_EQ (favouritesIn (presets), "/PresetFiles/User Presets/Warm");
}

TEST (ConcurrentSaves, aStarWhileAnotherProcessHoldsTheLockWaitsToldOnlyWhenItLastsAndLandsInOrderOnceItIsFree)
{
    const auto presets = userPresets();
    ScratchFolder scratch ("kest-locked");
    ASSERT_TRUE (scratch.wasCreated());
    const auto file = AudioEngine::getFavoritesFile();

    struct LabelOnly : public Korvalden::Misc::PresetManager::ControlButtonSet
    {
        juce::Label label;
        juce::Button* getControlButton (int) override { return nullptr; }
        juce::Label* getPresetNameLabel() override { return &label; }
    } editor;
    juce::StringArray alerts;
    auto engine = std::make_unique<AudioEngine>();
    auto& manager = engine->getPresetManager();
    manager.setControlButtonSet (&editor);
    manager.setFailureAlert ([&alerts] (const juce::String& title, const juce::String& text) { alerts.add (title + ": " + text); });
    const auto pump = [] (int milliseconds) { juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds); };
    const auto rename = [&manager] (const juce::String& from, const juce::String& to)
    {
        auto* item = dynamic_cast<Korvalden::Misc::PresetManager::FileItem*> (manager.findItemByPath ("/PresetFiles/User Presets/" + from));
        return item != nullptr && item->moveOrRename (to, 0);
    };
    {
        OtherProcessLock other (file, scratch);
        ASSERT_TRUE (other.isHeld());

        // A rename that carries no favourite of this instance waits without a word.
        ASSERT_TRUE (rename ("Round", "Roundish"));
        pump (2500);
        EXPECT_TRUE (alerts.isEmpty()) << alerts.joinIntoString ("\n");

        // A star, renamed twice while it waits: the wait has lasted, and is
        // told once, as what it is.
        ASSERT_TRUE (star (*engine, "Warm", true) && rename ("Warm", "Warmer") && rename ("Warmer", "Warmest"));
        EXPECT_TRUE (manager.getFavoriteList().getNumSubItems() == 1 && ! file.exists());
        for (int waited = 0; waited < 10000 && alerts.isEmpty(); waited += 50)
            pump (50);
        ASSERT_EQ (alerts.size(), 1);
        EXPECT_TRUE (alerts[0].startsWith ("Waiting to Save: ") && alerts[0].contains ("locked") && alerts[0].contains ("kept")
                     && ! alerts[0].contains ("could not")) << alerts[0];
        pump (200);
        EXPECT_EQ (alerts.size(), 1);
    }

    // The save lands by itself once the lock is free, with the last name.
    for (int waited = 0; waited < 30000 && ! file.exists(); waited += 50)
        pump (50);
    EXPECT_EQ (favouritesIn (presets), "/PresetFiles/User Presets/Warmest");
    EXPECT_EQ (alerts.size(), 1);

    // Locked again, a lone change, taken at once into the turn that waits,
    // is told too; still locked as the instance goes, it is lost, and said so.
    OtherProcessLock other (file, scratch);
    ASSERT_TRUE (other.isHeld());
    ASSERT_TRUE (star (*engine, "Warmest", false));
    EXPECT_EQ (alerts.size(), 1);
    for (int waited = 0; waited < 10000 && alerts.size() < 2; waited += 50)
        pump (50);
    ASSERT_EQ (alerts.size(), 2);
    EXPECT_TRUE (alerts[1].startsWith ("Waiting to Save: ")) << alerts[1];
    StandardErrorCapture errors;
    engine.reset();
    const auto lines = errors.lines();
    ASSERT_EQ (lines.size(), 1) << lines.joinIntoString ("\n");
    EXPECT_TRUE (lines[0].contains (file.getFullPathName()) && lines[0].contains ("locked")
                 && lines[0].contains ("1 change to the favorites made here is lost")) << lines[0];
}

namespace
{
/** The processes blocked in the system waiting for the folder's lock. */
std::set<int> waitingForLock (const juce::File& folder)
{
    std::set<int> processes;
    struct stat info {};
    if (::stat (folder.getFullPathName().toRawUTF8(), &info) != 0)
        return processes;
    const auto inode = ":" + std::to_string (info.st_ino) + " ";
    std::ifstream locks ("/proc/locks");
    for (std::string line; std::getline (locks, line);)
        if (const auto write = line.find ("WRITE "); line.find ("->") != std::string::npos && line.find (inode) != std::string::npos && write != std::string::npos)
            processes.insert (std::atoi (line.c_str() + write + 6));
    return processes;
}

bool waitUntil (const std::function<bool()>& condition)
{
    for (int waited = 0; waited < TimeScale::hangLimitMs (5000); waited += 5)
    {
        if (condition())
            return true;
        juce::Thread::sleep (5);
    }
    return condition();
}
} // namespace

TEST (ConcurrentSaves, aChangeThatWaitsForTheLockLandsBeforeARenameAnotherInstanceMadeAfterIt)
{
    // Another program holds the lock; this instance sets or clears a star,
    // which waits; then another instance renames the preset.  Whichever of
    // the two waiters takes the lock first, the star (or its absence) ends
    // at the new name.
    struct Case
    {
        const char* preset;
        bool starredBefore, starNow;
        const char* expected;
    };
    for (const auto& [preset, starredBefore, starNow, expected] : { Case { "Pa", false, true, "/PresetFiles/User Presets/Za" },
                                                                     Case { "Pb", true, false, "" } })
    {
        SCOPED_TRACE (preset);
        const auto presets = userPresets();
        ASSERT_TRUE (presets.getChildFile (preset + juce::String (".prs")).replaceWithText ("sound"));
        const auto file = AudioEngine::getFavoritesFile();
        if (starredBefore)
            ASSERT_TRUE (file.replaceWithText ("<FAVORITES><FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"/PresetFiles/User Presets/"
                                               + juce::String (preset) + "\"/></FAVLIST></FAVORITES>"));
        else
            file.deleteFile();
        ScratchFolder scratch ("kest-order");
        ASSERT_TRUE (scratch.wasCreated());
        const auto trigger = scratch.getChildFile ("rename");
        const juce::String renamed = juce::String (preset).replaceCharacter ('P', 'Z');

        auto engine = std::make_unique<AudioEngine>();
        OtherProcessLock other (file, scratch);
        ASSERT_TRUE (other.isHeld());
        const auto otherInstance = startSaver ({ "--rename-when", trigger.getFullPathName().toStdString(), preset, renamed.toStdString() });
        ASSERT_GT (otherInstance, 0);

        ASSERT_TRUE (star (*engine, preset, starNow));
        const auto folder = file.getParentDirectory();
        EXPECT_TRUE (waitUntil ([&] { return waitingForLock (folder).count (::getpid()) > 0; })) << "this instance's save does not wait in the queue";
        ASSERT_TRUE (trigger.create());
        EXPECT_TRUE (waitUntil ([&] { return waitingForLock (folder).count (otherInstance) > 0; })) << "the other instance's save does not wait";
        other.release();

        EXPECT_EQ (exitCodeOf (otherInstance), 0);
        for (int waited = 0; waited < 30000 && ! engine->getPresetManager().saveFavorites (file); waited += 20)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        EXPECT_EQ (favouritesIn (presets), expected);
        EXPECT_FALSE (file.loadFileAsString().contains ("/" + juce::String (preset) + "\""));
        engine.reset();
        presets.getChildFile (renamed + ".prs").deleteFile();
    }
}

TEST (ConcurrentSaves, aTurnSavesOnlyWhatWasMadeBeforeItBeganToWaitSoARenameMadeMeanwhileCarriesAnotherInstancesOlderStar)
{
    // While another program holds the lock, this instance stars a preset
    // (its turn begins to wait with that), another instance in the same host
    // stars Pc and waits behind it, then this instance renames Pc: the rename
    // lands after the other's star and carries it.
    const auto presets = userPresets();
    ASSERT_TRUE (presets.getChildFile ("Pc.prs").replaceWithText ("sound"));
    const auto file = AudioEngine::getFavoritesFile();
    ScratchFolder scratch ("kest-turn");
    ASSERT_TRUE (scratch.wasCreated());

    auto here = std::make_unique<AudioEngine>(), otherInstance = std::make_unique<AudioEngine>();
    auto &manager = here->getPresetManager(), &otherManager = otherInstance->getPresetManager();
    OtherProcessLock other (file, scratch);
    ASSERT_TRUE (other.isHeld());
    ASSERT_TRUE (star (*here, "Round", true));
    EXPECT_TRUE (waitUntil ([&] { return waitingForLock (file.getParentDirectory()).count (::getpid()) > 0; }));
    ASSERT_TRUE (star (*otherInstance, "Pc", true));
    auto* item = dynamic_cast<Korvalden::Misc::PresetManager::FileItem*> (manager.findItemByPath ("/PresetFiles/User Presets/Pc"));
    ASSERT_TRUE (item != nullptr && item->moveOrRename ("Zc", 0));
    other.release();

    for (int waited = 0; waited < 30000 && ! (manager.saveFavorites (file) && otherManager.saveFavorites (file)); waited += 20)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_EQ (favouritesIn (presets), "/PresetFiles/User Presets/Round /PresetFiles/User Presets/Zc");
    EXPECT_FALSE (file.loadFileAsString().contains ("/Pc\""));
}

TEST (ConcurrentSaves, aStarAtAPresetAnotherInstanceRenamedGoesToItsNewNameAlsoWhileAnotherProgramHoldsTheLock)
{
    for (const bool locked : { false, true })
    {
        SCOPED_TRACE (locked ? "locked" : "free");
        const auto presets = userPresets();
        const auto file = AudioEngine::getFavoritesFile();
        file.deleteFile();
        ScratchFolder scratch ("kest-stale");
        ASSERT_TRUE (scratch.wasCreated());
        const auto trigger = scratch.getChildFile ("rename");

        auto engine = std::make_unique<AudioEngine>();
        std::optional<OtherProcessLock> other;
        if (locked)
        {
            ASSERT_TRUE (other.emplace (file, scratch).isHeld());
        }
        const auto otherInstance = startSaver ({ "--rename-when", trigger.getFullPathName().toStdString(), "Warm", "Warmer" });
        ASSERT_GT (otherInstance, 0);
        ASSERT_TRUE (trigger.create());
        for (int waited = 0; waited < 60000 && ! presets.getChildFile ("Warmer.prs").exists(); waited += 5)
            juce::Thread::sleep (5);

        // This instance still shows Warm.
        ASSERT_TRUE (star (*engine, "Warm", true));
        const auto starred = [&] {
            auto* item = dynamic_cast<Korvalden::Misc::PresetManager::FileItem*> (engine->getPresetManager().findItemByPath ("/PresetFiles/User Presets/Warmer"));
            return item != nullptr && item->isFavorite();
        };
        for (int waited = 0; waited < 5000 && ! starred(); waited += 5)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        if (locked)
        {
            EXPECT_TRUE (waitUntil ([&] { return waitingForLock (file.getParentDirectory()).count (otherInstance) > 0; }));
            other->release();
        }

        EXPECT_EQ (exitCodeOf (otherInstance), 0);
        for (int waited = 0; waited < 30000 && ! engine->getPresetManager().saveFavorites (file); waited += 20)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        EXPECT_EQ (favouritesIn (presets), "/PresetFiles/User Presets/Warmer");
        EXPECT_FALSE (file.loadFileAsString().contains ("/Warm\""));
        engine.reset();
        presets.getChildFile ("Warmer.prs").deleteFile();
    }
}

TEST (ConcurrentSaves, anOlderStarOfAnotherInstanceThatLandsAfterARenameOrDeletionHereFollowsThePresetOrIsToldNotKept)
{
    // Another instance sets or clears a star while another program holds the
    // lock; it is kept from the lock (stopped) while the program lets go and
    // this instance renames or deletes the preset, which lands first.  The
    // older star then goes where the preset went; one of a preset that went
    // is not written, and is told as not kept.
    struct Case
    {
        const char* preset;
        bool starredBefore, starThere;
        const char* renamedTo; // empty: deleted
        const char* expected;
        int exitCode;
    };
    for (const auto& [preset, starredBefore, starThere, renamedTo, expected, exitCode] :
         { Case { "Pc", false, true, "Zc", "/PresetFiles/User Presets/Zc", 0 }, Case { "Pb", true, false, "Zb", "", 0 },
           Case { "Pd", false, true, "", "", 4 } })
    {
        SCOPED_TRACE (preset);
        const auto presets = userPresets();
        ASSERT_TRUE (presets.getChildFile (preset + juce::String (".prs")).replaceWithText ("sound"));
        const auto file = AudioEngine::getFavoritesFile();
        const auto folder = file.getParentDirectory();
        ASSERT_TRUE (folder.createDirectory());
        const auto entry = "/PresetFiles/User Presets/" + juce::String (preset);
        if (starredBefore)
            ASSERT_TRUE (file.replaceWithText ("<FAVORITES><FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"" + entry
                                               + "\"/></FAVLIST></FAVORITES>"));
        else
            file.deleteFile();
        ScratchFolder scratch ("kest-identity");
        ASSERT_TRUE (scratch.wasCreated());
        const auto marked = scratch.getChildFile ("marked");

        auto engine = std::make_unique<AudioEngine>();
        OtherProcessLock other (file, scratch);
        ASSERT_TRUE (other.isHeld());
        StandardErrorCapture errors;
        const auto otherInstance = startSaver ({ "--mark-and-save", preset, starThere ? "on" : "off", marked.getFullPathName().toStdString() });
        ASSERT_GT (otherInstance, 0);
        // Let go of whatever happens below.
        struct Continued
        {
            ~Continued() { ::kill (process, SIGCONT); }
            pid_t process;
        } continued { otherInstance };
        ASSERT_TRUE (waitUntil ([&] { return marked.exists() && waitingForLock (folder).count (otherInstance) > 0; }))
            << "the other instance's star does not wait";
        int status = 0;
        ASSERT_EQ (::kill (otherInstance, SIGSTOP), 0);
        ASSERT_EQ (::waitpid (otherInstance, &status, WUNTRACED), otherInstance);
        ASSERT_TRUE (WIFSTOPPED (status));
        other.release();

        auto* item = dynamic_cast<Korvalden::Misc::PresetManager::FileItem*> (engine->getPresetManager().findItemByPath (entry));
        ASSERT_NE (item, nullptr);
        ASSERT_TRUE (*renamedTo != 0 ? item->moveOrRename (renamedTo, 0) : item->deleteItem());
        ASSERT_TRUE (engine->getPresetManager().saveFavorites (file)) << "the change here did not land first";
        ::kill (otherInstance, SIGCONT);

        EXPECT_EQ (exitCodeOf (otherInstance), exitCode);
        EXPECT_EQ (favouritesIn (presets), juce::String (expected));
        EXPECT_FALSE (file.loadFileAsString().contains (entry + "\""));
        const auto told = errors.lines().joinIntoString ("\n");
        const bool toldNotKept = told.contains ("another program renamed, moved or deleted")
                                 && told.contains ("the star just set on \"" + juce::String (preset) + "\" is not kept");
        EXPECT_EQ (toldNotKept, exitCode == 4) << told;
        engine.reset();
        if (*renamedTo != 0)
            presets.getChildFile (renamedTo + juce::String (".prs")).deleteFile();
    }
}

TEST (ConcurrentSaves, aChangeMadeLaterThanAnotherProcessesIsNotSetBackByItWhicheverLandsFirst)
{
    // While another program holds the lock, another process changes a star
    // and a key and waits for its turn; then this instance changes the same
    // star and key.  This instance's change was made last and stays, also
    // where it lands before the other's.
    using Korvalden::Misc::ApplicationPropertiesUser;
    const auto presets = userPresets();
    const auto file = AudioEngine::getFavoritesFile();
    const auto folder = file.getParentDirectory();
    ASSERT_TRUE (folder.createDirectory());
    ScratchFolder scratch ("kest-superseded");
    ASSERT_TRUE (scratch.wasCreated());

    auto engine = std::make_unique<AudioEngine>();
    ApplicationPropertiesUser settings ("Kest");
    {
        OtherProcessLock other (file, scratch);
        ASSERT_TRUE (other.isHeld());
        ASSERT_TRUE (star (*engine, "Round", true) && star (*engine, "Warm", true));
        settings.setValue ("MIDICC_Glide_1", 1);
        EXPECT_FALSE (settings.save());
        EXPECT_TRUE (waitUntil ([&] { return waitingForLock (folder).count (::getpid()) > 0; }));

        std::vector<pid_t> earlier;
        for (const auto& arguments : { std::vector<std::string> { "--mark-then-end", "Warm", "on" },
                                       std::vector<std::string> { "--set-then-end", "MIDICC_SustainPedal", "12" } })
        {
            earlier.push_back (startSaver (arguments));
            ASSERT_GT (earlier.back(), 0);
            EXPECT_TRUE (waitUntil ([&] { return waitingForLock (folder).count (earlier.back()) > 0; })) << arguments[0];
        }
        ASSERT_TRUE (star (*engine, "Warm", false));
        settings.setValue ("MIDICC_SustainPedal", 11);
        EXPECT_FALSE (settings.save());
        other.release();
        for (auto process : earlier)
            EXPECT_EQ (exitCodeOf (process), 0);
    }
    for (int waited = 0; waited < 30000 && (! engine->getPresetManager().saveFavorites (file) || settings.needsToBeSaved()); waited += 20)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);

    EXPECT_EQ (favouritesIn (presets), "/PresetFiles/User Presets/Round");
    ApplicationPropertiesUser reread ("Kest");
    EXPECT_EQ (reread.getIntValue ("MIDICC_Glide_1", -1), 1);
    EXPECT_EQ (reread.getIntValue ("MIDICC_SustainPedal", -1), 11);

    // A key set here before another process sets and saves it does not set
    // it back when saved later: by this object, or by the next one, which
    // takes what an object could not save when it went under the lock.  Set
    // after the other's, it does, also when kept.
    struct Case
    {
        const char* key;
        bool keptForTheNext, otherFirst;
    };
    for (const auto& [key, keptForTheNext, otherFirst] : { Case { "MIDIReceiveChannel", false, false }, Case { "MIDICC_Glide_2", true, false },
                                                           Case { "MIDICC_Glide_3", true, true } })
    {
        SCOPED_TRACE (key);
        if (otherFirst)
        {
            EXPECT_EQ (exitCodeOf (startSaver ({ "--set-then-end", key, "4" })), 0);
        }
        auto here = std::make_unique<ApplicationPropertiesUser> ("Kest");
        here->setValue (key, 3);
        if (keptForTheNext)
        {
            OtherProcessLock other (file, scratch);
            ASSERT_TRUE (other.isHeld());
            const StandardErrorCapture toldNotSaved;
            here = nullptr;
        }
        if (! otherFirst)
        {
            EXPECT_EQ (exitCodeOf (startSaver ({ "--set-then-end", key, "4" })), 0);
        }
        if (here == nullptr)
            here = std::make_unique<ApplicationPropertiesUser> ("Kest");
        EXPECT_EQ (here->getIntValue (key, -1), 3);
        // The turn given up as the object went may not have ended yet.
        for (int waited = 0; waited < 30000 && ! here->save(); waited += 20)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        EXPECT_EQ (ApplicationPropertiesUser ("Kest").getIntValue (key, -1), otherFirst ? 3 : 4);
    }
}

TEST (ConcurrentSaves, aSettingWhileAnotherProcessHoldsTheLockWaitsToldOnlyWhenItLastsSavedOnceItIsFreeAndToldLostIfTheProcessEndsFirst)
{
    using Korvalden::Misc::ApplicationPropertiesUser;
    ScratchFolder scratch ("kest-locked-settings");
    ASSERT_TRUE (scratch.wasCreated());
    const auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    ASSERT_TRUE (file.getParentDirectory().createDirectory());

    juce::StringArray told;
    {
        ApplicationPropertiesUser settings ("Kest");
        settings.setSaveFailureHandler ([&told] (const juce::File&, const juce::String& reason) { told.add ("failed: " + reason); });
        settings.setSaveWaitHandler ([&told] (const juce::File& waiting) { told.add ("waits: " + waiting.getFullPathName()); });
        {
            OtherProcessLock other (file, scratch);
            ASSERT_TRUE (other.isHeld());
            settings.setValue ("MIDIReceiveChannel", 5);
            EXPECT_FALSE (settings.save());
            settings.setValue ("MIDICC_SustainPedal", 11);
            EXPECT_FALSE (settings.save());
            EXPECT_EQ (settings.getIntValue ("MIDIReceiveChannel", -1), 5);
            EXPECT_FALSE (file.exists());
            EXPECT_TRUE (told.isEmpty()) << told.joinIntoString ("\n");

            for (int waited = 0; waited < 10000 && told.isEmpty(); waited += 50)
                juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
            ASSERT_EQ (told.size(), 1);
            EXPECT_EQ (told[0], "waits: " + file.getFullPathName());
            EXPECT_TRUE (settings.needsToBeSaved());
        }

        // Nothing else happens here: the save lands once the lock is free.
        for (int waited = 0; waited < 30000 && settings.needsToBeSaved(); waited += 50)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        EXPECT_FALSE (settings.needsToBeSaved());
        EXPECT_EQ (told.size(), 1);
    }
    ApplicationPropertiesUser reread ("Kest");
    EXPECT_EQ (reread.getIntValue ("MIDIReceiveChannel", -1), 5);
    EXPECT_EQ (reread.getIntValue ("MIDICC_SustainPedal", -1), 11);

    // Still locked as a process ends, what no later settings object took is lost, and said so.
    OtherProcessLock other (file, scratch);
    ASSERT_TRUE (other.isHeld());
    StandardErrorCapture errors;
    EXPECT_EQ (exitCodeOf (startSaver ({ "--set-then-end", "MIDICC_Glide_1", "7" })), 0);
    const auto lines = errors.lines();
    ASSERT_EQ (lines.size(), 2) << lines.joinIntoString ("\n");
    EXPECT_TRUE (lines[1].contains (file.getFullPathName()) && lines[1].contains ("locked")
                 && lines[1].contains ("1 change to the settings made here is lost")) << lines[1];
}

TEST (ConcurrentSaves, everyStarAndSettingIsSavedWhileTheTableOfRecentChangesHasNoRoomOrIsCut)
{
    // Each time in a shared memory of the saver's own, so that the user's
    // table, which other tests share, is never filled, cut or spoilt.  A
    // table of another version or sizes, or a slot whose check fails, holds
    // a later change of each round's key: it must not be trusted.  Under a
    // file size limit that the favourites and settings pass, a save fails
    // as any failed write does; where standard error is a file that the
    // limit keeps from growing too, what cannot be told there is lost, not
    // the process.
    using Korvalden::Misc::ApplicationPropertiesUser;
    struct Case
    {
        const char* what;
        long bytes, room;
        const char* cuts;
        int rounds;
        const char* fileSizeLimit;
        bool filesPassTheLimit, standardErrorFull;
    };
    for (const auto& [what, bytes, room, cuts, rounds, fileSizeLimit, filesPassTheLimit, standardErrorFull] :
         { Case { "far smaller than the table", 64 << 10, 64 << 10, "-", 40, "", false, false },
           Case { "a few KB left", 4 << 20, 8 << 10, "-", 40, "", false, false },
           Case { "cut to 0 and 4096 bytes", 4 << 20, 4 << 20, "0,4096,0,4096", 5, "", false, false },
           Case { "the process's files limited to less than the table", 4 << 20, 4 << 20, "-", 3, "65536", false, false },
           Case { "a table of another version or sizes, or whose slots fail their check", 4 << 20, 4 << 20,
                  "version=1,version=3,slots=32768,slots=131072,slot-size=16,slot-size=32,probes=4,probes=16,check", 9, "", false, false },
           Case { "the process's files limited to less than the favourites and settings grow to", 4 << 20, 4 << 20, "-", 40, "1024", true, false },
           Case { "the same, with standard error a file at the limit already, opened to append", 4 << 20, 4 << 20, "-", 40, "1024", true, true } })
    {
        SCOPED_TRACE (what);
        const auto presets = userPresets();
        const auto favourites = AudioEngine::getFavoritesFile(), settingsFile = ApplicationPropertiesUser::getSettingsFile ("Kest");
        favourites.deleteFile();
        settingsFile.deleteFile();
        for (int round = 0; round < rounds; ++round)
            ASSERT_TRUE (presets.getChildFile ("S-" + juce::String (round) + ".prs").replaceWithText ("sound"));

        std::vector<std::string> arguments { "--in-own-shm", std::to_string (bytes), std::to_string (room), cuts, std::to_string (rounds) };
        if (*fileSizeLimit != 0)
            arguments.push_back (fileSizeLimit);
        int code = -1;
        juce::StringArray told;
        {
            const StandardErrorCapture errors;
            if (standardErrorFull)
            {
                const auto filler = std::string ((size_t) juce::String (fileSizeLimit).getLargeIntValue() - 1, '.') + "\n";
                ASSERT_EQ (::write (STDERR_FILENO, filler.data(), filler.size()), (ssize_t) filler.size());
                // As "2>>" opens it: appending, from a position at its start.
                ASSERT_EQ (::fcntl (STDERR_FILENO, F_SETFL, ::fcntl (STDERR_FILENO, F_GETFL) | O_APPEND), 0);
                ASSERT_EQ (::lseek (STDERR_FILENO, 0, SEEK_SET), 0);
            }
            code = exitCodeOf (startSaver (arguments));
            told = errors.lines();
        }
        if (code == 3)
            GTEST_SKIP() << "the saver cannot have a /dev/shm of its own: neither a mount namespace (root) nor a user namespace is allowed here";
        ASSERT_NE (code, -1) << "the saver was killed by a signal";

        // Each file holds the rounds up to the first it could not take.
        const auto starred = favouritesIn (presets);
        ApplicationPropertiesUser reread ("Kest");
        const auto isStarred = [&starred] (int round)
        { return starred.contains ("/S-" + juce::String (round) + " ") || starred.endsWith ("/S-" + juce::String (round)); };
        int starsKept = 0, keysKept = 0;
        while (starsKept < rounds && isStarred (starsKept))
            ++starsKept;
        while (keysKept < rounds && reread.getIntValue ("S-" + juce::String (keysKept), -1) == keysKept)
            ++keysKept;
        for (int round = starsKept; round < rounds; ++round)
            EXPECT_FALSE (isStarred (round)) << round;
        for (int round = keysKept; round < rounds; ++round)
            EXPECT_FALSE (reread.containsKey ("S-" + juce::String (round))) << round;
        if (! filesPassTheLimit)
        {
            EXPECT_EQ (code, 0) << "failed saves";
            EXPECT_EQ (starsKept, rounds);
            EXPECT_EQ (keysKept, rounds);
            continue;
        }

        // Past the limit a save fails as any failed write does: the file
        // stays as it was, and it is told.
        EXPECT_TRUE (starsKept > 0 && starsKept < rounds) << starsKept;
        EXPECT_TRUE (keysKept > 0 && keysKept < rounds) << keysKept;
        EXPECT_EQ (code, rounds - keysKept) << "failed settings saves";
        if (standardErrorFull)
        {
            EXPECT_EQ (told.size(), 1) << "written past the limit: " << told.joinIntoString ("\n");
        }
        for (const auto& file : { favourites, settingsFile })
        {
            EXPECT_LE (file.getSize(), juce::String (fileSizeLimit).getLargeIntValue()) << file.getFileName();
            if (standardErrorFull)
                continue;
            const auto failure = "Kest: could not save \"" + file.getFullPathName() + "\": " + juce::String (std::strerror (EFBIG))
                                 + " (this program may write files of at most " + fileSizeLimit + " bytes)";
            EXPECT_TRUE (std::any_of (told.begin(), told.end(), [&failure] (const juce::String& line) { return line.startsWith (failure); }))
                << told.joinIntoString ("\n");
        }
    }
}

TEST (ConcurrentSaves, aStampAheadOfThisClockOrOfAnotherIdNeverDropsALaterChange)
{
    // A process whose clock runs a day ahead changed the star of Warm and a
    // key; another process starred "Pad 1ś" after this one starred "Pad 2ö",
    // whose save waited.
    using Korvalden::Misc::ApplicationPropertiesUser;
    using Korvalden::Misc::RecentChanges;
    const auto presets = userPresets();
    const juce::String waiting (juce::CharPointer_UTF8 ("Pad 2\xc3\xb6")), other (juce::CharPointer_UTF8 ("Pad 1\xc5\x9b"));
    ASSERT_TRUE (presets.getChildFile (waiting + ".prs").replaceWithText ("sound"));
    const auto file = AudioEngine::getFavoritesFile();
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ScratchFolder scratch ("kest-stamps");
    ASSERT_TRUE (scratch.wasCreated());
    constexpr std::int64_t day = 86400LL * 1000000000LL;
    RecentChanges (file).landed ("/PresetFiles/User Presets/Warm", RecentChanges::now() + day);
    RecentChanges (ApplicationPropertiesUser::getSettingsFile ("Kest")).landed ("MIDICC_SustainPedal", RecentChanges::now() + day);

    auto engine = std::make_unique<AudioEngine>();
    {
        OtherProcessLock lock (file, scratch);
        ASSERT_TRUE (lock.isHeld());
        ASSERT_TRUE (star (*engine, waiting, true));
        RecentChanges (file).landed ("/PresetFiles/User Presets/" + other, RecentChanges::now());
    }
    for (int waited = 0; waited < 30000 && ! engine->getPresetManager().saveFavorites (file); waited += 20)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    ASSERT_TRUE (star (*engine, "Warm", true));
    ApplicationPropertiesUser settings ("Kest");
    settings.setValue ("MIDICC_SustainPedal", 11);
    EXPECT_TRUE (settings.save());

    const auto starred = favouritesIn (presets);
    EXPECT_TRUE (starred.contains ("/PresetFiles/User Presets/" + waiting) && starred.contains ("/PresetFiles/User Presets/Warm")) << starred;
    EXPECT_EQ (ApplicationPropertiesUser ("Kest").getIntValue ("MIDICC_SustainPedal", -1), 11);

    // Ids whose bytes differ only near their end, after accented letters, or
    // only in an accented letter of their file's folder keep keys of their
    // own: a change of one never outranks the other.
    const auto utf8 = [] (const char* text) { return juce::String (juce::CharPointer_UTF8 (text)); };
    const auto home = file.getParentDirectory();
    struct Ids
    {
        juce::File fileA;
        juce::String idA;
        juce::File fileB;
        juce::String idB;
    };
    for (const auto& [fileA, idA, fileB, idB] :
         { Ids { file, utf8 ("/PresetFiles/User Presets/Pad \xc3\xa9"), file, utf8 ("/PresetFiles/User Presets/Pad \xc3\xa8") },
           Ids { file, utf8 ("/PresetFiles/User Presets/Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9" "e 1"), file,
                 utf8 ("/PresetFiles/User Presets/Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9" "e 2") },
           Ids { home.getChildFile (utf8 ("Zo\xc3\xab/Kest.Favorites.xml")), "/PresetFiles/User Presets/Warm",
                 home.getChildFile (utf8 ("Zo\xc3\xa9/Kest.Favorites.xml")), "/PresetFiles/User Presets/Warm" } })
    {
        SCOPED_TRACE (fileB.getFullPathName() + " " + idB);
        const auto now = RecentChanges::now();
        RecentChanges (fileA).landed (idA, now);
        EXPECT_TRUE (RecentChanges (fileA).isSuperseded (idA, now - 1));
        EXPECT_FALSE (RecentChanges (fileB).isSuperseded (idB, now - 1));
    }
}

TEST (ConcurrentSaves, aChangeMadeAfterOneOfAProcessWhoseClockRunsAheadLandsAlsoOnceThisClockHasPassedItsStamp)
{
    // A process whose steady clock runs seconds ahead of this one's (a time
    // namespace of its own) stars Warm and sets a key, and ends.  Then this
    // instance clears the star and sets the key again, and its saves wait
    // for another program's lock until this process's clock has passed the
    // other's stamps: the changes made here, which are the later ones, land.
    using Korvalden::Misc::ApplicationPropertiesUser;
    for (const char* ahead : { "3", "9" })
    {
        SCOPED_TRACE (juce::String (ahead) + " s ahead");
        const auto presets = userPresets();
        const auto file = AudioEngine::getFavoritesFile();
        file.deleteFile();
        ApplicationPropertiesUser::getSettingsFile ("Kest").deleteFile();
        ScratchFolder scratch ("kest-clock");
        ASSERT_TRUE (scratch.wasCreated());

        for (const auto& arguments : { std::vector<std::string> { "--clock-ahead", ahead, "--mark-then-end", "Warm", "on" },
                                       std::vector<std::string> { "--clock-ahead", ahead, "--set-then-end", "MIDICC_SustainPedal", "12" } })
        {
            const auto code = exitCodeOf (startSaver (arguments));
            if (code == 3)
                GTEST_SKIP() << "the saver cannot have a clock of its own: neither a time namespace (root) nor a user namespace is allowed here";
            ASSERT_EQ (code, 0) << arguments[2];
        }
        const auto othersStampsPassed = std::chrono::steady_clock::now() + std::chrono::milliseconds (std::atoi (ahead) * 1000 + 500);
        ASSERT_EQ (favouritesIn (presets), "/PresetFiles/User Presets/Warm");

        auto engine = std::make_unique<AudioEngine>();
        ApplicationPropertiesUser settings ("Kest");
        ASSERT_EQ (settings.getIntValue ("MIDICC_SustainPedal", -1), 12);
        {
            OtherProcessLock other (file, scratch);
            ASSERT_TRUE (other.isHeld());
            ASSERT_TRUE (star (*engine, "Warm", false));
            settings.setValue ("MIDICC_SustainPedal", 11);
            EXPECT_FALSE (settings.save());
            while (std::chrono::steady_clock::now() < othersStampsPassed)
                juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        }
        for (int waited = 0; waited < 30000 && (! engine->getPresetManager().saveFavorites (file) || settings.needsToBeSaved()); waited += 20)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);

        EXPECT_EQ (favouritesIn (presets), "");
        EXPECT_EQ (ApplicationPropertiesUser ("Kest").getIntValue ("MIDICC_SustainPedal", -1), 11);
    }
}
