#include "PresetTestSupport.h"

#include "presets/PresetFileSystem.h"

#include <csignal>
#include <functional>
#include <iostream>
#include <optional>
#include <fcntl.h>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <utime.h>

using namespace PresetTestSupport;
namespace fs = Korvalden::Misc::PresetFileSystem;

namespace
{
class PresetFileSafety : public PresetFolders
{
protected:
    /** Every file name in the folder, hidden ones included (links not followed). */
    static juce::StringArray namesIn (const juce::File& folder)
    {
        juce::StringArray names;
        for (auto& child : folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*", juce::File::FollowSymlinks::no))
            names.add (child.getFileName());
        names.sort (false);
        return names;
    }

    /** A file as a save leaves it, last changed the given number of seconds ago. */
    static void leaveFile (const juce::File& file, juce::int64 secondsAgo)
    {
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (file.replaceWithText ("half a preset"));
        const auto when = (time_t) (::time (nullptr) - secondsAgo);
        const utimbuf times { when, when };
        ASSERT_EQ (::utime (file.getFullPathName().toRawUTF8(), &times), 0);
    }
};

/** Another process that holds the file locked, as a running save holds its
    temporary file, until this goes. */
class LockingProcess
{
public:
    explicit LockingProcess (const juce::File& file)
    {
        const auto path = file.getFullPathName().toStdString();
        int ready[2];
        if (::pipe (ready) != 0)
            return;
        child = ::fork();
        if (child == 0)
        {
            // Only calls that are safe in the child of a process with threads.
            const int descriptor = ::open (path.c_str(), O_RDWR);
            const char answer = descriptor >= 0 && ::flock (descriptor, LOCK_EX) == 0 ? 'y' : 'n';
            if (::write (ready[1], &answer, 1) == 1)
                for (;;)
                    ::pause();
            ::_exit (1);
        }
        ::close (ready[1]);
        char answer = 'n';
        locked = child > 0 && ::read (ready[0], &answer, 1) == 1 && answer == 'y';
        ::close (ready[0]);
    }

    ~LockingProcess()
    {
        if (child > 0 && ::kill (child, SIGKILL) == 0)
            ::waitpid (child, nullptr, 0);
    }

    bool holdsLock() const noexcept { return locked; }

private:
    pid_t child = -1;
    bool locked = false;
};

/** The client of a second instance that presses Save into the same folder
    while this one is still making its preset. */
struct ClientOfABusyNeighbour : public FakeClient
{
    PresetManager* neighbour = nullptr;

