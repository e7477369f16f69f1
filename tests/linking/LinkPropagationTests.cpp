#include "tests/linking/LinkTestSupport.h"

using Event = FakeDirtyCheckProcessor::Event;

TEST_F (LinkFixture, WidestMemberRangeLimitsTheMoveAndValuesStayUnclampedInside)
{
    auto& start = control (0, 0.5f);
    auto& partner = control (20, 0.9f);
    manager.link (0, 20);
    resetCounts();

    // Range: lower = min(-0.5, -0.9), upper = max(0.5, 0.1): the drag to 1.0 moves by 0.5.
    manager.propagateValue (&start, true, 1.0f);

    EXPECT_FLOAT_EQ (start.getValue(), 1.0f);
    EXPECT_FLOAT_EQ (partner.getValue(), 1.4f);
    EXPECT_EQ (hostEvents (processor), (std::vector<Event> { valueOf (0, 1.0f), valueOf (20, 1.0f) }));
    EXPECT_EQ (start.valueChangedCalls, 1);
    EXPECT_EQ (partner.valueChangedCalls, 1);

    // Back again: the partner returns from its stored overshoot to where it was.
    manager.propagateValue (&start, true, 0.5f);
    EXPECT_FLOAT_EQ (start.getValue(), 0.5f);
    EXPECT_NEAR (partner.getValue(), 0.9f, 1.0e-6f);
    EXPECT_NEAR (processor.getParameter (20), 0.9f, 1.0e-6f);
}

TEST_F (LinkFixture, TheGroupStopsOnceEveryMemberHasReachedItsEnd)
{
    auto& start = control (0, 0.5f);
    auto& partner = control (20, 0.9f);
    manager.link (0, 20);
    resetCounts();

    // Far below: the loosest member (20) allows -0.9, no more.
    manager.propagateValue (&start, true, -5.0f);
    EXPECT_FLOAT_EQ (start.getValue(), -0.4f);
    EXPECT_NEAR (partner.getValue(), 0.0f, 1.0e-6f);
    EXPECT_EQ (processor.getParameter (0), 0.0f);
    EXPECT_NEAR (processor.getParameter (20), 0.0f, 1.0e-6f);

    // Far above: now 0 is the loosest (it may rise by 1.4).
    manager.propagateValue (&start, true, 5.0f);
    EXPECT_FLOAT_EQ (start.getValue(), 1.0f);
    EXPECT_NEAR (partner.getValue(), 1.4f, 1.0e-6f);
    EXPECT_FLOAT_EQ (processor.getParameter (0), 1.0f);
    EXPECT_EQ (processor.getParameter (20), 1.0f);
}

TEST_F (LinkFixture, NegativeRatioMovesAgainstTheGroupAndZeroRatioStaysButConnects)
{
    auto& start = control (1, 0.5f);
    auto& against = control (2, 0.5f, -1.0f);
    auto& still = control (3, 0.3f, 0.0f);
    auto& beyond = control (4, 0.2f, 0.5f);
    manager.link (1, 2);
    manager.link (2, 3);
    manager.link (3, 4);
    resetCounts();

    manager.propagateValue (&start, true, 0.7f);

    EXPECT_FLOAT_EQ (start.getValue(), 0.7f);
    EXPECT_FLOAT_EQ (against.getValue(), 0.3f);
    EXPECT_FLOAT_EQ (still.getValue(), 0.3f);
    EXPECT_FLOAT_EQ (beyond.getValue(), 0.3f);
    EXPECT_EQ (still.valueChangedCalls, 0);
    EXPECT_FLOAT_EQ (processor.getParameter (2), 0.3f);
    EXPECT_FLOAT_EQ (processor.getParameter (4), 0.3f);
}

TEST_F (LinkFixture, MemberWithoutControllerNeitherMovesNorLimitsButConnects)
{
    auto& x = control (10, 0.5f);
    processor.storeQuietly (11, 0.95f); // y: no controller, would limit the range if it counted
    auto& z = control (12, 0.5f);
    manager.link (10, 11);
    manager.link (11, 12);
    resetCounts();

    manager.propagateValue (&x, true, 0.8f);

    EXPECT_FLOAT_EQ (x.getValue(), 0.8f);
    EXPECT_FLOAT_EQ (z.getValue(), 0.8f);
    EXPECT_EQ (processor.getParameter (11), 0.95f);
    EXPECT_EQ (hostEvents (processor), (std::vector<Event> { valueOf (10, 0.8f), valueOf (12, 0.8f) }));
}

TEST_F (LinkFixture, UnlinkedOrZeroRatioStartSetsOnlyItselfClampedWithoutValueChanged)
{
    auto& alone = control (5, 0.5f);
    auto& zero = control (6, 0.5f, 0.0f);
    auto& partner = control (7, 0.5f);
    manager.link (6, 7);
    resetCounts();

    manager.propagateValue (&alone, true, 1.7f);
    manager.propagateValue (&zero, true, -0.2f);

    EXPECT_EQ (alone.getValue(), 1.0f);
    EXPECT_EQ (zero.getValue(), 0.0f);
    EXPECT_EQ (partner.getValue(), 0.5f);
    EXPECT_EQ (alone.valueChangedCalls + zero.valueChangedCalls + partner.valueChangedCalls, 0);
    EXPECT_EQ (hostEvents (processor), (std::vector<Event> { valueOf (5, 1.0f), valueOf (6, 0.0f) }));

    // An unchanged clamped value is not sent again.
    manager.propagateValue (&alone, false, 1.2f);
    EXPECT_TRUE (hostEvents (processor).empty());
}

