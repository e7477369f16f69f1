// The options dialog as a user meets it: its lists under a window manager,
// where the pointer rests on a list until its tooltip shows, a while longer,
// and presses; and the settings' "Write Error" that a change brings when the
// settings file cannot be written, on a bare display and under a window
// manager, while the user clicks the windows it blocks; it, and the one a
// star that cannot be saved brings over the editor alone, is marked to the
// window manager as belonging to the window it blocks.

#include "DesktopEditorFixture.h"
#include "engine/ApplicationPropertiesUser.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WindowManager.h"

namespace
{
namespace O = EditorNames::Options;

/** The open list's menu, in its own window or inside the dialog's. */
juce::Component* openList (juce::Component& dialog)
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* c = desktop.getComponent (i); c != nullptr && c->getName() == "menu" && c->isShowing())
            return c;
    for (auto* c : dialog.getChildren())
        if (c->getName() == "menu" && c->isShowing())
            return c;
    return nullptr;
}

::Window windowOf (juce::Component& component)
{
    auto* peer = component.getPeer();
    return peer != nullptr ? (::Window) (juce::pointer_sized_uint) peer->getNativeHandle() : 0;
}

/** The window the server has a window marked as belonging to (its
    WM_TRANSIENT_FOR, which a window manager reads to keep it in front of
    that one); 0 when it has no mark. */
::Window markedAsBelongingTo (Display* display, juce::Component& window)
{
    ::Window owner = 0;
    return windowOf (window) != 0 && XGetTransientForHint (display, windowOf (window), &owner) != 0 ? owner : 0;
}
} // namespace

class OptionsDialogList : public DesktopEditorFixture
{
protected:
    /** Opens the options dialog with the settings button and shows its MIDI page. */
    juce::Component* openMidiPage()
    {
        if (openOptionsDialog() == nullptr)
            return nullptr;

        auto* tabs = MainControlPanel::findChildAs<juce::TabbedComponent> (optionsDialog()->getContentComponent(), O::tabs);
        EXPECT_NE (tabs, nullptr);
        if (tabs == nullptr || ! click (tabs->getTabbedButtonBar().getTabButton (1)->getScreenBounds().getCentre(), 1)
            || ! waitFor ([tabs] { return tabs->getCurrentTabIndex() == 1; }))
            return nullptr;
        settle();
        return tabs->getCurrentContentComponent();
    }

