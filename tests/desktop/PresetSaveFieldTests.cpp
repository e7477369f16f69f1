// Save in the preset bar as a user meets it: the new preset's rename field
// opens at once, over its row while the tree can show it whole and over the
// preset name otherwise, holding "New Preset" and the keys typed from the
// click on; Return renames the preset (asking before a preset of that name is
// replaced), Escape keeps it.

#include "DesktopEditorFixture.h"
#include "tests/support/WindowManager.h"

#include <optional>

namespace
{
using Korvalden::Misc::PresetManager;

/** returnWithTheLastLetter: the last letter ("k") typed with Return and a
    key that plays no note, which go down and up in turn before the letter
    goes up. */
enum class Ending { returnKey, escape, returnThenKeepBoth, returnWithTheLastLetter };

const juce::String userPath ("/PresetFiles/User Presets");
} // namespace

class PresetSaveField : public DesktopEditorFixture
{
protected:
    PresetManager& presets() { return engine->getPresetManager(); }

    PresetManager::FileRepresentingItem* userItem (const juce::String& name)
    {
        return dynamic_cast<PresetManager::FileRepresentingItem*> (presets().findItemByPath (userPath + "/" + name));
    }

    /** Clicks Save as a user does; the field that opened, if any. */
    juce::TextEditor* clickSave()
    {
        auto* save = child<juce::Button> (EditorNames::saveButton);
        EXPECT_NE (save, nullptr);
        if (save == nullptr || ! click (save->getScreenBounds().getCentre(), 1))
            return nullptr;
        waitFor ([this] { return renameField() != nullptr && renameField()->hasKeyboardFocus (false); });
        return renameField();
    }

    /** What the field of the preset just saved shows (its name when not
        said), and where. */
    void expectFieldOver (const juce::TextEditor& field, const juce::String& name, bool overItsRow, const juce::String& shows = {})
    {
        EXPECT_EQ (field.getText(), shows.isEmpty() ? name : shows);
        EXPECT_TRUE (field.hasKeyboardFocus (false)) << "the field does not have the keyboard focus";
        auto* item = userItem (name);
        ASSERT_NE (item, nullptr) << name;
        auto* host = overItsRow ? item->getRowComponent() : static_cast<juce::Component*> (child<juce::Label> (EditorNames::presetNameLabel));
        EXPECT_TRUE (host != nullptr && host->isShowing() && field.getParentComponent() == host)
            << (overItsRow ? "not over the new preset's row" : "not over the preset name");
    }

    /** Drags the divider between the favourites and the folder tree to the
        panel's bottom, so the folder tree keeps almost nothing. */
    void squeezeTheFolderTree()
    {
        auto* tree = presets().getTreeComponent();
        ASSERT_NE (tree, nullptr);
        juce::Component* divider = nullptr;
        for (auto* c : tree->getChildren())
            if (dynamic_cast<PresetManager::PresetTreeComponent::ResizerBar*> (c) != nullptr)
                divider = c;
        ASSERT_NE (divider, nullptr);
        const auto from = divider->getScreenBounds().getCentre();
        ASSERT_TRUE (drag (from, { from.x, tree->getScreenBounds().getBottom() + 40 }));
        ASSERT_TRUE (waitFor ([&] { return tree->getFolderView().getHeight() < presets().getItemHeight(); }))
            << "the folder tree is " << tree->getFolderView().getHeight() << " pixels high";
    }

    void setTreeShown (bool shown)
    {
        auto* button = child<juce::Button> (EditorNames::presetTreeButton);
        ASSERT_NE (button, nullptr);
        if (button->getToggleState() != shown)
        {
            ASSERT_TRUE (click (button->getScreenBounds().getCentre(), 1));
        }
        ASSERT_TRUE (waitFor ([&] { return child<juce::Component> (EditorNames::presetTree)->isShowing() == shown; }));
        settle();
    }
};

