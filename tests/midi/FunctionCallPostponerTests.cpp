#include "engine/FunctionCallPostponer.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

using Korvalden::Misc::FunctionCallPostponer;

namespace
{
/** Stands in for a voice manager: records the calls it receives. */
struct CallLog
{
    void noteOn (int note, float velocity) { calls.push_back ("on " + std::to_string (note) + " " + std::to_string (velocity)); }
    void noteOff (int note) { calls.push_back ("off " + std::to_string (note)); }
    void named (std::string name) { calls.push_back (name); }

    std::vector<std::string> calls;
};

/** Counts executions and notes the thread on which it is deleted. */
struct Tracking
{
    std::atomic<int> executed { 0 };
    std::atomic<int> deleted { 0 };
    std::atomic<int> deletedElsewhere { 0 };
    std::thread::id owner = std::this_thread::get_id();
};

class TrackedCall final : public FunctionCallPostponer::PostponeFunctorBase
{
public:
    explicit TrackedCall (Tracking& trackingToUse) : tracking (trackingToUse) {}

    ~TrackedCall() override
    {
        if (std::this_thread::get_id() != tracking.owner)
            ++tracking.deletedElsewhere;
        ++tracking.deleted;
    }

    void execute() override { ++tracking.executed; }

private:
    Tracking& tracking;
};

/** A call that posts more calls while it runs, as the owner thread may do
    while the audio thread is in the middle of a drain. */
struct PostingWhileRunning
{
    void run (std::string name)
    {
        log.named (name);
        postponer.addMethodCall (&log, &CallLog::noteOn, 60, 1.0f);
        postponer.addMethodCall (&log, &CallLog::noteOff, 60);
    }

    FunctionCallPostponer& postponer;
    CallLog& log;
};
} // namespace

TEST (FunctionCallPostponer, RunsCallsOnceInPostingOrderWithArgumentsCopiedAtPosting)
{
    FunctionCallPostponer postponer;
    CallLog log;
    std::string name = "first";

    postponer.addMethodCall (&log, &CallLog::named, name);
    name = "changed";
    postponer.addMethodCall (&log, &CallLog::noteOn, 64, 0.5f);
    postponer.addMethodCall (&log, &CallLog::noteOff, 64);
    EXPECT_TRUE (log.calls.empty());

    postponer.executePendingCalls();
    EXPECT_EQ (log.calls, (std::vector<std::string> { "first", "on 64 0.500000", "off 64" }));

    postponer.executePendingCalls();
    EXPECT_EQ (log.calls.size(), 3u);

    postponer.addMethodCall (&log, &CallLog::noteOff, 65);
    postponer.executePendingCalls();
    EXPECT_EQ (log.calls.back(), "off 65");
    EXPECT_EQ (log.calls.size(), 4u);
}

TEST (FunctionCallPostponer, CallPostedDuringADrainNeverOvertakesAnEarlierOne)
{
    // Two earlier calls leave two executed nodes behind; the running call then
    // posts a note on and a note off.  Reusing a free node behind the drain
    // for the note on while the note off went ahead would run them swapped.
    FunctionCallPostponer postponer;
    CallLog log;
    PostingWhileRunning poster { postponer, log };

    postponer.addMethodCall (&log, &CallLog::named, std::string ("a"));
    postponer.addMethodCall (&log, &CallLog::named, std::string ("b"));
    postponer.executePendingCalls();

    postponer.addMethodCall (&log, &CallLog::named, std::string ("c"));
    postponer.addMethodCall (&poster, &PostingWhileRunning::run, std::string ("d"));
    postponer.executePendingCalls();
    postponer.executePendingCalls();

    EXPECT_EQ (log.calls, (std::vector<std::string> { "a", "b", "c", "d", "on 60 1.000000", "off 60" }));
}

TEST (FunctionCallPostponer, FunctorsAreDeletedOnThePostingThread)
{
    Tracking tracking;
    {
        FunctionCallPostponer postponer;
        for (int i = 0; i < 3; ++i)
            postponer.addFunctor (std::make_unique<TrackedCall> (tracking));
        postponer.addFunctor (nullptr);

        std::thread audio ([&] { postponer.executePendingCalls(); });
        audio.join();
        EXPECT_EQ (tracking.executed, 3);
        EXPECT_EQ (tracking.deleted, 0);

        postponer.addFunctor (std::make_unique<TrackedCall> (tracking));
        EXPECT_EQ (tracking.deleted, 3);

        postponer.addFunctor (std::make_unique<TrackedCall> (tracking));
    }
    // The destructor deletes the last two without running the pending one.
    EXPECT_EQ (tracking.executed, 3);
    EXPECT_EQ (tracking.deleted, 5);
    EXPECT_EQ (tracking.deletedElsewhere, 0);
}

TEST (FunctionCallPostponer, CallsBeyondTheReserveOrTooLargeForANodeAreKeptAndRunInPostingOrder)
{
    struct Wide
    {
        void take (std::array<int, 40> values) { sums.push_back (std::accumulate (values.begin(), values.end(), 0)); }
        std::vector<int> sums;
    } wide;
    static_assert (! FunctionCallPostponer::fitsInPlace<Wide, std::array<int, 40>>);
    static_assert (FunctionCallPostponer::fitsInPlace<CallLog, int, float>);

    FunctionCallPostponer postponer (4);
    CallLog log;
    std::vector<std::string> expected;

    for (int round = 0; round < 3; ++round)
    {
        // Ten pending calls with four nodes reserved, then ten again with
        // the nodes the first drain left behind.
        for (int note = 0; note < 10; ++note)
        {
            postponer.addMethodCall (&log, &CallLog::noteOff, round * 10 + note);
            expected.push_back ("off " + std::to_string (round * 10 + note));
        }
        std::array<int, 40> values {};
        values.fill (round + 1);
        postponer.addMethodCall (&wide, &Wide::take, values);
        postponer.executePendingCalls();
    }

    EXPECT_EQ (log.calls, expected);
    EXPECT_EQ (wide.sums, (std::vector<int> { 40, 80, 120 }));
}

TEST (FunctionCallPostponer, OneProducerOneConsumerKeepPostingOrder)
{
    constexpr int numCalls = 50000;

    struct Sequence
    {
        void receive (int number)
        {
            if (number != received)
                ++outOfOrder;
            received = number + 1;
        }

        int received = 0;
        int outOfOrder = 0;
    } sequence;

    Tracking tracking;
    std::atomic<bool> producerDone { false };

    {
        FunctionCallPostponer postponer (16); // some calls in reserved nodes, some in nodes added

        // The consumer drains while the producer posts, then once more after
        // the last call was posted: every call is due by then, so a call lost
        // or left behind shows as a short count, never as a wait.
        std::thread audio ([&] {
            while (! producerDone.load())
                postponer.executePendingCalls();
            postponer.executePendingCalls();
        });

        for (int i = 0; i < numCalls; ++i)
        {
            postponer.addMethodCall (&sequence, &Sequence::receive, i);
            if (i % 1000 == 0)
            {
                postponer.addFunctor (std::make_unique<TrackedCall> (tracking));
                std::this_thread::yield();
            }
        }
        producerDone = true;
        audio.join();
    }

    EXPECT_EQ (sequence.received, numCalls);
    EXPECT_EQ (sequence.outOfOrder, 0);
    EXPECT_EQ (tracking.executed, numCalls / 1000);
    EXPECT_EQ (tracking.deleted, numCalls / 1000);
    EXPECT_EQ (tracking.deletedElsewhere, 0);
}
