#include "PresetTestSupport.h"

#include "presets/PresetFileSystem.h"

#include <set>
#include <sys/stat.h>
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

TEST_F (PresetFileSafety, staleTemporaryFilesOfAKilledSaveGoWhenTheFolderIsNextReadOrWritten)
{
    constexpr juce::int64 hours = 60 * 60;
    addPreset (user, "Deep", "deep");
    addPreset (user, "Pads/Air", "air");
    addPreset (factory, "Lead", "lead");

    // What saves left that were killed long ago, in this version and earlier ones.
    leaveFile (user.getChildFile (".kest-save-Ab12Cd"), 2 * hours);
    leaveFile (user.getChildFile (".Deep.prs.x7Y8z9"), 2 * hours);
    leaveFile (user.getChildFile ("Pads/.Air.prs.QwErT1"), 30 * hours);
    // A save another instance is making right now.
    leaveFile (user.getChildFile (".kest-save-Fresh1"), 5);
    // The user's own files, however old, and the read-only factory folder.
    for (auto name : { ".notes", "Deep.prs.x7Y8z9", ".kest-save-Ab12Cd.txt", ".kest-save-Ab1", ".Deep.prs.x7Y8z", "Deep_tempZZ.prop" })
        leaveFile (user.getChildFile (name), 2 * hours);
    leaveFile (factory.getChildFile (".kest-save-Ab12Cd"), 2 * hours);

    auto manager = makeManager();
    EXPECT_EQ (namesIn (user).joinIntoString (" "),
               ".Deep.prs.x7Y8z .kest-save-Ab1 .kest-save-Ab12Cd.txt .kest-save-Fresh1 .notes Deep.prs Deep.prs.x7Y8z9 "
               "Deep_tempZZ.prop Pads");
    EXPECT_EQ (namesIn (user.getChildFile ("Pads")).joinIntoString (" "), "Air.prs");
    EXPECT_TRUE (factory.getChildFile (".kest-save-Ab12Cd").existsAsFile());

    // Left while this instance ran: gone at the next save into that folder.
    leaveFile (user.getChildFile ("Pads/.kest-save-Later1"), 2 * hours);
    manager->setActiveFolderByPath (userPath + "/Pads");
    manager->savePreset();
    EXPECT_EQ (namesIn (user.getChildFile ("Pads")).joinIntoString (" "), "Air.prs New Preset.prs");
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
