// The CPU displays: shown from the engine's measured load while the
// CPU-warning switch is on, hidden while it is off, and following the switch
// in the open options dialog at once.

#include "EditorFixture.h"

#include "editor/OptionsDialogOpener.h"
#include "editor/PreferencesDialog.h"
#include "engine/ApplicationPropertiesUser.h"

namespace N = EditorNames;

namespace
{
    /** Opens the real options dialog, off the desktop, with the editor's callbacks. */
    struct RealDialogOpener
    {
        RealDialogOpener()
        {
            OptionsDialogOpener::set ([this] (const OptionsDialogOpener::Request& request) -> juce::Component* {
                PreferencesDialog::EditorCallbacks callbacks;
                callbacks.receiveChannelChosen = request.receiveChannelChosen;
                callbacks.cpuWarningSwitched = request.cpuWarningSwitched;
                dialog = new PreferencesDialog (request.engine, std::move (callbacks));
                return dialog.getComponent();
            });
        }
        ~RealDialogOpener() { OptionsDialogOpener::set ({}); }

        juce::Component::SafePointer<PreferencesDialog> dialog;
    };

    juce::Button* warningSwitch (PreferencesDialog& dialog)
    {
        auto* tabs = MainControlPanel::findChildAs<juce::TabbedComponent> (dialog.getContentComponent(), N::Options::tabs);
        auto* general = tabs != nullptr ? tabs->getTabContentComponent (0) : nullptr;
        return MainControlPanel::findChildAs<juce::Button> (general, N::Options::enableCpuWarning);
    }
}

class EditorCpuDisplays : public EditorFixture
{
protected:
    /** The displays after the panel's timer has read the load. */
    std::pair<bool, bool> shownAt (float load)
    {
        engine->setAudioThreadLoadForTesting (load);
        panel->timerCallback();
        return shown();
    }

    std::pair<bool, bool> shown()
    {
        return { child<juce::Component> (N::cpuWarnDisplay)->isVisible(), child<juce::Component> (N::cpuOverDisplay)->isVisible() };
    }

    using Shown = std::pair<bool, bool>;
    static constexpr Shown none { false, false }, warning { true, false }, both { true, true };
};

TEST_F (EditorCpuDisplays, ShowTheWarningAboveSeventyAndTheOverloadAboveNinetyPercentAndGoAsTheLoadFalls)
{
    openEditor();
    ASSERT_NE (child<juce::Component> (N::cpuWarnDisplay), nullptr);
    ASSERT_NE (child<juce::Component> (N::cpuOverDisplay), nullptr);
    ASSERT_TRUE (panel->isCpuWarningEnabled()) << "on without a settings file";

    engine->setAudioThreadLoadForTesting (0.95f);
    EXPECT_EQ (shown(), none) << "nothing before the panel's timer reads the load";

    const std::pair<float, Shown> steps[] { { 0.50f, none }, { 0.75f, warning }, { 0.95f, both },
                                            { 1.00f, both }, { 0.80f, warning }, { 0.30f, none } };
    for (auto [load, expected] : steps)
        EXPECT_EQ (shownAt (load), expected) << load;
}

TEST_F (EditorCpuDisplays, StayUntilTheLoadFallsClearlyBelowTheirThresholds)
{
    openEditor();
    // A load that hovers about a threshold does not make the icon flicker.
    const std::pair<float, Shown> steps[] { { 0.72f, warning }, { 0.68f, warning }, { 0.71f, warning }, { 0.60f, none },
                                            { 0.68f, none },    { 0.92f, both },    { 0.87f, both },    { 0.91f, both },
                                            { 0.84f, warning }, { 0.88f, warning }, { 0.0f, none } };
    for (auto [load, expected] : steps)
        EXPECT_EQ (shownAt (load), expected) << load;
}

TEST_F (EditorCpuDisplays, StayHiddenAtAnyLoadWhileTheSettingsSwitchTheWarningOff)
{
    {
        Korvalden::Misc::ApplicationPropertiesUser settings ("Kest");
        settings.setValue ("EnableCPUWarning", false);
        ASSERT_TRUE (settings.save());
    }
    openEditor();
    EXPECT_FALSE (panel->isCpuWarningEnabled());
    for (float load : { 0.0f, 0.75f, 0.95f, 1.0f })
        EXPECT_EQ (shownAt (load), none) << load;
}

TEST_F (EditorCpuDisplays, FollowTheSwitchInTheOpenOptionsDialogAtOnce)
{
    RealDialogOpener opener;
    openEditor();
    EXPECT_EQ (shownAt (0.95f), both);

    child<juce::Button> (N::settingsButton)->triggerClick();
    pump (20);
    ASSERT_NE (opener.dialog.getComponent(), nullptr);
    auto* toggle = warningSwitch (*opener.dialog);
    ASSERT_NE (toggle, nullptr);
    ASSERT_TRUE (toggle->getToggleState());

    toggle->setToggleState (false, juce::sendNotificationSync);
    EXPECT_FALSE (panel->isCpuWarningEnabled());
    EXPECT_EQ (shown(), none) << "switched off, both go at once";
    panel->timerCallback();
    EXPECT_EQ (shown(), none) << "and stay away at a load of 95 %";

    toggle->setToggleState (true, juce::sendNotificationSync);
    EXPECT_TRUE (panel->isCpuWarningEnabled());
    EXPECT_EQ (shown(), both) << "switched on, the load shows at once";
    EXPECT_EQ (shownAt (0.75f), warning);
}
