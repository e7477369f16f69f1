#include "PresetTestSupport.h"
#include "engine/UntrustedXml.h"
#include "presets/PresetFileSystem.h"
#include "presets/SaveLock.h"
#include "tests/support/NoPermissionOverride.h"
#include "tests/support/StandardErrorCapture.h"
#include "tests/support/TimeScale.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <optional>
#include <set>
#include <string>

using namespace PresetTestSupport;

namespace
{
/** What an open editor lends: the name label, which is all an alert needs. */
struct LabelOnly : public PresetManager::ControlButtonSet
{
    juce::Label label;
    juce::Button* getControlButton (int) override { return nullptr; }
    juce::Label* getPresetNameLabel() override { return &label; }
};

class Favorites : public PresetFolders
{
protected:
    Favorites()
    {
        addPreset (factory, "Bass/Deep", "deep");
        addPreset (user, "Round", "round");
        addPreset (user, "Warm", "warm");
        file = base.getChildFile ("Kest.Favorites.xml");
    }

    /** The ids in the file's first list, in its order, user presets without
        their folder's path. */
    juce::String inFile() const
    {
        juce::StringArray ids;
        if (auto root = juce::parseXML (file))
            for (auto* entry : root->getChildByName ("FAVLIST")->getChildIterator())
                ids.add (entry->getStringAttribute ("id").replace (userPath + "/", ""));
        return ids.joinIntoString (" ");
    }

    /** Makes each change in turn; after each the file holds what its text
        says (as inFile gives it). */
    using Change = std::pair<const char*, std::function<void()>>;
    void expectInFileAfterEach (std::initializer_list<Change> changes) const
    {
        for (auto& [expected, change] : changes)
        {
            SCOPED_TRACE (expected);
            change();
            EXPECT_EQ (inFile(), expected);
        }
    }

    /** An instance that read the file, with an open editor that tells its
        alerts into alerts. */
    std::unique_ptr<PresetManager> openWithEditor()
    {
        auto manager = makeManager();
        manager->setFailureAlert ([this] (const juce::String& title, const juce::String& message) { alerts.add (title + ": " + message); });
        manager->loadFavorites (file);
        manager->setControlButtonSet (&editor);
        return manager;
    }

    /** Runs the message loop until what was posted so far has run (what
        the last save's turn posted among it). */
    static void runOut()
    {
        auto reached = std::make_shared<bool> (false);
        juce::MessageManager::callAsync ([reached] { *reached = true; });
        for (int turns = 0; turns < 6000 && ! *reached; ++turns)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    /** Saves until nothing is left to save and runs out what the saves
        posted; the alerts then hold no wait (one that lasted 2 s on a busy
        machine is told as well). */
    void saveUntilLanded (PresetManager& manager)
    {
        for (int turns = 0; turns < 6000 && ! manager.saveFavorites (file); ++turns)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        runOut();
        for (int index = alerts.size(); --index >= 0;)
            if (alerts[index].startsWith ("Waiting to Save: "))
                alerts.remove (index);
    }

    /** Moves the user folder onto a file system of that kind (none: it
        stays) for as long as mounted lives; false where none can be mounted,
        with why added to notMounted. */
    bool userFolderOnto (std::optional<OtherFileSystem::Kind> kind, std::optional<OtherFileSystem>& mounted, juce::StringArray& notMounted)
    {
        if (! kind.has_value() || mounted.emplace (user, *kind).isMounted())
            return true;
        notMounted.addIfNotAlreadyThere (mounted->whyNot());
        return false;
    }

    /** The favourites a new instance reads from the file. */
    juce::StringArray readAgain()
    {
        auto next = makeManager();
        next->loadFavorites (file);
        return next->getFavoriteList().getFavoriteIds();
    }

    juce::File file;
    LabelOnly editor;
    juce::StringArray alerts;
};

/** Waits until a save of this process waits in the system for the lock of
    the folder (its turn then holds what it took); false after 5 s. */
bool untilASaveWaitsForTheLockOf (const juce::File& folder)
{
    struct stat info {};
    if (::stat (folder.getFullPathName().toRawUTF8(), &info) != 0)
        return false;
    const auto inode = ":" + std::to_string (info.st_ino) + " ", self = " " + std::to_string (::getpid()) + " ";
    for (int waited = 0; waited < TimeScale::hangLimitMs (5000); waited += 5)
    {
        std::ifstream locks ("/proc/locks");
        for (std::string line; std::getline (locks, line);)
            if (line.find ("->") != std::string::npos && line.find (inode) != std::string::npos && line.find (self) != std::string::npos)
                return true;
        juce::Thread::sleep (5);
    }
    return false;
}
} // namespace

TEST_F (Favorites, theFileKeepsOtherListsAndIdsThatDoNotResolve)
{
    file.replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<MYROOT keep=\"1\">\n"
                          "  <Something else=\"yes\"/>\n"
                          "  <FAVLIST name=\"Other\" type=\"Presets\"><Preset id=\"/x\"/></FAVLIST>\n"
                          "  <favlist name=\"Default\" type=\"Presets\">\n"
                          "    <Preset id=\"" + factoryPath + "/Bass/Deep\"/>\n"
                          "    <preset id=\"" + userPath + "/Gone\"/>\n"
                          "    <Preset id=\"" + userPath + "/round\"/>\n"
                          "  </favlist>\n"
                          "  <FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"" + userPath + "/Warm\"/></FAVLIST>\n"
                          "</MYROOT>\n");
    const auto asWritten = file.loadFileAsString();
    {
        // Only the first list counts; a factory preset can be a favourite.
        // Ids that name no preset here are no entry, and an instance that
        // changes nothing leaves the file alone.
        auto manager = makeManager();
        manager->loadFavorites (file);
        EXPECT_EQ (manager->getFavoriteList().getFavoriteIds(), juce::StringArray (factoryPath + "/Bass/Deep"));
        EXPECT_TRUE (fileItem (*manager, factoryPath + "/Bass/Deep")->isFavorite());
        EXPECT_FALSE (fileItem (*manager, userPath + "/Warm")->isFavorite());
        EXPECT_TRUE (manager->saveFavorites (file));
        EXPECT_EQ (file.loadFileAsString(), asWritten);
    }
    {
        auto manager = makeManager();
        manager->loadFavorites (file);
        fileItem (*manager, userPath + "/Round")->setFavorite (true);
        ASSERT_TRUE (manager->saveFavorites (file));
    }

    auto root = juce::parseXML (file);
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "MYROOT");
    EXPECT_EQ (root->getStringAttribute ("keep"), "1");
    ASSERT_EQ (root->getNumChildElements(), 4);
    EXPECT_EQ (root->getChildElement (0)->getTagName(), "Something");
    EXPECT_EQ (root->getChildElement (1)->getStringAttribute ("name"), "Other");
    EXPECT_EQ (root->getChildElement (1)->getChildElement (0)->getStringAttribute ("id"), "/x");

    // A folder missing for a moment or a name in other letter case keeps its
    // id; the entries are in name order, by code point.
    auto* list = root->getChildElement (2);
    ASSERT_EQ (list->getNumChildElements(), 4);
    EXPECT_EQ (list->getChildElement (0)->getStringAttribute ("id"), factoryPath + "/Bass/Deep");
    EXPECT_EQ (list->getChildElement (1)->getStringAttribute ("id"), userPath + "/Gone");
    EXPECT_EQ (list->getChildElement (2)->getStringAttribute ("id"), userPath + "/Round");
    EXPECT_EQ (list->getChildElement (3)->getStringAttribute ("id"), userPath + "/round");
    EXPECT_EQ (root->getChildElement (3)->getChildElement (0)->getStringAttribute ("id"), userPath + "/Warm");
}

