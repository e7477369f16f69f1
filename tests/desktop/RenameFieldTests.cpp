// "Rename" chosen with the mouse from the link menu and from the preset
// tree's menu: the field takes the keys typed at once (none of them plays a
// note), also those typed before it shows, on a bare display and under a
// window manager; Return renames, Escape and a press elsewhere close it and
// keep the name.

#include "DesktopEditorFixture.h"
#include "tests/support/WindowManager.h"

#include <optional>

namespace
{
enum class Ending { escape, pressElsewhere, returnKey };

/** Typed once the field shows; or right after the click on "Rename" (the
    window gets the input focus back during a pause after the first letter;
    then the rest, Return and a digit, which no note holds), or after Down
    and Return in the menu (Return after a pause); the first letter always
    before the editor reads the choice.  Or once shown as fast typists type,
    each key down before the one before it is up; or once shown, after the
    note key held from before the menu opened has repeated a while and gone
    up, in the field or in another program's window. */
enum class Typing { onceShown, rightAfterTheClick, rightAfterTheKeys, overlapping, afterAHeldKey, afterAHeldKeyLetGoElsewhere };

const struct
{
    const char* what;
    Ending ending;
    Typing typing = Typing::onceShown;
    bool underWindowManager = false; // the last cases only: the manager stays
    const char* name = nullptr; // typed instead of the test's own name
} endings[] { { "Escape", Ending::escape },
              { "a press elsewhere", Ending::pressElsewhere },
              { "Return", Ending::returnKey },
              { "typed with a pause, Return and a digit right after the click", Ending::returnKey, Typing::rightAfterTheClick },
              { "typed right after the keys chose, Return after a pause", Ending::returnKey, Typing::rightAfterTheKeys },
              { "typed as fast typists do, Return", Ending::returnKey, Typing::overlapping, false, "sad" },
              { "a note key held from before the menu, let go and typed again first, Return", Ending::returnKey, Typing::afterAHeldKey, false, "ash" },
              { "a note key held from before the menu, let go in another program's window, typed again first, Return", Ending::returnKey,
                Typing::afterAHeldKeyLetGoElsewhere, false, "aad" },
              { "under a window manager, typed with a pause, Return and a digit right after the click", Ending::returnKey, Typing::rightAfterTheClick, true },
              { "under a window manager, a note key held from before the menu, let go and typed again first, Return", Ending::returnKey,
                Typing::afterAHeldKey, true, "ad" } };
} // namespace

