#include "wrapper/PluginMessagePump.h"

#include <juce_events/juce_events.h>

namespace juce
{
// The framework's own step of its Linux message loop (the same one its
// plug-in clients call when a host drives their events).
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

int PluginMessagePump::deliverPendingMessages (int maximumMessages)
{
    if (! juce::MessageManager::existsAndIsCurrentThread())
        return 0;

    int delivered = 0;
    while (delivered < maximumMessages && juce::dispatchNextMessageOnSystemQueue (true))
        ++delivered;
    return delivered;
}
