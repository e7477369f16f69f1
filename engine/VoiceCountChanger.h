#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <functional>

/** Carries out voice-count changes on a thread of its own, so that the
    thread asking for one (the options dialog's) never waits while the audio
    thread stops the voices, and can go away before the change is done
    without losing it.

    Requests that arrive while a change runs are merged: when it finishes,
    only the latest count is applied.  The worker starts with the first
    request and ends with this object; a change that is running then is
    finished first, a request not yet started is dropped.
*/
class VoiceCountChanger : private juce::Thread
{
public:
    /** Applies a count; called on the worker thread, one call at a time. */
    using Apply = std::function<void (unsigned int count)>;

    explicit VoiceCountChanger (Apply applyCount);
    /** Waits for a running change to finish.  Any thread but the worker. */
    ~VoiceCountChanger() override;

    /** Asks for a count and returns at once.  Message thread. */
    void request (unsigned int count);

    /** The latest count asked for and not yet in place: waiting, or being
        applied by the worker; -1 when there is none.  Any thread. */
    int getPendingCount() const noexcept;

    /** Whether nothing is waiting and nothing is being applied.  Any thread. */
    bool isIdle() const noexcept;

    /** Waits until isIdle(), at most timeoutMs; true when idle.  Any thread
        but the worker. */
    bool waitUntilIdle (int timeoutMs) const;

private:
    void run() override;

    Apply apply;
    std::atomic<int> pending { -1 };
    std::atomic<int> applying { -1 };

    JUCE_DECLARE_NON_COPYABLE (VoiceCountChanger)
};