TEST_F (LinkFixture, GroupGesturesCoverEveryMemberAndMakeControllersIgnoreReports)
{
    auto& a = control (30, 0.5f);
    processor.storeQuietly (31, 0.5f); // no controller
    auto& c = control (32, 0.5f);
    manager.link (30, 32);
    manager.link (30, 31);
    resetCounts();

    manager.beginGroupGesture (&c);
    EXPECT_TRUE (a.isBusy());
    EXPECT_TRUE (c.isBusy());

    a.parameterChanged (30, 0.1f); // the binding's poll while the group is held
    EXPECT_EQ (a.getValue(), 0.5f);
    EXPECT_EQ (a.valueChangedCalls, 0);

    manager.propagateValue (&c, true, 0.6f);
    manager.endGroupGesture (&c);
    EXPECT_FALSE (a.isBusy());

    // Walk from 32: 32, then 30, then 30's other link 31.
    EXPECT_EQ (hostEvents (processor),
               (std::vector<Event> { beginOf (32), beginOf (30), beginOf (31),
                                     valueOf (32, 0.6f), valueOf (30, 0.6f),
                                     endOf (32), endOf (30), endOf (31) }));

    a.parameterChanged (30, 0.1f);
    EXPECT_EQ (a.getValue(), 0.1f);
    EXPECT_EQ (a.valueChangedCalls, 2);
    a.parameterChanged (29, 0.7f); // another index
    EXPECT_EQ (a.getValue(), 0.1f);
}

TEST_F (LinkFixture, SetValueMovesOneMemberInsideGesturesOnTheWholeGroup)
{
    auto& a = control (40, 0.5f);
    auto& b = control (41, 0.5f);
    manager.link (40, 41);
    resetCounts();

    manager.setValue (41, 1.3f);

    EXPECT_EQ (b.getValue(), 1.0f);
    EXPECT_EQ (a.getValue(), 0.5f);
    EXPECT_EQ (b.valueChangedCalls, 1);
    EXPECT_EQ (a.valueChangedCalls, 0);
    EXPECT_EQ (hostEvents (processor),
               (std::vector<Event> { beginOf (41), beginOf (40), valueOf (41, 1.0f), endOf (41), endOf (40) }));

    // Without a controller the value goes to the processor as it is.
    manager.setValue (50, 0.25f);
    EXPECT_EQ (hostEvents (processor), (std::vector<Event> { valueOf (50, 0.25f) }));
}

TEST_F (LinkFixture, NaNValuesChangeNothing)
{
    auto& a = control (40, 0.5f);
    auto& b = control (41, 0.5f);
    manager.link (40, 41);
    resetCounts();

    const float nan = std::numeric_limits<float>::quiet_NaN();
    manager.propagateValue (&a, true, nan);
    manager.setValue (41, nan);
    manager.setValue (50, nan);

    EXPECT_EQ (a.getValue(), 0.5f);
    EXPECT_EQ (b.getValue(), 0.5f);
    EXPECT_TRUE (processor.takeEvents().empty());
}

TEST_F (LinkFixture, ResetToDefaultMovesTheGroupInsideItsGesture)
{
    processor.defaults[60] = 0.2f;
    auto& a = control (60, 0.5f);
    auto& b = control (61, 0.6f);
    manager.link (60, 61);
    resetCounts();

    a.resetToDefault (true);

    EXPECT_FLOAT_EQ (a.getValue(), 0.2f);
    EXPECT_FLOAT_EQ (b.getValue(), 0.3f);
    const auto events = hostEvents (processor);
    ASSERT_EQ (events.size(), 6u);
    EXPECT_EQ (events.front(), beginOf (60));
    EXPECT_EQ (events.back(), endOf (61));
}

TEST_F (LinkFixture, FreeingTheMiddleOfAChainSettlesTheRemainingGroups)
{
    auto& x = control (1, 0.2f);
    auto& y = control (2, 1.3f); // stored overshoot from an earlier group move
    auto& z = control (3, 0.4f);
    manager.getLinkEntry (1).name = "Cutoffs";
    manager.getLinkEntry (3).ratio = -0.5f;
    manager.link (1, 2);
    manager.link (2, 3);
    resetCounts();

    manager.freeParameter (2);

    EXPECT_TRUE (manager.getLinkEntry (1).links.empty());
    EXPECT_TRUE (manager.getLinkEntry (2).links.empty());
    EXPECT_TRUE (manager.getLinkEntry (3).links.empty());
    EXPECT_EQ (manager.getLinkEntry (1).name, "Cutoffs");
    EXPECT_EQ (manager.getLinkEntry (3).ratio, -0.5f);
    EXPECT_EQ (y.getValue(), 1.0f) << "the freed parameter's overshoot is clamped";
    EXPECT_EQ (processor.getParameter (2), 1.0f);
    EXPECT_EQ (x.getValue(), 0.2f);
    EXPECT_EQ (z.getValue(), 0.4f);
}