    void writePresetState (juce::MemoryBlock& out) override
    {
        if (neighbour != nullptr)
            neighbour->savePreset();
        FakeClient::writePresetState (out);
    }
};
} // namespace

TEST_F (PresetFileSafety, twoInstancesSavingIntoOneFolderKeepEveryPresetWithItsOwnSound)
{
    auto second = makeManager();
    ClientOfABusyNeighbour firstClient;
    PresetManager first (&firstClient, factory, user);
    firstClient.neighbour = second.get();

    constexpr int rounds = 12;
    for (int round = 0; round < rounds; ++round)
    {
        firstClient.sound = "first " + juce::String (round);
        client.sound = "second " + juce::String (round);
        first.savePreset();

        // Each instance's new preset holds its own sound.
        auto* firstSaved = dynamic_cast<PresetManager::FileItem*> (first.getCurrentItem());
        auto* secondSaved = dynamic_cast<PresetManager::FileItem*> (second->getCurrentItem());
        ASSERT_NE (firstSaved, nullptr);
        ASSERT_NE (secondSaved, nullptr);
        EXPECT_EQ (firstSaved->getFile().loadFileAsString(), "first " + juce::String (round));
        EXPECT_EQ (secondSaved->getFile().loadFileAsString(), "second " + juce::String (round));
    }

    // Not one preset was replaced: every sound is in a file of its own.
    std::set<juce::String> sounds;
    for (auto& [name, bytes] : snapshot (user))
        sounds.insert (bytes);
    EXPECT_EQ (snapshot (user).size(), (size_t) (2 * rounds));
    EXPECT_EQ (sounds.size(), (size_t) (2 * rounds));
}

TEST_F (PresetFileSafety, everyNameThatFitsTheFileSystemSavesAndALongerOneLeavesNothing)
{
    auto manager = makeManager();

    // The file name is the name and ".prs": at most 255 bytes on this file system.
    for (int length : { 1, 200, 243, 244, 247, 250, 251 })
    {
        const auto name = juce::String::repeatedString ("n", length);
        manager->selectPresetByPath (userPath + "/" + name);
        client.sound = "length " + juce::String (length);
        manager->savePreset();
        EXPECT_EQ (user.getChildFile (name + ".prs").loadFileAsString(), "length " + juce::String (length)) << length;
        EXPECT_EQ (currentPath (*manager), userPath + "/" + name);
    }
    // Two-byte characters count as two.
    const auto accented = juce::String::repeatedString (juce::String::fromUTF8 ("\xc3\xa9"), 125) + "n";
    manager->selectPresetByPath (userPath + "/" + accented);
    manager->savePreset();
    EXPECT_TRUE (user.getChildFile (accented + ".prs").existsAsFile());

    const auto before = snapshot (user);
    manager->selectPresetByPath (userPath + "/" + juce::String::repeatedString ("n", 252));
    manager->savePreset();
    EXPECT_EQ (snapshot (user), before);
    EXPECT_EQ (namesIn (user).size(), 8);
}

TEST_F (PresetFileSafety, aFileIsToldFromANewOneWithItsNumberByItsBirthTimeOrWithoutOneNotFollowedWhereItCannotBe)
{
    // What the stamps tell, on identities made up: a row read at a moment
    // (shown), and what lies at its path as a change comes five seconds
    // later (now), each stamped so many milliseconds from that reading (its
    // birth, or where none is kept its last change of status), with now's
    // number (the rows have 100, this one's, and 200, listed as 250) and its
    // handle (the row's was 7; 0: neither has one).  Whether it is the file
    // shown, was made since, and is the preset saved over under its name.
    // Where its listing gives another number than a look-up of its path,
    // that one too; where it lies on another file system than the rows, its
    // device.
    struct MadeUp
    {
        const char* what;
        bool bornKnown;
        juce::int64 shownStamp, nowStamp;
        juce::uint64 inode, handle;
        bool same, madeSince, savedOver;
        juce::uint64 listed = 0, device = 1;
    };
    constexpr juce::int64 minute = 60'000;
    const MadeUp madeUp[] {
        { "left alone", true, -minute, -minute, 100, 0, true, false, false },
        { "a new file with its number", true, -minute, 2000, 100, 0, false, true, true },
        { "a new file stamped 5 ms before the row was read, by a coarser clock", true, -minute, -5, 100, 0, false, true, true },
        { "an older preset moved onto its name", true, -minute, -minute, 300, 0, false, false, false },
        { "a file born two hours ahead of the clock moved onto its name", true, -minute, 120 * minute, 300, 0, false, false, false },
        { "a file born since with another row's number (copied up as it was moved)", true, -minute, 2000, 200, 0, false, true, false },
        { "the same, listed by a number of the upper layer", true, -minute, 2000, 200, 0, false, true, false, 300 },
        { "a file born since listed by another row's number", true, -minute, 2000, 300, 0, false, true, false, 250 },
        { "a file born since with another row's number on another file system", true, -minute, 2000, 200, 0, false, true, true, 0, 2 },
        { "no birth time, changed a minute before the row was read", false, -minute, -minute, 100, 0, true, false, false },
        { "no birth time, changed in the second the row was read", false, -500, -500, 100, 0, false, false, false },
        { "no birth time, changed 1.5 s before the row was read: two-second stamps", false, -1500, -1500, 100, 0, false, false, false },
        { "no birth time, changed two seconds before the row was read", false, -2000, -2000, 100, 0, true, false, false },
        { "the same, with its handle", false, -500, -500, 100, 7, true, false, false },
        { "the same, a new file made with its number in that second: another handle", false, -500, -500, 100, 8, false, false, false },
        { "no birth time, changed a minute ahead of the clock", false, minute, minute, 100, 0, false, false, false },
        { "no birth time, a new file with its number written since", false, -minute, 2000, 100, 0, false, false, false },
    };
    const fs::RowNumbers rows { { { 1, 100 }, { 1, 200 } }, { 250 } };
    const auto stamp = [] (juce::int64 milliseconds, juce::int64& seconds, juce::uint32& nanoseconds)
    {
        const auto moment = 1'800'000'000'000 + milliseconds;
        seconds = moment / 1000;
        nanoseconds = (juce::uint32) (moment % 1000) * 1'000'000;
    };
    for (const auto& [what, bornKnown, shownStamp, nowStamp, inode, handle, same, madeSince, savedOver, listed, device] : madeUp)
    {
        SCOPED_TRACE (what);
        fs::Identity shown, now;
        shown.device = 1;
        now.device = device;
        shown.inode = shown.listedInode = 100;
        now.inode = inode;
        now.listedInode = listed != 0 ? listed : inode;
        shown.links = now.links = 1;
        shown.bornKnown = now.bornKnown = bornKnown;
        shown.handleKnown = now.handleKnown = handle != 0;
        shown.handle = 7;
        now.handle = handle;
        for (auto [identity, milliseconds] : { std::pair (&shown, shownStamp), std::pair (&now, nowStamp) })
            stamp (milliseconds, bornKnown ? identity->bornSeconds : identity->changedSeconds, bornKnown ? identity->bornNanoseconds : identity->changedNanoseconds);
        stamp (0, shown.seenSeconds, shown.seenNanoseconds);
        stamp (5000, now.seenSeconds, now.seenNanoseconds);
        EXPECT_EQ (fs::isSameFile (shown, now), same);
        EXPECT_EQ (fs::isMadeSince (now, shown), madeSince);
        EXPECT_EQ (fs::isSavedOver (now, shown, &rows), savedOver);
    }

    // A folder stays where it was also after a preset was saved into it.
    auto folder = fs::identityOf (user);
    folder.bornKnown = false;
    juce::Thread::sleep (20);
    addPreset (user, "Saved", "saved");
    EXPECT_TRUE (fs::isStillAt (user, folder));

    // Real files: Warm as its folder was read, with its birth time as ext4
    // and tmpfs give it, or without (as if that file system kept none, read
    // a few seconds after it was made), or on an ext4 that keeps none, read
    // and changed within one second.  Then another program changes it.
    // Where it is now, by its path and as a star that waited for the lock
    // finds it (empty: gone).
    using Program = std::function<void (const juce::File& warm)>;
    struct Case
    {
        const char* what;
        Program program;
        bool stillAt;
        const char* withBirth;
        const char* withoutBirth;
        /** On an ext4 without birth times, within one second: its handle vouches for it. */
        bool stillAtInOneSecond;
        const char* inOneSecond;
    };
    const Case cases[] {
        { "left alone", [] (const juce::File&) {}, true, "Warm", "Warm", true, "Warm" },
        { "renamed", [this] (const juce::File& warm) { ASSERT_TRUE (warm.moveFileTo (user.getChildFile ("Warmer.prs"))); }, false, "Warmer", "", false, "Warmer" },
        { "written in place", [] (const juce::File& warm) { ASSERT_TRUE (warm.appendText ("more")); }, true, "Warm", "", true, "Warm" },
        { "deleted, Warm made with its number", [] (const juce::File& warm) { deleteAndMakeWithItsNumber (warm, warm, "new"); }, false, "Warm", "", false, "" },
        { "deleted, Evil made with its number", [this] (const juce::File& warm) { deleteAndMakeWithItsNumber (warm, user.getChildFile ("Evil.prs"), "evil"); },
          false, "", "", false, "" },
        { "deleted", [] (const juce::File& warm) { ASSERT_TRUE (warm.deleteFile()); }, false, "", "", false, "" },
        { "deleted, an older preset renamed onto its name", [this] (const juce::File& warm)
          { ASSERT_TRUE (warm.deleteFile() && user.getChildFile ("Mild.prs").moveFileTo (warm)); },
          false, "", "", false, "" },
    };
    enum class Where
    {
        withBirth,
        withoutBirth,
        withoutBirthTimes
    };
    std::optional<OtherFileSystem> mounted;
    for (const auto where : { Where::withBirth, Where::withoutBirth, Where::withoutBirthTimes })
    {
        if (where == Where::withoutBirthTimes && ! mounted.emplace (user, OtherFileSystem::Kind::withoutBirthTimes).isMounted())
            GTEST_SKIP() << "no ext4 without birth times can be mounted here: " << mounted->whyNot();
        for (const auto& [what, program, stillAt, withBirth, withoutBirth, stillAtInOneSecond, inOneSecond] : cases)
        {
            SCOPED_TRACE (juce::String (where == Where::withBirth ? "birth known: " : where == Where::withoutBirth ? "no birth time: " : "ext4 without birth times: ") + what);
            for (auto name : { "Warm", "Warmer", "Evil" })
                user.getChildFile (name + juce::String (".prs")).deleteFile();
            madeBeforeAListing (addPreset (user, "Mild", "mild"));
            const auto second = where == Where::withoutBirthTimes ? untilASecondBegins() : 0;
            const auto warm = addPreset (user, "Warm", "warm");
            auto shown = fs::identityOf (warm);
            ASSERT_TRUE (shown.isKnown() && shown.links == 1);
            if (where == Where::withoutBirth)
            {
                shown.bornKnown = false;
                shown.seenSeconds += 3;
            }
            else if (where == Where::withoutBirthTimes)
            {
                ASSERT_FALSE (shown.bornKnown);
            }
            else if (! shown.bornKnown)
            {
                GTEST_SKIP() << "this file system keeps no birth times";
            }
            juce::Thread::sleep (20); // a later tick of the file system's clock
            program (warm);
            if (where == Where::withoutBirthTimes && secondNow() != second)
            {
                std::cout << "(the clock's second turned before the program was done)\n";
                continue;
            }

            const juce::String expected (where == Where::withBirth ? withBirth : where == Where::withoutBirth ? withoutBirth : inOneSecond);
            // Written in place, a file without a birth time cannot be told from a new one.
            EXPECT_EQ (fs::isStillAt (warm, shown), where == Where::withoutBirthTimes ? stillAtInOneSecond : stillAt && (where == Where::withBirth || juce::String (what) != "written in place"));
            EXPECT_EQ (fs::whereNow (warm, shown), expected.isEmpty() ? juce::File() : user.getChildFile (expected + ".prs"));
        }
    }

    // There too; deleted and made again, it gets its number, and only its
    // handle tells it from the new one.
    const auto sub = user.getChildFile ("Sub");
    ASSERT_TRUE (sub.createDirectory());
    const auto shownSub = fs::identityOf (sub);
    ASSERT_TRUE (shownSub.handleKnown);
    juce::Thread::sleep (20);
    addPreset (sub, "Saved", "saved");
    EXPECT_TRUE (fs::isStillAt (sub, shownSub));
    ASSERT_TRUE (sub.deleteRecursively() && sub.createDirectory());
    if (fs::identityOf (sub).inode != shownSub.inode)
        std::cout << "(the file system gave the new folder another number)\n";
    EXPECT_FALSE (fs::isStillAt (sub, shownSub));
}

TEST_F (PresetFileSafety, aSaveRemovesOnlyOurOwnStaleUnlockedTemporaryFilesInTheFolderItWrites)
{
    constexpr juce::int64 hours = 60 * 60;
    addPreset (user, "Deep", "deep");
    addPreset (user, "Pads/Air", "air");
    addPreset (factory, "Lead", "lead");
    const auto elsewhere = base.getChildFile ("elsewhere");
    addPreset (elsewhere, "Far", "far");
    ASSERT_TRUE (elsewhere.createSymbolicLink (user.getChildFile ("Shared"), false));

    struct Left
    {
        const char* path;
        juce::int64 secondsAgo;
        bool goes;
    };
    const Left left[] = {
        // What saves of this version killed long ago, in the folders saved
        // into, also one reached through a link.
        { "user/.kest-save-Ab12Cd", 2 * hours, true },
        { "user/Pads/.kest-save-Later1", 30 * hours, true },
        { "elsewhere/.kest-save-Ab12Cd", 2 * hours, true },
        // A save another process is making: its file is locked, whatever its age.
        { "user/.kest-save-Held01", 2 * hours, false },
        // The user's own files, names of earlier development builds, names
        // that are ours only in part.
        { "user/.Lead.prs.backup", 2 * hours, false },
        { "user/.notes.prs.draft1", 2 * hours, false },
        { "user/.Pad.prs.a1B2c3", 2 * hours, false },
        { "user/Kest_temp2024.prop", 2 * hours, false },
        { "user/Kest_temp1a2b3c4d.prop", 2 * hours, false },
        { "user/.Kest.Favorites.xml.AbCdEf", 2 * hours, false },
        { "user/Pads/.Air.prs.QwErT1", 30 * hours, false },
        { "user/.kest-save-Ab1", 2 * hours, false },
        { "user/.kest-save-Ab12Cd.txt", 2 * hours, false },
        { "user/.kest-save-Ab-2Cd", 2 * hours, false },
        { "user/.kest-save-\xc3\xa9" "b12C", 2 * hours, false },
        { "user/.KEST-SAVE-Ab12Cd", 2 * hours, false },
        { "user/kest-save-Ab12Cd", 2 * hours, false },
        // Ours, but in the read-only factory folder, or too young to be
        // left by a killed save.
        { "factory/.kest-save-Ab12Cd", 2 * hours, false },
        { "user/.kest-save-Fresh1", 5, false },
    };
    for (auto& file : left)
        leaveFile (base.getChildFile (juce::String::fromUTF8 (file.path)), file.secondsAgo);
    const LockingProcess running (user.getChildFile (".kest-save-Held01"));
    ASSERT_TRUE (running.holdsLock());

    // Reading the trees removes nothing; saving into each folder of the user's tree does.
    auto manager = makeManager();
    for (auto& file : left)
        EXPECT_TRUE (fs::existsAtAll (base.getChildFile (juce::String::fromUTF8 (file.path)))) << file.path << " went on reading";
    for (auto folder : { juce::String(), juce::String ("/Pads"), juce::String ("/Shared") })
    {
        manager->setActiveFolderByPath (userPath + folder);
        manager->savePreset();
        ASSERT_TRUE (user.getChildFile (folder.substring (1)).getChildFile ("New Preset.prs").existsAsFile()) << folder;
    }

    for (auto& file : left)
        EXPECT_NE (fs::existsAtAll (base.getChildFile (juce::String::fromUTF8 (file.path))), file.goes) << file.path;
}

TEST_F (PresetFileSafety, aDataFolderReachedThroughALinkIsCleanedOfOurStaleTemporaryFilesWhereTheLinkLeads)
{
    // The user's data folder moved to another disk and linked back; saves
    // killed there long ago left their files in the preset and maker folders.
    constexpr juce::int64 twoHours = 2 * 60 * 60;
    const auto moved = base.getChildFile ("other disk/data");
    const auto data = base.getChildFile ("data");
    ASSERT_TRUE (moved.getChildFile ("Korvalden/Presets/Kest").createDirectory());
    ASSERT_TRUE (moved.createSymbolicLink (data, false));
    const auto maker = data.getChildFile ("Korvalden");
    const auto presets = maker.getChildFile ("Presets/Kest");
    for (auto name : { ".kest-save-Aa1111", ".kest-save-Bb2222", ".kest-save-Cc3333", ".kest-save-Dd4444", ".kest-save-Held02", ".Lead.prs.backup" })
        leaveFile (presets.getChildFile (name), twoHours);
    leaveFile (maker.getChildFile (".kest-save-Ee5555"), twoHours);
    const LockingProcess running (presets.getChildFile (".kest-save-Held02"));
    ASSERT_TRUE (running.holdsLock());

    PresetManager manager (&client, factory, presets);
    manager.loadFavorites (maker.getChildFile ("Kest.Favorites.xml"));
    manager.savePreset();
    fileItem (manager, userPath + "/New Preset")->setFavorite (true);

    EXPECT_EQ (namesIn (moved.getChildFile ("Korvalden/Presets/Kest")).joinIntoString (" "), ".Lead.prs.backup .kest-save-Held02 New Preset.prs");
    EXPECT_EQ (namesIn (moved.getChildFile ("Korvalden")).joinIntoString (" "), "Kest.Favorites.xml Presets");
}

TEST_F (PresetFileSafety, aFavouritesFileThatIsALinkStaysALinkAndOnlyItsTargetIsReplaced)
{
    addPreset (user, "Round", "round");
    auto dotfiles = base.getChildFile ("dotfiles");
    auto target = dotfiles.getChildFile ("Kest.Favorites.xml");
    ASSERT_TRUE (dotfiles.createDirectory());
    ASSERT_TRUE (target.replaceWithText ("<FAVORITES/>"));
    ASSERT_EQ (::chmod (target.getFullPathName().toRawUTF8(), 0600), 0);
    auto link = base.getChildFile ("Kest.Favorites.xml");
    ASSERT_TRUE (target.createSymbolicLink (link, false));

    {
        auto manager = makeManager();
        manager->loadFavorites (link);
        fileItem (*manager, userPath + "/Round")->setFavorite (true);
        ASSERT_TRUE (manager->saveFavorites (link));
    }

    EXPECT_TRUE (link.isSymbolicLink());
    EXPECT_EQ (link.getLinkedTarget(), target);
    EXPECT_TRUE (target.loadFileAsString().contains (userPath + "/Round"));
    struct stat info {};
    ASSERT_EQ (::stat (target.getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_EQ (info.st_mode & 0777, 0600u);
    EXPECT_EQ (namesIn (dotfiles).joinIntoString (" "), "Kest.Favorites.xml");

    // A link that leads nowhere is left as it is: nothing is written.
    ASSERT_TRUE (target.deleteFile());
    {
        auto manager = makeManager();
        manager->loadFavorites (link);
        fileItem (*manager, userPath + "/Round")->setFavorite (true);
        EXPECT_FALSE (manager->saveFavorites (link));
    }
    EXPECT_TRUE (link.isSymbolicLink());
    EXPECT_FALSE (target.exists());
    EXPECT_EQ (namesIn (dotfiles).size(), 0);
}
