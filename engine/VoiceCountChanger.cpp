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

bool VoiceCountChanger::isIdle() const noexcept
{
    // The worker raises applying before it takes the pending count, so a
    // count that has left pending is still seen as work in progress.
    return pending.load() < 0 && ! applying.load();
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
        applying = true;
        const int count = pending.exchange (-1);
        if (count >= 0)
            apply ((unsigned int) count);
        applying = false;

        if (pending.load() < 0)
            wait (-1);
    }
}
