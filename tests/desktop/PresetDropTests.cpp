// Presets and folders dragged onto a folder of the tree as a user drags them:
// the tree draws the moved item inside its new folder, at its sorted place,
// at once, and the preset name follows a drop that renames the loaded preset.

#include "DesktopEditorFixture.h"

namespace
{
using Korvalden::Misc::PresetManager;

const juce::String userPath ("/PresetFiles/User Presets");

/** Every row of the folder tree that shows, in display order. */
void collectRows (juce::TreeViewItem& item, juce::Array<PresetManager::PresetTreeItemBase*>& rows)
{
    for (int i = 0; i < item.getNumSubItems(); ++i)
        if (auto* child = dynamic_cast<PresetManager::PresetTreeItemBase*> (item.getSubItem (i)))
        {
            if (child->getRowComponent() != nullptr && child->getRowComponent()->isShowing())
                rows.add (child);
            if (child->isOpen())
                collectRows (*child, rows);
        }
}

/** Empty when every showing row is drawn at its item's indent and the rows
    follow each other down the screen in the tree's order; else the first
    row that is not. */
juce::String misplacedRow (PresetManager& presets)
{
    juce::Array<PresetManager::PresetTreeItemBase*> rows;
    collectRows (presets.getFileTreeRoot(), rows);
    int lastY = std::numeric_limits<int>::min();
    for (auto* item : rows)
    {
        auto* row = item->getRowComponent();
        const auto y = row->getScreenY();
        if (row->getX() != item->getItemPosition (false).getX() || y <= lastY)
            return item->getItemIdentifierString() + " drawn at " + row->getScreenBounds().toString();
        lastY = y;
    }
    return {};
}
} // namespace

using PresetDrop = DesktopEditorFixture;

TEST_F (PresetDrop, AMovedItemIsDrawnInsideItsNewFolderAndTheNameLabelFollowsIt)
{
    // Presets that load: the engine's own sound.
    const auto root = engine->getPresetManager().getUserFolderItem()->getFile();
    juce::MemoryBlock sound;
    engine->getPresetManager().getClient()->writePresetState (sound);
    for (auto name : { "A/One", "B/Inner", "Bass/My Bass", "New Folder/My Bass", "Two", "Zone" })
    {
        const auto file = root.getChildFile (juce::String (name) + ".prs");
        ASSERT_TRUE (file.create() && file.replaceWithData (sound.getData(), sound.getSize()));
    }
    engine = std::make_unique<AudioEngine>();
    showEditor();
    auto& presets = engine->getPresetManager();
    if (auto* factory = presets.getFactoryFolderItem())
        factory->setOpen (false);
    presets.findItemByPath (userPath + "/A")->setOpen (true);
    presets.findItemByPath (userPath + "/B")->setOpen (true);

    const struct
    {
        const char* what;
        const char* loaded;
        const char* dragged;
        const char* onto;
        const char* movedTo;
        const char* label;
    } drops[] {
        { "a preset onto an open folder", "Zone", "Two", "A", "A/Two", "Zone" },
        { "an open folder onto an open folder", "Zone", "B", "A", "A/B", "Zone" },
        { "the loaded preset onto a folder holding its name", "New Folder/My Bass", "New Folder/My Bass", "Bass", "Bass/My Bass(2)", "My Bass(2)" },
    };

    for (auto& d : drops)
    {
        SCOPED_TRACE (d.what);
        auto* loaded = rowOf (userPath + "/" + d.loaded);
        ASSERT_NE (loaded, nullptr);
        ASSERT_TRUE (click (loaded->getScreenBounds().getCentre(), 1));
        ASSERT_TRUE (waitFor ([&] { return child<juce::Label> (EditorNames::presetNameLabel)->getText() == juce::String (d.loaded).fromLastOccurrenceOf ("/", false, false); }));

        auto* dragged = rowOf (userPath + "/" + d.dragged);
        auto* onto = rowOf (userPath + "/" + d.onto);
        ASSERT_TRUE (dragged != nullptr && onto != nullptr);
        ASSERT_TRUE (drag (dragged->getScreenBounds().getCentre(), onto->getScreenBounds().getCentre()));
        ASSERT_TRUE (waitFor ([&] { return presets.findItemByPath (userPath + "/" + d.movedTo) != nullptr; })) << "nothing moved";
        EXPECT_TRUE (root.getChildFile (juce::String (d.movedTo) + (root.getChildFile (d.movedTo).isDirectory() ? "" : ".prs")).exists());

        EXPECT_TRUE (waitFor ([&] { return misplacedRow (presets).isEmpty(); })) << misplacedRow (presets);
        EXPECT_TRUE (waitFor ([&] { return child<juce::Label> (EditorNames::presetNameLabel)->getText() == d.label; }))
            << "the name label reads " << child<juce::Label> (EditorNames::presetNameLabel)->getText();
    }
}
