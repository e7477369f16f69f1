// The editor read at a glance, measured on the painted pixels: the header's
// view switches on and off, the preset bar's buttons, and the macros' rename
// field.

#include "EditorFixture.h"

#include "tests/support/Contrast.h"

#include <algorithm>
#include <vector>

namespace N = EditorNames;

namespace
{
    /** Pixels an icon covers at least this much belong to its body, not its anti-aliased rim. */
    constexpr int solidAlpha = 230;

    /** The median contrast of a button's icon body against what lies behind it. */
    double iconContrast (juce::Component& editor, juce::Button& button)
    {
        const auto area = button.getBounds();
        const auto alone = button.createComponentSnapshot (button.getLocalBounds());
        const auto shown = editor.createComponentSnapshot (area);
        button.setVisible (false);
        const auto bare = editor.createComponentSnapshot (area);
        button.setVisible (true);

        std::vector<double> contrasts;
        for (int y = 0; y < area.getHeight(); ++y)
            for (int x = 0; x < area.getWidth(); ++x)
                if (alone.getPixelAt (x, y).getAlpha() >= solidAlpha)
                    contrasts.push_back (contrast (shown.getPixelAt (x, y), bare.getPixelAt (x, y)));
        EXPECT_GE (contrasts.size(), 20u) << "no icon";
        if (contrasts.empty())
            return 0.0;
        std::nth_element (contrasts.begin(), contrasts.begin() + (long) contrasts.size() / 2, contrasts.end());
        return contrasts[contrasts.size() / 2];
    }
}

TEST_F (EditorFixture, EachViewSwitchReadsAgainstTheHeaderAtLeastAsWellOnAsOff)
{
    auto& editor = openEditor();
    editor.setVisible (true);

    // The command that switches each on (the next number switches it off).
    const std::pair<const char*, int> switches[] { { N::tooltipButton, 3 }, { N::linkButton, 5 }, { N::valueLabelsButton, 7 },
                                                    { N::keyboardButton, 9 }, { N::presetTreeButton, 11 } };
    for (auto [name, onCommand] : switches)
    {
        SCOPED_TRACE (name);
        auto* button = child<juce::Button> (name);
        ASSERT_NE (button, nullptr);

        const auto switchedContrast = [&, command = onCommand] (bool on)
        {
            editor.handleCommandMessage (on ? command : command + 1);
            EXPECT_EQ (button->getToggleState(), on);
            return iconContrast (editor, *button);
        };

        const double on = switchedContrast (true), off = switchedContrast (false);
        EXPECT_GE (on, off) << "on " << on << ", off " << off;
        EXPECT_GE (off, 3.0);
    }
}

TEST_F (EditorFixture, ThePresetBarsButtonsReadAgainstTheirPlateAndRevertOnlyWhenThereIsSomethingToRevert)
{
    auto& editor = openEditor();
    editor.setVisible (true);
    auto& presets = engine->getPresetManager();
    presets.selectPresetByPath ("*");
    ASSERT_NE (presets.getCurrentItem(), nullptr);

    for (const bool edited : { false, true })
    {
        SCOPED_TRACE (edited ? "edited" : "as loaded");
        presets.setPresetUnmodified (! edited);
        presets.handleUpdateNowIfNeeded();
        for (auto* name : { N::previousButton, N::nextButton, N::saveButton, N::reloadButton })
        {
            SCOPED_TRACE (name);
            auto* button = child<juce::Button> (name);
            ASSERT_NE (button, nullptr);
            const bool dim = name == N::reloadButton && ! edited;
            EXPECT_EQ (button->isEnabled(), ! dim);
            const auto measured = iconContrast (editor, *button);
            if (dim)
                EXPECT_LT (measured, 3.0);
            else
                EXPECT_GE (measured, 3.0);
        }
    }
}

TEST_F (EditorFixture, EveryMacrosRenameFieldShowsItsWholeDefaultName)
{
    auto& editor = openEditor();
    auto& overlay = editor.getLinkEditor();
    for (int m = 1; m <= N::numMacros; ++m)
    {
        SCOPED_TRACE (m);
        ParameterLinkEditor::LinkTarget* macro = nullptr;
        for (auto& target : overlay.getTargets())
            if (target->indexes == std::vector<int> { N::firstMacroParameter + m - 1 })
                macro = target.get();
        ASSERT_NE (macro, nullptr);

        overlay.menuItemChosen (*macro, ParameterLinkEditor::renameItem);
        auto* field = child<juce::TextEditor> ("NameQuestioner");
        ASSERT_NE (field, nullptr);
        EXPECT_EQ (field->getText(), "MAKRO " + juce::String (m));
        // The laid-out text with its indents is no wider than the field's inside: nothing scrolls away.
        EXPECT_LE (field->getTextWidth(), field->getWidth() - field->getBorder().getLeftAndRight());

        field->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
        pump (20);
        ASSERT_EQ (child<juce::TextEditor> ("NameQuestioner"), nullptr);
    }
}