TEST_F (PresetSaveField, SaveOpensTheNewPresetsFieldWhichTakesTheKeysTypedAtOnce)
{
    addUserPreset ("Pad");
    showEditor();
    const struct
    {
        const char* what;
        bool treeShown, folderOpen, squeezed;
        const char* typed;
        Ending ending;
        const char* name;
        bool typedAtOnce = false; // with the click on Save, before the editor reads it
        bool underWindowManager = false; // from the first such case on: the manager stays
        bool overlapping = false; // each key down before the one before it is up
        bool heldA = false; // "a" held from before the click: let go once the field shows and it repeated, or with the click when typed at once
        bool firstDownAsItOpens = false; // typed at once: the first letter goes down with the click and up once the field opens
    } cases[] {
        { "the tree showing the open user folder, Return", true, true, false, "Warm Pad", Ending::returnKey, "Warm Pad" },
        { "the tree showing the closed user folder, Return", true, false, false, "Warm Pad 2", Ending::returnKey, "Warm Pad 2" },
        { "the tree showing, Escape", true, true, false, "Cold Pad", Ending::escape, "New Preset" },
        { "the tree showing, the name of another preset, Keep Both", true, true, false, "Pad", Ending::returnThenKeepBoth, "Pad(2)" },
        { "the tree showing, a name with dots", true, true, false, "Pad 1.2", Ending::returnKey, "Pad 1.2" },
        { "the tree hidden, Return", false, false, false, "Bass 1", Ending::returnKey, "Bass 1" },
        { "the tree hidden, Escape", false, false, false, "Bass 2", Ending::escape, "New Preset" },
        { "the tree showing, typed at once, Return", true, true, false, "Warm Pad 3", Ending::returnKey, "Warm Pad 3", true },
        { "the tree hidden, typed at once, Return", false, false, false, "Bass 4", Ending::returnKey, "Bass 4", true },
        { "the tree showing, typed as fast typists do, Return before the last letter is up", true, true, false, "dus", Ending::returnWithTheLastLetter, "dusk", false, false, true },
        { "the tree showing, a note key held from before the click, let go and typed again first, Return", true, true, false, "aad", Ending::returnKey, "aad",
          false, false, false, true },
        { "the tree showing, typed at once, the first letter down until the field opens, Return", true, true, false, "dusk", Ending::returnKey, "dusk",
          true, false, false, false, true },
        { "under a window manager, the tree showing, typed at once, Return", true, true, false, "Warm Pad 5", Ending::returnKey, "Warm Pad 5", true, true },
        { "under a window manager, the tree hidden, typed at once, Return", false, false, false, "Bass 6", Ending::returnKey, "Bass 6", true, true },
        { "under a window manager, the tree hidden, a note key held from before the click, let go and typed again at once, Return", false, false, false,
          "ad", Ending::returnKey, "ad", true, true, false, true, true },
        // The last: the divider stays where it was dragged.
        { "the folder tree squeezed by the divider, Return", true, true, true, "Bass 3", Ending::returnKey, "Bass 3" },
    };

    std::optional<WindowManager> manager;
    for (auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        if (c.underWindowManager && ! manager.has_value())
        {
            manager.emplace (display.get());
            ASSERT_TRUE (manager->running) << "no window manager: tools/setup.sh installs openbox";
            settle();
        }
        setTreeShown (c.treeShown);
        presets().getUserFolderItem()->setOpen (c.folderOpen);
        if (c.squeezed)
            squeezeTheFolderTree();
        settle();

        if (c.heldA)
        {
            ASSERT_TRUE (holdA()) << "the key played nothing before Save";
        }
        NoteCounter notes (engine->getKeyboardState());
        if (c.typedAtOnce)
        {
            auto* save = child<juce::Button> (EditorNames::saveButton);
            ASSERT_TRUE (save != nullptr && XInput::moveTo (save->getScreenBounds().getCentre()));
            settle();
            const juce::String typed (c.typed), first (typed.substring (0, 1));
            // The first letter, down until the field opens, is typed once: its
            // repeats would be typed too, and how many come depends on how soon
            // the field opens.
            std::optional<XInput::RepeatOff> typedOnce;
            if (c.firstDownAsItOpens)
                typedOnce.emplace (first);
            ASSERT_TRUE (XInput::xdotool ({ "click", "1" }) && (! c.heldA || XInput::xdotool ({ "keyup", "a" }))
                         && (c.firstDownAsItOpens ? XInput::xdotool ({ "keydown", first }) : XInput::type (typed)));
            if (c.firstDownAsItOpens)
            {
                ASSERT_TRUE (waitFor ([this] { return renameField() != nullptr; })) << "no field opened";
                ASSERT_TRUE (XInput::xdotool ({ "keyup", first }) && XInput::type (typed.substring (1)));
            }
        }
        else
        {
            auto* field = clickSave();
            ASSERT_NE (field, nullptr) << "no field opened";
            expectFieldOver (*field, "New Preset", c.treeShown && ! c.squeezed);
            if (c.heldA)
            {
                pump (1000); // the key repeats
                ASSERT_TRUE (XInput::xdotool ({ "keyup", "a" }));
                settle();
            }
            ASSERT_TRUE (c.overlapping ? XInput::typeOverlapping (c.typed) : XInput::type (c.typed));
        }
        EXPECT_TRUE (waitFor ([&] { return renameField() != nullptr && renameField()->getText() == c.typed; }))
            << "the field shows \"" << (renameField() != nullptr ? renameField()->getText() : "(closed)") << "\"";
        EXPECT_EQ (notes.notesStarted, 0) << "the letters typed played notes";
        ASSERT_NE (renameField(), nullptr) << "no field opened";
        if (c.typedAtOnce)
            expectFieldOver (*renameField(), "New Preset", c.treeShown, c.typed);
        const auto saved = userItem ("New Preset")->getFile();
        juce::MemoryBlock bytes;
        ASSERT_TRUE (saved.loadFileAsData (bytes) && bytes.getSize() > 0);

        ASSERT_TRUE (c.ending == Ending::returnWithTheLastLetter ? XInput::typeOverlapping ("k", { "Return", "z" })
                                                                : XInput::key (c.ending == Ending::escape ? "Escape" : "Return"));
        if (c.ending == Ending::returnThenKeepBoth)
        {
            ASSERT_TRUE (waitFor ([this] { return panel->isMessageBoxShown(); })) << "no question before replacing \"Pad\"";
            auto* keepBoth = buttonWithText (*panel, "Keep Both");
            ASSERT_NE (keepBoth, nullptr);
            ASSERT_TRUE (click (keepBoth->getScreenBounds().getCentre(), 1));
        }
        ASSERT_TRUE (waitFor ([&] { return renameField() == nullptr && userItem (c.name) != nullptr; }));
        settle();
        EXPECT_EQ (notes.notesStarted, 0) << "a letter still down as the field closed played";
        EXPECT_TRUE (heldKeyPlays()) << "the keys play nothing after the field closed";

        // The file keeps the bytes saved, the preset stays current and unmodified.
        const auto file = saved.getSiblingFile (juce::String (c.name) + ".prs");
        juce::MemoryBlock after;
        EXPECT_TRUE (file.loadFileAsData (after) && after == bytes) << file.getFullPathName();
        EXPECT_EQ (saved.existsAsFile(), juce::String (c.name) == "New Preset");
        EXPECT_TRUE (saved.getSiblingFile ("Pad.prs").existsAsFile());
        EXPECT_EQ (presets().getCurrentItem(), userItem (c.name));
        EXPECT_FALSE (presets().isPresetModified());
        EXPECT_TRUE (waitFor ([&] { return child<juce::Label> (EditorNames::presetNameLabel)->getText() == c.name; }));

        ASSERT_TRUE (userItem (c.name)->deleteItem());
    }
}

