// The editor read at a glance, measured on the painted pixels: the preset
// tree's hollow stars, the header's view switches on and off, and the
// macros' rename field.

#include "EditorFixture.h"

#include "presets/PresetTreeComponent.h"
#include "tests/support/Contrast.h"

#include <algorithm>
#include <vector>

namespace N = EditorNames;

namespace
{
    /** Pixels an icon covers at least this much belong to its body, not its anti-aliased rim. */
    constexpr int solidAlpha = 230;
    /** The same for a thin outline, whose pixels a 1.6-pixel line rarely covers whole. */
    constexpr int lineAlpha = 192;
}

TEST_F (EditorFixture, AHollowStarStandsOutFromTheSelectedRowAndFromAPlainOne)
{
    auto& editor = openEditor();
    editor.handleCommandMessage (11);
    auto* tree = child<Korvalden::Misc::PresetManager::PresetTreeComponent> (N::presetTree);
    ASSERT_TRUE (tree != nullptr && tree->getTreeLookAndFeel() != nullptr);
    ASSERT_TRUE (tree->isVisible());
    auto& look = *tree->getTreeLookAndFeel();

    // A plain row shows what lies under the tree, as its empty bottom does.
    const auto picture = editor.createComponentSnapshot (editor.getLocalBounds());
    const auto plain = picture.getPixelAt (tree->getX() + tree->getWidth() / 2, tree->getBottom() - 4);
    const auto selected = tree->findColour (juce::TreeView::selectedItemBackgroundColourId);

    const int row = 17;
    for (auto [background, rowName] : { std::pair { selected, "selected" }, std::pair { plain, "plain" } })
        for (bool over : { false, true })
        {
            SCOPED_TRACE (juce::String (rowName) + (over ? ", under the mouse" : ""));
            juce::Image alone (juce::Image::ARGB, row, row, true), onRow (juce::Image::ARGB, row, row, true);
            {
                juce::Graphics g (alone);
                look.drawFavoriteButton (g, alone.getBounds(), false, over);
            }
            {
                juce::Graphics g (onRow);
                g.fillAll (background);
                look.drawFavoriteButton (g, onRow.getBounds(), false, over);
            }

            // Every pixel the outline mostly covers reads, not only its darkest.
            int outline = 0;
            double least = 21.0;
            for (int y = 0; y < row; ++y)
                for (int x = 0; x < row; ++x)
                    if (alone.getPixelAt (x, y).getAlpha() >= lineAlpha)
                    {
                        ++outline;
                        least = std::min (least, contrast (onRow.getPixelAt (x, y), background));
                    }
            EXPECT_GE (outline, 20) << "no outline of a star";
            EXPECT_GE (least, 3.0);
            EXPECT_EQ (onRow.getPixelAt (row / 2, row / 2), background) << "the star is not hollow";
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

        // The median contrast of the icon's body against what lies behind it.
        const auto iconContrast = [&, command = onCommand] (bool on)
        {
            editor.handleCommandMessage (on ? command : command + 1);
            EXPECT_EQ (button->getToggleState(), on);
            const auto area = button->getBounds();
            const auto alone = button->createComponentSnapshot (button->getLocalBounds());
            const auto shown = editor.createComponentSnapshot (area);
            button->setVisible (false);
            const auto bare = editor.createComponentSnapshot (area);
            button->setVisible (true);

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
        };

        const double on = iconContrast (true), off = iconContrast (false);
        EXPECT_GE (on, off) << "on " << on << ", off " << off;
        EXPECT_GE (off, 3.0);
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
