// Where a menu opens when a user right-clicks or ctrl-clicks in the editor's
// window: at the press, wherever on the panel it was, never at an edge of
// the panel or below the window.

#include "DesktopEditorFixture.h"
#include "tests/support/WindowManager.h"

#include <optional>

namespace
{
constexpr int nearThePress = 8; // pixels from the press to the menu's nearest corner
constexpr int voiceModeParameter = 88;
} // namespace

class MenuPlacement : public DesktopEditorFixture
{
protected:
    /** A computer key held as a menu opens and let go while it is open (the
        menu takes the keys) ends its note then; once the menu closes with an
        item chosen with the mouse, also in a submenu and in the ALLOCATION
        list, or with Escape, held computer keys play without a click,
        wherever the pointer rests, and the key let go stays silent. */
    void checkTheKeysAroundAMenu (bool withWindowManager)
    {
        std::optional<WindowManager> manager;
        if (withWindowManager)
        {
            manager.emplace (display.get());
            ASSERT_TRUE (manager->running) << "no window manager: tools/setup.sh installs openbox";
        }
        showEditor();
        if (withWindowManager)
        {
            // A window manager gives the focus to a window clicked: here the panel itself, beside the logo.
            int x = 100;
            while (x < panel->getWidth() && panel->getComponentAt (x, 20) != panel.get())
                x += 4;
            ASSERT_TRUE (x < panel->getWidth() && click (panel->localPointToGlobal (juce::Point<int> (x, 20)), 1));
        }
        auto* allocation = child<juce::ComboBox> (EditorNames::voiceMode);
        ASSERT_NE (allocation, nullptr);
        const struct
        {
            const char* what;
            bool allocationList; // else the first device's first knob's link menu
            juce::StringArray choice; // items clicked in turn; none: Escape
            bool focusWithThePointer = false; // the display's input focus left with the pointer root (bare display only)
        } closings[] {
            { "Link Column in a knob's menu", false, { "Link Column" } },
            { "Value in a knob's Copy Parameter submenu", false, { "Copy Parameter", "Value" } },
            { "SPLIT in the ALLOCATION list", true, { "SPLIT" } },
            { "a knob's menu closed with Escape", false, {} },
            { "a knob's menu closed with Escape, the input focus with the pointer root", false, {}, true },
        };
        for (const auto& closing : closings)
        {
            SCOPED_TRACE (closing.what);
            if (closing.focusWithThePointer && withWindowManager)
                continue;
            ASSERT_TRUE (holdA()) << "the key played nothing before the menu opened";
            ASSERT_TRUE (closing.allocationList ? click (allocation->getScreenBounds().getCentre(), 1) && waitFor ([] { return openMenu() != nullptr; })
                                                : ! menuAfterPressAt (screenPointOf (targetOf ({ 0 })), 3, false).isEmpty())
                << "no menu opened";
            ASSERT_TRUE (XInput::xdotool ({ "keyup", "a" }));
            EXPECT_TRUE (waitFor ([this] { return ! noteOfASounds(); })) << "the key let go keeps sounding while the menu is open";
            ASSERT_NE (openMenu(), nullptr);
            if (closing.focusWithThePointer)
            {
                // The keys go to the window under the pointer: the menu's.
                ASSERT_TRUE (XInput::moveTo (openMenu()->getScreenBounds().getCentre()));
                XSetInputFocus (display.get(), PointerRoot, RevertToPointerRoot, CurrentTime);
                XSync (display.get(), False);
                settle();
            }
            ASSERT_TRUE (closing.choice.isEmpty() ? XInput::key ("Escape") && waitFor ([] { return openMenu() == nullptr; })
                                                  : chooseFromMenu (closing.choice)) << "the menu stayed open";
            expectTheNoteOfALetGoEnds();
            for (const auto& rest : { panel->getScreenBounds().getCentre(), panel->getScreenBounds().getBottomRight() + juce::Point<int> (40, 40) })
            {
                ASSERT_TRUE (XInput::moveTo (rest));
                EXPECT_TRUE (heldKeyPlays()) << "the keys play nothing after the menu closed, the pointer at " << rest.toString();
            }
        }
        EXPECT_EQ (engine->getGlobalController().getAllocationMode(), MultiSoundVoiceController::split);
    }
};

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
    // In Revolver every voice switch can be pressed.
    engine->setParameter (voiceModeParameter, (float) MultiSoundVoiceController::revolver / 5.0f);
    ASSERT_TRUE (waitFor ([this] { return engine->getGlobalController().getAllocationMode() == MultiSoundVoiceController::revolver; }));
    showEditor();

    struct Switch
    {
        const char* what;
        juce::String name;
        int index;
        float clicked;      // what a left click sets
        bool hasMenu;       // its section's link menu; the voice switches have none
    };
    const auto deviceSwitch = [] (const char* what, int device, const EditorNames::SwitchButton& button)
    {
        return Switch { what, EditorNames::switchButton (device, button), (device - 1) * EditorNames::parametersPerDevice + button.offset,
                        (float) button.position / (float) (button.positions - 1), true };
    };
    const Switch switches[] {
        deviceSwitch ("the second device's saw", 2, EditorNames::oscillatorSwitches[2]),
        deviceSwitch ("the fourth device's half tracking", 4, EditorNames::trackingSwitches[1]),
        { "MONO", EditorNames::monophonButton, 91, 1.0f, false },
        { "FILL", EditorNames::fillButton, 90, 1.0f, false },
        { "DIRECTION", EditorNames::directionButton, 89, 1.0f, false },
        { "the third device's MIDI on", EditorNames::midiOnButton (3), 59, 0.0f, true },
    };

    // A button's look: its toggle state and whether it shows pressed.
    const auto lookOf = [] (juce::Component& c)
    {
        auto* button = dynamic_cast<juce::Button*> (&c);
        return button == nullptr ? juce::String() : juce::String ((int) button->getToggleState()) + " " + juce::String ((int) button->getState());
    };
    const auto pressed = [] { return juce::Desktop::getInstance().getMainMouseSource().isDragging(); };

    for (const auto& s : switches)
    {
        SCOPED_TRACE (s.what);
        auto* button = child<juce::Component> (s.name);
        ASSERT_NE (button, nullptr);
        ASSERT_TRUE (button->isEnabled());
        const float before = engine->getParameter (s.index);
        ASSERT_NE (before, s.clicked);

        const auto at = button->getScreenBounds().getCentre();
        if (s.hasMenu)
        {
            EXPECT_FALSE (menuAfterPressAt (at, 3, false).isEmpty());
            EXPECT_NE (menuItem ("Free Parameter Group"), nullptr) << "not the section's menu";
            EXPECT_EQ (engine->getParameter (s.index), before) << "the right press also pressed the switch";

            juce::PopupMenu::dismissAllActiveMenus();
            ASSERT_TRUE (waitFor ([] { return openMenu() == nullptr; }));
        }
        else
        {
            ASSERT_TRUE (XInput::moveTo (at));
            settle();
            const auto look = lookOf (*button);
            ASSERT_TRUE (XInput::xdotool ({ "mousedown", "3" }));
            ASSERT_TRUE (waitFor (pressed));
            EXPECT_EQ (lookOf (*button), look) << "the switch shows pressed";
            ASSERT_TRUE (XInput::xdotool ({ "mouseup", "3" }));
            ASSERT_TRUE (waitFor ([&] { return ! pressed(); }));
            settle();
            EXPECT_EQ (openMenu(), nullptr);
            EXPECT_EQ (engine->getParameter (s.index), before) << "the right press pressed the switch";
            EXPECT_EQ (lookOf (*button), look) << "the right press left the switch looking otherwise";
        }

        // The left button still presses it.
        ASSERT_TRUE (click (at, 1));
        EXPECT_TRUE (waitFor ([&] { return engine->getParameter (s.index) == s.clicked; }));
        if (auto* toggle = dynamic_cast<juce::Button*> (button))
        {
            EXPECT_TRUE (waitFor ([&] { return toggle->getToggleState() == (s.clicked > 0.5f); }));
        }
    }
}

TEST_F (MenuPlacement, TheKeysLetGoWhileAMenuIsOpenEndAndPlayAfterItClosesOnABareDisplay)
{
    checkTheKeysAroundAMenu (false);
}

TEST_F (MenuPlacement, TheKeysLetGoWhileAMenuIsOpenEndAndPlayAfterItClosesUnderAWindowManager)
{
    checkTheKeysAroundAMenu (true);
}
