#include "EditorFixture.h"

#include "editor/EditorTooltips.h"
#include "linking/LinkableParameterKnob.h"
#include "tests/support/Contrast.h"
#include "tests/support/MouseEvents.h"

namespace N = EditorNames;

namespace
{
    void poll (MainControlPanel& panel)   { panel.getParameterLinker().timerCallback(); }

    /** Drags a knob's cap upward by pixels. */
    void dragUp (LinkableParameterKnob& knob, float pixels)
    {
        const auto centre = knob.getKnobArea().getCentre().toFloat();
        const juce::ModifierKeys left (juce::ModifierKeys::leftButtonModifier);
        knob.mouseDown (mouseAt (knob, centre, centre, left, false));
        knob.mouseDrag (mouseAt (knob, centre.translated (0.0f, -pixels), centre, left, true));
        knob.mouseUp (mouseAt (knob, centre.translated (0.0f, -pixels), centre, {}, true));
    }

    const ParameterLinkEditor::LinkTarget* findTarget (ParameterLinkEditor& links, const std::vector<int>& indexes)
    {
        for (auto& target : links.getTargets())
            if (target->indexes == indexes)
                return target.get();
        return nullptr;
    }

    /** A left-button drag on the panel from one point to another (panel
        coordinates), delivered as the framework delivers it: every event goes
        to the component pressed (the one the panel finds under the press),
        then to the panel's mouse listener, the link overlay. */
    void dragAcross (MainControlPanel& panel, juce::Point<int> from, juce::Point<int> to)
    {
        panel.setVisible (true); // as in the host's window
        auto* pressed = panel.getComponentAt (from);
        ASSERT_NE (pressed, nullptr);
        auto& overlay = panel.getLinkEditor();
        const auto local = [&] (juce::Point<int> p) { return pressed->getLocalPoint (&panel, p).toFloat(); };
        const auto down = local (from);
        const juce::ModifierKeys left (juce::ModifierKeys::leftButtonModifier);

        const auto pressEvent = mouseAt (*pressed, down, down, left, false);
        pressed->mouseDown (pressEvent);
        overlay.mouseDown (pressEvent);
        for (auto p : { from + juce::Point<int> (0, 4), (from + to) / 2, to })
        {
            const auto dragEvent = mouseAt (*pressed, local (p), down, left, true);
            pressed->mouseDrag (dragEvent);
            overlay.mouseDrag (dragEvent);
        }
        const auto releaseEvent = mouseAt (*pressed, local (to), down, {}, true);
        pressed->mouseUp (releaseEvent);
        overlay.mouseUp (releaseEvent);
    }

    // The link view's commands: the second view switch, on then off.
    constexpr int linkViewOn = AudioEngine::editorFirstViewCommand + 2;
    constexpr int linkViewOff = linkViewOn + 1;

    juce::Point<int> centreOf (juce::Component* c)   { return c != nullptr ? c->getBounds().getCentre() : juce::Point<int>(); }
}

TEST_F (EditorFixture, KnobsCarryTheirNamesTooltipsAndValueLabels)
{
    auto& editor = openEditor();
    for (int d = 1; d <= N::numDevices; ++d)
        for (int i = 0; i < N::numDeviceKnobs; ++i)
        {
            const auto name = N::deviceKnob (d, N::deviceKnobs[i]);
            auto* knob = child<LinkableParameterKnob> (name);
            ASSERT_NE (knob, nullptr) << name;
            EXPECT_EQ (knob->getIndex(), 20 * (d - 1) + N::deviceKnobs[i].offset);
            EXPECT_EQ (knob->getTooltip(), EditorTooltips::deviceTooltip (EditorTooltips::deviceKnobs[i], d));
            EXPECT_EQ (knob->findColour (0), juce::Colour (N::deviceColours[d - 1]));

            auto* label = child<juce::Label> (N::valueLabel (name));
            ASSERT_NE (label, nullptr);
            EXPECT_EQ (knob->getValueLabel(), label);
            EXPECT_EQ (label->getText(), engine->getParameterText (knob->getIndex())) << name;
            EXPECT_EQ (editor.getValueLabelFaders().count (label), 1u);
        }

    EXPECT_EQ (child<LinkableParameterKnob> ("3_Release")->getTooltip(), "changes the envelope release time for Device MUNE");
    for (int m = 1; m <= N::numMacros; ++m)
    {
        auto* macro = child<LinkableParameterKnob> (N::macroKnob (m));
        ASSERT_NE (macro, nullptr);
        EXPECT_EQ (macro->getIndex(), 79 + m);
        EXPECT_EQ (macro->getTooltip(), "a control that can be linked to other parameters");
        EXPECT_EQ (macro->findColour (0), juce::Colour (0xFF7D7D7D));
    }
    // 72 knob labels and the master volume's.
    EXPECT_EQ (editor.getValueLabelFaders().size(), 73u);
}

