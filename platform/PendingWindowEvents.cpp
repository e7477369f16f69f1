// The framework's own display connection is reached through its window
// system, which it declares only with its X headers.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include "platform/PendingWindowEvents.h"

#include <juce_events/native/juce_linux_EventLoopInternal.h>

namespace Korvalden::Platform
{
namespace
{
// Well below what a hand notices between a press and what it opens.
constexpr int checkIntervalMs = 10;
} // namespace

PendingWindowEvents::PendingWindowEvents()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    startTimer (checkIntervalMs);
}

PendingWindowEvents::~PendingWindowEvents()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    stopTimer();
}

void PendingWindowEvents::timerCallback()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    // QueuedAlready only counts what Xlib holds: no request, no reading.
    if (display != nullptr && XEventsQueued (display, QueuedAlready) > 0)
        juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (ConnectionNumber (display));
}
} // namespace Korvalden::Platform
