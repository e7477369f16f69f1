// Where a menu opens when a user right-clicks or ctrl-clicks in the editor's
// window: at the press, wherever on the panel it was, never at an edge of
// the panel or below the window.

#include "DesktopEditorFixture.h"

namespace
{
constexpr int nearThePress = 8; // pixels from the press to the menu's nearest corner
} // namespace

using MenuPlacement = DesktopEditorFixture;

TEST_F (MenuPlacement, TheLinkMenuOpensWhereAKnobSectionOrMacroWasPressed)
{
    showEditor();
    const struct
    {
        const char* what;
        std::vector<int> indexes;
        int button;
        bool withCtrl;
    } presses[] {
        { "the first device's first knob, right button", { 0 }, 3, false },
        { "the fourth device's last knob, ctrl and left button", { 78 }, 1, true },
        { "the second device's oscillator section, right button", { 20, 21, 22, 25, 26 }, 3, false },
        { "the third device's amplifier section, ctrl and left button", { 53, 54, 55, 56, 57, 58 }, 1, true },
        { "the eighth macro, right button", { 87 }, 3, false },
    };

    for (const auto& press : presses)
    {
        SCOPED_TRACE (press.what);
        const auto at = screenPointOf (targetOf (press.indexes));
        const auto menu = menuAfterPressAt (at, press.button, press.withCtrl);
        ASSERT_FALSE (menu.isEmpty()) << "no menu opened";
        EXPECT_LE (XInput::distanceToNearestCorner (menu, at), nearThePress)
            << "menu at " << menu.toString() << ", pressed at " << at.toString();

        juce::PopupMenu::dismissAllActiveMenus();
        ASSERT_TRUE (waitFor ([] { return openMenu() == nullptr; }));
    }
}

TEST_F (MenuPlacement, ThePresetTreesMenuOpensWhereARowWasPressed)
{
    const auto preset = addUserPreset ("Pad");
    showEditor();
    auto* row = userPresetRow (preset);
    ASSERT_NE (row, nullptr);
    ASSERT_TRUE (row->isShowing());

    const auto at = row->localPointToGlobal (row->getLocalBounds().getCentre());
    const auto menu = menuAfterPressAt (at, 3, false);
    ASSERT_FALSE (menu.isEmpty()) << "no menu opened";
    EXPECT_LE (XInput::distanceToNearestCorner (menu, at), nearThePress)
        << "menu at " << menu.toString() << ", pressed at " << at.toString();
    EXPECT_NE (menuItem ("Rename"), nullptr);
}
