// "Rename" chosen with the mouse from the link menu and from the preset
// tree's menu: the field takes the keys typed at once (none of them plays a
// note), Return renames, Escape and a press elsewhere close it and keep the
// name.

#include "DesktopEditorFixture.h"

namespace
{
enum class Ending { escape, pressElsewhere, returnKey };

const struct
{
    const char* what;
    Ending ending;
} endings[] { { "Escape", Ending::escape }, { "a press elsewhere", Ending::pressElsewhere }, { "Return", Ending::returnKey } };
} // namespace

class RenameField : public DesktopEditorFixture
{
protected:
    /** Right-clicks at menuAt, chooses "Rename", types text and ends the
        editing as asked (a press goes to a knob). */
    void renameThroughTheMenu (juce::Point<int> menuAt, const juce::String& text, Ending ending)
    {
        ASSERT_FALSE (menuAfterPressAt (menuAt, 3, false).isEmpty());
        ASSERT_TRUE (chooseFromMenu ("Rename"));
        ASSERT_TRUE (waitFor ([this] { return renameField() != nullptr; }));

        NoteCounter notes (engine->getKeyboardState());
        ASSERT_TRUE (XInput::type (text));
        EXPECT_TRUE (waitFor ([&] { return renameField() != nullptr && renameField()->getText() == text; }))
            << "the field shows \"" << (renameField() != nullptr ? renameField()->getText() : "(closed)") << "\"";
        EXPECT_EQ (notes.notesStarted, 0) << "the letters typed played notes";

        if (ending == Ending::escape)
            ASSERT_TRUE (XInput::key ("Escape"));
        else if (ending == Ending::returnKey)
            ASSERT_TRUE (XInput::key ("Return"));
        else
            ASSERT_TRUE (click (screenPointOf (targetOf ({ 0 })), 1));
        EXPECT_TRUE (waitFor ([this] { return renameField() == nullptr; })) << "the field stays open";
    }
};

TEST_F (RenameField, ALinkGroupTakesTheKeysTypedAtOnce)
{
    showEditor();
    constexpr int macro = 82;
    const auto nameOf = [this]
    {
        const auto entry = engine->getLinkManager().findLinkEntry (macro);
        return entry ? entry->name : juce::String();
    };
    const auto before = nameOf();

    for (const auto& ending : endings)
    {
        SCOPED_TRACE (ending.what);
        renameThroughTheMenu (screenPointOf (targetOf ({ macro })), "Bass line 1", ending.ending);
        EXPECT_EQ (nameOf(), ending.ending == Ending::returnKey ? juce::String ("Bass line 1") : before);
    }
}

TEST_F (RenameField, APresetFromTheTreesMenuTakesTheKeysTypedAtOnce)
{
    const auto preset = addUserPreset ("Pad");
    const auto renamed = preset.getSiblingFile ("Lead 2.prs");
    showEditor();

    for (const auto& ending : endings)
    {
        SCOPED_TRACE (ending.what);
        auto* row = userPresetRow (preset);
        ASSERT_NE (row, nullptr);
        renameThroughTheMenu (row->localPointToGlobal (row->getLocalBounds().getCentre()), "Lead 2", ending.ending);

        const bool renames = ending.ending == Ending::returnKey;
        EXPECT_TRUE (waitFor ([&] { return preset.existsAsFile() != renames && renamed.existsAsFile() == renames; }));
    }
}

TEST_F (RenameField, ANewFolderOpensItsFieldOverItsOwnRowInSight)
{
    // Folder A holds more presets than the tree shows at once; B follows it.
    const auto root = engine->getPresetManager().getUserFolderItem()->getFile();
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE (root.getChildFile ("A/Preset " + juce::String (i) + ".prs").create());
    ASSERT_TRUE (root.getChildFile ("B").createDirectory());
    addUserPreset ("Pad");
    showEditor();
    auto& presets = engine->getPresetManager();
    auto& folders = presets.getTreeComponent()->getFolderView();
    const juce::String user ("/PresetFiles/User Presets/");

    const struct
    {
        const char* what;
        const char* parent;
        bool aOpen;
        const char* typed;
        Ending ending;
        const char* name;
    } cases[] {
        { "a short tree, Return", "", false, "Drums", Ending::returnKey, "Drums" },
        { "a short tree, Escape", "", false, "Keys", Ending::escape, "New Folder" },
        { "the last folder of a tree scrolled to its end, Return", "B/", true, "Bells 2", Ending::returnKey, "B/Bells 2" },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        presets.findItemByPath (user + "A")->setOpen (c.aOpen);
        settle();
        if (c.aOpen)
        {
            // The mouse wheel takes the tree to its end.
            auto* view = folders.getViewport();
            ASSERT_TRUE (XInput::moveTo (folders.getScreenBounds().getCentre()));
            ASSERT_TRUE (XInput::xdotool ({ "click", "--repeat", "60", "--delay", "10", "5" }));
            ASSERT_TRUE (waitFor ([view] { return view->getViewPositionY() + view->getViewHeight() >= view->getViewedComponent()->getHeight(); }));
        }

        auto* parentRow = rowOf ((user + c.parent).dropLastCharacters (1));
        ASSERT_NE (parentRow, nullptr);
        ASSERT_FALSE (menuAfterPressAt (parentRow->getScreenBounds().getCentre(), 3, false).isEmpty());
        ASSERT_TRUE (chooseFromMenu ("Create new Folder"));
        ASSERT_TRUE (waitFor ([this] { return renameField() != nullptr && renameField()->hasKeyboardFocus (false); })) << "no field opened";

        auto* created = presets.findItemByPath (user + c.parent + "New Folder");
        ASSERT_NE (created, nullptr);
        EXPECT_EQ (renameField()->getText(), "New Folder");
        EXPECT_TRUE (created->isRowShownWhole()) << "the new folder's row is out of sight";
        EXPECT_EQ (renameField()->getParentComponent(), created->getRowComponent()) << "the field is not over the new folder's row";
        EXPECT_EQ (presets.getCurrentFolder(), created);

        ASSERT_TRUE (XInput::type (c.typed));
        ASSERT_TRUE (waitFor ([&] { return renameField() != nullptr && renameField()->getText() == c.typed; }));
        ASSERT_TRUE (XInput::key (c.ending == Ending::escape ? "Escape" : "Return"));
        ASSERT_TRUE (waitFor ([this] { return renameField() == nullptr; }));
        EXPECT_TRUE (root.getChildFile (c.name).isDirectory()) << c.name;
        auto* named = presets.getCurrentFolder();
        ASSERT_EQ (named, presets.findItemByPath (user + c.name));
        ASSERT_TRUE (named->deleteItem());
    }
}