TEST_F (EditorFixture, KnobsMoveTheEngineAndFollowTheHostWithinOnePoll)
{
    auto& editor = openEditor();
    auto* glide = child<LinkableParameterKnob> ("2_Glide");
    ASSERT_NE (glide, nullptr);

    engine->setParameter (20, 0.0f);
    poll (editor);
    EXPECT_FLOAT_EQ (glide->getValue(), 0.0f);
    dragUp (*glide, 75.0f);                     // 150 pixels per unit of the stretched -1..1 range
    EXPECT_NEAR (engine->getParameter (20), 0.25f, 1.0e-4f);
    EXPECT_EQ (child<juce::Label> ("Value_2_Glide")->getText(), engine->getParameterText (20));

    engine->setParameter (20, 0.8f);
    poll (editor);
    EXPECT_FLOAT_EQ (glide->getValue(), 0.8f);
    EXPECT_EQ (child<juce::Label> ("Value_2_Glide")->getText(), engine->getParameterText (20));

    // The Tune knobs move in 48 steps; the Glide knob beside them does not.
    auto* tune = child<LinkableParameterKnob> ("2_Tune");
    ASSERT_NE (tune, nullptr);
    engine->setParameter (21, 0.5f);
    poll (editor);
    dragUp (*tune, 10.0f);
    const float steps = engine->getParameter (21) * 48.0f;
    EXPECT_NEAR (steps, std::round (steps), 1.0e-3f);
    EXPECT_GT (engine->getParameter (21), 0.5f);
}

TEST_F (EditorFixture, LinkTargetsReplaceEveryPlaceholder)
{
    auto& editor = openEditor();
    for (auto* c : editor.getChildren())
        EXPECT_FALSE (c->getName().startsWith ("LinkerPar_") || c->getName().startsWith ("LinkerGrp_")) << c->getName();

    auto& links = editor.getLinkEditor();
    ASSERT_EQ (links.getTargets().size(), 72u + 16u);

    int renamable = 0;
    for (auto& target : links.getTargets())
        renamable += target->renamable ? 1 : 0;
    EXPECT_EQ (renamable, 8);

    // Decay of MUNE: its knob's bounds, device colour and the Decay column (the 13th).
    auto* decay = findTarget (links, { 55 });
    ASSERT_NE (decay, nullptr);
    EXPECT_EQ (decay->column, 12);
    EXPECT_EQ (decay->colour, juce::Colour (0xFFFD17CA));
    EXPECT_TRUE (decay->area.intersects (child<juce::Component> ("3_Decay")->getBounds()));
    EXPECT_EQ (decay->copyGroup->getName(), "SingleParameter");

    auto* macro = findTarget (links, { 84 });
    ASSERT_NE (macro, nullptr);
    EXPECT_TRUE (macro->renamable);
    EXPECT_EQ (macro->colour, juce::Colour (0xFF5F6062));
    EXPECT_EQ (macro->column, -1);

    // The VCF of KEST shows five knobs and copies six values, Tracking included.
    auto* vcf = findTarget (links, { 67, 69, 72, 70, 71 });
    ASSERT_NE (vcf, nullptr);
    EXPECT_EQ (vcf->copyGroup->getName(), "VCF");
    EXPECT_EQ (vcf->copyGroup->getIndexes(), (std::vector<int> { 67, 68, 69, 72, 70, 71 }));

    auto* device = findTarget (links, { 20, 21, 22, 25, 26, 27, 29, 32, 30, 31, 33, 34, 35, 36, 37, 38 });
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (device->copyGroup->getName(), "Device");
    EXPECT_EQ (device->copyGroup->getIndexes().size(), 19u);
}

TEST_F (EditorFixture, CopyAndPasteBetweenModulesOfTwoDevices)
{
    auto& editor = openEditor();
    auto& links = editor.getLinkEditor();
    auto* from = findTarget (links, { 7, 9, 12, 10, 11 });
    auto* to = findTarget (links, { 67, 69, 72, 70, 71 });
    ASSERT_NE (from, nullptr);
    ASSERT_NE (to, nullptr);

    const int source[] { 7, 8, 9, 12, 10, 11 };
    for (int i = 0; i < 6; ++i)
        engine->setParameter (source[i], 0.1f * (float) (i + 1));
    poll (editor);
    from->copyGroup->copy (0);
    to->copyGroup->paste();
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR (engine->getParameter (source[i] + 60), 0.1f * (float) (i + 1), 1.0e-6f) << source[i] + 60;
}

