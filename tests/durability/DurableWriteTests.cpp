#include "SystemCallLog.h"

#include "engine/ApplicationPropertiesUser.h"
#include "platform/ApplicationSupport.h"
#include "presets/PresetFileSystem.h"
#include "presets/PresetManager.h"
#include "presets/PresetTreeItems.h"
#include "tests/support/StandardErrorCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utime.h>

// Presets, favourites and settings reach the disk, flushed, before they are
// renamed over what was there; a disk that refuses to flush leaves the old
// file; a name taken by another instance in the last moment is never
// replaced.  The system calls are watched as they happen (SystemCallLog).

using Korvalden::Misc::ApplicationPropertiesUser;
using Korvalden::Misc::PresetManager;
using SystemCallLog::Call;

namespace
{
struct Client : public PresetManager::PresetClient
{
    juce::String sound { "this instance's sound" };

    void writePresetState (juce::MemoryBlock& out) override { out.replaceAll (sound.toRawUTF8(), sound.getNumBytesAsUTF8()); }
    bool readPresetState (const juce::MemoryBlock&) override { return true; }
    juce::String getDefaultPresetName() override { return "New Preset"; }
    void handlePresetOverwriteRequest (PresetOverwriteRequest* request) override { request->answer (false); }
};

class DurableWrites : public ::testing::Test
{
protected:
    DurableWrites()
    {
        // The test's own home (see TestMain.cpp) holds every file below.
        root = juce::File (juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {})).getParentDirectory();
        user = root.getChildFile ("presets/user");
        factory = root.getChildFile ("presets/factory");
        favourites = root.getChildFile ("presets/Kest.Favorites.xml");
        settings = ApplicationPropertiesUser::getSettingsFile ("Kest");
        user.createDirectory();
        settings.getParentDirectory().createDirectory();
        user.getChildFile ("Round.prs").replaceWithText ("round");
    }

    std::string pathOf (const juce::File& file) const { return file.getFullPathName().toStdString(); }

    static juce::StringArray namesIn (const juce::File& folder)
    {
        juce::StringArray names;
        for (auto& child : folder.findChildFiles (juce::File::findFiles, false))
            names.add (child.getFileName());
        names.sort (false);
        return names;
    }

    /** The calls show the target's new bytes written to a hidden file beside
        it, flushed, then renamed over it, and then its folder flushed. */
    void expectFlushedBeforeRenamedIntoPlace (const std::vector<Call>& calls, const juce::File& target, const char* what)
    {
        const auto rename = std::find_if (calls.begin(), calls.end(), [&] (const Call& call) {
            return call.name == "rename" && call.target == pathOf (target);
        });
        ASSERT_NE (rename, calls.end()) << what << ": never renamed into place";

        const juce::File temporary (juce::String::fromUTF8 (rename->path.c_str()));
        EXPECT_EQ (temporary.getParentDirectory(), target.getParentDirectory()) << what;
        EXPECT_TRUE (temporary.getFileName().startsWithChar ('.')) << what;

        auto lastWrite = calls.end(), flush = calls.end();
        for (auto call = calls.begin(); call != rename; ++call)
        {
            if (call->path != rename->path)
                continue;
            if (call->name == "write")
                lastWrite = call;
            else if (call->name == "fsync" && lastWrite != calls.end())
                flush = call;
        }
        EXPECT_TRUE (lastWrite != calls.end()) << what << ": the bytes were not written before the rename";
        EXPECT_TRUE (flush != calls.end()) << what << ": not flushed after its last write and before the rename";

        const auto folderFlush = std::find_if (rename, calls.end(), [&] (const Call& call) {
            return call.name == "fsync" && call.path == pathOf (target.getParentDirectory());
        });
        EXPECT_TRUE (folderFlush != calls.end()) << what << ": the folder was not flushed after the rename";
    }

    juce::File root, user, factory, favourites, settings;
    Client client;
};
} // namespace