class RenameField : public DesktopEditorFixture
{
protected:
    /** Right-clicks where menuAt() says, chooses "Rename", types text and
        ends the editing as asked (a press goes to a knob).  Starts a window
        manager when asked, which stays for the rest of the test (and may
        move the window). */
    template <typename Case>
    void renameThroughTheMenu (const std::function<juce::Point<int>()>& menuAt, const juce::String& text, const Case& how)
    {
        if (how.underWindowManager && ! manager.has_value())
        {
            manager.emplace (display.get());
            ASSERT_TRUE (manager->running) << "no window manager: tools/setup.sh installs openbox";
            settle();
        }
        const bool held = how.typing == Typing::afterAHeldKey || how.typing == Typing::afterAHeldKeyLetGoElsewhere;
        std::optional<XInput::OtherProgramsWindow> other;
        if (how.typing == Typing::afterAHeldKeyLetGoElsewhere)
            other.emplace (display.get());
        if (held)
        {
            ASSERT_TRUE (holdA()) << "the key played nothing before the menu opened";
        }
        ASSERT_FALSE (menuAfterPressAt (menuAt(), 3, false).isEmpty());
        NoteCounter notes (engine->getKeyboardState());
        if (how.typing == Typing::rightAfterTheClick || how.typing == Typing::rightAfterTheKeys)
        {
            // The choice, the name and Return all wait for the editor to read them.
            if (how.typing == Typing::rightAfterTheClick)
            {
                chooseAndTypeAtOnce ("Rename", text.substring (0, 1));
                settle();
                ASSERT_TRUE (XInput::type (text.substring (1)));
            }
            else
            {
                // "Rename" is the first item that can be chosen.
                pump (400); // a menu takes no release in its first quarter second
                ASSERT_TRUE (XInput::key ("Down") && XInput::key ("Return") && XInput::type (text));
                settle();
            }
            // The digit follows Return: it is no longer part of the name.
            ASSERT_TRUE (XInput::key ("Return") && (how.typing != Typing::rightAfterTheClick || XInput::type ("2")));
            EXPECT_TRUE (waitFor ([this] { return openMenu() == nullptr && renameField() == nullptr; }))
                << "the field stays open with \"" << (renameField() != nullptr ? renameField()->getText() : "") << "\"";
            EXPECT_EQ (notes.notesStarted, 0) << "the letters typed played notes";
            return;
        }

        ASSERT_TRUE (chooseFromMenu ("Rename"));
        ASSERT_TRUE (waitFor ([this] { return renameField() != nullptr; }));
        if (held)
        {
            EXPECT_TRUE (waitFor ([this] { return ! noteOfASounds(); })) << "the note of the key held sounds on in the field";
            pump (1000); // the key repeats
            ASSERT_TRUE (other.has_value() ? letGoOfAElsewhere (other->window) : XInput::xdotool ({ "keyup", "a" }));
            settle();
            ASSERT_NE (renameField(), nullptr);
            EXPECT_FALSE (renameField()->getText().contains ("aa")) << "the key held typed itself: " << renameField()->getText();
        }

        ASSERT_TRUE (how.typing == Typing::overlapping ? XInput::typeOverlapping (text) : XInput::type (text));
        EXPECT_TRUE (waitFor ([&] { return renameField() != nullptr && renameField()->getText() == text; }))
            << "the field shows \"" << (renameField() != nullptr ? renameField()->getText() : "(closed)") << "\"";
        EXPECT_EQ (notes.notesStarted, 0) << "the letters typed played notes";

        if (how.ending == Ending::escape)
            ASSERT_TRUE (XInput::key ("Escape"));
        else if (how.ending == Ending::returnKey)
            ASSERT_TRUE (XInput::key ("Return"));
        else
            ASSERT_TRUE (click (screenPointOf (targetOf ({ 0 })), 1));
        EXPECT_TRUE (waitFor ([this] { return renameField() == nullptr; })) << "the field stays open";
    }

    /** Presses the open menu's item and types text right after the release,
        before the editor reads either; the key actions of xdotool in keys
        go with the release, before text. */
    void chooseAndTypeAtOnce (const juce::String& itemText, const juce::String& text, const juce::StringArray& keys = {})
    {
        pump (400); // a menu takes no release in its first quarter second
        auto* item = menuItem (itemText);
        ASSERT_NE (item, nullptr) << itemText;
        ASSERT_TRUE (XInput::moveTo (item->getScreenBounds().getCentre()));
        settle();
        ASSERT_TRUE (XInput::xdotool ({ "mousedown", "1" }));
        settle();
        juce::StringArray release { "mouseup", "1" };
        release.addArray (keys);
        ASSERT_TRUE (XInput::xdotool (release) && (text.isEmpty() || XInput::type (text)));
    }

    std::optional<WindowManager> manager;
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
    const auto menuAt = [this] { return screenPointOf (targetOf ({ macro })); };

    int named = 0;
    for (const auto& ending : endings)
    {
        SCOPED_TRACE (ending.what);
        const auto before = nameOf();
        const auto typed = ending.name != nullptr ? juce::String (ending.name) : "Bass line " + juce::String (++named);
        renameThroughTheMenu (menuAt, typed, ending);
        EXPECT_EQ (nameOf(), ending.ending == Ending::returnKey ? typed : before);
    }
}

