#include "PresetTestSupport.h"

#include "presets/PresetFileSystem.h"

#include <functional>
#include <unistd.h>

using namespace PresetTestSupport;
namespace fs = Korvalden::Misc::PresetFileSystem;

namespace
{
/** An editor that lends only its name label. */
struct LabelOnly : public PresetManager::ControlButtonSet
{
    juce::Label label;
    juce::Button* getControlButton (int) override { return nullptr; }
    juce::Label* getPresetNameLabel() override { return &label; }
};

class PresetFolderReading : public PresetFolders
{
protected:
    /** How often each folder on disk (by its resolved path) is shown below the item. */
    static void countFolders (const juce::TreeViewItem& item, std::map<juce::String, int>& counts)
    {
        for (int index = 0; index < item.getNumSubItems(); ++index)
            if (auto* folder = dynamic_cast<PresetManager::DirectoryItem*> (item.getSubItem (index)))
            {
                ++counts[fs::resolvedPath (folder->getFile())];
                countFolders (*folder, counts);
            }
    }

    /** What two editors opened one after the other are told, as "title: text" lines. */
    static juce::String alertsToEditors (PresetManager& manager)
    {
        juce::StringArray alerts;
        manager.setFailureAlert ([&alerts] (const juce::String& title, const juce::String& text) { alerts.add (title + ": " + text); });
        LabelOnly editor, secondEditor;
        manager.setControlButtonSet (&editor);
        manager.setControlButtonSet (&secondEditor);
        return alerts.joinIntoString ("\n");
    }

    static int countItems (const juce::TreeViewItem& item)
    {
        int count = item.getNumSubItems();
        for (int index = 0; index < item.getNumSubItems(); ++index)
            count += countItems (*item.getSubItem (index));
        return count;
    }
};
} // namespace

TEST_F (PresetFolderReading, eachFolderOnDiskIsReadOnceAndAtItsOwnPlaceWhateverLinksLeadToIt)
{
    // A pack of twelve levels, each with two links to the next: a walk that
    // follows every link reads the last level 4096 times.
    constexpr int levels = 12;
    auto pack = base.getChildFile ("pack");
    for (int level = 0; level <= levels; ++level)
        addPreset (pack, "Level" + juce::String (level) + "/Sound " + juce::String (level), "level " + juce::String (level));
    for (int level = 1; level <= levels; ++level)
        for (auto name : { "A", "B" })
        {
            ASSERT_TRUE (pack.getChildFile ("Level" + juce::String (level))
                             .createSymbolicLink (pack.getChildFile ("Level" + juce::String (level - 1) + "/" + name), false));
        }
    ASSERT_TRUE (pack.getChildFile ("Level0").createSymbolicLink (user.getChildFile ("Pack"), false));

    // A folder of the tree itself, and a link to it that sorts before it.
    addPreset (user, "Bass/Deep", "deep");
    ASSERT_TRUE (user.getChildFile ("Bass").createSymbolicLink (user.getChildFile ("Alias"), false));

    auto manager = makeManager();
    std::map<juce::String, int> counts;
    countFolders (manager->getFileTreeRoot(), counts);
    EXPECT_EQ (counts.size(), (size_t) (levels + 3));
    for (auto& [folder, count] : counts)
        EXPECT_EQ (count, 1) << folder;

    EXPECT_NE (fileItem (*manager, userPath + "/Bass/Deep"), nullptr);
    EXPECT_EQ (item (*manager, userPath + "/Alias"), nullptr);
    EXPECT_NE (fileItem (*manager, userPath + "/Pack/Sound 0"), nullptr);
    EXPECT_NE (fileItem (*manager, userPath + "/Pack/A/Sound 1"), nullptr);
    EXPECT_EQ (item (*manager, userPath + "/Pack/B"), nullptr);
    EXPECT_EQ (countItems (*manager->getUserFolderItem()), 2 * (levels + 1) + 2);

    // Stepping walks every preset once and comes back to the first.
    manager->selectPresetByPath ("*");
    for (int step = 0; step < levels + 2; ++step)
        manager->stepPreset (manager->getCurrentItem(), false);
    ASSERT_EQ (client.loaded.size(), levels + 3);
    EXPECT_EQ (client.loaded[0], "deep");
    EXPECT_EQ (client.loaded[1], "level " + juce::String (levels));
    EXPECT_EQ (client.loaded[levels + 1], "level 0");
    EXPECT_EQ (client.loaded[levels + 2], "deep");
}

