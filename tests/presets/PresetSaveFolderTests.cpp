#include "PresetTestSupport.h"

#include <functional>

// Where Save writes: always into a folder of the user's tree that exists,
// never into a factory folder, however the folders changed or were reached.

using namespace PresetTestSupport;

namespace
{
class PresetSaveFolder : public PresetFolders
{
};
} // namespace

TEST_F (PresetSaveFolder, afterTheCurrentPresetsFolderIsDeletedSaveWritesIntoTheNearestFolderThatExists)
{
    const struct
    {
        const char* name;
        const char* preset;                           // loaded first: its folder is the save folder
        std::function<void (PresetManager&, const juce::File& user)> remove;
        const char* expectedFolder;                   // below the user folder
    } cases[] = {
        { "through the tree, once emptied", "Bass/Deep",
          [] (PresetManager& manager, const juce::File&) {
              ASSERT_TRUE (dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath (userPath + "/Bass/Deep"))->deleteItem());
              ASSERT_TRUE (dynamic_cast<PresetManager::DirectoryItem*> (manager.findItemByPath (userPath + "/Bass"))->deleteItem());
          },
          "" },
        { "outside, with the folder above it", "Bass/Sub/Deep",
          [] (PresetManager&, const juce::File& top) { ASSERT_TRUE (top.getChildFile ("Bass").deleteRecursively()); }, "" },
        { "outside, the folder alone", "Bass/Sub/Deep",
          [] (PresetManager&, const juce::File& top) { ASSERT_TRUE (top.getChildFile ("Bass/Sub").deleteRecursively()); }, "Bass" },
        { "outside, the user folder itself", "Bass/Deep",
          [] (PresetManager&, const juce::File& top) { ASSERT_TRUE (top.deleteRecursively()); }, "" },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        user.deleteRecursively();
        user.createDirectory();
        addPreset (user, c.preset, "loaded");
        auto manager = makeManager();
        manager->selectPresetByPath (userPath + "/" + c.preset);
        ASSERT_EQ (manager->getCurrentFolder()->getFile(), user.getChildFile (c.preset).getParentDirectory());
        c.remove (*manager, user);

        client.sound = c.name;
        manager->savePreset();
        const auto folder = juce::String (c.expectedFolder).isEmpty() ? user : user.getChildFile (c.expectedFolder);
        const auto folderPath = userPath + (juce::String (c.expectedFolder).isEmpty() ? "" : "/" + juce::String (c.expectedFolder));
        EXPECT_EQ (folder.getChildFile ("New Preset.prs").loadFileAsString(), juce::String (c.name));
        EXPECT_EQ (snapshot (user).size(), folder == user ? 1u : 2u) << "nothing deleted comes back";
        EXPECT_EQ (currentPath (*manager), folderPath + "/New Preset");
        EXPECT_EQ (manager->getStateItems().folderPath, folderPath);
    }
}

TEST_F (PresetSaveFolder, aFactoryFolderNeverBecomesTheSaveFolderWhicheverWayItIsReached)
{
    addPreset (factory, "Bass/Deep", "deep");
    addPreset (factory, "Lead", "lead");
    addPreset (user, "Pads/Air", "air");
    const auto factoryBefore = snapshot (factory);
    auto factoryBass = [] (PresetManager& manager) {
        return dynamic_cast<PresetManager::DirectoryItem*> (manager.findItemByPath (factoryPath + "/Bass"));
    };

    const struct
    {
        const char* name;
        std::function<void (PresetManager&)> reach;
    } cases[] = {
        { "a click on the factory folder", [] (PresetManager& m) { m.getFactoryFolderItem()->activate(); } },
        { "a click on a folder inside it", [&] (PresetManager& m) { factoryBass (m)->activate(); } },
        { "the folder handed over directly", [&] (PresetManager& m) { m.setCurrentFolder (factoryBass (m)); } },
        { "its path", [] (PresetManager& m) { m.setActiveFolderByPath (factoryPath + "/Bass"); } },
        { "a restored state naming it",
          [] (PresetManager& m) { m.restoreStateItems ({ nullptr, factoryPath + "/Bass/Deep", factoryPath + "/Bass", false }, false); } },
        { "loading a preset inside it", [] (PresetManager& m) { m.selectPresetByPath (factoryPath + "/Bass/Deep"); } },
        { "loading that preset's favourite",
          [] (PresetManager& m) {
              dynamic_cast<PresetManager::FileItem*> (m.findItemByPath (factoryPath + "/Bass/Deep"))->setFavorite (true);
              m.findItemByPath ("/Favorites/Deep")->activate();
          } },
        { "stepping into it from the last user preset",
          [] (PresetManager& m) {
              m.selectPresetByPath (userPath + "/Pads/Air");
              m.stepPreset (m.getCurrentItem(), false);
          } },
        { "a new folder made inside it", [&] (PresetManager& m) { EXPECT_EQ (factoryBass (m)->createSubFolder(), nullptr); } },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        auto manager = makeManager();
        manager->setActiveFolderByPath (userPath + "/Pads");
        auto* pads = manager->getCurrentFolder();
        ASSERT_EQ (pads, manager->findItemByPath (userPath + "/Pads"));

        c.reach (*manager);
        EXPECT_EQ (manager->getCurrentFolder(), pads);
        EXPECT_EQ (manager->getStateItems().folderPath, userPath + "/Pads");

        manager->savePreset();
        EXPECT_TRUE (user.getChildFile ("Pads/New Preset.prs").existsAsFile());
        EXPECT_EQ (snapshot (factory), factoryBefore);
        user.getChildFile ("Pads/New Preset.prs").deleteFile();
    }
}
