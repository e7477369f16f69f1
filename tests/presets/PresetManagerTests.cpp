#include "PresetTestSupport.h"

#include "platform/ApplicationSupport.h"
#include "platform/BundleResources.h"
#include "presets/PresetFileSystem.h"
#include "tests/support/NoPermissionOverride.h"

#include <cstdlib>
#include <sys/stat.h>

using namespace PresetTestSupport;

namespace
{
class PresetManagerTest : public PresetFolders
{
};
} // namespace

TEST_F (PresetManagerTest, savesUnderTheDefaultNameThenNumberedNamesAndAPendingNameWhileNoPresetIsCurrent)
{
    auto manager = makeManager();
    ASSERT_EQ (manager->getCurrentItem(), nullptr);
    ASSERT_EQ (manager->getPendingPresetName(), "");

    // A fresh instance saves under the default name, never as ".prs".
    client.sound = "first";
    manager->savePreset();
    EXPECT_EQ (user.getChildFile ("New Preset.prs").loadFileAsString(), "first");
    EXPECT_FALSE (user.getChildFile (".prs").exists());
    EXPECT_EQ (currentPath (*manager), userPath + "/New Preset");
    EXPECT_FALSE (manager->isPresetModified());

    client.sound = "second";
    manager->savePreset();
    EXPECT_EQ (user.getChildFile ("New Preset(2).prs").loadFileAsString(), "second");
    EXPECT_EQ (currentPath (*manager), userPath + "/New Preset(2)");

    // A restored path whose file has gone leaves its name for the next save.
    manager->selectPresetByPath (userPath + "/Gone");
    EXPECT_EQ (manager->getCurrentItem(), nullptr);
    EXPECT_EQ (manager->getDisplayName(), "*Gone");
    manager->savePreset();
    EXPECT_TRUE (user.getChildFile ("Gone.prs").existsAsFile());
    manager->savePreset(); // a preset is current now: the default name again
    EXPECT_TRUE (user.getChildFile ("New Preset(3).prs").existsAsFile());

    // A pending name that would leave the folder falls back to the default.
    for (auto name : { "..", "." })
    {
        manager->selectPresetByPath (userPath + "/" + name);
        manager->savePreset();
    }
    EXPECT_TRUE (user.getChildFile ("New Preset(4).prs").existsAsFile());
    EXPECT_TRUE (user.getChildFile ("New Preset(5).prs").existsAsFile());
    EXPECT_FALSE (base.getChildFile ("...prs").exists());
    EXPECT_EQ (snapshot (user).size(), 6u);
}

TEST_F (PresetManagerTest, theFactoryFolderIsNeverWrittenAndNeverBecomesActive)
{
    addPreset (factory, "Bass/Deep", "deep");
    addPreset (factory, "Lead", "lead");
    const auto before = snapshot (factory);

    auto manager = makeManager();
    ASSERT_NE (manager->getFactoryFolderItem(), nullptr);
    EXPECT_TRUE (manager->getFactoryFolderItem()->isReadOnly());

    manager->setActiveFolderByPath (factoryPath + "/Bass");
    EXPECT_EQ (manager->getCurrentFolder(), manager->getUserFolderItem());

    manager->selectPresetByPath (factoryPath + "/Bass/Deep");
    EXPECT_EQ (client.sound, "deep");
    EXPECT_EQ (manager->getCurrentFolder(), manager->getUserFolderItem());

    manager->savePreset();
    EXPECT_TRUE (user.getChildFile ("New Preset.prs").existsAsFile());

    auto* deep = fileItem (*manager, factoryPath + "/Bass/Deep");
    ASSERT_NE (deep, nullptr);
    EXPECT_FALSE (deep->moveOrRename ("Other", 2));
    EXPECT_FALSE (deep->deleteItem());
    EXPECT_FALSE (deep->isMovable());
    auto* bass = dynamic_cast<PresetManager::DirectoryItem*> (item (*manager, factoryPath + "/Bass"));
    ASSERT_NE (bass, nullptr);
    EXPECT_EQ (bass->createSubFolder(), nullptr);
    EXPECT_FALSE (bass->canAcceptItem (manager->getUserFolderItem()));
    EXPECT_EQ (snapshot (factory), before);
}