TEST_F (DurableWrites, presetsFavouritesAndSettingsAreOnTheDiskBeforeTheyAreRenamedIntoPlace)
{
    favourites.replaceWithText ("<FAVORITES/>");
    {
        ApplicationPropertiesUser stored ("Kest");
        stored.setValue ("MIDICC_Glide_1", 3);
    }

    SystemCallLog::Watching watching (pathOf (root));
    PresetManager manager (&client, factory, user);
    manager.savePreset();
    expectFlushedBeforeRenamedIntoPlace (SystemCallLog::calls(), user.getChildFile ("New Preset.prs"), "preset");

    SystemCallLog::watch (pathOf (root));
    manager.loadFavorites (favourites);
    dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath ("/PresetFiles/User Presets/Round"))->setFavorite (true);
    ASSERT_TRUE (manager.saveFavorites (favourites));
    expectFlushedBeforeRenamedIntoPlace (SystemCallLog::calls(), favourites, "favourites");

    SystemCallLog::watch (pathOf (root));
    {
        ApplicationPropertiesUser stored ("Kest");
        stored.setValue ("MIDICC_Glide_1", 7);
        ASSERT_TRUE (stored.save());
    }
    expectFlushedBeforeRenamedIntoPlace (SystemCallLog::calls(), settings, "settings");
}

TEST_F (DurableWrites, aDiskThatCannotFlushLeavesEveryOldFileAndNoTemporaryFile)
{
    favourites.replaceWithText ("<FAVORITES/>");
    {
        ApplicationPropertiesUser stored ("Kest");
        stored.setValue ("MIDICC_Glide_1", 3);
    }
    const auto settingsBefore = settings.loadFileAsString();
    PresetManager manager (&client, factory, user);
    manager.loadFavorites (favourites);

    SystemCallLog::Watching watching (pathOf (root));
    SystemCallLog::setHook ([] (const Call& call) {
        const bool isFolder = juce::File (juce::String::fromUTF8 (call.path.c_str())).isDirectory();
        return call.name == "fsync" && ! isFolder ? EIO : 0;
    });

    manager.savePreset();
    EXPECT_EQ (namesIn (user).joinIntoString (" "), "Round.prs");
    EXPECT_EQ (manager.getUserFolderItem()->getNumSubItems(), 1);

    dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath ("/PresetFiles/User Presets/Round"))->setFavorite (true);
    EXPECT_FALSE (manager.saveFavorites (favourites));
    EXPECT_EQ (favourites.loadFileAsString(), "<FAVORITES/>");
    EXPECT_EQ (namesIn (favourites.getParentDirectory()).joinIntoString (" "), "Kest.Favorites.xml");

    {
        ApplicationPropertiesUser stored ("Kest");
        stored.setValue ("MIDICC_Glide_1", 7);
        EXPECT_FALSE (stored.save());
        EXPECT_TRUE (stored.needsToBeSaved());
        SystemCallLog::stop(); // the destructor's save may succeed
        EXPECT_EQ (settings.loadFileAsString(), settingsBefore);
        EXPECT_EQ (namesIn (settings.getParentDirectory()).joinIntoString (" "), "Kest.prop");
    }
}

TEST_F (DurableWrites, aNewPresetNeverReplacesAFileAnotherInstanceSavedAtItsNameInTheLastMoment)
{
    PresetManager manager (&client, factory, user);
    const auto wanted = user.getChildFile ("New Preset.prs");

    SystemCallLog::Watching watching (pathOf (root));
    bool saved = false;
    SystemCallLog::setHook ([&] (const Call& call) {
        if (call.name == "rename" && call.target == pathOf (wanted) && ! saved)
        {
            saved = true;
            if (auto* other = std::fopen (call.target.c_str(), "wx"))
            {
                std::fputs ("the other instance's sound", other);
                std::fclose (other);
            }
        }
        return 0;
    });

    manager.savePreset();
    ASSERT_TRUE (saved);
    EXPECT_EQ (wanted.loadFileAsString(), "the other instance's sound");
    EXPECT_EQ (user.getChildFile ("New Preset(2).prs").loadFileAsString(), client.sound);
    ASSERT_NE (manager.getCurrentItem(), nullptr);
    EXPECT_EQ (manager.getCurrentItem()->getItemIdentifierString(), "/PresetFiles/User Presets/New Preset(2)");
    EXPECT_EQ (namesIn (user).joinIntoString (" "), "New Preset(2).prs New Preset.prs Round.prs");
}