    /** The settings file cannot be written (a link into a folder that is not
        there); a change in the dialog brings the settings' "Write Error"
        some seconds later, which must stay in front of the dialog and the
        editor while the user clicks them, and once answered leave the dialog
        taking clicks again.  It is marked as the dialog's, and the Write
        Error of a star that cannot be saved (the favourites file leads into
        that folder too) as the editor's, by their own windows.  A process
        tells a settings file's failure once, so each kind of display runs in
        a test of its own. */
    void checkTheWriteErrorStaysInFront (bool withWindowManager)
    {
        std::optional<WindowManager> manager;
        if (withWindowManager)
        {
            manager.emplace (display.get());
            ASSERT_TRUE (manager->running) << "no window manager: tools/setup.sh installs openbox";
        }
        const auto settingsFile = Korvalden::Misc::ApplicationPropertiesUser::getSettingsFile ("Kest");
        ScratchFolder scratch ("kest-settings");
        ASSERT_TRUE (scratch.wasCreated());
        ASSERT_TRUE (settingsFile.getParentDirectory().createDirectory());
        ASSERT_TRUE (scratch.getChildFile ("gone").getChildFile ("Kest.prop").createSymbolicLink (settingsFile, true));
        // The favourites file leads there too, for a Write Error over the editor alone.
        ASSERT_TRUE (scratch.getChildFile ("gone").getChildFile ("Kest.Favorites.xml").createSymbolicLink (AudioEngine::getFavoritesFile(), true));
        const auto warm = addUserPreset ("Warm");

        showEditor();
        auto* dialog = openOptionsDialog();
        ASSERT_NE (dialog, nullptr) << "the options dialog did not open";
        auto* tabs = MainControlPanel::findChildAs<juce::TabbedComponent> (dialog->getContentComponent(), O::tabs);
        ASSERT_NE (tabs, nullptr);
        auto* warningSwitch = MainControlPanel::findChildAs<juce::Button> (tabs->getTabContentComponent (0), O::enableCpuWarning);
        ASSERT_NE (warningSwitch, nullptr);
        ASSERT_TRUE (click (warningSwitch->getScreenBounds().getCentre(), 1));
        ASSERT_TRUE (waitFor ([this] { return alertTitled ("Write Error") != nullptr && ! XInput::screenBounds (display.get(), *alertTitled ("Write Error")).isEmpty(); },
                              60000))
            << "nothing told the user";
        auto& alert = *alertTitled ("Write Error");
        // Marked as the dialog's by the dialog's own window, not by the frame
        // a window manager put around it.
        EXPECT_EQ (markedAsBelongingTo (display.get(), alert), windowOf (*dialog)) << "the dialog is " << windowOf (*dialog);
        const auto inFront = [&]
        {
            const auto alertAt = XInput::stackingPosition (display.get(), alert);
            return alertAt > XInput::stackingPosition (display.get(), *dialog) && alertAt > XInput::stackingPosition (display.get(), *panel);
        };
        EXPECT_TRUE (waitFor (inFront)) << "the alert opened behind a window it blocks";

        // A click on the dialog, then one on the editor.
        for (auto* clicked : { static_cast<juce::Component*> (dialog), static_cast<juce::Component*> (panel.get()) })
        {
            SCOPED_TRACE (clicked == dialog ? "a click on the dialog" : "a click on the editor");
            // A point near a lower corner of the window clicked that the
            // windows in front of it leave free, where the window manager has
            // placed them by now.
            const auto covered = [&] (juce::Point<int> spot)
            {
                return alert.getScreenBounds().contains (spot) || (clicked != dialog && dialog->getScreenBounds().contains (spot));
            };
            juce::Point<int> point;
            ASSERT_TRUE (waitFor ([&]
            {
                const auto area = clicked->getScreenBounds();
                for (const auto spot : { area.getBottomLeft() + juce::Point<int> (12, -120), area.getBottomRight() + juce::Point<int> (-12, -120) })
                    if (! covered (spot))
                        return (point = spot), true;
                return false;
            })) << "the windows in front cover the window clicked: alert " << alert.getScreenBounds().toString()
                << ", dialog " << dialog->getScreenBounds().toString();
            const MouseRead read;
            ASSERT_TRUE (click (point, 1));
            ASSERT_TRUE (waitFor ([&read] { return read.presses > 0; })) << "the program never read the click";
            // In front once the program has answered the click, and still after a while.
            EXPECT_TRUE (waitFor (inFront)) << "the click put the alert behind a window it blocks";
            settle();
            EXPECT_TRUE (waitFor (inFront)) << "the alert went behind a window it blocks";
        }

        // Answered, the alert goes, and the dialog takes clicks again.
        ASSERT_TRUE (waitFor ([&alert] { return alert.hasKeyboardFocus (true); }));
        ASSERT_TRUE (XInput::key ("Return"));
        ASSERT_TRUE (waitFor ([] { return alertTitled ("Write Error") == nullptr; }));
        auto* ok = MainControlPanel::findChildAs<juce::Button> (dialog->getContentComponent(), O::okButton);
        ASSERT_NE (ok, nullptr);
        ASSERT_TRUE (click (ok->getScreenBounds().getCentre(), 1));
        EXPECT_TRUE (waitFor ([] { return optionsDialog() == nullptr; })) << "the dialog's OK did nothing";

        // Over the editor alone, a star that cannot be saved: marked as the editor's.
        auto* row = userPresetRow (warm);
        auto* star = row != nullptr ? buttonWithText (*row) : nullptr;
        ASSERT_NE (star, nullptr);
        ASSERT_TRUE (click (star->getScreenBounds().getCentre(), 1));
        ASSERT_TRUE (waitFor ([this] { return alertTitled ("Write Error") != nullptr && ! XInput::screenBounds (display.get(), *alertTitled ("Write Error")).isEmpty(); }))
            << "nothing told the user";
        auto& starAlert = *alertTitled ("Write Error");
        EXPECT_EQ (markedAsBelongingTo (display.get(), starAlert), windowOf (*panel)) << "the editor is " << windowOf (*panel);
        ASSERT_TRUE (waitFor ([&starAlert] { return starAlert.hasKeyboardFocus (true); }));
        ASSERT_TRUE (XInput::key ("Return"));
        EXPECT_TRUE (waitFor ([] { return alertTitled ("Write Error") == nullptr; }));
    }

    bool tooltipShows()
    {
        auto* tip = panel->getTooltipWindow();
        return tip != nullptr && tip->isShowing() && ! XInput::screenBounds (display.get(), *tip).isEmpty();
    }
};

