#include "tests/linking/LinkGuiSupport.h"

using Event = FakeDirtyCheckProcessor::Event;

TEST (LinkableKnobMapping, DragsMoveThroughAStretchedSpaceThatGrowsLogarithmicallyBeyondTheEnds)
{
    // 150 pixels are one unit of the stretched space, which spans 0..1 twice over.
    EXPECT_FLOAT_EQ (LinkableParameterKnob::mapDragToValue (0, 0.0f, 150.0f / 150.0f), 0.5f);
    EXPECT_FLOAT_EQ (LinkableParameterKnob::mapDragToValue (0, 0.0f, 300.0f / 150.0f), 1.0f);
    // With ctrl it takes ten times the distance.
    EXPECT_FLOAT_EQ (LinkableParameterKnob::mapDragToValue (0, 0.0f, 1500.0f / 1500.0f), 0.5f);
    EXPECT_FLOAT_EQ (LinkableParameterKnob::mapDragToValue (0, 0.0f, 3000.0f / 1500.0f), 1.0f);

    // Past the end the target keeps growing, ever more slowly, and comes back the same way.
    EXPECT_NEAR (LinkableParameterKnob::mapDragToValue (0, 1.0f, 0.5f), 1.3244f, 1.0e-4f);
    EXPECT_NEAR (LinkableParameterKnob::mapDragToValue (0, 1.3244f, -0.5f), 1.0f, 1.0e-4f);
    EXPECT_NEAR (LinkableParameterKnob::mapDragToValue (0, 0.0f, -0.5f), -0.3244f, 1.0e-4f);

    // Steps quantise inside 0..1 only.
    EXPECT_FLOAT_EQ (LinkableParameterKnob::mapDragToValue (48, 0.5f, 0.03f), 25.0f / 48.0f);
    EXPECT_FLOAT_EQ (LinkableParameterKnob::mapDragToValue (48, 0.5f, 0.01f), 0.5f);
    EXPECT_FLOAT_EQ (LinkableParameterKnob::mapDragToValue (300, 0.5f, 2.0f / 300.0f), 151.0f / 300.0f);
    EXPECT_NEAR (LinkableParameterKnob::mapDragToValue (48, 1.0f, 0.5f), 1.3244f, 1.0e-4f);
}

TEST_F (KnobFixture, KnobAndHandleAreasFollowTheStripFrame)
{
    auto& k = knob (0, 0.0f);
    EXPECT_EQ (k.getKnobArea(), juce::Rectangle<int> (10, 10, 40, 40));
    EXPECT_EQ (k.getHandleArea(), juce::Rectangle<int> (25, 0, 10, 10));
}

TEST_F (KnobFixture, VerticalDragsSetTheValueWithNormalAndFineSensitivity)
{
    auto& k = knob (0, 0.0f);
    drag (k, 30.0f, { -120.0f }, left());
    EXPECT_FLOAT_EQ (processor.getParameter (0), 0.5f);

    processor.storeQuietly (0, 0.0f);
    k.parameterChanged (0, 0.0f);
    drag (k, 30.0f, { -270.0f }, left());
    EXPECT_FLOAT_EQ (processor.getParameter (0), 1.0f);

    k.parameterChanged (0, 0.0f);
    drag (k, 30.0f, { -1470.0f }, left (juce::ModifierKeys::ctrlModifier));
    EXPECT_FLOAT_EQ (processor.getParameter (0), 0.5f);

    k.parameterChanged (0, 0.0f);
    drag (k, 30.0f, { -2970.0f }, left (juce::ModifierKeys::ctrlModifier));
    EXPECT_FLOAT_EQ (processor.getParameter (0), 1.0f);
}