TEST_F (DurableWrites, aFullDiskIsToldForFavouritesAndSettingsAndWhatWaitsIsWrittenWhenThereIsRoom)
{
    favourites.replaceWithText ("<FAVORITES/>");
    PresetManager manager (&client, factory, user);
    manager.loadFavorites (favourites);

    StandardErrorCapture errors;
    {
        SystemCallLog::Watching watching (pathOf (root));
        SystemCallLog::setHook ([] (const Call& call) { return call.name == "write" ? ENOSPC : 0; });
        // The mark is saved at once, and its failure told then.
        dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath ("/PresetFiles/User Presets/Round"))->setFavorite (true);
        EXPECT_FALSE (manager.saveFavorites (favourites));
        ApplicationPropertiesUser stored ("Kest");
        stored.setValue ("MIDICC_Glide_1", 7);
    } // the settings' save on closing fails too

    const juce::String full (std::strerror (ENOSPC));
    EXPECT_EQ (errors.lines().joinIntoString ("\n"),
               "Kest: could not save \"" + favourites.getFullPathName() + "\": " + full + "\n"
               + "Kest: could not save \"" + settings.getFullPathName() + "\": " + full);
    EXPECT_EQ (favourites.loadFileAsString(), "<FAVORITES/>");
    EXPECT_FALSE (settings.exists());

    // Room again: the next saves write what waited.
    ASSERT_TRUE (manager.saveFavorites (favourites));
    EXPECT_TRUE (favourites.loadFileAsString().contains ("/PresetFiles/User Presets/Round"));
    EXPECT_TRUE (ApplicationPropertiesUser ("Kest").save());
    EXPECT_TRUE (settings.loadFileAsString().contains ("name=\"MIDICC_Glide_1\" val=\"7\""));
}

TEST_F (DurableWrites, aCleanUpDuringASaveNeverTakesTheFileItWritesWhateverItsAge)
{
    // Another instance cleans the folder with its clock two hours ahead, so
    // the save's new file looks stale to it: in the moment before the save
    // locks the file (the save then starts another), and while it writes.
    struct Moment
    {
        const char* call;
        const char* seen;
    };
    for (const auto moment : { Moment { "lock", "user removed, Korvalden removed" }, Moment { "write", "user kept, Korvalden kept" } })
    {
        SCOPED_TRACE (moment.call);
        PresetManager manager (&client, factory, user);
        SystemCallLog::Watching watching (pathOf (root));
        juce::StringArray seen;
        SystemCallLog::setHook ([&seen, &moment] (const Call& call) {
            const juce::File file (juce::String::fromUTF8 (call.path.c_str()));
            const auto folder = file.getParentDirectory().getFileName();
            if (call.name == moment.call && Korvalden::Misc::PresetFileSystem::isOwnTemporaryName (file.getFileName().toRawUTF8())
                && ! seen.joinIntoString (",").contains (folder))
            {
                const auto when = (time_t) (::time (nullptr) - 2 * 60 * 60);
                const utimbuf times { when, when };
                ::utime (call.path.c_str(), &times);
                Korvalden::Misc::PresetFileSystem::removeStaleTemporaryFiles (file.getParentDirectory());
                seen.add (folder + (file.existsAsFile() ? " kept" : " removed"));
            }
            return 0;
        });

        manager.savePreset();
        ApplicationPropertiesUser stored ("Kest");
        stored.setValue ("Moment", moment.call);
        EXPECT_TRUE (stored.save());
        SystemCallLog::stop();

        EXPECT_EQ (seen.joinIntoString (", "), moment.seen);
        auto* saved = dynamic_cast<PresetManager::FileItem*> (manager.getCurrentItem());
        ASSERT_NE (saved, nullptr);
        EXPECT_EQ (saved->getFile().loadFileAsString(), client.sound);
        EXPECT_TRUE (settings.loadFileAsString().contains (juce::String ("name=\"Moment\" val=\"") + moment.call + "\""));
        EXPECT_FALSE (namesIn (user).joinIntoString (" ").contains (".kest-save-"));
    }
}