TEST_F (Favorites, instancesSharingTheFileEachWriteOnlyWhatTheirUserChanged)
{
    file.replaceWithText ("<FAVORITES><FAVLIST name=\"Default\" type=\"Presets\">"
                          "<Preset id=\"" + userPath + "/Warm\"/><Preset id=\"/Favorites/Round\"/>"
                          "<Preset id=\"" + factoryPath + "/Bass/Deep\"/></FAVLIST></FAVORITES>");
    auto first = makeManager();
    auto second = makeManager();
    auto third = makeManager();
    for (auto* manager : { first.get(), second.get(), third.get() })
        manager->loadFavorites (file);
    ASSERT_EQ (first->getFavoriteList().getNumSubItems(), 2); // "/Favorites/Round" names no file item

    // One adds Round and drops Warm, another drops Deep and renames nothing,
    // the third changes nothing; they close in that order.
    fileItem (*first, userPath + "/Round")->setFavorite (true);
    fileItem (*first, userPath + "/Warm")->setFavorite (false);
    fileItem (*second, factoryPath + "/Bass/Deep")->setFavorite (false);
    ASSERT_TRUE (first->saveFavorites (file));
    ASSERT_TRUE (second->saveFavorites (file));
    ASSERT_TRUE (third->saveFavorites (file));

    auto next = makeManager();
    next->loadFavorites (file);
    EXPECT_EQ (next->getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/Round"));
    // The id no instance could read stays as it was.
    EXPECT_TRUE (file.loadFileAsString().contains ("\"/Favorites/Round\""));
}

TEST_F (Favorites, aFileThatCannotBeReadIsNeverReplacedAndTheUserHearsOfItOnce)
{

    // A byte of another encoding: the file is not what any instance wrote.
    const std::string latin1 = "<FAVORITES><FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"" + userPath.toStdString()
                               + "/Warm\"/></FAVLIST><Other note=\"caf\xe9\"/></FAVORITES>";
    file.replaceWithData (latin1.data(), latin1.size());
    juce::MemoryBlock original;
    file.loadFileAsData (original);

    juce::StringArray alerts;
    auto manager = makeManager();
    manager->setFailureAlert ([&alerts] (const juce::String& title, const juce::String& message) { alerts.add (title + ": " + message); });
    manager->loadFavorites (file);
    EXPECT_EQ (manager->getFavoriteList().getNumSubItems(), 0);
    EXPECT_TRUE (alerts.isEmpty()); // no editor: nobody to tell yet

    LabelOnly editor;
    manager->setControlButtonSet (&editor);
    ASSERT_EQ (alerts.size(), 1);
    EXPECT_TRUE (alerts[0].contains (file.getFullPathName())) << alerts[0];

    fileItem (*manager, userPath + "/Round")->setFavorite (true);
    EXPECT_FALSE (manager->saveFavorites (file));
    EXPECT_FALSE (manager->saveFavorites (file));
    juce::MemoryBlock after;
    file.loadFileAsData (after);
    EXPECT_EQ (after, original);
    EXPECT_EQ (alerts.size(), 1);

    // Once the file can be read again, the change joins what it holds.
    file.replaceWithText ("<FAVORITES><FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"" + userPath + "/Warm\"/></FAVLIST></FAVORITES>");
    ASSERT_TRUE (manager->saveFavorites (file));
    auto next = makeManager();
    next->loadFavorites (file);
    EXPECT_EQ (next->getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/Round", userPath + "/Warm"));
}

TEST_F (Favorites, aFileWithoutReadPermissionIsNeverReplaced)
{
    file.replaceWithText ("<FAVORITES><FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"" + userPath + "/Warm\"/></FAVLIST></FAVORITES>");
    ASSERT_EQ (::chmod (file.getFullPathName().toRawUTF8(), 0), 0);

    {
        const NoPermissionOverride heldToPermissions;
        ASSERT_FALSE (juce::FileInputStream (file).openedOk());
        auto manager = makeManager();
        manager->setFailureAlert ([] (const juce::String&, const juce::String&) {});
        manager->loadFavorites (file);
        fileItem (*manager, userPath + "/Round")->setFavorite (true);
        EXPECT_FALSE (manager->saveFavorites (file));
    }

    // Readable again, the file still holds only what it held.
    ASSERT_EQ (::chmod (file.getFullPathName().toRawUTF8(), 0644), 0);
    auto next = makeManager();
    next->loadFavorites (file);
    EXPECT_EQ (next->getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/Warm"));
}

TEST_F (Favorites, aMissingOrEmptyFileMeansNoneAndAnUnchangedListIsNotWritten)
{
    auto manager = makeManager();
    manager->loadFavorites (file);
    EXPECT_TRUE (manager->saveFavorites (file));
    EXPECT_FALSE (file.exists()); // nothing to say

    file.replaceWithText ("<FAVORITES><FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"" + userPath + "/Warm\"/></FAVLIST></FAVORITES>");
    const auto written = file.loadFileAsString();
    auto second = makeManager();
    second->loadFavorites (file);
    EXPECT_TRUE (fileItem (*second, userPath + "/Warm")->isFavorite());
    EXPECT_TRUE (second->saveFavorites (file));
    EXPECT_EQ (file.loadFileAsString(), written);

    // An empty file holds nothing to lose: it is written over.
    file.replaceWithText ({});
    auto third = makeManager();
    third->loadFavorites (file);
    EXPECT_EQ (third->getFavoriteList().getNumSubItems(), 0);
    fileItem (*third, userPath + "/Round")->setFavorite (true);
    EXPECT_TRUE (third->saveFavorites (file));
    auto root = juce::parseXML (file);
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "FAVORITES");
    EXPECT_EQ (root->getChildByName ("FAVLIST")->getStringAttribute ("type"), "Presets");
}

TEST_F (Favorites, anEntryAppearsOnlyOnAChangeFromOffToOnAndGoesWithItsPreset)
{
    auto manager = makeManager();
    auto* warm = fileItem (*manager, userPath + "/Warm");
    warm->setFavorite (true);
    warm->setFavorite (true);
    warm->getFavoriteValue()->setValue (1);
    warm->getFavoriteValue()->getValueSource().sendChangeMessage (true);
    EXPECT_EQ (manager->getFavoriteList().getNumSubItems(), 1);

    fileItem (*manager, userPath + "/Round")->setFavorite (true);
    EXPECT_EQ (manager->getFavoriteList().getSubItem (0)->getUniqueName(), "Round");

    // Switching off a loaded entry hands over to its file item; the sound,
    // edits included, stays as it is.
    manager->findItemByPath ("/Favorites/Warm")->activate();
    client.sound = "edited";
    client.edit();
    const auto loads = client.loaded.size();
    warm->setFavorite (false);
    EXPECT_EQ (currentPath (*manager), userPath + "/Warm");
    EXPECT_EQ (client.sound, "edited");
    EXPECT_EQ (client.loaded.size(), loads);
    EXPECT_TRUE (manager->isPresetModified());
    EXPECT_EQ (manager->getFavoriteList().getNumSubItems(), 1);

    // Deleting a preset whose entry is loaded steps on among the favourites.
    warm->setFavorite (true);
    manager->findItemByPath ("/Favorites/Round")->activate();
    ASSERT_TRUE (fileItem (*manager, userPath + "/Round")->deleteItem());
    EXPECT_EQ (currentPath (*manager), "/Favorites/Warm");
    ASSERT_TRUE (warm->deleteItem());
    EXPECT_EQ (manager->getCurrentItem(), nullptr);
    EXPECT_EQ (manager->getFavoriteList().getNumSubItems(), 0);
}

TEST_F (Favorites, aRenamedFavouriteKeepsItsEntryAndWritesItsNewPath)
{
    auto manager = makeManager();
    fileItem (*manager, userPath + "/Warm")->setFavorite (true);
    fileItem (*manager, userPath + "/Warm")->moveOrRename ("Hot", 0);
    EXPECT_EQ (manager->getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/Hot"));
    EXPECT_NE (manager->findItemByPath ("/Favorites/Hot"), nullptr);
}

TEST_F (Favorites, aPresetThatOverwritesAFavouriteKeepsItsStarEntryAndLineInTheFile)
{
    auto manager = makeManager();
    manager->loadFavorites (file);
    fileItem (*manager, userPath + "/Round")->setFavorite (true);
    client.answer = FakeClient::Answer::overwrite;

    // Saved anew and named as the favourite, then another renamed onto it:
    // each time the preset that holds the name is the favourite.
    const std::pair<const char*, std::function<void()>> overwrites[] {
        { "initial", [&] { manager->savePreset(); fileItem (*manager, userPath + "/New Preset")->renameTo ("Round"); } },
        { "warm", [&] { fileItem (*manager, userPath + "/Warm")->renameTo ("Round"); } },
    };
    for (auto& [bytes, overwrite] : overwrites)
    {
        SCOPED_TRACE (bytes);
        overwrite();
        auto* round = fileItem (*manager, userPath + "/Round");
        ASSERT_NE (round, nullptr);
        EXPECT_EQ (user.getChildFile ("Round.prs").loadFileAsString(), bytes);
        EXPECT_TRUE (round->isFavorite());
        EXPECT_EQ (manager->getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/Round"));
        EXPECT_TRUE (file.loadFileAsString().contains ("\"" + userPath + "/Round\""));
    }
}

TEST_F (Favorites, everyChangeOfTheFavouritesIsInTheFileAtOnceAndReadingThemWritesNothing)
{
    file.replaceWithText ("<FAVORITES><FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"" + userPath
                          + "/Round\"/></FAVLIST></FAVORITES>");
    const auto asWritten = file.loadFileAsString();
    addPreset (user, "Pads/Air", "air");
    auto manager = makeManager();
    manager->loadFavorites (file);
    ASSERT_EQ (file.loadFileAsString(), asWritten);

    auto* warm = fileItem (*manager, userPath + "/Warm");
    auto* pads = dynamic_cast<PresetManager::DirectoryItem*> (manager->findItemByPath (userPath + "/Pads"));
    ASSERT_NE (pads, nullptr);
    expectInFileAfterEach ({
        { "Round Warm", [&] { warm->getFavoriteValue()->setValue (true); warm->getFavoriteValue()->getValueSource().sendChangeMessage (true); } },
        { "Hot Round", [&] { ASSERT_TRUE (warm->moveOrRename ("Hot", 0)); } },
        { "Pads/Hot Round", [&] { pads->acceptItem (warm); } },
        { "Pads/Hot", [&] { fileItem (*manager, userPath + "/Round")->setFavorite (false); } },
        { "", [&] { ASSERT_TRUE (warm->deleteItem()); } },
    });
}

TEST_F (Favorites, aSaveThatFailsIsToldOnceWithTheFileAndWhyAndTheMarksWaitForTheNextSave)
{
    const auto locked = base.getChildFile ("locked");
    const auto nowhere = base.getChildFile ("gone/Kest.Favorites.xml");
    ASSERT_TRUE (locked.createDirectory());
    ASSERT_TRUE (nowhere.getParentDirectory().createDirectory());

    for (const bool editorOpen : { true, false })
        for (const bool throughLink : { false, true })
        {
            SCOPED_TRACE ((editorOpen ? "editor open, " : "no editor, ") + juce::String (throughLink ? "link to nowhere" : "read-only folder"));
            const auto target = throughLink ? base.getChildFile ("Linked.Favorites.xml") : locked.getChildFile ("Kest.Favorites.xml");
            std::optional<ReadOnlyFolder> readOnly;
            if (throughLink)
            {
                ASSERT_TRUE (nowhere.createSymbolicLink (target, true));
            }
            else
            {
                ASSERT_TRUE (readOnly.emplace (locked).isEffective());
            }

            juce::StringArray alerts;
            LabelOnly editor;
            auto manager = makeManager();
            manager->setFailureAlert ([&alerts] (const juce::String& title, const juce::String& text) { alerts.add (title + ": " + text); });
            manager->loadFavorites (target);
            if (editorOpen)
                manager->setControlButtonSet (&editor);
            {
                StandardErrorCapture errors;
                fileItem (*manager, userPath + "/Round")->setFavorite (true); // saved at once
                EXPECT_FALSE (manager->saveFavorites (target));
                EXPECT_FALSE (manager->saveFavorites (target));

                const auto told = editorOpen ? alerts : errors.lines();
                EXPECT_EQ ((editorOpen ? errors.lines() : alerts).size(), 0);
                ASSERT_EQ (told.size(), 1);
                EXPECT_TRUE (told[0].startsWith (editorOpen ? "Write Error: " : "Kest: could not save")) << told[0];
                EXPECT_TRUE (told[0].contains (target.getFullPathName())) << told[0];
                const bool why = throughLink ? told[0].contains ("a link that leads nowhere")
                                             : told[0].contains (std::strerror (EACCES)) || told[0].contains (std::strerror (EPERM));
                EXPECT_TRUE (why) << told[0];
            }

            // Mended, the next save of the same instance writes the mark.
            readOnly.reset();
            ASSERT_TRUE (! throughLink || nowhere.create());
            EXPECT_TRUE (manager->saveFavorites (target));
            auto next = makeManager();
            next->loadFavorites (target);
            EXPECT_EQ (next->getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/Round"));
            ASSERT_TRUE (target.deleteFile() && (! throughLink || nowhere.deleteFile()));
        }
}

TEST_F (Favorites, anotherInstancesRenameMoveOrDeleteCarriesTheStarsInTheFileKeptInNameOrder)
{
    addPreset (user, "Pads", "pads"); // shares its name with the folder beside it
    addPreset (user, "Pads/Air", "air");
    addPreset (user, "Pad/Deep", "deep"); // its name begins the other folder's
    ASSERT_TRUE (user.getChildFile ("Sub").createDirectory());
    auto other = makeManager(); // opened first, so it knows none of the stars
    other->loadFavorites (file);
    auto marking = makeManager();
    marking->loadFavorites (file);
    for (auto path : { "/Warm", "/Pads/Air", "/Round", "/Pads", "/Pad/Deep" })
        fileItem (*marking, userPath + path)->setFavorite (true);
    ASSERT_EQ (inFile(), "Pads/Air Pad/Deep Pads Round Warm");

    PresetManager::DirectoryItem* padsFolder = nullptr;
    for (int index = 0; index < other->getUserFolderItem()->getNumSubItems(); ++index)
        if (auto* folder = dynamic_cast<PresetManager::DirectoryItem*> (other->getUserFolderItem()->getSubItem (index)))
            if (folder->getUniqueName() == "Pads")
                padsFolder = folder;
    auto* sub = dynamic_cast<PresetManager::DirectoryItem*> (other->findItemByPath (userPath + "/Sub"));
    auto* padFolder = dynamic_cast<PresetManager::DirectoryItem*> (other->findItemByPath (userPath + "/Pad"));
    ASSERT_TRUE (padsFolder != nullptr && sub != nullptr && padFolder != nullptr);

    expectInFileAfterEach ({
        { "Pads/Air Pad/Deep Pads Warm Zed", [&] { ASSERT_TRUE (fileItem (*other, userPath + "/Round")->moveOrRename ("Zed", 0)); } },
        { "Pads/Air Pad/Deep Pads Warm Sub/Zed", [&] { sub->acceptItem (fileItem (*other, userPath + "/Zed")); } },
        // Only what lies below "Pad/" follows it, not what lies below "Pads".
        { "Pads/Air Bass/Deep Pads Warm Sub/Zed", [&] { ASSERT_TRUE (padFolder->moveOrRename ("Bass", 0)); } },
        // What lies below the folder follows it, not the preset of its name.
        { "Keys/Air Bass/Deep Pads Warm Sub/Zed", [&] { ASSERT_TRUE (padsFolder->moveOrRename ("Keys", 0)); } },
        { "Keys/Air Bass/Deep Pads Sub/Zed", [&] { ASSERT_TRUE (fileItem (*other, userPath + "/Warm")->deleteItem()); } },
        // The instance that marked them writes back none of the old paths.
        { "Keys/Air Bass/Deep Sub/Zed", [&] { fileItem (*marking, userPath + "/Pads")->setFavorite (false); } },
    });

    EXPECT_EQ (readAgain(), juce::StringArray (userPath + "/Keys/Air", userPath + "/Bass/Deep", userPath + "/Sub/Zed"));
}

TEST_F (Favorites, aStarThatWouldTakeTheFilePastWhatIsReadBackIsRefusedAndToldAndTheFileStays)
{
    // Warm, and presets not here up to just below what is read back, in the
    // form a save writes.
    juce::XmlElement root ("FAVORITES");
    auto* list = root.createNewChildElement ("FAVLIST");
    list->setAttribute ("name", "Default");
    list->setAttribute ("type", "Presets");
    list->createNewChildElement ("Preset")->setAttribute ("id", userPath + "/Warm");
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    const auto bytes = [&] { return root.toString (format).getNumBytesAsUTF8(); };
    const auto withWarm = bytes();
    const auto addGone = [list] (int index)
    {
        auto* entry = new juce::XmlElement ("Preset");
        entry->setAttribute ("id", "/PresetFiles/Gone/" + juce::String (index).paddedLeft ('0', 7));
        list->prependChildElement (entry);
    };
    addGone (0);
    const auto perEntry = bytes() - withWarm; // shorter than Round's
    for (int index = 1; index < (int) ((Korvalden::Misc::maxUntrustedXmlBytes - withWarm) / perEntry); ++index)
        addGone (index);
    const auto text = root.toString (format);
    ASSERT_TRUE (file.replaceWithData (text.toRawUTF8(), text.getNumBytesAsUTF8()));

    auto manager = openWithEditor();
    ASSERT_TRUE (fileItem (*manager, userPath + "/Warm")->isFavorite());

    auto* round = fileItem (*manager, userPath + "/Round");
    round->setFavorite (true);
    EXPECT_FALSE (round->isFavorite());
    EXPECT_EQ (manager->getFavoriteList().getNumSubItems(), 1);
    EXPECT_EQ (file.loadFileAsString(), text);
    ASSERT_EQ (alerts.size(), 1);
    EXPECT_TRUE (alerts[0].contains ("reads back") && alerts[0].contains ("not kept")) << alerts[0];

    // With room made, the same star is taken, and what is written is read.
    fileItem (*manager, userPath + "/Warm")->setFavorite (false);
    round->setFavorite (true);
    EXPECT_EQ (alerts.size(), 1);
    auto next = makeManager();
    next->loadFavorites (file);
    EXPECT_EQ (next->getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/Round"));
}

TEST_F (Favorites, aFavouriteStoredByTheOlderNameOfAFolderWithADotIsStillFound)
{
    // Earlier versions named the folder "Keys.v2" by "Keys" in a preset's path.
    for (auto preset : { "Keys.v2/Soft", "Keys.v2/Hard", "Pads.old/Air", "Pads.old/Dust" })
        addPreset (user, preset, preset);
    file.replaceWithText ("<MYROOT><FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"" + userPath + "/Keys/Soft\"/><Preset id=\""
                          + userPath + "/Keys/Hard\"/><Preset id=\"" + userPath + "/Pads/Air\"/><Preset id=\"" + userPath
                          + "/Pads/Dust\"/></FAVLIST></MYROOT>\n");
    auto manager = makeManager();
    manager->loadFavorites (file);
    EXPECT_TRUE (fileItem (*manager, userPath + "/Keys.v2/Soft")->isFavorite());

    // The user's changes to them go to the ids the file holds.
    auto* pads = dynamic_cast<PresetManager::DirectoryItem*> (manager->findItemByPath (userPath + "/Pads.old"));
    ASSERT_NE (pads, nullptr);
    expectInFileAfterEach ({
        { "Pads/Air Pads/Dust Keys/Hard", [&] { fileItem (*manager, userPath + "/Keys.v2/Soft")->setFavorite (false); } },
        { "Pads/Air Pads/Dust Keys.v2/Harder", [&] { ASSERT_TRUE (fileItem (*manager, userPath + "/Keys.v2/Hard")->moveOrRename ("Harder", 0)); } },
        { "Pads.new/Air Pads.new/Dust Keys.v2/Harder", [&] { ASSERT_TRUE (pads->moveOrRename ("Pads.new", 0)); } },
        { "Pads.new/Air Keys.v2/Harder", [&] { ASSERT_TRUE (fileItem (*manager, userPath + "/Pads.new/Dust")->deleteItem()); } },
    });

    EXPECT_EQ (readAgain(), juce::StringArray (userPath + "/Pads.new/Air", userPath + "/Keys.v2/Harder"));
}

TEST_F (Favorites, aChangeThatWouldTakeTheFilePastWhatIsReadBackIsNotKeptAndToldAndHoldsBackNothingAfterIt)
{
    // Warm, and presets not here, up to a room that a star of a name of 20
    // to 70 bytes fills, in the form a save writes and in name order.
    juce::XmlElement root ("FAVORITES");
    auto* list = root.createNewChildElement ("FAVLIST");
    list->setAttribute ("name", "Default");
    list->setAttribute ("type", "Presets");
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    const auto bytes = [&] { return (int) root.toString (format).getNumBytesAsUTF8(); };
    // Added at the front, which is linear: the list is made from its end.
    const auto add = [list] (const juce::String& id)
    {
        auto* entry = new juce::XmlElement ("Preset");
        entry->setAttribute ("id", id);
        list->prependChildElement (entry);
    };
    add ("/PresetFiles/Gone/0000000");
    const auto withOne = bytes();
    add ("/PresetFiles/Gone/0000001");
    const auto perGone = bytes() - withOne;
    add (userPath + "/X");
    const auto perStar = bytes() - withOne - perGone - 1; // and the name's bytes
    list->deleteAllChildElements();
    const int limit = (int) Korvalden::Misc::maxUntrustedXmlBytes;
    const int gone = 1 + (limit - withOne - (perStar + 4) - perStar - 20) / perGone; // Warm, then the star and 20 bytes
    add (userPath + "/Warm");
    for (int index = gone; --index >= 0;)
        add ("/PresetFiles/Gone/" + juce::String (index).paddedLeft ('0', 7));
    const int room = limit - bytes() - perStar;
    ASSERT_TRUE (room >= 20 && room < 20 + perGone) << room;
    const auto text = root.toString (format);
    ASSERT_TRUE (file.replaceWithData (text.toRawUTF8(), text.getNumBytesAsUTF8()));

    // Names that fill the room to the byte, and one byte more.
    const auto fits = "Y" + juce::String::repeatedString ("y", room - 1);
    const auto over = fits + "y";
    addPreset (user, fits, "fits");
    addPreset (user, over, "over");

    auto manager = openWithEditor();

    // One byte past the limit: refused at once, told, the file as it was.
    fileItem (*manager, userPath + "/" + over)->setFavorite (true);
    EXPECT_FALSE (fileItem (*manager, userPath + "/" + over)->isFavorite());
    EXPECT_EQ (file.loadFileAsString(), text);
    ASSERT_EQ (alerts.size(), 1);
    EXPECT_TRUE (alerts[0].contains ("reads back") && alerts[0].contains ("\"" + over + "\" is not kept")) << alerts[0];

    // To the byte: written, and read back.
    fileItem (*manager, userPath + "/" + fits)->setFavorite (true);
    EXPECT_EQ (file.getSize(), (juce::int64) limit);
    EXPECT_EQ (alerts.size(), 1);
    {
        auto next = makeManager();
        next->loadFavorites (file);
        EXPECT_TRUE (fileItem (*next, userPath + "/" + fits)->isFavorite());
    }

    // A rename that would make its id longer cannot be written: the star
    // does not follow it, and that is told at once, naming the preset.
    ASSERT_TRUE (fileItem (*manager, userPath + "/" + fits)->moveOrRename (over.replace ("Y", "Z"), 0));
    EXPECT_FALSE (fileItem (*manager, userPath + "/" + over.replace ("Y", "Z"))->isFavorite());
    ASSERT_EQ (alerts.size(), 2);
    EXPECT_TRUE (alerts[1].contains ("\"" + over.replace ("Y", "Z") + "\"") && alerts[1].contains ("not kept")
                 && ! alerts[1].contains ("saved when it can")) << alerts[1];
    EXPECT_FALSE (file.loadFileAsString().contains (fits));

    // What comes after it is saved, and nothing waits.
    fileItem (*manager, userPath + "/Warm")->setFavorite (false);
    EXPECT_TRUE (manager->saveFavorites (file));
    EXPECT_FALSE (file.loadFileAsString().contains (userPath + "/Warm"));
    EXPECT_EQ (alerts.size(), 2);
    auto next = makeManager();
    next->loadFavorites (file);
    EXPECT_EQ (next->getFavoriteList().getNumSubItems(), 0);
}

TEST_F (Favorites, aChangeAtAPresetAnotherInstanceRenamedOrDeletedGoesWhereItWentOrIsToldAndWritesNothingThatDangles)
{
    // Another instance renames Warm to Warmer (or deletes it; or saves a new
    // Warm after the rename); this one still shows Warm and changes it.
    using Change = std::function<void (PresetManager&, PresetManager::FileItem&)>;
    struct Case
    {
        const char* what;
        bool starredBefore, deleted, newWarm;
        Change change;
        const char* inFile;
        bool told, warmerStarred;
    };
    const Change starIt = [] (PresetManager&, PresetManager::FileItem& warm) { warm.setFavorite (true); };
    const Case cases[] {
        { "star", false, false, false, starIt, "Warmer", false, true },
        { "star of a deleted preset", false, true, false, starIt, "", true, false },
        { "clear", true, false, false, [] (PresetManager&, PresetManager::FileItem& warm) { warm.setFavorite (false); }, "", false, false },
        { "rename", false, false, false, [] (PresetManager&, PresetManager::FileItem& warm) { EXPECT_FALSE (warm.moveOrRename ("Hot", 0)); }, "", true, false },
        { "move", false, false, false, [] (PresetManager& manager, PresetManager::FileItem& warm)
          { dynamic_cast<PresetManager::DirectoryItem*> (manager.findItemByPath (userPath + "/Pads"))->acceptItem (&warm); }, "", true, false },
        { "delete, a new Warm in its place", false, false, true, [] (PresetManager&, PresetManager::FileItem& warm) { EXPECT_FALSE (warm.deleteItem()); }, "", true, false },
    };
    addPreset (user, "Pads/Air", "air");
    for (const auto& [what, starredBefore, deleted, newWarm, change, expectedInFile, told, warmerStarred] : cases)
    {
        SCOPED_TRACE (what);
        ASSERT_TRUE (! user.getChildFile ("Warmer.prs").exists() || user.getChildFile ("Warmer.prs").deleteFile());
        addPreset (user, "Warm", "warm");
        file.replaceWithText (starredBefore ? "<FAVORITES><FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"" + userPath + "/Warm\"/></FAVLIST></FAVORITES>" : "");
        alerts.clear();
        auto other = makeManager();
        other->loadFavorites (file);
        auto manager = openWithEditor();
        ASSERT_TRUE (fileItem (*manager, userPath + "/Warm")->activate());
        const auto loads = client.loaded.size();
        auto* otherWarm = fileItem (*other, userPath + "/Warm");
        ASSERT_TRUE (deleted ? otherWarm->deleteItem() : otherWarm->moveOrRename ("Warmer", 0));
        if (newWarm)
            addPreset (user, "Warm", "new");

        change (*manager, *fileItem (*manager, userPath + "/Warm"));
        // The folder shows what it holds on a later turn.
        for (int turns = 0; turns < 1000 && (deleted ? item (*manager, userPath + "/Warm") != nullptr : fileItem (*manager, userPath + "/Warmer") == nullptr); ++turns)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);

        EXPECT_EQ (inFile(), juce::String (expectedInFile));
        EXPECT_EQ (alerts.size(), told ? 1 : 0) << alerts.joinIntoString ("\n");
        EXPECT_TRUE (! told || (alerts[0].contains ("Another program") && alerts[0].contains ("\"Warm\"")
                                && alerts[0].contains ("\"User Presets\" now shows"))) << alerts[0];
        auto* warmer = fileItem (*manager, userPath + "/Warmer");
        EXPECT_TRUE (deleted ? warmer == nullptr : warmer != nullptr && warmer->isFavorite() == warmerStarred);
        EXPECT_EQ (manager->getFavoriteList().getNumSubItems(), warmerStarred ? 1 : 0);
        // The loaded preset stays current where it went; gone, the sound stays.
        EXPECT_EQ (manager->getDisplayName(), deleted ? "*Warm" : "Warmer");
        EXPECT_EQ (client.loaded.size(), loads);
        // Nothing happened to a file the user did not see.
        EXPECT_EQ (user.getChildFile ("Warmer.prs").existsAsFile(), ! deleted);
        EXPECT_FALSE (user.getChildFile ("Hot.prs").exists() || user.getChildFile ("Pads/Warm.prs").exists());
        EXPECT_EQ (user.getChildFile ("Warm.prs").existsAsFile(), newWarm);
        EXPECT_EQ (fileItem (*manager, userPath + "/Warm") != nullptr, newWarm);
    }

    // Nor does a drop move anything into a folder another instance renamed.
    auto other = makeManager();
    auto manager = openWithEditor();
    alerts.clear();
    ASSERT_TRUE (dynamic_cast<PresetManager::DirectoryItem*> (item (*other, userPath + "/Pads"))->moveOrRename ("Keys", 0));
    dynamic_cast<PresetManager::DirectoryItem*> (item (*manager, userPath + "/Pads"))->acceptItem (fileItem (*manager, userPath + "/Round"));
    for (int turns = 0; turns < 1000 && item (*manager, userPath + "/Keys") == nullptr; ++turns)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    EXPECT_TRUE (user.getChildFile ("Round.prs").existsAsFile() && fileItem (*manager, userPath + "/Keys/Air") != nullptr);
    EXPECT_TRUE (alerts.size() == 1 && alerts[0].contains ("\"Pads\"")) << alerts.joinIntoString ("\n");
}

TEST_F (Favorites, aRowStandsForTheVeryFileItShowedNeverForANewOneWithItsNumberAndThenForWhatReplacedIt)
{
    // Another instance deletes Warm and at once saves a new preset, which
    // gets Warm's inode number (a new Warm, or Evil); or it saves over Warm
    // (a new file renamed onto its name).  This one still shows Warm (read
    // from its folder, or saved here) and changes it there; then changes it
    // again at the row that shows Warm now, renames it and changes it again.
    // On an ext4 that keeps no birth times, the new file is made in the
    // second Warm was made in, which stamps it alike, and the rename in a
    // later one.
    using Change = std::function<bool (PresetManager::FileItem& warm)>;
    struct Case
    {
        const char* what;
        const char* madeWithItsNumber; // empty: saved over
        Change change;
        bool done;
        const char* inFile;
        bool withoutBirthTimes = false, savedHere = false;
    };
    const Change star = [] (PresetManager::FileItem& warm) { warm.setFavorite (true); return true; };
    const Change rename = [] (PresetManager::FileItem& warm) { return warm.moveOrRename ("Hot", 0); };
    const Change remove = [] (PresetManager::FileItem& warm) { return warm.deleteItem(); };
    std::optional<OtherFileSystem> mounted;
    for (const auto& [what, madeWithItsNumber, change, done, expectedInFile, withoutBirthTimes, savedHere] :
         { Case { "star, Evil made with its number", "Evil", star, true, "" },
           Case { "rename, a new Warm made with its number", "Warm", rename, false, "" },
           Case { "delete, a new Warm made with its number", "Warm", remove, false, "" },
           Case { "star, saved over", "", star, true, "Warm" },
           Case { "no birth times: star, Evil made with its number", "Evil", star, true, "", true },
           Case { "no birth times: star, saved here, Evil made with its number", "Evil", star, true, "", true, true },
           Case { "no birth times: rename, a new Warm made with its number", "Warm", rename, false, "", true },
           Case { "no birth times: delete, a new Warm made with its number", "Warm", remove, false, "", true },
           Case { "no birth times: star, saved over", "", star, true, "", true } })
    {
        SCOPED_TRACE (what);
        if (withoutBirthTimes && ! mounted.has_value() && ! mounted.emplace (user, OtherFileSystem::Kind::withoutBirthTimes).isMounted())
            GTEST_SKIP() << "no ext4 without birth times can be mounted here: " << mounted->whyNot();
        for (auto name : { "Warm", "Evil", "Hot" })
            user.getChildFile (name + juce::String (".prs")).deleteFile();
        const auto second = withoutBirthTimes ? untilASecondBegins() : 0;
        const auto warm = user.getChildFile ("Warm.prs");
        if (! savedHere)
            addPreset (user, "Warm", "warm");
        file.deleteFile();
        alerts.clear();
        auto manager = openWithEditor();
        if (savedHere)
        {
            manager->selectPresetByPath (userPath + "/Warm");
            manager->savePreset();
            ASSERT_TRUE (warm.existsAsFile());
        }
        const bool savedOver = *madeWithItsNumber == 0;
        const auto made = user.getChildFile (savedOver ? "Warm.prs" : madeWithItsNumber + juce::String (".prs"));
        if (savedOver)
            ASSERT_TRUE (Korvalden::Misc::PresetFileSystem::writeAtomically (warm, "new", 3));
        else if (! deleteAndMakeWithItsNumber (warm, made, "new"))
            std::cout << "(the file system gave the new preset another number)\n";
        if (withoutBirthTimes && secondNow() != second)
            std::cout << "(the clock's second turned before the new preset was made)\n";

        EXPECT_EQ (change (*fileItem (*manager, userPath + "/Warm")), done);
        runOut();

        // Nothing happened to the new file, and nothing was written for it.
        const bool starred = *expectedInFile != 0;
        EXPECT_EQ (inFile(), juce::String (expectedInFile));
        EXPECT_EQ (made.loadFileAsString(), "new");
        EXPECT_FALSE (user.getChildFile ("Hot.prs").exists());
        EXPECT_EQ (alerts.size(), starred ? 0 : 1) << alerts.joinIntoString ("\n");
        EXPECT_TRUE (starred || alerts[0].startsWith ("Changed by Another Program: Another program renamed, moved or deleted \"Warm\"")) << alerts[0];
        auto* shown = fileItem (*manager, userPath + "/" + made.getFileNameWithoutExtension());
        ASSERT_NE (shown, nullptr);
        EXPECT_EQ (shown->isFavorite(), starred);
        EXPECT_EQ (fileItem (*manager, userPath + "/Warm") != nullptr, made == warm);

        // The row shown again stands for the new file, and renamed here for
        // it under its new name: nothing there is refused.
        const auto told = alerts.size();
        shown->setFavorite (! starred);
        EXPECT_EQ (inFile(), starred ? "" : made.getFileNameWithoutExtension());
        if (withoutBirthTimes)
            untilASecondBegins(); // the rename stamps the file anew
        EXPECT_TRUE (shown->moveOrRename ("Hot", 0));
        shown->setFavorite (starred);
        EXPECT_EQ (inFile(), starred ? "Hot" : "");
        EXPECT_TRUE (shown->deleteItem());
        EXPECT_FALSE (made.exists() || user.getChildFile ("Hot.prs").exists());
        EXPECT_EQ (alerts.size(), told) << alerts.joinIntoString ("\n");
    }
}

TEST_F (Favorites, aStarThatWaitsWhileAnotherProgramRenamesMovesOrDeletesItsPresetFollowsItOrIsToldNotKept)
{
    // Another program holds the lock while the user stars Warm, or clears
    // the star the file holds (behind a star of Round, which took the turn),
    // perhaps renames it, and the program renames, moves or deletes it
    // before it lets go.  A click at the row the program left stale, with
    // no lock held, ends the same way.  Also where the presets lie on an
    // ext4 that keeps no birth times, or in an overlay's lower layer, from
    // which a rename copies a preset up with its number and a new birth time.
    using Program = std::function<bool (const juce::File& shown)>;
    struct Case
    {
        const char* what;
        bool on;
        const char* renamedHere;
        Program program;
        const char* inFile;
        bool told;
        /** A second name of Warm's file, a row of its own. */
        const char* twin = "";
        /** Then the user clicks the star again at the row, where it went. */
        bool clickedAgain = false;
        /** Before the star, the user saves a new preset into the folder. */
        bool savesFirst = false;
        std::optional<OtherFileSystem::Kind> onto = std::nullopt;
    };
    const auto renamedTo = [this] (const char* name)
    {
        return [this, name] (const juce::File& shown)
        { return ::rename (shown.getFullPathName().toRawUTF8(), user.getChildFile (name).getFullPathName().toRawUTF8()) == 0; };
    };
    const auto deleted = [] (const juce::File& shown) { return shown.deleteFile(); };
    const Case cases[] {
        { "renamed", true, "", renamedTo ("Warmer.prs"), "Round Warmer", false },
        { "renamed here, then there", true, "Hot", renamedTo ("Hotter.prs"), "Hotter Round", false },
        { "moved", true, "", renamedTo ("Pads/Warm.prs"), "Round", true },
        { "deleted", true, "", deleted, "Round", true },
        { "cleared, renamed", false, "", renamedTo ("Warmer.prs"), "Round", false },
        { "cleared, renamed, starred again where it went", false, "", renamedTo ("Warmer.prs"), "Round Warmer", false, "", true },
        { "swapped with Mild", true, "", [this, renamedTo] (const juce::File& shown)
          {
              return renamedTo ("Swap") (shown) && renamedTo ("Warm.prs") (user.getChildFile ("Mild.prs"))
                     && renamedTo ("Mild.prs") (user.getChildFile ("Swap"));
          },
          "Mild Round", false },
        { "renamed Warm-old, a new Warm saved", true, "", [this, renamedTo] (const juce::File& shown)
          { return renamedTo ("Warm-old.prs") (shown) && addPreset (user, "Warm", "new").existsAsFile(); },
          "Round Warm-old", false },
        { "deleted, its second name stays", true, "", deleted, "Round", true, "Twin" },
        { "renamed, its second name stays", true, "", renamedTo ("Warmer.prs"), "Round", true, "Twin" },
        { "deleted, a new preset with its number", true, "", [this] (const juce::File& shown)
          {
              if (! deleteAndMakeWithItsNumber (shown, user.getChildFile ("Evil.prs"), "evil"))
                  std::cout << "(the file system gave the new preset another number)\n";
              return true;
          },
          "Round", true },
        { "renamed to a name that is no preset", true, "", renamedTo ("Warm.prs.bak"), "Round", true },
        // Not saved over: what lies at its name now is an older preset.
        { "deleted, Mild renamed onto its name", true, "", [deleted, renamedTo, this] (const juce::File& shown)
          { return deleted (shown) && renamedTo ("Warm.prs") (user.getChildFile ("Mild.prs")); },
          "Round", true },
        { "deleted, a preset of another folder moved onto its name", true, "", [deleted, renamedTo, this] (const juce::File& shown)
          { return deleted (shown) && renamedTo ("Warm.prs") (user.getChildFile ("Pads/Soft.prs")); },
          "Round", true },
        // Another row's preset is that preset moved, not saved over Warm.
        { "deleted, the preset saved here moved onto its name", true, "", [deleted, renamedTo, this] (const juce::File& shown)
          { return deleted (shown) && renamedTo ("Warm.prs") (user.getChildFile ("New Preset.prs")); },
          "Round", true, "", false, true },
        // No birth time: no file at its name counts as saved over it.
        { "no birth times: a second later, renamed Warm-old, a new Warm saved", true, "", [this, renamedTo] (const juce::File& shown)
          {
              // A stamp may lie up to a tick ahead of the coarse clock (while
              // another process is given a finer one), in its next second.
              while (secondNow() <= Korvalden::Misc::PresetFileSystem::identityOf (shown).changedSeconds)
                  untilASecondBegins();
              return renamedTo ("Warm-old.prs") (shown) && addPreset (user, "Warm", "new").existsAsFile();
          },
          "Round", true, "", false, false, OtherFileSystem::Kind::withoutBirthTimes },
        // Copied up as they are renamed, another row's preset at its name,
        // from its folder or another, is that preset moved, however new its
        // birth time.
        { "lower layer: swapped with Mild", true, "", [this, renamedTo] (const juce::File& shown)
          {
              return renamedTo ("Swap") (shown) && renamedTo ("Warm.prs") (user.getChildFile ("Mild.prs"))
                     && renamedTo ("Mild.prs") (user.getChildFile ("Swap"));
          },
          "Round", true, "", false, false, OtherFileSystem::Kind::layered },
        { "lower layer: deleted, a preset of another folder moved onto its name", true, "", [deleted, renamedTo, this] (const juce::File& shown)
          { return deleted (shown) && renamedTo ("Warm.prs") (user.getChildFile ("Pads/Soft.prs")); },
          "Round", true, "", false, false, OtherFileSystem::Kind::layered },
        // With the layers on two file systems, each numbering its files, a
        // preset saved lies in the upper one, and may have the number
        // another row's preset has in the lower one; one copied up is
        // listed by a number of the upper one.
        { "two layers: saved over, with the number of a preset below", true, "", [this] (const juce::File& shown)
          {
              namespace fs = Korvalden::Misc::PresetFileSystem;
              std::set<juce::uint64> below;
              for (auto name : { "Round", "Mild", "Pads/Soft", "Pads/Air" })
                  below.insert (fs::identityOf (user.getChildFile (name + juce::String (".prs"))).inode);
              for (int saves = 0; saves < 1000; ++saves)
                  if (! fs::writeAtomically (shown, "new", 3) || below.count (fs::identityOf (shown).inode) != 0)
                      return shown.loadFileAsString() == "new";
              std::cout << "(no save got the number of a preset below)\n";
              return true;
          },
          "Round Warm", false, "", false, false, OtherFileSystem::Kind::layersOnTwoFileSystems },
        { "two layers: deleted, a preset of another folder moved onto its name", true, "", [deleted, renamedTo, this] (const juce::File& shown)
          { return deleted (shown) && renamedTo ("Warm.prs") (user.getChildFile ("Pads/Soft.prs")); },
          "Round", true, "", false, false, OtherFileSystem::Kind::layersOnTwoFileSystems },
    };
    addPreset (user, "Pads/Air", "air");
    juce::StringArray notMounted;
    for (const bool waits : { true, false })
        for (const auto& [what, on, renamedHere, program, expectedInFile, told, twin, clickedAgain, savesFirst, onto] : cases)
        {
            SCOPED_TRACE (juce::String (waits ? "waits: " : "clicked: ") + what);
            for (auto name : { "Warm", "Warmer", "Hot", "Hotter", "Pads/Warm", "Mild", "Warm-old", "Twin", "Evil", "New Preset" })
                user.getChildFile (name + juce::String (".prs")).deleteFile();
            user.getChildFile ("Warm.prs.bak").deleteFile();
            addPreset (user, "Warm", "warm");
            madeBeforeAListing (addPreset (user, "Mild", "mild"));
            madeBeforeAListing (addPreset (user, "Pads/Soft", "soft"));
            ASSERT_TRUE (*twin == 0 || ::link (user.getChildFile ("Warm.prs").getFullPathName().toRawUTF8(),
                                                user.getChildFile (twin + juce::String (".prs")).getFullPathName().toRawUTF8()) == 0);
            ASSERT_TRUE (file.replaceWithText (on ? juce::String()
                                                  : "<FAVORITES><FAVLIST name=\"Default\" type=\"Presets\"><Preset id=\"" + userPath
                                                        + "/Warm\"/></FAVLIST></FAVORITES>"));
            std::optional<OtherFileSystem> mounted;
            if (! userFolderOnto (onto, mounted, notMounted))
                continue;
            alerts.clear();
            auto manager = openWithEditor();
            const juce::String shownAs (*renamedHere != 0 ? renamedHere : "Warm");
            juce::WeakReference<PresetManager::FileRepresentingItem> clicked;
            {
                std::optional<Korvalden::Misc::SaveLock> otherProgram;
                if (waits)
                {
                    ASSERT_FALSE (otherProgram.emplace (file).wasRefused());
                }
                fileItem (*manager, userPath + "/Round")->setFavorite (true);
                // What follows waits for the next turn, all in one.
                EXPECT_TRUE (! waits || untilASaveWaitsForTheLockOf (file.getParentDirectory()));
                ASSERT_TRUE (*renamedHere == 0 || fileItem (*manager, userPath + "/Warm")->moveOrRename (renamedHere, 0));
                if (savesFirst)
                    manager->savePreset();
                auto* row = fileItem (*manager, userPath + "/" + shownAs);
                clicked = row;
                if (waits)
                    row->setFavorite (on);
                ASSERT_TRUE (program (user.getChildFile (shownAs + ".prs")));
                if (! waits)
                    row->setFavorite (on);
                runOut();
                if (clickedAgain)
                {
                    row->setFavorite (! on);
                    runOut();
                }
            }
            saveUntilLanded (*manager);
            EXPECT_EQ (inFile(), juce::String (expectedInFile));
            ASSERT_EQ (alerts.size(), told ? 1 : 0) << alerts.joinIntoString ("\n");
            if (waits)
                EXPECT_TRUE (! told || (alerts[0].startsWith ("Changed by Another Program: Another program renamed, moved or deleted the preset before the star "
                                                              "was saved, so the star just set on \"Warm\" is not kept.\n\nThe folder \"")
                                        && alerts[0].endsWith ("\" now shows what it holds.")))
                    << alerts[0];
            else
                EXPECT_TRUE (! told || (alerts[0].startsWith ("Changed by Another Program: Another program renamed, moved or deleted \"" + shownAs + "\"")
                                        && alerts[0].endsWith ("\" now shows what it holds.")))
                    << alerts[0];
            // Its folder shows what it holds: the row of a preset that went
            // is gone (another row may show what lies at its name now).  Left
            // alone, the row the star waited at stays.
            auto* row = dynamic_cast<PresetManager::FileItem*> (clicked.get());
            if (told || (waits && ! clickedAgain))
            {
                ASSERT_EQ (row == nullptr, told);
            }
            EXPECT_TRUE (told || ! waits || clickedAgain || row->isFavorite() == on);
            EXPECT_EQ (manager->getFavoriteList().getNumSubItems(), (on != clickedAgain) && ! told ? 2 : 1);
            for (auto name : { juce::String ("Twin"), juce::String ("Evil"), juce::String (told ? "Warmer" : "Twin"), told ? shownAs : "Twin" })
                if (auto* other = fileItem (*manager, userPath + "/" + name))
                {
                    EXPECT_FALSE (other->isFavorite()) << name;
                }
        }
    if (! notMounted.isEmpty())
        GTEST_SKIP() << "cannot be mounted here: " << notMounted.joinIntoString ("; ");
}

TEST_F (Favorites, aStarThatWaitsFollowsItsPresetWhereverTheUserRenamesMovesOrDeletesItHere)
{
    // Another program holds the lock while the user stars a preset, and the
    // turn that waits for it takes the star; then the user renames or moves
    // that preset or its folder here, or deletes it, or puts another preset
    // onto its name.  Once the lock is let go, the star lands where the
    // preset went, told as nothing: no other program touched it.  Also on an
    // ext4 without birth times, where a rename stamps the file anew, and in
    // an overlay's lower layer, from which a rename copies the file up.
    using Here = std::function<bool (PresetManager& manager)>;
    const auto renamed = [this] (const char* from, const char* to)
    {
        return [this, from, to] (PresetManager& manager)
        {
            auto* shown = dynamic_cast<PresetManager::FileRepresentingItem*> (item (manager, userPath + "/" + from));
            return shown != nullptr && shown->moveOrRename (to, 0);
        };
    };
    struct Case
    {
        const char* what;
        const char* starred;
        Here here;
        const char* inFile;
        /** Before the star, the user saves the sound as a new preset. */
        bool savesFirst = false;
        /** An overlay renames no folder of its lower layer. */
        bool renamesAFolder = false;
    };
    const Case cases[] {
        { "renamed", "Warm", renamed ("Warm", "Hot"), "Hot" },
        { "renamed twice", "Warm", [renamed] (PresetManager& manager) { return renamed ("Warm", "Hot") (manager) && renamed ("Hot", "Hotter") (manager); },
          "Hotter" },
        { "moved into a folder", "Warm", [this] (PresetManager& manager)
          {
              dynamic_cast<PresetManager::DirectoryItem*> (item (manager, userPath + "/Pads"))->acceptItem (fileItem (manager, userPath + "/Warm"));
              return fileItem (manager, userPath + "/Pads/Warm") != nullptr;
          },
          "Pads/Warm" },
        { "its folder renamed", "Pads/Air", renamed ("Pads", "Keys"), "Keys/Air", false, true },
        { "saved here, then renamed", "New Preset", renamed ("New Preset", "Fresh"), "Fresh", true },
        { "deleted", "Warm", [this] (PresetManager& manager) { return fileItem (manager, userPath + "/Warm")->deleteItem(); }, "" },
        { "replaced by Mild renamed onto its name", "Warm", [this] (PresetManager& manager)
          {
              client.answer = FakeClient::Answer::overwrite;
              return fileItem (manager, userPath + "/Mild")->moveOrRename ("Warm", 0);
          },
          "Warm" },
    };
    juce::StringArray notMounted;
    for (const auto onto : { std::optional<OtherFileSystem::Kind>(), std::optional (OtherFileSystem::Kind::withoutBirthTimes),
                             std::optional (OtherFileSystem::Kind::layered) })
        for (const auto& [what, starred, here, expectedInFile, savesFirst, renamesAFolder] : cases)
        {
            if (renamesAFolder && onto == OtherFileSystem::Kind::layered)
                continue;
            SCOPED_TRACE (juce::String (! onto.has_value() ? "" : *onto == OtherFileSystem::Kind::layered ? "lower layer: " : "no birth times: ") + what);
            for (auto name : { "Warm", "Hot", "Hotter", "Mild", "Fresh", "New Preset", "Pads/Warm" })
                user.getChildFile (name + juce::String (".prs")).deleteFile();
            user.getChildFile ("Keys").moveFileTo (user.getChildFile ("Pads"));
            addPreset (user, "Warm", "warm");
            addPreset (user, "Mild", "mild");
            addPreset (user, "Pads/Air", "air");
            file.deleteFile();
            client.answer = FakeClient::Answer::later;
            std::optional<OtherFileSystem> mounted;
            if (! userFolderOnto (onto, mounted, notMounted))
                continue;
            alerts.clear();
            auto manager = openWithEditor();
            if (savesFirst)
                manager->savePreset();
            {
                Korvalden::Misc::SaveLock otherProgram (file);
                ASSERT_FALSE (otherProgram.wasRefused());
                fileItem (*manager, userPath + "/" + starred)->setFavorite (true);
                ASSERT_TRUE (untilASaveWaitsForTheLockOf (file.getParentDirectory()));
                if (onto == OtherFileSystem::Kind::withoutBirthTimes)
                    untilASecondBegins(); // a rename stamps the file anew
                ASSERT_TRUE (here (*manager));
            }
            saveUntilLanded (*manager);
            EXPECT_EQ (inFile(), juce::String (expectedInFile));
            EXPECT_TRUE (alerts.isEmpty()) << alerts.joinIntoString ("\n");
            const bool kept = *expectedInFile != 0;
            EXPECT_EQ (manager->getFavoriteList().getNumSubItems(), kept ? 1 : 0);
            EXPECT_TRUE (! kept || fileItem (*manager, userPath + "/" + expectedInFile)->isFavorite());
            EXPECT_EQ (readAgain().size(), kept ? 1 : 0);
        }
    if (! notMounted.isEmpty())
        GTEST_SKIP() << "cannot be mounted here: " << notMounted.joinIntoString ("; ");
}

TEST (FavoriteChanges, aStarTakenToBeSavedFollowsOnlyWhatThisInstanceDidToItsOwnPresetSinceItKnewIt)
{
    // A turn took the star of Warm; this instance moved a preset from Warm's
    // path into Pads (or deleted it), perhaps only while the turn looked for
    // Warm, which is then no longer where the star knew it.
    using Korvalden::Misc::FavoriteChanges;
    using Identity = Korvalden::Misc::PresetFileSystem::Identity;
    Identity warm, other;
    warm.device = other.device = 1;
    warm.inode = other.inode = 7;
    warm.bornKnown = other.bornKnown = true;
    warm.bornSeconds = 100;
    other.bornSeconds = 200; // a new file with Warm's number, which the tree found there
    const juce::File was ("/presets/Warm.prs"), moved ("/presets/Pads/Warm.prs");
    const juce::String id = userPath + "/Warm";
    struct Case
    {
        const char* what;
        bool movedBeforeTheStar, movedWhileLooking, deleted;
        const Identity* before;
        const char* landsAt; // empty: gone, told
    };
    for (const auto& [what, movedBeforeTheStar, movedWhileLooking, deleted, before, landsAt] :
         { Case { "moved", false, false, false, &warm, "Pads/Warm" },
           Case { "moved while the turn looked for it", false, true, false, &warm, "Pads/Warm" },
           Case { "deleted", false, false, true, &warm, "" },
           Case { "another file moved from its path", false, false, false, &other, "" },
           Case { "moved before the star knew it", true, false, false, &warm, "" } })
    {
        SCOPED_TRACE (what);
        FavoriteChanges::OwnMove move { id, deleted ? juce::String() : userPath + "/Pads/Warm", was, deleted ? juce::File() : moved, *before, warm };
        if (movedBeforeTheStar)
            move.order = FavoriteChanges::nextOrder();
        FavoriteChanges changes;
        changes.marked (id, true, { was, warm, nullptr });
        if (! movedBeforeTheStar)
            move.order = FavoriteChanges::nextOrder();
        int asked = 0;
        const bool whileLooking = movedWhileLooking; // a binding is no variable a lambda may take
        const auto gone = changes.followPresets ([&] (const FavoriteChanges::Identity& preset) { return preset.file == moved ? moved : juce::File(); },
                                                 [&]
                                                 {
                                                     const bool made = ++asked > 1 || ! whileLooking;
                                                     return made ? std::vector<FavoriteChanges::OwnMove> { move } : std::vector<FavoriteChanges::OwnMove>();
                                                 });
        const auto left = changes.inOrder();
        const bool followed = *landsAt != 0;
        EXPECT_EQ (gone.size(), ! followed && ! deleted ? 1u : 0u);
        ASSERT_EQ (left.size(), followed ? 1u : 0u);
        EXPECT_TRUE (! followed || (left[0].id == userPath + "/" + landsAt && left[0].on));
    }
}