TEST_F (KnobFixture, PressingCtrlDuringADragChangesSensitivityWithoutAJump)
{
    auto& k = knob (0, 0.0f);
    const juce::Point<float> start (30.0f, 30.0f);
    k.mouseDown (mouseAt (k, start, start, left(), false));
    k.mouseDrag (mouseAt (k, { 30.0f, -45.0f }, start, left(), true)); // 75 px: 0.25
    EXPECT_FLOAT_EQ (k.getValue(), 0.25f);

    k.modifierKeysChanged (left (juce::ModifierKeys::ctrlModifier));
    k.mouseDrag (mouseAt (k, { 30.0f, -45.0f }, start, left (juce::ModifierKeys::ctrlModifier), true));
    EXPECT_FLOAT_EQ (k.getValue(), 0.25f);
    k.mouseDrag (mouseAt (k, { 30.0f, -195.0f }, start, left (juce::ModifierKeys::ctrlModifier), true));
    EXPECT_FLOAT_EQ (k.getValue(), 0.3f); // 150 px fine: a tenth of a unit

    // Letting go of ctrl re-anchors too, even when only the drag event tells.
    k.mouseDrag (mouseAt (k, { 30.0f, -270.0f }, start, left(), true));
    EXPECT_FLOAT_EQ (k.getValue(), 0.55f);
    k.mouseUp (mouseAt (k, { 30.0f, -270.0f }, start, {}, true));
}

TEST_F (KnobFixture, KnobDragMovesTheGroupInsideGesturesOnEveryMember)
{
    auto& start = knob (0, 0.5f);
    auto& partner = knob (20, 0.9f);
    processor.storeQuietly (60, 0.3f); // a member without a knob: connected, not moved
    manager.link (0, 20);
    manager.link (20, 60);
    resetCounts();

    drag (start, 30.0f, { 0.0f, -45.0f }, left(), false);
    EXPECT_TRUE (start.isBusy());
    EXPECT_TRUE (partner.isBusy());

    // A report from the binding's poll is ignored while the gesture is open.
    partner.parameterChanged (20, 0.1f);
    EXPECT_NEAR (partner.getValue(), 1.15f, 1.0e-6f);

    start.mouseUp (mouseAt (start, { 30.0f, -45.0f }, { 30.0f, 30.0f }, {}, true));
    EXPECT_FALSE (start.isBusy());
    EXPECT_FALSE (partner.isBusy());

    // 30 px: 0.6; 75 px: 0.75.  The partner follows by the same change and is clamped for the host.
    EXPECT_EQ (hostEvents (processor),
               (std::vector<Event> { beginOf (0), beginOf (20), beginOf (60),
                                     valueOf (0, 0.6f), valueOf (20, 1.0f),
                                     valueOf (0, 0.75f),
                                     endOf (0), endOf (20), endOf (60) }));
    EXPECT_FLOAT_EQ (start.getValue(), 0.75f);
    EXPECT_EQ (processor.getParameter (60), 0.3f);
    EXPECT_EQ (labels[1]->getText(), "1.000  u");

    // Dragging on past the end: the group stops once every member is at its
    // end; the partner keeps its own value beyond 1, the host hears 1.
    drag (start, 30.0f, { -120.0f }, left());
    EXPECT_FLOAT_EQ (start.getValue(), 1.0f);
    EXPECT_NEAR (partner.getValue(), 1.4f, 1.0e-6f);
    EXPECT_EQ (processor.getParameter (20), 1.0f);
    drag (start, 30.0f, { 105.0f }, left());
    EXPECT_NEAR (start.getValue(), 0.75f, 1.0e-6f);
    EXPECT_NEAR (partner.getValue(), 1.15f, 1.0e-6f);

    // With Alt only the knob itself moves, still inside the group's gestures.
    drag (start, 30.0f, { 60.0f }, left (juce::ModifierKeys::altModifier));
    EXPECT_NEAR (processor.getParameter (0), 0.65f, 1.0e-6f);
    EXPECT_NEAR (partner.getValue(), 1.15f, 1.0e-6f);
}