TEST_F (PresetSaveField, SavingTwiceOpensAFieldOnEachNewPresetAndTheFirstKeepsItsName)
{
    showEditor();
    presets().getUserFolderItem()->setOpen (true);

    auto* first = clickSave();
    ASSERT_NE (first, nullptr);
    expectFieldOver (*first, "New Preset", true);

    auto* second = clickSave();
    ASSERT_NE (second, nullptr);
    EXPECT_TRUE (waitFor ([this] { return renameField() != nullptr && renameField()->getText() == "New Preset(2)"; }));
    expectFieldOver (*renameField(), "New Preset(2)", true);
    EXPECT_EQ (presets().getCurrentItem(), userItem ("New Preset(2)"));

    ASSERT_TRUE (XInput::type ("Keys"));
    ASSERT_TRUE (XInput::key ("Return"));
    EXPECT_TRUE (waitFor ([this] { return userItem ("Keys") != nullptr && renameField() == nullptr; }));
    EXPECT_NE (userItem ("New Preset"), nullptr);
    EXPECT_EQ (userItem ("New Preset(2)"), nullptr);
}

// A computer key held as the editor asks something (its about box, or the
// name of a preset just saved and then whether to replace another) plays one
// note, which ends as the question takes the keys, however long the key is
// held and repeats; none of its repeats is typed into the name.  The name is
// typed as fast typists do, Return pressed and released before its last
// letter (a note key) goes up: no letter plays.  So too where another
// program's window takes the keys: the key held on as the editor's window
// gets them back plays nothing more, one let go there plays at its first
// press back, and keys down there as the editor gets the keys play nothing
// as one of them goes up.
TEST_F (PresetSaveField, AKeyHeldWhileTheEditorAsksSomethingPlaysOneNoteAndTypesNothing)
{
    addUserPreset ("dusk");
    showEditor();
    presets().getUserFolderItem()->setOpen (true);
    std::optional<WindowManager> manager;
    enum class Asking { aboutBox, save, anotherProgram };
    for (const bool underWindowManager : { false, true })
        for (const auto asking : { Asking::aboutBox, Asking::save, Asking::anotherProgram })
        {
            const bool aboutBox = asking == Asking::aboutBox;
            SCOPED_TRACE (juce::String (aboutBox ? "the about box"
                                        : asking == Asking::save ? "Save, its field and the question before a preset is replaced"
                                                                 : "another program's window")
                          + (underWindowManager ? ", under a window manager" : ""));
            if (underWindowManager && ! manager.has_value())
            {
                manager.emplace (display.get());
                ASSERT_TRUE (manager->running) << "no window manager: tools/setup.sh installs openbox";
                settle();
            }
            NoteCounter notes (engine->getKeyboardState());
            ASSERT_TRUE (holdA()) << "the key played nothing before the editor asked";
            if (asking == Asking::anotherProgram)
            {
                const XInput::OtherProgramsWindow other (display.get());
                ASSERT_TRUE (focusWindow (other.window));
                EXPECT_TRUE (waitFor ([this] { return ! noteOfASounds(); })) << "the note sounds on in another program's window";
                pump (1000); // the key repeats there
                ASSERT_TRUE (focusWindow (editorWindow()));
                pump (1500); // and here
                EXPECT_EQ (notes.notesStarted, 1) << "the key held played again as the editor's window got the keys back";
                ASSERT_TRUE (focusWindow (other.window) && XInput::xdotool ({ "keyup", "a" }) && focusWindow (editorWindow()));
                EXPECT_TRUE (heldKeyPlays()) << "the key let go in another program's window plays nothing at its first press back";
                ASSERT_TRUE (focusWindow (other.window));
                // The editor's window takes the keys and one goes up before either repeats.
                NoteCounter later (engine->getKeyboardState());
                const XInput::RepeatOff once (juce::StringArray { "s", "d" });
                ASSERT_TRUE (XInput::xdotool ({ "keydown", "s", "keydown", "d", "windowfocus", juce::String ((juce::int64) editorWindow()),
                                                "keyup", "d", "keyup", "s" }));
                settle();
                EXPECT_EQ (later.notesStarted, 0) << "keys down in another program's window played as one of them went up";
                EXPECT_TRUE (heldKeyPlays()) << "the keys play nothing after another program's window had them";
                continue;
            }
            auto* logo = child<juce::Button> (EditorNames::logoButtonMaker);
            ASSERT_TRUE (aboutBox ? logo != nullptr && click (logo->getScreenBounds().getCentre(), 1) : clickSave() != nullptr);
            EXPECT_TRUE (waitFor ([this] { return ! noteOfASounds(); })) << "the note sounds on while the editor asks";
            pump (1500); // the key repeats
            if (! aboutBox)
            {
                EXPECT_EQ (renameField() != nullptr ? renameField()->getText() : "(none)", "New Preset") << "the key held typed itself";
                ASSERT_TRUE (XInput::typeOverlapping ("dusk", { "Return" }));
            }
            ASSERT_TRUE (waitFor ([this] { return panel->isMessageBoxShown(); })) << "neither the about box nor the question shows";
            pump (aboutBox ? 0 : 1500);
            ASSERT_TRUE (XInput::xdotool ({ "keyup", "a" }));
            settle();

            auto* keepBoth = buttonWithText (*panel, "Keep Both");
            ASSERT_TRUE (aboutBox ? XInput::key ("Escape") : keepBoth != nullptr && click (keepBoth->getScreenBounds().getCentre(), 1));
            ASSERT_TRUE (waitFor ([this] { return ! panel->isMessageBoxShown() && renameField() == nullptr; }));
            EXPECT_EQ (notes.notesStarted, 1) << "the key held or a letter typed played";
            EXPECT_EQ (notes.notesEnded, 1);
            EXPECT_TRUE (heldKeyPlays()) << "the keys play nothing once the editor stopped asking";
            if (! aboutBox)
            {
                auto* saved = userItem ("dusk(2)");
                ASSERT_NE (saved, nullptr) << "the preset did not take the name typed";
                ASSERT_TRUE (saved->deleteItem());
            }
        }
}
