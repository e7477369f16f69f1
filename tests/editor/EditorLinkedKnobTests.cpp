// Linked knobs as a musician turns them in the editor: every part of a knob
// does its job in the link view, and every member's value label follows
// each move of its group while the editor's poll runs.

#include "EditorFixture.h"

#include "linking/LinkableParameterKnob.h"
#include "tests/support/PanelMouse.h"

#include <functional>

namespace N = EditorNames;

namespace
{
    void poll (MainControlPanel& panel)   { panel.getParameterLinker().timerCallback(); }

    // The link view's commands: on, then off.
    constexpr int linkViewOn = AudioEngine::editorFirstViewCommand + 2;
    constexpr int linkViewOff = linkViewOn + 1;

    juce::Point<int> capOf (LinkableParameterKnob& knob)      { return knob.getPosition() + knob.getKnobArea().getCentre(); }
    juce::Point<int> handleOf (LinkableParameterKnob& knob)   { return knob.getPosition() + knob.getHandleArea().getCentre(); }

    struct Gesture
    {
        const char* name;
        std::function<void (PanelMouse&, juce::Point<int> cap, const std::function<void()>& pollAndCheck)> play;
    };

    // Each turns a knob's group while the editor's poll runs between events,
    // as it does every 25 ms under a real mouse.
    const Gesture turningGestures[] {
        { "drag", [] (PanelMouse& mouse, juce::Point<int> cap, const std::function<void()>& pollAndCheck)
          {
              mouse.press (cap);
              pollAndCheck();
              for (int step = 1; step <= 3; ++step)
              {
                  mouse.dragTo (cap - juce::Point<int> (0, 10 * step));
                  pollAndCheck();
              }
              mouse.release();
          } },
        { "wheel", [] (PanelMouse& mouse, juce::Point<int> cap, const std::function<void()>&) { mouse.wheel (cap, -0.5f); } },
        { "double click", [] (PanelMouse& mouse, juce::Point<int> cap, const std::function<void()>& pollAndCheck)
          {
              mouse.click (cap);
              pollAndCheck();
              mouse.click (cap, PanelMouse::left, 2);
          } },
    };
}

TEST_F (EditorFixture, EveryMembersValueLabelShowsTheEnginesValueAfterEachMoveOfItsGroup)
{
    auto& editor = openEditor();
    auto& links = engine->getLinkManager();
    // Macro 3 with 4_Glide and 1_Freq.
    const std::pair<int, const char*> members[] { { 82, "Macro3" }, { 60, "4_Glide" }, { 7, "1_Freq" } };
    links.link (82, 60);
    links.link (60, 7);

    for (const auto& gesture : turningGestures)
    {
        SCOPED_TRACE (gesture.name);
        engine->setParameter (82, 0.4f);
        engine->setParameter (60, 0.5f);
        engine->setParameter (7, 0.3f);
        poll (editor);

        const auto labelsShowTheEngine = [&]
        {
            poll (editor);
            for (auto [index, name] : members)
                EXPECT_EQ (child<juce::Label> (N::valueLabel (name))->getText(), engine->getParameterText (index)) << name;
        };

        PanelMouse mouse (editor);
        gesture.play (mouse, capOf (*child<LinkableParameterKnob> ("Macro3")), labelsShowTheEngine);
        labelsShowTheEngine();
        EXPECT_NE (engine->getParameter (60), 0.5f) << "the group did not move";
    }
}

TEST_F (EditorFixture, TheRatioHandleSetsTheRatioByDragWheelAndDoubleClickWithTheLinkViewOnAsOff)
{
    auto& editor = openEditor();
    auto& links = engine->getLinkManager();
    auto& overlay = editor.getLinkEditor();
    // 1_Freq to 3_Freq: the line runs straight over 2_Freq's handle.
    links.link (7, 47);
    overlay.updateConnections();

    for (const int view : { linkViewOn, linkViewOff })
        for (const char* name : { "2_Freq", "Macro4" })
        {
            SCOPED_TRACE (juce::String (name) + (view == linkViewOn ? ", link view on" : ", link view off"));
            editor.handleCommandMessage (view);
            auto* knob = child<LinkableParameterKnob> (name);
            ASSERT_NE (knob, nullptr);
            const int index = knob->getIndex();
            const float value = engine->getParameter (index);
            const auto ratio = [&] { return links.getLinkEntry (index).ratio; };
            const auto handle = handleOf (*knob);
            PanelMouse mouse (editor);

            mouse.press (handle);
            mouse.dragTo (handle - juce::Point<int> (0, 15));
            mouse.dragTo (handle - juce::Point<int> (0, 30));
            EXPECT_TRUE (knob->isInLinkMode()) << "the label shows the ratio while the handle is held";
            mouse.release();
            EXPECT_FLOAT_EQ (ratio(), 1.2f); // 150 pixels per unit

            mouse.wheel (handle, 0.5f);
            EXPECT_FLOAT_EQ (ratio(), 1.2f + 0.5f * LinkableParameterKnob::wheelFactor);

            mouse.doubleClick (handle);
            EXPECT_FLOAT_EQ (ratio(), 1.0f);

            // The knob kept its value, and no link was dragged, made or cut.
            EXPECT_FLOAT_EQ (engine->getParameter (index), value);
            EXPECT_FALSE (overlay.isDragging());
            EXPECT_EQ (links.getLinkPairs(), (std::vector<std::pair<int, int>> { { 7, 47 } }));
        }
}

TEST_F (EditorFixture, AMacrosCapStartsAndTakesLinkDragsInTheLinkViewAndTurnsOtherwise)
{
    auto& editor = openEditor();
    auto& links = engine->getLinkManager();
    auto* macro1 = child<LinkableParameterKnob> ("Macro1");
    auto* macro2 = child<LinkableParameterKnob> ("Macro2");
    auto* freq = child<LinkableParameterKnob> ("2_Freq");
    auto* glide = child<LinkableParameterKnob> ("1_Glide");
    ASSERT_TRUE (macro1 != nullptr && macro2 != nullptr && freq != nullptr && glide != nullptr);
    engine->setParameter (80, 0.5f);
    engine->setParameter (81, 0.5f);
    poll (editor);

    const auto drag = [&] (LinkableParameterKnob& from, LinkableParameterKnob& to)
    {
        PanelMouse mouse (editor);
        mouse.press (capOf (from));
        mouse.dragTo (capOf (from) + juce::Point<int> (0, 4));
        mouse.dragTo ((capOf (from) + capOf (to)) / 2);
        mouse.dragTo (capOf (to));
        mouse.release();
    };

    editor.handleCommandMessage (linkViewOn);
    drag (*macro1, *freq);
    drag (*glide, *macro2);
    EXPECT_EQ (links.getLinkPairs(), (std::vector<std::pair<int, int>> { { 0, 81 }, { 27, 80 } }));
    EXPECT_FLOAT_EQ (engine->getParameter (80), 0.5f);
    EXPECT_FLOAT_EQ (engine->getParameter (81), 0.5f);
    EXPECT_FALSE (editor.getLinkEditor().isDragging());

    // With the view off the cap turns the macro, and its group with it.
    links.freeParameter (80);
    links.freeParameter (81);
    editor.handleCommandMessage (linkViewOff);
    drag (*macro1, *macro2);
    EXPECT_TRUE (links.getLinkPairs().empty());
    EXPECT_LT (engine->getParameter (80), 0.5f);
}
