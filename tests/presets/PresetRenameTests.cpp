#include "PresetTestSupport.h"

#include "presets/PresetFileSystem.h"
#include "tests/support/StandardErrorCapture.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <utility>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace PresetTestSupport;
namespace fs = Korvalden::Misc::PresetFileSystem;

namespace
{
class PresetRename : public PresetFolders
{
protected:
    PresetRename()
    {
        addPreset (user, "Deep", "deep bytes");
        addPreset (user, "Other", "other bytes");
    }
};

/** Files above the limit cannot grow: a disk that is full for this process. */
class FullDisk
{
public:
    explicit FullDisk (rlim_t bytes)
    {
        ::getrlimit (RLIMIT_FSIZE, &previous);
        oldHandler = std::signal (SIGXFSZ, SIG_IGN);
        rlimit limit { bytes, previous.rlim_max };
        ::setrlimit (RLIMIT_FSIZE, &limit);
    }
    ~FullDisk()
    {
        ::setrlimit (RLIMIT_FSIZE, &previous);
        std::signal (SIGXFSZ, oldHandler);
    }

private:
    rlimit previous {};
    void (*oldHandler) (int) = nullptr;
};

/** What an open editor lends: the name label, which is all an alert needs. */
struct LabelOnly : public PresetManager::ControlButtonSet
{
    juce::Label label;
    juce::Button* getControlButton (int) override { return nullptr; }
    juce::Label* getPresetNameLabel() override { return &label; }
};
} // namespace

TEST_F (PresetRename, askingKeepsEveryFileUntilTheAnswerThenOverwritesOnce)
{
    auto manager = makeManager();
    auto* deep = fileItem (*manager, userPath + "/Deep");
    ASSERT_TRUE (deep->moveOrRename ("Other", 0));
    ASSERT_EQ (client.requests.size(), 1u);
    EXPECT_EQ (client.requests[0]->getPresetName(), "Other");
    EXPECT_EQ (user.getChildFile ("Deep.prs").loadFileAsString(), "deep bytes");
    EXPECT_EQ (user.getChildFile ("Other.prs").loadFileAsString(), "other bytes");

    client.requests[0]->answer (true);
    EXPECT_FALSE (user.getChildFile ("Deep.prs").exists());
    EXPECT_EQ (user.getChildFile ("Other.prs").loadFileAsString(), "deep bytes");
    EXPECT_EQ (manager->getUserFolderItem()->getNumSubItems(), 1);
    EXPECT_EQ (item (*manager, userPath + "/Other"), deep);

    client.requests[0]->answer (false); // a second answer does nothing
    EXPECT_EQ (snapshot (user).size(), 1u);
}