TEST_F (KnobFixture, AGroupGestureAlwaysEndsHoweverTheDragIsCutShort)
{
    auto& start = knob (0, 0.5f);
    knob (20, 0.5f);
    manager.link (0, 20);

    const auto balanced = [this]
    {
        int open = 0;
        for (const auto& e : hostEvents (processor))
            open += e.kind == Event::begin ? 1 : e.kind == Event::end ? -1 : 0;
        return open;
    };

    // Disabled in the middle of a drag.
    resetCounts();
    drag (start, 30.0f, { 20.0f }, left(), false);
    start.setEnabled (false);
    EXPECT_EQ (balanced(), 0);
    EXPECT_FALSE (start.isBusy());
    start.setEnabled (true);

    // Released far outside the component.
    resetCounts();
    drag (start, 30.0f, { -400.0f, 900.0f }, left(), false);
    start.mouseUp (mouseAt (start, { 700.0f, 900.0f }, { 30.0f, 30.0f }, {}, true));
    EXPECT_EQ (balanced(), 0);

    // Links change during the drag: the gestures begun are the ones closed.
    resetCounts();
    drag (start, 30.0f, { 20.0f }, left(), false);
    manager.link (20, 40);
    start.mouseUp (mouseAt (start, { 30.0f, 20.0f }, { 30.0f, 30.0f }, {}, true));
    EXPECT_EQ (balanced(), 0);

    // Hidden, or deleted, while dragging.
    resetCounts();
    drag (start, 30.0f, { 20.0f }, left(), false);
    start.setVisible (false);
    EXPECT_EQ (balanced(), 0);

    resetCounts();
    drag (*knobs.back(), 30.0f, { 20.0f }, left(), false);
    knobs.pop_back();
    EXPECT_EQ (balanced(), 0);
    EXPECT_FALSE (start.isBusy());
}

TEST_F (KnobFixture, RatioHandleShowsTheRatioAsASignedPercentage)
{
    auto& k = knob (5, 0.25f);
    k.updateValueLabel();
    EXPECT_EQ (labels[0]->getText(), "0.250  u");

    const juce::Point<float> handle (30.0f, 5.0f);
    k.mouseDown (mouseAt (k, handle, handle, left(), false));
    EXPECT_TRUE (k.isInLinkMode());
    EXPECT_EQ (labels[0]->getText(), "+100.0%");

    const std::pair<float, const char*> texts[] = { { -0.5f, "-50.0%" }, { 0.01f, " +1.0%" }, { 0.0f, " +0.0%" },
                                                    { -2.0f, "-200.0%" }, { 1.5f, "+150.0%" } };
    for (auto [ratio, text] : texts)
    {
        manager.getLinkEntry (5).ratio = ratio;
        k.updateValueLabel();
        EXPECT_EQ (labels[0]->getText(), text) << ratio;
    }

    // 300 pixels up from 1.0 would be 3.0: limited to 2.
    manager.getLinkEntry (5).ratio = 1.0f;
    notifications = 0;
    k.mouseDrag (mouseAt (k, { 30.0f, -295.0f }, handle, left(), true));
    EXPECT_EQ (manager.getLinkEntry (5).ratio, 2.0f);
    EXPECT_EQ (labels[0]->getText(), "+200.0%");
    EXPECT_EQ (notifications, 1);
    EXPECT_TRUE (hostEvents (processor).empty());

    k.mouseUp (mouseAt (k, { 30.0f, -295.0f }, handle, {}, true));
    EXPECT_FALSE (k.isInLinkMode());
    EXPECT_EQ (labels[0]->getText(), "0.250  u");

    // A double click on the handle returns the ratio to 1.
    k.mouseDoubleClick (mouseAt (k, handle, handle, left(), false, 2));
    EXPECT_EQ (manager.getLinkEntry (5).ratio, 1.0f);
}

