// The options dialog's lists as a user meets them under a window manager:
// the pointer rests on a list until its tooltip shows, a while longer, and
// presses.

#include "DesktopEditorFixture.h"
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
