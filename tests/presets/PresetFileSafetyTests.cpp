#include "PresetTestSupport.h"

#include "presets/PresetFileSystem.h"

#include <csignal>
#include <functional>
#include <fcntl.h>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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
    // Warm as its folder was read, with its birth time as ext4 and tmpfs
    // give it, or without, as a file system that keeps none; then another
    // program changes it.  Where it is now, by its path and as a star that
    // waited for the lock finds it (empty: gone).
    using Program = std::function<void (const juce::File& warm)>;
    struct Case
    {
        const char* what;
        Program program;
        bool stillAt;
        const char* withBirth;
        const char* withoutBirth;
    };
    const Case cases[] {
        { "left alone", [] (const juce::File&) {}, true, "Warm", "Warm" },
        { "renamed", [this] (const juce::File& warm) { ASSERT_TRUE (warm.moveFileTo (user.getChildFile ("Warmer.prs"))); }, false, "Warmer", "" },
        { "written in place", [] (const juce::File& warm) { ASSERT_TRUE (warm.appendText ("more")); }, true, "Warm", "Warm" },
        { "deleted, Warm made with its number", [] (const juce::File& warm) { deleteAndMakeWithItsNumber (warm, warm, "new"); }, false, "Warm", "Warm" },
        { "deleted, Evil made with its number", [this] (const juce::File& warm) { deleteAndMakeWithItsNumber (warm, user.getChildFile ("Evil.prs"), "evil"); },
          false, "", "" },
        { "deleted", [] (const juce::File& warm) { ASSERT_TRUE (warm.deleteFile()); }, false, "", "" },
        { "deleted, an older preset renamed onto its name", [this] (const juce::File& warm)
          { ASSERT_TRUE (warm.deleteFile() && user.getChildFile ("Mild.prs").moveFileTo (warm)); },
          false, "", "" },
    };
    for (const bool birthKnown : { true, false })
        for (const auto& [what, program, stillAt, withBirth, withoutBirth] : cases)
        {
            SCOPED_TRACE (juce::String (birthKnown ? "birth known: " : "no birth time: ") + what);
            for (auto name : { "Warm", "Warmer", "Evil" })
                user.getChildFile (name + juce::String (".prs")).deleteFile();
            madeBeforeAListing (addPreset (user, "Mild", "mild"));
            const auto warm = addPreset (user, "Warm", "warm");
            auto shown = fs::identityOf (warm);
            ASSERT_TRUE (shown.isKnown() && shown.links == 1);
            if (! birthKnown)
                shown.bornKnown = false;
            else if (! shown.bornKnown)
                GTEST_SKIP() << "this file system keeps no birth times";
            juce::Thread::sleep (20); // a later tick of the file system's clock
            program (warm);

            const juce::String expected (birthKnown ? withBirth : withoutBirth);
            // Written in place, a file without a birth time cannot be told from a new one.
            EXPECT_EQ (fs::isStillAt (warm, shown), stillAt && (birthKnown || juce::String (what) != "written in place"));
            EXPECT_EQ (fs::whereNow (warm, shown), expected.isEmpty() ? juce::File() : user.getChildFile (expected + ".prs"));
        }

    // A folder stays where it was also after a preset was saved into it.
    auto folder = fs::identityOf (user);
    folder.bornKnown = false;
    juce::Thread::sleep (20);
    addPreset (user, "Saved", "saved");
    EXPECT_TRUE (fs::isStillAt (user, folder));
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