TEST_F (KnobFixture, WheelMovesByStepsOrByDeltaAndAZeroDeltaChangesNothing)
{
    auto& tune = knob (1, 0.5f);
    tune.setSteps (48, 300);
    resetCounts();

    juce::MouseWheelDetails wheel {};
    wheel.deltaY = 0.0f;
    const juce::Point<float> centre (30.0f, 30.0f);
    tune.mouseWheelMove (mouseAt (tune, centre, centre, {}, false), wheel);
    EXPECT_TRUE (processor.takeEvents().empty());
    EXPECT_EQ (tune.getValue(), 0.5f);

    const juce::Point<float> handle (30.0f, 5.0f);
    notifications = 0;
    tune.mouseWheelMove (mouseAt (tune, handle, handle, {}, false), wheel);
    EXPECT_EQ (notifications, 0);
    EXPECT_FALSE (manager.findLinkEntry (1)->ratio != 1.0f);

    // One step per event, whatever the delta's size.
    wheel.deltaY = 0.01f;
    tune.mouseWheelMove (mouseAt (tune, centre, centre, {}, false), wheel);
    EXPECT_FLOAT_EQ (tune.getValue(), 25.0f / 48.0f);
    EXPECT_EQ (hostEvents (processor), (std::vector<Event> { beginOf (1), valueOf (1, 25.0f / 48.0f), endOf (1) }));

    wheel.isReversed = true;
    tune.mouseWheelMove (mouseAt (tune, centre, centre, {}, false), wheel);
    EXPECT_FLOAT_EQ (tune.getValue(), 0.5f);

    // Continuous knobs move by the delta; the handle adds the amount to the ratio.
    auto& plain = knob (2, 0.5f);
    wheel.isReversed = false;
    wheel.deltaY = 0.5f;
    plain.mouseWheelMove (mouseAt (plain, centre, centre, {}, false), wheel);
    EXPECT_FLOAT_EQ (plain.getValue(), 0.5375f);
    plain.mouseWheelMove (mouseAt (plain, handle, handle, {}, false), wheel);
    EXPECT_FLOAT_EQ (manager.getLinkEntry (2).ratio, 1.075f);

    // Ignored while a button is held.
    plain.mouseWheelMove (mouseAt (plain, centre, centre, left(), false), wheel);
    EXPECT_FLOAT_EQ (plain.getValue(), 0.5375f);
}

TEST_F (KnobFixture, RatioChangesOnTheHandleWhileTheHostSavesTheLinksAreSavedWhole)
{
    auto& plain = knob (2, 0.5f);
    LinkSaver host (manager, 2);

    // Up to just below the limit and back: 13 steps of 0.075 each way.
    juce::MouseWheelDetails wheel {};
    wheel.deltaY = 0.5f;
    const juce::Point<float> handle (30.0f, 5.0f);
    for (int step = 0; step < 26; ++step)
    {
        wheel.isReversed = step >= 13;
        plain.mouseWheelMove (mouseAt (plain, handle, handle, {}, false), wheel);
    }

    const auto& saved = host.stop();
    ASSERT_FALSE (saved.empty());
    for (auto& ratioAndName : saved)
    {
        const auto ratio = ratioAndName.upToFirstOccurrenceOf ("|", false, false).getFloatValue();
        EXPECT_TRUE (ratio > 0.999f && ratio < 1.976f) << ratioAndName;
    }
    EXPECT_NEAR (manager.getLinkEntry (2).ratio, 1.0f, 1e-4f);
}

TEST_F (KnobFixture, DoubleClickResetsTheGroupOrWithAltOnlyItself)
{
    auto& start = knob (0, 0.5f);
    auto& partner = knob (20, 0.5f);
    processor.defaults[0] = 0.25f;
    manager.link (0, 20);

    start.mouseDoubleClick (mouseAt (start, { 30.0f, 30.0f }, { 30.0f, 30.0f }, left (juce::ModifierKeys::altModifier), false, 2));
    EXPECT_FLOAT_EQ (processor.getParameter (0), 0.25f);
    EXPECT_FLOAT_EQ (partner.getValue(), 0.5f);

    start.parameterChanged (0, 0.5f);
    resetCounts();
    start.mouseDoubleClick (mouseAt (start, { 30.0f, 30.0f }, { 30.0f, 30.0f }, left(), false, 2));
    EXPECT_FLOAT_EQ (processor.getParameter (0), 0.25f);
    EXPECT_FLOAT_EQ (partner.getValue(), 0.25f);
    EXPECT_EQ (labels[0]->getText(), "0.250  u");
}