TEST_F (PresetManagerTest, withoutAFactoryFolderThereIsNoFactoryItemAndAMissingUserFolderIsCreated)
{
    user.deleteRecursively();
    auto manager = makeManager();
    EXPECT_EQ (manager->getFactoryFolderItem(), nullptr);
    EXPECT_TRUE (user.isDirectory());
    EXPECT_EQ (manager->getFileTreeRoot().getNumSubItems(), 1);

    // The user folder itself is never renamed, moved or deleted, even empty.
    EXPECT_FALSE (manager->getUserFolderItem()->moveOrRename ("Elsewhere", 2));
    EXPECT_FALSE (manager->getUserFolderItem()->deleteItem());
    EXPECT_FALSE (manager->getUserFolderItem()->isMovable());
    EXPECT_TRUE (user.isDirectory());
}

TEST_F (PresetManagerTest, foldersAndPresetsComeFromThePlatformFolders)
{
    // The second entry of the computer-wide list holds the factory presets.
    auto shared = base.getChildFile ("shared");
    addPreset (shared, "Korvalden/Presets/Kest/Pads/Air", "air");
    const auto dataHome = base.getChildFile ("home");
    const auto oldDirs = juce::SystemStats::getEnvironmentVariable ("XDG_DATA_DIRS", {});
    const auto oldHome = juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {});
    ::setenv ("XDG_DATA_DIRS", (base.getChildFile ("none").getFullPathName() + ":" + shared.getFullPathName()).toRawUTF8(), 1);
    ::setenv ("XDG_DATA_HOME", dataHome.getFullPathName().toRawUTF8(), 1);

    {
        PresetManager manager (&client, "Kest");
        EXPECT_EQ (manager.getFactoryRoot(), shared.getChildFile ("Korvalden/Presets/Kest"));
        EXPECT_EQ (manager.getUserRoot(), dataHome.getChildFile ("Korvalden/Presets/Kest"));
        EXPECT_TRUE (manager.getUserRoot().isDirectory());
        manager.selectPresetByPath ("*");
        EXPECT_EQ (currentPath (manager), factoryPath + "/Pads/Air");
    }

    ::setenv ("XDG_DATA_DIRS", oldDirs.toRawUTF8(), 1);
    ::setenv ("XDG_DATA_HOME", oldHome.toRawUTF8(), 1);
}

TEST_F (PresetManagerTest, aBundleThatWasNeverInstalledOffersThePresetsItCarries)
{
    auto resources = base.getChildFile ("Kest.aaxplugin/Contents/Resources");
    addPreset (resources, "Korvalden/Presets/Kest/Keys/Organ", "organ");
    Korvalden::Platform::setResourceFolderForTesting (resources);
    EXPECT_EQ (PresetManager::getFactoryRootFor ("Kest"), resources.getChildFile ("Korvalden/Presets/Kest"));

    // An installed copy comes first.
    auto shared = juce::File (juce::SystemStats::getEnvironmentVariable ("XDG_DATA_DIRS", {})).getChildFile ("Korvalden/Presets/Kest");
    ASSERT_TRUE (shared.createDirectory().wasOk());
    EXPECT_EQ (PresetManager::getFactoryRootFor ("Kest"), shared);
    shared.getParentDirectory().getParentDirectory().deleteRecursively();
    Korvalden::Platform::setResourceFolderForTesting ({});
    EXPECT_EQ (PresetManager::getFactoryRootFor ("Kest"), PresetManager::getFactoryBaseFolder().getChildFile ("Kest"));
}

TEST_F (PresetManagerTest, steppingWalksTheTreeInDisplayOrderSkipsEmptyFoldersAndWraps)
{
    addPreset (factory, "Bass/Round", "round");
    addPreset (factory, "Bass/Deep", "deep");
    factory.getChildFile ("Empty").createDirectory();
    addPreset (factory, "Lead", "lead");
    user.getChildFile ("Nothing/Inside").createDirectory();
    addPreset (user, "Pads/Air", "air");
    addPreset (user, "Warm", "warm");

    auto manager = makeManager();
    manager->selectPresetByPath ("*");
    ASSERT_EQ (client.sound, "deep");

    for (int step = 0; step < 5; ++step)
        manager->stepPreset (manager->getCurrentItem(), false);
    EXPECT_EQ (client.loaded.joinIntoString (" "), "deep round lead air warm deep");

    client.loaded.clear();
    manager->stepPreset (manager->getCurrentItem(), true);
    manager->stepPreset (manager->getCurrentItem(), true);
    EXPECT_EQ (client.loaded.joinIntoString (" "), "warm air");
    EXPECT_EQ (manager->getCurrentFolder(), item (*manager, userPath + "/Pads"));
}