TEST_F (RenameField, APresetFromTheTreesMenuTakesTheKeysTypedAtOnce)
{
    auto preset = addUserPreset ("Pad");
    showEditor();
    auto& presets = engine->getPresetManager();
    const auto menuAt = [&]
    {
        auto* row = userPresetRow (preset);
        return row != nullptr ? row->localPointToGlobal (row->getLocalBounds().getCentre()) : juce::Point<int>();
    };

    int named = 0;
    for (const auto& ending : endings)
    {
        SCOPED_TRACE (ending.what);
        const auto typed = ending.name != nullptr ? juce::String (ending.name) : "Lead " + juce::String (++named);
        const auto renamed = preset.getSiblingFile (typed + ".prs");
        ASSERT_NE (userPresetRow (preset), nullptr);
        renameThroughTheMenu (menuAt, typed, ending);

        // On disk and in the tree.
        const bool renames = ending.ending == Ending::returnKey;
        EXPECT_TRUE (waitFor ([&] { return preset.existsAsFile() != renames && renamed.existsAsFile() == renames; }));
        auto* item = dynamic_cast<Korvalden::Misc::PresetManager::FileRepresentingItem*> (
            presets.findItemByPath ("/PresetFiles/User Presets/" + (renames ? typed : preset.getFileNameWithoutExtension())));
        ASSERT_NE (item, nullptr) << "the tree does not show the preset by its name";
        EXPECT_EQ (item->getFile(), renames ? renamed : preset);
        if (renames)
            preset = renamed;
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
        bool typedAtOnce = false; // with the release on the menu item, before the editor reads it
        bool underWindowManager = false; // the last case only: the manager stays
        bool heldA = false; // "a", held from before the menu, goes up and down again with the release and stays down until the field opens
    } cases[] {
        { "a short tree, Return", "", false, "Drums", Ending::returnKey, "Drums" },
        { "a short tree, Escape", "", false, "Keys", Ending::escape, "New Folder" },
        { "a short tree, typed at once, Return", "", false, "Drums 2", Ending::returnKey, "Drums 2", true },
        { "the last folder of a tree scrolled to its end, Return", "B/", true, "Bells 2", Ending::returnKey, "B/Bells 2" },
        { "the last folder of a tree scrolled to its end, typed at once, Return", "B/", true, "Bells 3", Ending::returnKey, "B/Bells 3", true },
        { "a short tree, a note key held from before the menu, let go and typed again at once, Return", "", false, "ad", Ending::returnKey, "ad", true, false, true },
        { "under a window manager, a short tree, typed at once, Return", "", false, "Drums 3", Ending::returnKey, "Drums 3", true, true },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        if (c.underWindowManager)
        {
            manager.emplace (display.get());
            ASSERT_TRUE (manager->running) << "no window manager: tools/setup.sh installs openbox";
            settle();
        }
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
        if (c.heldA)
        {
            ASSERT_TRUE (holdA()) << "the key played nothing before the menu opened";
        }
        ASSERT_FALSE (menuAfterPressAt (parentRow->getScreenBounds().getCentre(), 3, false).isEmpty());
        NoteCounter notes (engine->getKeyboardState());
        if (c.heldA)
        {
            // Pressed again, "a" is typed once, however late the field opens.
            const XInput::RepeatOff typedOnce (juce::StringArray { "a" });
            chooseAndTypeAtOnce ("Create new Folder", {}, { "keyup", "a", "keydown", "a" });
            ASSERT_TRUE (waitFor ([this] { return renameField() != nullptr; }));
            ASSERT_TRUE (XInput::xdotool ({ "keyup", "a" }) && XInput::type (c.typed + 1));
        }
        else if (c.typedAtOnce)
        {
            chooseAndTypeAtOnce ("Create new Folder", c.typed);
        }
        else
        {
            ASSERT_TRUE (chooseFromMenu ("Create new Folder"));
        }
        ASSERT_TRUE (waitFor ([this] { return renameField() != nullptr && renameField()->hasKeyboardFocus (false); })) << "no field opened";

        auto* created = presets.findItemByPath (user + c.parent + "New Folder");
        ASSERT_NE (created, nullptr);
        EXPECT_TRUE (created->isRowShownWhole()) << "the new folder's row is out of sight";
        EXPECT_EQ (renameField()->getParentComponent(), created->getRowComponent()) << "the field is not over the new folder's row";
        EXPECT_EQ (presets.getCurrentFolder(), created);

        if (! c.typedAtOnce)
        {
            EXPECT_EQ (renameField()->getText(), "New Folder");
            ASSERT_TRUE (XInput::type (c.typed));
        }
        EXPECT_TRUE (waitFor ([&] { return renameField() != nullptr && renameField()->getText() == c.typed; }))
            << "the field shows \"" << (renameField() != nullptr ? renameField()->getText() : "(closed)") << "\"";
        EXPECT_EQ (notes.notesStarted, 0) << "the letters typed played notes";
        ASSERT_NE (renameField(), nullptr);
        ASSERT_TRUE (XInput::key (c.ending == Ending::escape ? "Escape" : "Return"));
        ASSERT_TRUE (waitFor ([this] { return renameField() == nullptr; }));
        EXPECT_TRUE (root.getChildFile (c.name).isDirectory()) << c.name;
        auto* named = presets.getCurrentFolder();
        ASSERT_EQ (named, presets.findItemByPath (user + c.name));
        ASSERT_TRUE (named->deleteItem());
    }
}