TEST_F (EditorFixture, DraggingOneKnobOntoAnotherLinksThemInTheLinkViewAndTurnsItOtherwise)
{
    auto& editor = openEditor();
    auto* freq1 = child<LinkableParameterKnob> ("1_Freq");
    auto* freq2 = child<LinkableParameterKnob> ("2_Freq");
    ASSERT_TRUE (freq1 != nullptr && freq2 != nullptr);
    auto& links = engine->getLinkManager();
    const auto unlinked = [&] { return links.getLinkPairs().empty(); };

    engine->setParameter (7, 0.8f);
    engine->setParameter (27, 0.3f);
    poll (editor);

    // Link view off: the drag turns 1_Freq down by a third and links nothing.
    // From the rim of the knob's target, beside the cap, it does neither.
    editor.handleCommandMessage (linkViewOff);
    dragAcross (editor, centreOf (freq1), centreOf (freq2));
    EXPECT_NEAR (engine->getParameter (7), 0.8f - 1.0f / 3.0f, 1.0e-4f);
    EXPECT_TRUE (unlinked());
    const auto rim = findTarget (editor.getLinkEditor(), { 7 })->area.getBottomLeft() + juce::Point<int> (20, -1);
    editor.setVisible (true);
    ASSERT_EQ (editor.getComponentAt (rim), freq1);
    engine->setParameter (7, 0.8f);
    poll (editor);
    dragAcross (editor, rim, centreOf (freq2));
    EXPECT_FLOAT_EQ (engine->getParameter (7), 0.8f);
    EXPECT_TRUE (unlinked());
    EXPECT_FALSE (editor.getLinkEditor().isDragging());

    // A macro's caption beside its knob drags a link all the same.
    const auto caption = findTarget (editor.getLinkEditor(), { 80 })->area.getCentre() + juce::Point<int> (0, 6);
    ASSERT_EQ (dynamic_cast<LinkableParameterKnob*> (editor.getComponentAt (caption)), nullptr);
    dragAcross (editor, caption, centreOf (freq2));
    EXPECT_EQ (links.getLinkPairs(), (std::vector<std::pair<int, int>> { { 27, 80 } }));
    links.freeParameter (80);
    editor.getLinkEditor().updateConnections();

    // Link view on: the same drag links the two and turns neither.
    engine->setParameter (7, 0.8f);
    poll (editor);
    editor.handleCommandMessage (linkViewOn);
    dragAcross (editor, centreOf (freq1), centreOf (freq2));
    EXPECT_EQ (links.getLinkPairs(), (std::vector<std::pair<int, int>> { { 7, 27 } }));
    EXPECT_FLOAT_EQ (engine->getParameter (7), 0.8f);
    EXPECT_FLOAT_EQ (engine->getParameter (27), 0.3f);
    EXPECT_FALSE (editor.getLinkEditor().isDragging());

    // Switched off again, the knob turns once more.
    editor.handleCommandMessage (linkViewOff);
    dragAcross (editor, centreOf (freq1), centreOf (freq2));
    EXPECT_LT (engine->getParameter (7), 0.8f);
}

TEST_F (EditorFixture, LinkLinesStandOutFromThePanelTheyCross)
{
    auto& editor = openEditor();
    auto& overlay = editor.getLinkEditor();
    editor.handleCommandMessage (linkViewOn);

    // Emphasis and Envelope of ORVA sit side by side: the line between them
    // crosses bare panel.  Across it, the line must show against the panel
    // it covers with the contrast asked of graphics (3:1), plain or highlighted.
    const auto from = findTarget (overlay, { 12 })->centre(), to = findTarget (overlay, { 9 })->centre();
    ASSERT_EQ (from.y, to.y);
    const auto middle = (from + to) / 2;
    const auto bare = editor.createComponentSnapshot (editor.getLocalBounds());

    const auto strongestContrast = [&]
    {
        const auto image = editor.createComponentSnapshot (editor.getLocalBounds());
        double strongest = 1.0;
        for (int y = middle.y - 10; y <= middle.y + 10; ++y)
            strongest = juce::jmax (strongest, contrast (image.getPixelAt (middle.x, y), bare.getPixelAt (middle.x, y)));
        return strongest;
    };

    engine->getLinkManager().link (12, 9);
    overlay.updateConnections();
    EXPECT_GE (strongestContrast(), 3.0);
    // The line itself keeps its colour.
    EXPECT_EQ (editor.createComponentSnapshot (editor.getLocalBounds()).getPixelAt (middle.x, middle.y), juce::Colour (0xFFF5F5F5));

    overlay.mouseMove (mouseAt (editor, from.toFloat(), from.toFloat(), {}, false));
    overlay.showHighlight();
    ASSERT_EQ (overlay.getHighlightSet(), (std::set<int> { 9, 12 }));
    EXPECT_GE (strongestContrast(), 3.0);
}