TEST_F (PresetManagerTest, steppingInATreeWithoutPresetsDoesNothing)
{
    user.getChildFile ("A/B").createDirectory();
    user.getChildFile ("C").createDirectory();
    auto manager = makeManager();
    manager->stepPreset (dynamic_cast<PresetManager::PresetTreeItemBase*> (item (*manager, userPath + "/A/B")), false);
    manager->activateFirstOrLastPreset (manager->getUserFolderItem(), true);
    manager->selectPresetByPath ("*");
    EXPECT_TRUE (client.loaded.isEmpty());
    EXPECT_EQ (manager->getCurrentItem(), nullptr);
}

TEST_F (PresetManagerTest, steppingPassesPresetsThatDoNotLoad)
{
    addPreset (user, "A", "a");
    ASSERT_EQ (::mkfifo (user.getChildFile ("B.prs").getFullPathName().toRawUTF8(), 0644), 0);
    addPreset (user, "C", juce::String::repeatedString ("c", (int) Korvalden::Misc::PresetFileSystem::maxFileBytes + 1));
    ASSERT_TRUE (base.getChildFile ("nowhere").createSymbolicLink (user.getChildFile ("D.prs"), false));
    addPreset (user, "E", "e");
    auto manager = makeManager();
    fileItem (*manager, userPath + "/A")->setFavorite (true);
    fileItem (*manager, userPath + "/B")->setFavorite (true);
    fileItem (*manager, userPath + "/E")->setFavorite (true);

    manager->selectPresetByPath (userPath + "/A");
    manager->stepPreset (manager->getCurrentItem(), false);
    EXPECT_EQ (currentPath (*manager), userPath + "/E");
    manager->stepPreset (manager->getCurrentItem(), true);
    EXPECT_EQ (currentPath (*manager), userPath + "/A");
    manager->stepPreset (manager->getCurrentItem(), true); // wrapping round
    EXPECT_EQ (currentPath (*manager), userPath + "/E");

    manager->findItemByPath ("/Favorites/A")->activate();
    manager->stepPreset (manager->getCurrentItem(), false);
    EXPECT_EQ (currentPath (*manager), "/Favorites/E");
    EXPECT_EQ (client.loaded.joinIntoString (" "), "a e a e a e");

    // The first preset of the tree is found past them too.
    ASSERT_TRUE (fileItem (*manager, userPath + "/A")->deleteItem());
    client.loaded.clear();
    manager->selectPresetByPath ("*");
    EXPECT_EQ (currentPath (*manager), userPath + "/E");
    EXPECT_EQ (client.loaded.joinIntoString (" "), "e");
}

TEST_F (PresetManagerTest, steppingPassesAPresetThatCannotBeOpened)
{
    addPreset (user, "A", "a");
    auto locked = addPreset (user, "B", "b");
    addPreset (user, "C", "c");
    ASSERT_EQ (::chmod (locked.getFullPathName().toRawUTF8(), 0), 0);
    const NoPermissionOverride heldToPermissions;
    ASSERT_FALSE (juce::FileInputStream (locked).openedOk());

    auto manager = makeManager();
    manager->selectPresetByPath (userPath + "/A");
    manager->stepPreset (manager->getCurrentItem(), false);
    EXPECT_EQ (currentPath (*manager), userPath + "/C");
    manager->stepPreset (manager->getCurrentItem(), true);
    EXPECT_EQ (currentPath (*manager), userPath + "/A");
}

TEST_F (PresetManagerTest, steppingFromAFavouriteStaysAmongTheFavouritesAndWraps)
{
    addPreset (user, "Bass/Deep", "deep");
    addPreset (user, "Bass/Round", "round");
    addPreset (user, "Warm", "warm");
    auto manager = makeManager();
    fileItem (*manager, userPath + "/Bass/Round")->setFavorite (true);
    fileItem (*manager, userPath + "/Warm")->setFavorite (true);

    manager->findItemByPath ("/Favorites/Round")->activate();
    EXPECT_EQ (currentPath (*manager), "/Favorites/Round");
    manager->stepPreset (manager->getCurrentItem(), false);
    EXPECT_EQ (currentPath (*manager), "/Favorites/Warm");
    manager->stepPreset (manager->getCurrentItem(), false);
    EXPECT_EQ (currentPath (*manager), "/Favorites/Round");
    manager->stepPreset (manager->getCurrentItem(), true);
    EXPECT_EQ (currentPath (*manager), "/Favorites/Warm");
    EXPECT_EQ (client.loaded.joinIntoString (" "), "round warm round warm");
}

