#include "engine/VoiceCountChanger.h"

#include <limits>

VoiceCountChanger::VoiceCountChanger (Apply applyCount)
    : juce::Thread ("Voice count"), apply (std::move (applyCount))
{
}

VoiceCountChanger::~VoiceCountChanger()
{
    signalThreadShouldExit();
    notify();
    // A change waits at most 5000 ms for the audio thread before it stops
    // the voices itself; give it that time and more.
    stopThread (15000);
}

void VoiceCountChanger::request (unsigned int count)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    pending = (int) juce::jmin (count, (unsigned int) std::numeric_limits<int>::max());

    if (! isThreadRunning())
        startThread();
    notify();
}

int VoiceCountChanger::getPendingCount() const noexcept
{
    // The worker publishes a count in applying before it clears pending, so
    // a count on its way from one to the other is never missed.
    const int waiting = pending.load();
    return waiting >= 0 ? waiting : applying.load();
}

bool VoiceCountChanger::isIdle() const noexcept
{
    return getPendingCount() < 0;
}

bool VoiceCountChanger::waitUntilIdle (int timeoutMs) const
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax (0, timeoutMs);

    while (! isIdle())
    {
        if (juce::Time::getMillisecondCounter() >= end)
            return false;
        juce::Thread::sleep (1);
    }
    return true;
}

void VoiceCountChanger::run()
{
    while (! threadShouldExit())
    {
        int count = pending.load();
        if (count >= 0)
        {
            applying = count;
            // A newer request that came in meanwhile is taken up instead.
            if (! pending.compare_exchange_strong (count, -1))
                continue;

            // The count applied is in place before applying is cleared.
            apply ((unsigned int) count);
            applying = -1;
        }

        if (pending.load() < 0)
            wait (-1);
    }
}
