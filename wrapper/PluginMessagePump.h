#pragma once

/** The bundle's message loop, driven by the host.

    The plug-in shares its process with the host but carries its own copy of
    the framework, whose message queue nobody else reads.  The host calls the
    instance's idle operation on its main thread (the thread that created the
    instance, and so the framework's message thread in this bundle and the
    engine's owner thread); that call delivers what is waiting here: timer
    callbacks, asynchronous updates, command messages.
*/
class PluginMessagePump
{
public:
    PluginMessagePump() = delete;

    /** Messages delivered per idle call, so that a message that posts itself
        again cannot hold the host's main thread. */
    static constexpr int messagesPerIdleCall = 256;

    /** Delivers waiting messages, at most maximumMessages, without ever
        waiting for one.  Answers how many were delivered.  Message thread
        only: from any other thread it delivers nothing. */
    static int deliverPendingMessages (int maximumMessages);
};