TEST_F (PresetManagerTest, pathsMatchWholeExactNamesAndPreferTheKindLookedFor)
{
    addPreset (user, "Deep", "deep preset");
    addPreset (user, "Deep/Inner", "inner");
    user.getChildFile ("Pad").createDirectory();
    user.getChildFile ("Pads").createDirectory();
    addPreset (user, "Keys.v2/Soft", "soft");
    auto manager = makeManager();

    // A folder is named wholly; a path stored by the part before its last dot finds it too.
    for (auto path : { "/Keys.v2/Soft", "/Keys/Soft" })
    {
        client.sound = {};
        manager->selectPresetByPath (userPath + path);
        EXPECT_EQ (client.sound, "soft") << path;
        EXPECT_EQ (currentPath (*manager), userPath + "/Keys.v2/Soft");
    }
    manager->setActiveFolderByPath (userPath + "/Keys");
    EXPECT_EQ (manager->getCurrentFolder()->getFile(), user.getChildFile ("Keys.v2"));

    manager->selectPresetByPath (userPath + "/Deep");
    EXPECT_EQ (client.sound, "deep preset");
    manager->selectPresetByPath (userPath + "/Deep/Inner");
    EXPECT_EQ (client.sound, "inner");
    manager->selectPresetByPath (userPath + "/deep"); // names are compared exactly
    EXPECT_EQ (manager->getCurrentItem(), nullptr);
    EXPECT_EQ (manager->findItemByPath ("/PresetFilesX/User Presets/Deep"), nullptr);
    EXPECT_EQ (manager->findItemByPath (userPath + "//Deep"), nullptr);

    manager->setActiveFolderByPath (userPath + "/Deep");
    EXPECT_EQ (manager->getCurrentFolder(), item (*manager, userPath + "/Deep/Inner")->getParentItem());
    manager->setActiveFolderByPath (userPath + "/Pads");
    EXPECT_EQ (manager->getCurrentFolder()->getFile(), user.getChildFile ("Pads"));
    manager->setActiveFolderByPath (userPath + "/Pad");
    EXPECT_EQ (manager->getCurrentFolder()->getFile(), user.getChildFile ("Pad"));
    manager->setActiveFolderByPath (userPath + "/Pads/Gone");
    EXPECT_EQ (manager->getCurrentFolder()->getFile(), user.getChildFile ("Pads"));
    manager->setActiveFolderByPath (userPath + "/Padsx");
    EXPECT_EQ (manager->getCurrentFolder(), manager->getUserFolderItem());
}

TEST_F (PresetManagerTest, linksBackToAFolderOfTheWalkAreSkippedOthersAreRead)
{
    addPreset (user, "Sub/Inner", "inner");
    addPreset (base, "elsewhere/Far", "far");
    // createSymbolicLink is called on the link's target.
    ASSERT_TRUE (user.createSymbolicLink (user.getChildFile ("Sub/Up"), false));
    ASSERT_TRUE (user.createSymbolicLink (user.getChildFile ("Self"), false));
    ASSERT_TRUE (base.getChildFile ("elsewhere").createSymbolicLink (user.getChildFile ("Away"), false));

    auto manager = makeManager();
    EXPECT_EQ (item (*manager, userPath + "/Sub/Up"), nullptr);
    EXPECT_EQ (item (*manager, userPath + "/Self"), nullptr);
    EXPECT_NE (item (*manager, userPath + "/Sub/Inner"), nullptr);
    EXPECT_NE (item (*manager, userPath + "/Away/Far"), nullptr);
}

