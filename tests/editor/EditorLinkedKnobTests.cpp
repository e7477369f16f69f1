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
