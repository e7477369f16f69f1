#pragma once

#include "presets/PresetManager.h"
#include "presets/PresetTreeItems.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

// A client that stands for the engine (its "sound" is a string), scratch
// preset folders below the test's own $XDG_DATA_HOME, and a picture of every
// file's bytes for the data-safety checks.

using Korvalden::Misc::PresetManager;

namespace PresetTestSupport
{
const juce::String userPath = "/PresetFiles/User Presets";
const juce::String factoryPath = "/PresetFiles/Factory Presets";

struct FakeClient : public PresetManager::PresetClient
{
    enum class Answer { later, overwrite, keepBoth };

    juce::String sound { "initial" };
    juce::StringArray loaded;
    Answer answer = Answer::later;
    std::vector<PresetOverwriteRequest*> requests;

    void writePresetState (juce::MemoryBlock& out) override
    {
        out.replaceAll (sound.toRawUTF8(), sound.getNumBytesAsUTF8());
    }
    /** Takes any bytes but those of a damaged preset (beginning "broken"). */
    bool readPresetState (const juce::MemoryBlock& in) override
    {
        if (in.toString().startsWith ("broken"))
            return false;
        sound = in.toString();
        loaded.add (sound);
        return true;
    }
    juce::String getDefaultPresetName() override { return "New Preset"; }
    void handlePresetOverwriteRequest (PresetOverwriteRequest* request) override
    {
        requests.push_back (request);
        if (answer != Answer::later)
            request->answer (answer == Answer::overwrite);
    }
    void edit() { markCurrentPresetModified(); }
};

/** Every file below the folder (links not followed) with its bytes. */
std::map<juce::String, juce::String> snapshot (const juce::File& folder);

/** Makes a folder refuse new entries, also for root (immutable flag);
    undone when the guard goes. */
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder (const juce::File& folder);
    ~ReadOnlyFolder();
    bool isEffective() const;

private:
    juce::File folder;
};

/** The folder, with what it holds, moved onto a file system of another kind
    for as long as this lives; then it holds again what it held before, and
    what was changed there is gone.  Only root may mount: where no such file
    system can be mounted nothing changes, and whyNot tells why (the test
    skips). */
class OtherFileSystem
{
public:
    enum class Kind
    {
        /** ext4 with 128-byte inodes, in a file of its own: no birth times,
            stamps of whole seconds, and an inode number a deletion freed
            goes to the next file made in the folder. */
        withoutBirthTimes,
        /** An overlay whose lower layer holds what the folder held: a rename
            there copies the file up, which keeps its number and gets a new
            birth time. */
        layered,
        /** The same with each layer on a tmpfs of its own: each numbers its
            files (the lower one past the numbers the upper one gives its
            first files), and a file copied up is listed by its number in
            the upper layer while a look-up gives the lower one's. */
        layersOnTwoFileSystems,
        /** A tmpfs of 64 kB, where a name is made fast and takes no room. */
        inMemory,
        /** The same with no room left: a new file can be made there, but
            not a byte written. */
        full
    };

    OtherFileSystem (const juce::File& folder, Kind kind);
    ~OtherFileSystem();
    bool isMounted() const noexcept { return mounted; }
    const juce::String& whyNot() const noexcept { return reason; }

private:
    juce::File folder, before;
    juce::StringArray mounts;
    bool mounted = false;
    juce::String reason;

    JUCE_DECLARE_NON_COPYABLE (OtherFileSystem)
};

class PresetFolders : public ::testing::Test
{
protected:
    PresetFolders();
    ~PresetFolders() override;

    /** Writes a preset file whose bytes are its content. */
    juce::File addPreset (const juce::File& folder, const juce::String& relativePath, const juce::String& content);
    std::unique_ptr<PresetManager> makeManager();
    PresetManager::PresetTreeItemBase* item (PresetManager& manager, const juce::String& path);
    PresetManager::FileItem* fileItem (PresetManager& manager, const juce::String& path);
    juce::String currentPath (PresetManager& manager);
    /** Deletes the file and makes a new file at made with the content, born
        in a later tick of the clock than anything before, that gets the
        deleted file's inode number, as ext4 gives a number freed in a folder
        to the next file made there.  False when the file system gave it
        another number (the new file is there all the same). */
    static bool deleteAndMakeWithItsNumber (const juce::File& file, const juce::File& made, const juce::String& content);
    /** Makes a file that a folder listed from now on counts as made before
        it was listed: its bytes written an hour ago, and a wait until its
        birth lies behind the file system's coarser stamps.  Returns it. */
    static juce::File madeBeforeAListing (const juce::File& file);
    /** Waits until the system's coarse clock (the one files are stamped
        by) begins a new second, at most a second, and returns that second:
        what follows soon after is stamped within it by a file system that
        stamps whole seconds. */
    static juce::int64 untilASecondBegins();
    /** The second the system's coarse clock is in. */
    static juce::int64 secondNow();

    juce::File base, factory, user;
    FakeClient client;
};
} // namespace PresetTestSupport