TEST_F (PresetManagerTest, theLabelShowsAStarForChangesAndTheButtonsFollowTheEditor)
{
    struct Buttons : public PresetManager::ControlButtonSet
    {
        juce::TextButton reload, previous, next;
        juce::Label label;
        juce::Button* getControlButton (int index) override
        {
            juce::Button* buttons[] = { &reload, &previous, &next, nullptr };
            return index >= 0 && index < 4 ? buttons[index] : nullptr;
        }
        juce::Label* getPresetNameLabel() override { return &label; }
    };

    addPreset (user, "Deep", "deep");
    addPreset (user, "Warm", "warm");
    auto manager = makeManager();
    auto buttons = std::make_unique<Buttons>();
    manager->setControlButtonSet (buttons.get());
    manager->handleUpdateNowIfNeeded();
    EXPECT_EQ (buttons->label.getText(), "*");

    // Without a current preset the step and reload buttons do nothing.
    manager->buttonClicked (&buttons->next);
    manager->buttonClicked (&buttons->reload);
    EXPECT_TRUE (client.loaded.isEmpty());

    manager->selectPresetByPath (userPath + "/Deep");
    manager->handleUpdateNowIfNeeded();
    EXPECT_EQ (buttons->label.getText(), "Deep");
    EXPECT_FALSE (buttons->reload.isEnabled());

    client.edit();
    manager->handleUpdateNowIfNeeded();
    EXPECT_EQ (buttons->label.getText(), "*Deep");
    EXPECT_TRUE (buttons->reload.isEnabled());

    client.sound = "edited";
    manager->buttonClicked (&buttons->reload);
    manager->handleUpdateNowIfNeeded();
    EXPECT_EQ (client.sound, "deep");
    EXPECT_EQ (buttons->label.getText(), "Deep");

    manager->buttonClicked (&buttons->next);
    manager->handleUpdateNowIfNeeded();
    EXPECT_EQ (buttons->label.getText(), "Warm");

    // The editor closes: its buttons go, the manager carries on.
    buttons.reset();
    client.edit();
    manager->handleUpdateNowIfNeeded();
    EXPECT_EQ (manager->getDisplayName(), "*Warm");
}

TEST_F (PresetManagerTest, aSavedPresetIsNamedInPlaceOverTheLabel)
{
    struct LabelOnly : public PresetManager::ControlButtonSet
    {
        juce::Label label;
        juce::Button* getControlButton (int) override { return nullptr; }
        juce::Label* getPresetNameLabel() override { return &label; }
    } editor;
    editor.label.setSize (200, 24);
    auto field = [&editor] { return dynamic_cast<juce::TextEditor*> (editor.label.getChildComponent (0)); };

    auto manager = makeManager();
    manager->setControlButtonSet (&editor);
    manager->savePreset();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20); // the field opens on a later turn
    ASSERT_NE (field(), nullptr);
    EXPECT_EQ (field()->getText(), "New Preset");
    EXPECT_EQ (field()->getBounds(), editor.label.getLocalBounds());

    // Only letters, digits, space and "_()." can be typed.
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20); // the field settles before typing
    field()->selectAll();
    field()->insertTextAtCaret ("My/Bass: 2");
    EXPECT_EQ (field()->getText(), "MyBass 2");
    field()->keyPressed (juce::KeyPress (juce::KeyPress::returnKey)); // heard on the next turn
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_EQ (user.getChildFile ("MyBass 2.prs").loadFileAsString(), "initial");
    EXPECT_FALSE (user.getChildFile ("New Preset.prs").exists());
    EXPECT_EQ (currentPath (*manager), userPath + "/MyBass 2");
    EXPECT_EQ (editor.label.getNumChildComponents(), 0);

    // An item deleted while its name is being edited is never reached.
    manager->savePreset();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    ASSERT_NE (field(), nullptr);
    ASSERT_TRUE (fileItem (*manager, userPath + "/New Preset")->deleteItem());
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    field()->selectAll();
    field()->insertTextAtCaret ("Late");
    field()->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_FALSE (user.getChildFile ("Late.prs").exists());
    EXPECT_EQ (editor.label.getNumChildComponents(), 0);
}

TEST_F (PresetManagerTest, markingTheSameStateTwiceRequestsOneRefresh)
{
    auto manager = makeManager();
    manager->setPresetUnmodified (true);
    manager->handleUpdateNowIfNeeded();
    client.edit();
    EXPECT_TRUE (manager->isUpdatePending());
    manager->handleUpdateNowIfNeeded();
    client.edit();
    EXPECT_FALSE (manager->isUpdatePending());
}

namespace
{
bool holds (const juce::TreeViewItem& parent, const juce::TreeViewItem* wanted)
{
    for (int index = 0; index < parent.getNumSubItems(); ++index)
        if (parent.getSubItem (index) == wanted || holds (*parent.getSubItem (index), wanted))
            return true;
    return false;
}

/** The current item is one the manager's trees still hold (or none). */
bool currentIsInTheTrees (PresetManager& manager)
{
    auto* current = manager.getCurrentItem();
    return current == nullptr || holds (manager.getFileTreeRoot(), current) || holds (manager.getFavoriteList(), current);
}
} // namespace

