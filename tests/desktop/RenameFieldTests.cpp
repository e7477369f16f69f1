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
