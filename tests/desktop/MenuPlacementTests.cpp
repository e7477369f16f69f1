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

TEST_F (MenuPlacement, ARightPressOnASwitchOpensItsSectionsMenuAndLeavesTheSwitch)
{
    showEditor();
    const struct
    {
        const char* what;
        int device;
        const EditorNames::SwitchButton& button;
    } switches[] {
        { "the second device's saw", 2, EditorNames::oscillatorSwitches[2] },
        { "the fourth device's half tracking", 4, EditorNames::trackingSwitches[1] },
    };

    for (const auto& s : switches)
    {
        SCOPED_TRACE (s.what);
        auto* button = child<juce::Component> (EditorNames::switchButton (s.device, s.button));
        ASSERT_NE (button, nullptr);
        const int index = (s.device - 1) * EditorNames::parametersPerDevice + s.button.offset;
        const float before = engine->getParameter (index);
        const float position = (float) s.button.position / (float) (s.button.positions - 1);
        ASSERT_NE (before, position);

        const auto at = button->getScreenBounds().getCentre();
        EXPECT_FALSE (menuAfterPressAt (at, 3, false).isEmpty());
        EXPECT_NE (menuItem ("Free Parameter Group"), nullptr) << "not the section's menu";
        EXPECT_EQ (engine->getParameter (index), before) << "the right press also pressed the switch";

        juce::PopupMenu::dismissAllActiveMenus();
        ASSERT_TRUE (waitFor ([] { return openMenu() == nullptr; }));

        // The left button still presses it.
        ASSERT_TRUE (click (at, 1));
        EXPECT_TRUE (waitFor ([&] { return engine->getParameter (index) == position; }));
    }
}