TEST_F (PresetManagerTest, aPresetThatCannotBeLoadedLeavesTheSoundAndTheCurrentPresetAsTheyWere)
{
    struct LabelOnly : public PresetManager::ControlButtonSet
    {
        juce::Label label;
        juce::Button* getControlButton (int) override { return nullptr; }
        juce::Label* getPresetNameLabel() override { return &label; }
    } editor;

    addPreset (user, "Deep", "deep");
    addPreset (user, "Pads/Broken", "broken bytes");
    addPreset (user, "Pads/Gone", "gone");
    auto manager = makeManager();
    manager->setControlButtonSet (&editor);
    fileItem (*manager, userPath + "/Pads/Broken")->setFavorite (true);
    manager->selectPresetByPath (userPath + "/Deep");
    client.edit();
    manager->handleUpdateNowIfNeeded();
    ASSERT_EQ (editor.label.getText(), "*Deep");
    user.getChildFile ("Pads/Gone.prs").deleteFile();

    // Refused bytes, a missing file, and the favourite of the refused one.
    for (auto path : { userPath + "/Pads/Broken", userPath + "/Pads/Gone", juce::String ("/Favorites/Broken") })
    {
        auto* preset = item (*manager, path);
        ASSERT_NE (preset, nullptr) << path;
        preset->activate();
        manager->handleUpdateNowIfNeeded();
        EXPECT_EQ (currentPath (*manager), userPath + "/Deep") << path;
        EXPECT_EQ (editor.label.getText(), "*Deep") << path;
        EXPECT_TRUE (manager->isPresetModified()) << path;
        EXPECT_EQ (client.sound, "deep") << path;
        EXPECT_EQ (manager->getCurrentFolder(), manager->getUserFolderItem()) << path;
    }
    EXPECT_FALSE (fileItem (*manager, userPath + "/Pads/Broken")->loadPreset());

    // A state naming it loads nothing and leaves no preset current, showing its name.
    manager->selectPresetByPath (userPath + "/Pads/Broken");
    EXPECT_EQ (manager->getCurrentItem(), nullptr);
    EXPECT_EQ (manager->getDisplayName(), "*Broken");
    EXPECT_EQ (client.sound, "deep");
    EXPECT_EQ (manager->getStateItems().presetPath, "");
}

TEST_F (PresetManagerTest, removingAFolderTakesTheCurrentPresetAndFolderOutOfItFirst)
{
    addPreset (user, "Bass/Deep", "deep");
    addPreset (user, "Bass/Sub/Low", "low");
    addPreset (user, "Warm", "warm");
    auto manager = makeManager();
    manager->selectPresetByPath (userPath + "/Bass/Sub/Low");
    ASSERT_EQ (manager->getCurrentFolder(), item (*manager, userPath + "/Bass/Sub"));

    // The folder was emptied outside, so it can go with its items.
    user.getChildFile ("Bass").deleteRecursively();
    user.getChildFile ("Bass").createDirectory();
    auto* bass = dynamic_cast<PresetManager::DirectoryItem*> (item (*manager, userPath + "/Bass"));
    ASSERT_TRUE (bass->deleteItem());
    ASSERT_TRUE (currentIsInTheTrees (*manager));
    EXPECT_EQ (currentPath (*manager), userPath + "/Warm");
    EXPECT_EQ (client.sound, "warm");
    EXPECT_EQ (manager->getCurrentFolder(), manager->getUserFolderItem());
    EXPECT_EQ (manager->getStateItems().presetPath, userPath + "/Warm");

    // With every preset below the folder, and a favourite of one loaded,
    // none is left current.
    addPreset (user, "Pads/Air", "air");
    user.getChildFile ("Warm.prs").deleteFile();
    auto second = makeManager();
    fileItem (*second, userPath + "/Pads/Air")->setFavorite (true);
    second->findItemByPath ("/Favorites/Air")->activate();
    ASSERT_EQ (currentPath (*second), "/Favorites/Air");
    user.getChildFile ("Pads/Air.prs").deleteFile();
    ASSERT_TRUE (dynamic_cast<PresetManager::DirectoryItem*> (item (*second, userPath + "/Pads"))->deleteItem());
    ASSERT_TRUE (currentIsInTheTrees (*second));
    EXPECT_EQ (second->getCurrentItem(), nullptr);
    EXPECT_EQ (second->getStateItems().presetPath, "");
}