TEST_F (PresetFolderReading, aTreeHoldsAtMostItsItemLimitAndShowsItsTopLevelWhole)
{
    // Many names for a few files cost no space (a file takes some 65000).
    auto many = user.getChildFile ("Many");
    constexpr int limit = PresetManager::DirectoryItem::maxItemsPerTree;
    constexpr int namesPerFile = 50000;
    juce::File original;
    for (int i = 0; i < limit; ++i)
    {
        if (i % namesPerFile == 0)
            original = addPreset (many, "Sound", "sound " + juce::String (i / namesPerFile));
        ASSERT_EQ (::link (original.getFullPathName().toRawUTF8(),
                           many.getChildFile ("Sound " + juce::String (i) + ".prs").getFullPathName().toRawUTF8()), 0);
    }
    addPreset (user, "Top", "top");
    addPreset (user, "Zebra/Inside", "inside");

    auto manager = makeManager();
    EXPECT_EQ (countItems (*manager->getUserFolderItem()), limit);
    EXPECT_NE (fileItem (*manager, userPath + "/Top"), nullptr);
    EXPECT_NE (item (*manager, userPath + "/Zebra"), nullptr);

    // What is missing is told, naming the limit and the folder where it was
    // reached: to an editor once per instance, whenever one first opens.
    EXPECT_EQ (alertsToEditors (*manager), "Presets Not Shown: The browser shows at most 150000 presets and folders. "
                                           "It stopped in User Presets/Many; the presets after that are not shown.");
}

TEST_F (PresetFolderReading, aFolderOneLevelBelowTheDepthLimitIsNotReadAndThatIsTold)
{
    constexpr int limit = PresetManager::DirectoryItem::maxFolderDepth;
    auto levelsBelow = [] (juce::File folder, int from, int to)
    {
        for (int level = from; level <= to; ++level)
            folder = folder.getChildFile ("L" + juce::String (level));
        return folder;
    };
    auto levelPath = [] (int to)
    {
        juce::String path = userPath;
        for (int level = 1; level <= to; ++level)
            path += "/L" + juce::String (level);
        return path;
    };

    const struct
    {
        const char* name;
        std::function<void (const juce::File& user, const juce::File& outside)> build;
        bool deeperFolderExists;
    } cases[] = {
        { "folders one inside the other",
          [&] (const juce::File& top, const juce::File&) {
              for (int level = 1; level <= limit + 1; ++level)
                  addPreset (levelsBelow (top, 1, level), "Sound", "level " + juce::String (level));
          },
          true },
        { "the last levels through a link",
          [&] (const juce::File& top, const juce::File& outside) {
              for (int level = 1; level < limit; ++level)
                  addPreset (levelsBelow (top, 1, level), "Sound", "level " + juce::String (level));
              addPreset (outside, "Sound", "level " + juce::String (limit));
              addPreset (outside.getChildFile ("L" + juce::String (limit + 1)), "Sound", "level " + juce::String (limit + 1));
              ASSERT_TRUE (outside.createSymbolicLink (levelsBelow (top, 1, limit), false));
          },
          true },
        { "only a link back up at the last level",
          [&] (const juce::File& top, const juce::File&) {
              for (int level = 1; level <= limit; ++level)
                  addPreset (levelsBelow (top, 1, level), "Sound", "level " + juce::String (level));
              ASSERT_TRUE (top.createSymbolicLink (levelsBelow (top, 1, limit).getChildFile ("Up"), false));
          },
          false },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        user.deleteRecursively();
        user.createDirectory();
        const auto outside = base.getChildFile ("outside");
        outside.deleteRecursively();
        c.build (user, outside);

        auto manager = makeManager();
        ASSERT_NE (fileItem (*manager, levelPath (limit) + "/Sound"), nullptr);
        EXPECT_EQ (item (*manager, levelPath (limit + 1)), nullptr);
        EXPECT_EQ (item (*manager, levelPath (limit) + "/Up"), nullptr);

        const auto told = "Presets Not Shown: The browser reads folders at most 32 levels deep. "
                          "Folders below User Presets/L1/.../L30/L31/L32 are not shown.";
        EXPECT_EQ (alertsToEditors (*manager), c.deeperFolderExists ? told : "");
        const auto line = "the preset tree stops at 32 folder levels, reached in " + levelsBelow (user, 1, limit).getFullPathName()
                          + ": the folders below it are not read";
        EXPECT_EQ (manager->getTreeLimitsReached().joinIntoString ("\n"), c.deeperFolderExists ? line : "") << "as kest-host tells it";
    }
}