TEST_F (KnobFixture, PaintingShowsTheFrameOfTheValueAndTheRatioArcWithoutCreatingEntries)
{
    auto& k = knob (7, 1.0f);
    manager.getLinkEntry (7).ratio = -1.0f;
    k.setColour (0, juce::Colour (0xFFFD17CA));

    juce::Image image (juce::Image::ARGB, KnobFixture::knobSize, KnobFixture::knobSize, true);
    {
        juce::Graphics g (image);
        k.paintEntireComponent (g, false);
    }
    // Frame 90 draws its arc all the way round to the right side at +150 degrees.
    EXPECT_EQ (image.getPixelAt (30, 30).getAlpha(), 255);
    EXPECT_EQ (image.getPixelAt (30, 2).getAlpha(), 0); // no handle without hover

    const juce::Point<float> handle (30.0f, 5.0f);
    k.mouseDown (mouseAt (k, handle, handle, left(), false));
    image.clear (image.getBounds());
    {
        juce::Graphics g (image);
        k.paintEntireComponent (g, false);
    }
    // The ratio -1 arc runs a quarter turn anticlockwise from the top, at radius 25.
    const auto onArc = image.getPixelAt (30 - 25, 30);
    EXPECT_GT (onArc.getAlpha(), 0x80);
    EXPECT_GT (onArc.getRed(), 0xC0);
    EXPECT_EQ (image.getPixelAt (30 + 25, 30).getAlpha(), 0);
    k.mouseUp (mouseAt (k, handle, handle, {}, false));


    // Hover and link mode read the ratio of a parameter that never had an entry without making one.
    LinkableParameterKnob fresh ("Fresh", &manager, 9, &strip, juce::Image());
    fresh.setBounds (0, 0, KnobFixture::knobSize, KnobFixture::knobSize);
    fresh.mouseEnter (mouseAt (fresh, handle, handle, {}, false));
    fresh.mouseDown (mouseAt (fresh, handle, handle, left(), false));
    {
        juce::Graphics g (image);
        fresh.paintEntireComponent (g, false);
    }
    fresh.mouseUp (mouseAt (fresh, handle, handle, {}, false));
    fresh.mouseExit (mouseAt (fresh, handle, handle, {}, false));
    EXPECT_FALSE (manager.findLinkEntry (9).has_value());
}

TEST_F (KnobFixture, TheRatioStopsAtMinusTwoAndPlusTwoByDragAndByWheel)
{
    auto& k = knob (5, 0.25f);
    const juce::Point<float> handle (30.0f, 5.0f);

    // Dragged 600 pixels down from 1.0 would be -3.0, and 600 up +5.0.
    const std::pair<float, float> drags[] { { 605.0f, -2.0f }, { -595.0f, 2.0f }, { 155.0f, 0.0f }, { 305.0f, -1.0f } };
    for (auto [y, expected] : drags)
    {
        manager.getLinkEntry (5).ratio = 1.0f;
        k.mouseDown (mouseAt (k, handle, handle, left(), false));
        k.mouseDrag (mouseAt (k, { 30.0f, y }, handle, left(), true));
        EXPECT_FLOAT_EQ (manager.getLinkEntry (5).ratio, expected) << y;
        k.mouseUp (mouseAt (k, { 30.0f, y }, handle, {}, true));
    }

    // The wheel stops at the same ends, each way.
    juce::MouseWheelDetails wheel {};
    for (auto [start, delta, expected] : { std::tuple<float, float, float> { -1.9f, -1.0f, -2.0f }, { 1.9f, 1.0f, 2.0f }, { -2.0f, -0.5f, -2.0f } })
    {
        manager.getLinkEntry (5).ratio = start;
        wheel.deltaY = delta;
        k.mouseWheelMove (mouseAt (k, handle, handle, {}, false), wheel);
        EXPECT_FLOAT_EQ (manager.getLinkEntry (5).ratio, expected) << start;
    }
}