TEST_F (PresetRename, keepBothGivesANumberedNameAndOverwriteStepsAwayFromTheLoadedVictim)
{
    auto manager = makeManager();
    fileItem (*manager, userPath + "/Deep")->moveOrRename ("Other", 2);
    EXPECT_EQ (user.getChildFile ("Other(2).prs").loadFileAsString(), "deep bytes");
    EXPECT_EQ (user.getChildFile ("Other.prs").loadFileAsString(), "other bytes");
    EXPECT_NE (item (*manager, userPath + "/Other(2)"), nullptr);

    // The engine with no editor answers "keep both" at once.
    client.answer = FakeClient::Answer::keepBoth;
    fileItem (*manager, userPath + "/Other(2)")->renameTo ("Other");
    EXPECT_EQ (user.getChildFile ("Other(3).prs").loadFileAsString(), "deep bytes");

    manager->selectPresetByPath (userPath + "/Other");
    fileItem (*manager, userPath + "/Other")->setFavorite (true);
    fileItem (*manager, userPath + "/Other(3)")->moveOrRename ("Other", 1);
    EXPECT_EQ (user.getChildFile ("Other.prs").loadFileAsString(), "deep bytes");
    EXPECT_EQ (snapshot (user).size(), 1u);
    // The overwritten preset was loaded: the manager stepped to the next one.
    // Its star went to the preset that took its name.
    EXPECT_EQ (currentPath (*manager), userPath + "/Other");
    EXPECT_EQ (client.sound, "deep bytes");
    EXPECT_EQ (manager->getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/Other"));
}

TEST_F (PresetRename, caseRulesCompareFilesNotSpellings)
{
    addPreset (user, "deep", "lower deep bytes");
    auto manager = makeManager();

    // deep.prs is another file on this system: the question is asked.
    client.answer = FakeClient::Answer::keepBoth;
    fileItem (*manager, userPath + "/Deep")->renameTo ("deep");
    EXPECT_EQ (client.requests.size(), 1u);
    EXPECT_EQ (user.getChildFile ("deep.prs").loadFileAsString(), "lower deep bytes");
    EXPECT_EQ (user.getChildFile ("deep(2).prs").loadFileAsString(), "deep bytes");

    // A case-only rename of one file simply renames it.
    fileItem (*manager, userPath + "/Other")->renameTo ("OTHER");
    EXPECT_EQ (user.getChildFile ("OTHER.prs").loadFileAsString(), "other bytes");
    EXPECT_FALSE (user.getChildFile ("Other.prs").exists());
    EXPECT_EQ (client.requests.size(), 1u);

    user.getChildFile ("Pads").createDirectory();
    auto manager2 = makeManager();
    auto* pads = dynamic_cast<PresetManager::DirectoryItem*> (item (*manager2, userPath + "/Pads"));
    ASSERT_TRUE (pads->moveOrRename ("pads", 0));
    EXPECT_TRUE (user.getChildFile ("pads").isDirectory());
    EXPECT_FALSE (user.getChildFile ("Pads").exists());
}

TEST_F (PresetRename, namesThatLeaveTheFolderAreRefused)
{
    auto manager = makeManager();
    const auto before = snapshot (base);
    auto* deep = fileItem (*manager, userPath + "/Deep");
    for (auto name : { "", "  ", ".", "..", "../Deep", "a/b", "a\\b", ".prs" })
        EXPECT_FALSE (deep->moveOrRename (name, 2)) << name;
    EXPECT_EQ (snapshot (base), before);

}

TEST_F (PresetRename, aNameWithDotsIsKeptWholeByPresetsAndFolders)
{
    addPreset (user, "Pads.old/Air", "air");
    auto manager = makeManager();
    auto* deep = fileItem (*manager, userPath + "/Deep");
    EXPECT_TRUE (deep->moveOrRename ("Pad 1.2", 2));
    EXPECT_EQ (user.getChildFile ("Pad 1.2.prs").loadFileAsString(), "deep bytes");
    EXPECT_EQ (item (*manager, userPath + "/Pad 1.2"), deep);
    // A second preset of that name keeps both, numbered before ".prs".
    EXPECT_TRUE (fileItem (*manager, userPath + "/Other")->moveOrRename ("Pad 1.2", 2));
    EXPECT_EQ (user.getChildFile ("Pad 1.2(2).prs").loadFileAsString(), "other bytes");

    // A folder shows its whole name; renamed or made twice, it keeps its dots.
    auto* pads = item (*manager, userPath + "/Pads.old");
    ASSERT_NE (pads, nullptr);
    EXPECT_NE (item (*manager, userPath + "/Pads.old/Air"), nullptr);
    auto* created = manager->getUserFolderItem()->createSubFolder();
    ASSERT_TRUE (created != nullptr && created->moveOrRename ("Strings v1.5", 0));
    EXPECT_TRUE (user.getChildFile ("Strings v1.5").isDirectory());
    EXPECT_EQ (item (*manager, userPath + "/Strings v1.5"), created);
    auto* second = manager->getUserFolderItem()->createSubFolder();
    ASSERT_TRUE (second != nullptr && second->moveOrRename ("Strings v1.5", 0));
    EXPECT_EQ (second->getFile(), user.getChildFile ("Strings v1.5(2)"));
    EXPECT_EQ (item (*manager, userPath + "/Strings v1.5(2)"), second);
    EXPECT_EQ (manager->getUserFolderItem()->getSubItem (0), pads);

    // A folder named as a user's file, or as a link to another program's
    // old file, takes a numbered name: both files stay as they were.
    ASSERT_TRUE (user.getChildFile ("notes.txt").replaceWithText ("the user's notes"));
    const auto elsewhere = base.getChildFile ("other.cfg");
    ASSERT_TRUE (elsewhere.replaceWithText ("another program's"));
    ASSERT_TRUE (elsewhere.setLastModificationTime (juce::Time (2001, 0, 1, 0, 0)));
    ASSERT_TRUE (elsewhere.createSymbolicLink (user.getChildFile ("other.cfg"), false));
    for (auto* name : { "notes.txt", "other.cfg" })
    {
        auto* folder = manager->getUserFolderItem()->createSubFolder();
        ASSERT_TRUE (folder != nullptr && folder->moveOrRename (name, 0)) << name;
        EXPECT_EQ (folder->getFile(), user.getChildFile (juce::String (name) + "(2)"));
    }
    EXPECT_EQ (user.getChildFile ("notes.txt").loadFileAsString(), "the user's notes");
    EXPECT_TRUE (user.getChildFile ("other.cfg").isSymbolicLink());
    EXPECT_EQ (elsewhere.loadFileAsString(), "another program's");

    // Read again, every name is what was typed.
    auto again = makeManager();
    for (auto path : { "/Pad 1.2", "/Pad 1.2(2)", "/Pads.old/Air", "/Strings v1.5", "/Strings v1.5(2)" })
        EXPECT_NE (item (*again, userPath + path), nullptr) << path;
}

TEST_F (PresetRename, aNameWithASlashIsRefusedForPresetsFoldersAndSavesAndNothingIsWritten)
{
    addPreset (user, "Pads/Air", "air");
    addPreset (user, "Keys/Soft", "soft");
    auto manager = makeManager();
    const auto before = snapshot (base);

    for (auto path : { userPath + "/Deep", userPath + "/Pads" })
        for (auto name : { "Keys/Soft", "Keys/", "Other/", "/Other", "Pads/", "Keys/.", "../Other", "Deep/..", "/" })
            for (int mode : { 0, 1, 2 })
            {
                SCOPED_TRACE (path + " to \"" + name + "\", mode " + juce::String (mode));
                auto* renamed = dynamic_cast<PresetManager::FileRepresentingItem*> (item (*manager, path));
                ASSERT_NE (renamed, nullptr);
                EXPECT_FALSE (renamed->moveOrRename (name, mode));
                EXPECT_EQ (item (*manager, path), renamed);
                EXPECT_TRUE (client.requests.empty()) << "no question is asked";
                EXPECT_EQ (snapshot (base), before);
            }

    // A default name with a slash never leads a save out of its folder.
    struct SlashedName : public FakeClient
    {
        juce::String getDefaultPresetName() override { return "Keys/Soft"; }
    } slashed;
    PresetManager saving (&slashed, factory, user);
    saving.savePreset();
    EXPECT_EQ (user.getChildFile ("Keys/Soft.prs").loadFileAsString(), "soft");
    EXPECT_EQ (user.getChildFile ("New Preset.prs").loadFileAsString(), "initial");
    EXPECT_EQ (snapshot (base).size(), before.size() + 1);
}

TEST_F (PresetRename, foldersMoveWithTheirPresetsAndNeverIntoThemselves)
{
    addPreset (user, "Pads/Air", "air");
    addPreset (user, "Keep/Air", "other air");
    auto manager = makeManager();
    auto* pads = dynamic_cast<PresetManager::DirectoryItem*> (item (*manager, userPath + "/Pads"));
    auto* keep = dynamic_cast<PresetManager::DirectoryItem*> (item (*manager, userPath + "/Keep"));
    manager->setActiveFolderByPath (userPath + "/Pads");

    ASSERT_TRUE (pads->moveOrRename ("Soft", 0));
    EXPECT_EQ (fileItem (*manager, userPath + "/Soft/Air")->getFile(), user.getChildFile ("Soft/Air.prs"));
    EXPECT_EQ (manager->getCurrentFolder(), pads);

    // A folder never moves below itself; a drop never overwrites.
    pads->acceptItem (pads);
    fileItem (*manager, userPath + "/Soft/Air")->setFavorite (true);
    keep->acceptItem (fileItem (*manager, userPath + "/Soft/Air"));
    EXPECT_EQ (user.getChildFile ("Keep/Air.prs").loadFileAsString(), "other air");
    EXPECT_EQ (user.getChildFile ("Keep/Air(2).prs").loadFileAsString(), "air");
    EXPECT_EQ (manager->getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/Keep/Air(2)"));

    keep->acceptItem (pads);
    EXPECT_TRUE (user.getChildFile ("Keep/Soft").isDirectory());
    EXPECT_EQ (pads->getParentItem(), keep);
}

TEST_F (PresetRename, deletingTheLoadedPresetLoadsTheNextAndTheOnlyOneLeavesNone)
{
    auto manager = makeManager();
    manager->selectPresetByPath (userPath + "/Deep");
    ASSERT_TRUE (fileItem (*manager, userPath + "/Deep")->deleteItem());
    EXPECT_EQ (currentPath (*manager), userPath + "/Other");
    ASSERT_TRUE (fileItem (*manager, userPath + "/Other")->deleteItem());
    EXPECT_EQ (manager->getCurrentItem(), nullptr);
    EXPECT_TRUE (snapshot (user).empty());

    // A folder that still holds anything stays.
    addPreset (user, "Full/Thing", "thing");
    auto manager2 = makeManager();
    auto* full = dynamic_cast<PresetManager::DirectoryItem*> (item (*manager2, userPath + "/Full"));
    EXPECT_FALSE (full->deleteItem());
    EXPECT_EQ (user.getChildFile ("Full/Thing.prs").loadFileAsString(), "thing");
    auto* created = manager2->getUserFolderItem()->createSubFolder();
    ASSERT_NE (created, nullptr);
    EXPECT_EQ (manager2->getUserFolderItem()->createSubFolder()->getFile(), user.getChildFile ("New Folder(2)"));
    EXPECT_TRUE (created->deleteItem());
    EXPECT_FALSE (user.getChildFile ("New Folder").exists());
}

TEST_F (PresetRename, aQuestionWhoseItemHasGoneChangesNothing)
{
    auto manager = makeManager();
    fileItem (*manager, userPath + "/Deep")->renameTo ("Other");
    ASSERT_EQ (client.requests.size(), 1u);
    ASSERT_TRUE (fileItem (*manager, userPath + "/Deep")->deleteItem());
    const auto before = snapshot (user);
    client.requests[0]->answer (true);
    EXPECT_EQ (snapshot (user), before);
    EXPECT_EQ (user.getChildFile ("Other.prs").loadFileAsString(), "other bytes");
}

//==============================================================================
TEST_F (PresetRename, aReadOnlyFolderKeepsEveryFileAndTheTreeAsItWas)
{
    auto manager = makeManager();
    manager->selectPresetByPath (userPath + "/Deep");
    const auto before = snapshot (user);
    {
        ReadOnlyFolder guard (user);
        ASSERT_TRUE (guard.isEffective());

        manager->savePreset();
        auto* deep = fileItem (*manager, userPath + "/Deep");
        EXPECT_FALSE (deep->moveOrRename ("Renamed", 2));
        EXPECT_FALSE (deep->moveOrRename ("Other", 1));
        EXPECT_FALSE (deep->deleteItem());
        EXPECT_EQ (manager->getUserFolderItem()->createSubFolder(), nullptr);
        EXPECT_EQ (snapshot (user), before);
    }
    EXPECT_EQ (manager->getUserFolderItem()->getNumSubItems(), 2);
    EXPECT_EQ (currentPath (*manager), userPath + "/Deep");
}

TEST_F (PresetRename, aFullDiskLeavesTheOldBytesAndNoTemporaryFileTellsWhyAndLeavesTheThreadsSignalsAsTheyWere)
{
    auto manager = makeManager();
    const auto before = snapshot (user);
    client.sound = juce::String::repeatedString ("x", 64 * 1024);
    {
        const StandardErrorCapture noEditorTellsThere;
        FullDisk full (4096);
        manager->savePreset();
        EXPECT_FALSE (fs::writeAtomically (user.getChildFile ("Deep.prs"), client.sound.toRawUTF8(), (size_t) client.sound.length()));
    }
    EXPECT_EQ (snapshot (user), before);
    EXPECT_EQ (manager->getUserFolderItem()->getNumSubItems(), 2);

    // Why is told: in the editor's alert, or without one on standard error,
    // also where that is a pipe, which has no size and so no limit.  A
    // thread that holds the size signal back, or not, still does after.
    LabelOnly editor;
    juce::StringArray told;
    manager->setFailureAlert ([&told] (const juce::String& title, const juce::String& text) { told.add (title + ": " + text); });
    const auto why = juce::String (std::strerror (EFBIG)) + " (this program may write files of at most 64 bytes)";
    for (const bool editorOpen : { false, true })
        for (const bool threadHoldsTheSignal : { true, false })
        {
            SCOPED_TRACE (juce::String (editorOpen ? "editor open, " : "no editor, ") + (threadHoldsTheSignal ? "signal held" : "signal let through"));
            if (editorOpen)
                manager->setControlButtonSet (&editor);
            told.clear();
            sigset_t sizeSignal, mask;
            sigemptyset (&sizeSignal);
            sigaddset (&sizeSignal, SIGXFSZ);
            ASSERT_EQ (::pthread_sigmask (threadHoldsTheSignal ? SIG_BLOCK : SIG_UNBLOCK, &sizeSignal, nullptr), 0);
            int pipe[2];
            ASSERT_EQ (::pipe (pipe), 0);
            const int standardError = ::dup (STDERR_FILENO);
            ::dup2 (pipe[1], STDERR_FILENO);
            {
                FullDisk full (64);
                manager->savePreset();
            }
            ::dup2 (standardError, STDERR_FILENO);
            ::close (standardError);
            ::close (pipe[1]);
            char line[4096] {};
            const auto length = ::read (pipe[0], line, sizeof (line) - 1);
            ::close (pipe[0]);
            ASSERT_EQ (::pthread_sigmask (SIG_BLOCK, nullptr, &mask), 0);
            EXPECT_EQ (sigismember (&mask, SIGXFSZ) == 1, threadHoldsTheSignal);
            ::pthread_sigmask (SIG_UNBLOCK, &sizeSignal, nullptr);

            const auto wanted = user.getChildFile ("New Preset.prs").getFullPathName();
            const auto printed = juce::String::fromUTF8 (line, (int) juce::jmax ((ssize_t) 0, length));
            EXPECT_EQ (told.joinIntoString ("\n"), editorOpen ? "Write Error: File could not be written!\n" + wanted + "\n\n" + why + "." : "");
            EXPECT_EQ (printed, editorOpen ? "" : "Kest: could not save \"" + wanted + "\": " + why + "\n");
            EXPECT_EQ (snapshot (user), before);
        }
}

TEST_F (PresetRename, aSaveThatFailsForAnotherReasonTellsThatReasonAndNoSizeLimit)
{
    // A size limit is set that the preset stays far below; the folder
    // refuses new files, or its disk is full, or every numbered name is
    // taken (on a tmpfs, where names are made fast).
    enum class Cause { refused, full, everyNameTaken };
    juce::StringArray notMounted;
    for (const auto& [cause, error] : { std::pair (Cause::refused, EPERM), std::pair (Cause::full, ENOSPC), std::pair (Cause::everyNameTaken, EEXIST) })
    {
        SCOPED_TRACE (std::strerror (error));
        std::optional<OtherFileSystem> tmpfs;
        if (cause != Cause::refused && ! tmpfs.emplace (user, cause == Cause::full ? OtherFileSystem::Kind::full : OtherFileSystem::Kind::inMemory).isMounted())
        {
            notMounted.add (tmpfs->whyNot());
            continue;
        }
        auto manager = makeManager();
        manager->selectPresetByPath (userPath + "/Taken");
        for (int number = 1; cause == Cause::everyNameTaken && number <= 100001; ++number)
            ASSERT_EQ (::symlink ("nowhere", user.getChildFile ("Taken" + (number > 1 ? "(" + juce::String (number) + ")" : "") + ".prs").getFullPathName().toRawUTF8()), 0);
        std::optional<ReadOnlyFolder> refused;
        ASSERT_TRUE (cause != Cause::refused || refused.emplace (user).isEffective());
        juce::StringArray told;
        LabelOnly editor;
        manager->setFailureAlert ([&told] (const juce::String& title, const juce::String& text) { told.add (title + ": " + text); });
        manager->setControlButtonSet (&editor);
        {
            FullDisk limit (1 << 20);
            manager->savePreset();
        }
        EXPECT_EQ (told.joinIntoString ("\n"), "Write Error: File could not be written!\n" + user.getChildFile ("Taken.prs").getFullPathName() + "\n\n" + juce::String (std::strerror (error)) + ".");
    }
    if (! notMounted.isEmpty())
        GTEST_SKIP() << "no tmpfs can be mounted here: " << notMounted.joinIntoString ("; ");
}

TEST_F (PresetRename, numberedNamesContinueAndALinkToNothingCountsAsTaken)
{
    ASSERT_TRUE (base.getChildFile ("nowhere").createSymbolicLink (user.getChildFile ("Dangling.prs"), false));
    EXPECT_EQ (fs::freeSibling (user.getChildFile ("Dangling.prs")), user.getChildFile ("Dangling(2).prs"));
    addPreset (user, "Deep(2)", "two");
    EXPECT_EQ (fs::freeSibling (user.getChildFile ("Deep(2).prs")), user.getChildFile ("Deep(3).prs"));
    EXPECT_EQ (fs::freeSibling (user.getChildFile ("Free.prs")), user.getChildFile ("Free.prs"));

    auto manager = makeManager();
    fileItem (*manager, userPath + "/Deep")->moveOrRename ("Dangling", 2);
    EXPECT_EQ (user.getChildFile ("Dangling(2).prs").loadFileAsString(), "deep bytes");
    EXPECT_TRUE (user.getChildFile ("Dangling.prs").isSymbolicLink());
}

TEST_F (PresetRename, aTargetThatIsAFolderIsNeverReplaced)
{
    user.getChildFile ("Taken.prs").createDirectory();
    addPreset (user, "Taken.prs/Inside", "inside");
    const auto before = snapshot (user);
    EXPECT_FALSE (fs::writeAtomically (user.getChildFile ("Taken.prs"), "x", 1));
    EXPECT_FALSE (fs::moveReplacing (user.getChildFile ("Deep.prs"), user.getChildFile ("Taken.prs")));
    EXPECT_FALSE (fs::moveWithoutReplacing (user.getChildFile ("Deep.prs"), user.getChildFile ("Other.prs")));
    EXPECT_EQ (snapshot (user), before);

    auto manager = makeManager();
    fileItem (*manager, userPath + "/Deep")->moveOrRename ("Taken", 1);
    EXPECT_EQ (user.getChildFile ("Taken(2).prs").loadFileAsString(), "deep bytes");
    EXPECT_EQ (user.getChildFile ("Taken.prs/Inside.prs").loadFileAsString(), "inside");
}