TEST_F (OptionsDialogList, EveryPressOnAListOpensItAlsoAfterItsTooltipShowedAWhile)
{
    WindowManager manager (display.get());
    ASSERT_TRUE (manager.running) << "no window manager: tools/setup.sh installs openbox";
    showEditor();
    ASSERT_NE (panel->getTooltipWindow(), nullptr) << "tooltips are on in a new editor";
    auto* page = openMidiPage();
    ASSERT_NE (page, nullptr) << "the options dialog's MIDI page did not open";
    auto& dialog = *optionsDialog();

    // A press once the tooltip shows, and one after the pointer rested a while longer.
    for (const int restAfterTip : { 0, 3000 })
    {
        for (int slot = 0; slot < 5; ++slot)
        {
            SCOPED_TRACE ("the receive-channel list of slot " + juce::String (slot) + ", resting "
                          + juce::String (restAfterTip) + " ms after the tooltip showed");
            auto* list = MainControlPanel::findChildAs<juce::ComboBox> (page, O::channelCombo (slot));
            ASSERT_NE (list, nullptr);
            ASSERT_TRUE (XInput::moveTo (list->getScreenBounds().getCentre()));
            ASSERT_TRUE (waitFor ([this] { return tooltipShows(); })) << "no tooltip showed";
            pump (restAfterTip);

            // Held as a user's press lasts: the list must open and stay open.
            ASSERT_TRUE (XInput::xdotool ({ "mousedown", "1" }));
            const bool opened = waitFor ([&dialog] { return openList (dialog) != nullptr; });
            pump (400);
            ASSERT_TRUE (XInput::xdotool ({ "mouseup", "1" }));
            settle();
            EXPECT_TRUE (opened && openList (dialog) != nullptr) << (opened ? "the list closed again at once" : "the press opened nothing");

            juce::PopupMenu::dismissAllActiveMenus();
            ASSERT_TRUE (waitFor ([&dialog] { return openList (dialog) == nullptr; }));
            settle();
        }
    }

    // A click on an item of the open list chooses it.
    auto* orva = MainControlPanel::findChildAs<juce::ComboBox> (page, O::channelCombo (1));
    ASSERT_TRUE (click (orva->getScreenBounds().getCentre(), 1));
    ASSERT_TRUE (waitFor ([&dialog] { return openList (dialog) != nullptr; }));
    pump (400); // a list takes no release in its first quarter second, nor does a user click that fast
    juce::Component* item = nullptr;
    for (auto* c : openList (dialog)->getChildren())
        if (auto* handler = c->getAccessibilityHandler(); handler != nullptr && handler->getTitle() == "2")
            item = c;
    ASSERT_NE (item, nullptr);
    ASSERT_TRUE (click (item->getScreenBounds().getCentre(), 1));
    EXPECT_TRUE (waitFor ([&dialog] { return openList (dialog) == nullptr; }));
    EXPECT_TRUE (waitFor ([orva] { return orva->getSelectedId() == 2; }));
    EXPECT_EQ (engine->getReceiveChannel (1), 2);
}

TEST_F (OptionsDialogList, ASettingsWriteErrorStaysInFrontOfTheWindowsItBlocksOnABareDisplay)
{
    checkTheWriteErrorStaysInFront (false);
}

TEST_F (OptionsDialogList, ASettingsWriteErrorStaysInFrontOfTheWindowsItBlocksUnderAWindowManager)
{
    checkTheWriteErrorStaysInFront (true);
}

// Closed with OK or Escape, also after a press on the settings button (which
// brings the open dialog forward), the dialog leaves the input focus with
// the editor on a display without a window manager: held computer keys play
// without a click, wherever the pointer rests.  A computer key held as the
// dialog opens and let go while it is open (where the editor's keyboard
// does not see it) leaves no note sounding.
TEST_F (OptionsDialogList, TheKeysPlayWithoutAClickOnceTheDialogClosesOnABareDisplay)
{
    showEditor();
    const struct
    {
        const char* what;
        bool settingsPressedFirst;
        bool withEscape;
    } closings[] {
        { "closed with OK", false, false },
        { "closed with Escape", false, true },
        { "the settings button pressed, then closed with Escape", true, true },
    };
    for (const auto& closing : closings)
    {
        SCOPED_TRACE (closing.what);
        ASSERT_TRUE (holdA()) << "the key played nothing before the dialog opened";
        auto* dialog = openOptionsDialog();
        ASSERT_NE (dialog, nullptr) << "the options dialog did not open";
        ASSERT_TRUE (waitFor ([dialog] { return dialog->hasKeyboardFocus (true); }));
        ASSERT_TRUE (XInput::xdotool ({ "keyup", "a" }));
        settle();
        auto* ok = MainControlPanel::findChildAs<juce::Button> (dialog->getContentComponent(), O::okButton);
        ASSERT_NE (ok, nullptr);
        if (closing.settingsPressedFirst)
        {
            ASSERT_TRUE (click (child<juce::Button> (EditorNames::settingsButton)->getScreenBounds().getCentre(), 1));
        }
        ASSERT_TRUE (closing.withEscape ? waitFor ([dialog] { return dialog->hasKeyboardFocus (true); }) && XInput::key ("Escape")
                                        : click (ok->getScreenBounds().getCentre(), 1));
        ASSERT_TRUE (waitFor ([] { return optionsDialog() == nullptr; })) << "the dialog stayed open";
        expectTheNoteOfALetGoEnds();

        // Beside the editor, the pointer leads no key to it: only the input focus does.
        ASSERT_TRUE (XInput::moveTo (panel->getScreenBounds().getBottomRight() + juce::Point<int> (40, 40)));
        EXPECT_TRUE (heldKeyPlays()) << "the keys play nothing after the dialog closed";
    }
}
