#include "presets/SaveQueue.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <dlfcn.h>
#include <thread>

namespace Korvalden::Misc
{
namespace
{
/** A thread of ours may wait in the system for another program's lock past
    the time the host unloads the plug-in: its code must stay where it is.
    The handle is never closed. */
void keepCodeLoaded()
{
    Dl_info info {};
    if (::dladdr (reinterpret_cast<void*> (&keepCodeLoaded), &info) != 0 && info.dli_fname != nullptr)
        ::dlopen (info.dli_fname, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}
} // namespace

SaveQueue::Client::Client (const juce::File& fileToSave)
    : file (fileToSave), folder (SaveLock::folderOf (fileToSave))
{
}

void SaveQueue::Client::setFile (const juce::File& newFile)
{
    jassert (! SaveQueue::getInstance().isWaiting (*this));
    file = newFile;
    folder = SaveLock::folderOf (newFile);
}

SaveQueue& SaveQueue::getInstance()
{
    static auto* queue = new SaveQueue();
    return *queue;
}

bool SaveQueue::save (const std::shared_ptr<Client>& client)
{
    std::unique_lock<std::mutex> lock (mutex);
    if (client->queued)
        return false;

    // Whatever of this process waits for the folder goes first.
    if (const auto found = folders.find (client->folder); found == folders.end() || found->second.waiting.empty())
    {
        lock.unlock();
        {
            const SaveLock turn (client->getFile(), 0);
            if (! turn.wasRefused())
            {
                client->saveUnderLock();
                return true;
            }
        }
        lock.lock();
        if (client->queued)
            return false;
    }

    enqueue (client, lock);
    return false;
}

void SaveQueue::enqueue (const std::shared_ptr<Client>& client, std::unique_lock<std::mutex>&)
{
    auto& folder = folders[client->folder];
    client->queued = true;
    folder.waiting.push_back (client);
    if (folder.workerRunning)
        return;

    try
    {
        std::thread ([this, path = client->folder] { work (path); }).detach();
        folder.workerRunning = true;
    }
    catch (const std::system_error&)
    {
        // No thread to wait on: the changes stay with the client, for its
        // next save or its last.
        folder.waiting.pop_back();
        client->queued = false;
    }
}

void SaveQueue::work (std::string path)
{
    static std::once_flag pinned;
    std::call_once (pinned, keepCodeLoaded);

    std::unique_lock<std::mutex> lock (mutex);
    for (;;)
    {
        auto& folder = folders[path];
        if (folder.waiting.empty())
        {
            folders.erase (path);
            changed.notify_all();
            return;
        }
        lock.unlock();

        std::vector<std::shared_ptr<Client>> turn;
        {
            const SaveLock folderLock (path, SaveLock::untilFree);
            lock.lock();
            turn.assign (folder.waiting.begin(), folder.waiting.end());
            folder.waiting.clear();
            for (auto& client : turn)
                client->running = true;
            lock.unlock();

            for (auto& client : turn)
            {
                // Changes made while this one was written land with it.
                for (bool more = true; more;)
                {
                    const bool saved = client->saveUnderLock();
                    lock.lock();
                    more = saved && client->hasWaitingChanges();
                    if (! more)
                    {
                        client->queued = client->running = false;
                        changed.notify_all();
                    }
                    lock.unlock();
                }
                tellLater (client);
            }
        }
        lock.lock();
    }
}

void SaveQueue::tellLater (const std::shared_ptr<Client>& client)
{
    if (juce::MessageManager::getInstanceWithoutCreating() == nullptr)
        return;
    juce::MessageManager::callAsync ([weak = std::weak_ptr<Client> (client)]
                                     {
                                         if (auto alive = weak.lock())
                                             alive->savedByQueue();
                                     });
}

bool SaveQueue::isWaiting (const Client& client)
{
    const std::lock_guard<std::mutex> guard (mutex);
    return client.queued;
}

bool SaveQueue::finish (const std::shared_ptr<Client>& client, int maxWaitMilliseconds)
{
    bool hasChanges = false;
    {
        const std::lock_guard<std::mutex> guard (mutex);
        hasChanges = client->hasWaitingChanges() && ! client->queued;
    }
    if (hasChanges && save (client))
    {
        const std::lock_guard<std::mutex> guard (mutex);
        return ! client->hasWaitingChanges();
    }

    std::unique_lock<std::mutex> lock (mutex);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (std::max (0, maxWaitMilliseconds));
    changed.wait_until (lock, deadline, [&client] { return ! client->queued; });
    removeWaiting (client, lock);
    return ! client->hasWaitingChanges();
}

void SaveQueue::withdraw (const std::shared_ptr<Client>& client)
{
    std::unique_lock<std::mutex> lock (mutex);
    removeWaiting (client, lock);
}

void SaveQueue::removeWaiting (const std::shared_ptr<Client>& client, std::unique_lock<std::mutex>& lock)
{
    // One that is being written is let finish: it holds the lock already.
    changed.wait (lock, [&client] { return ! client->running; });
    if (! client->queued)
        return;
    if (const auto found = folders.find (client->folder); found != folders.end())
    {
        auto& waiting = found->second.waiting;
        waiting.erase (std::remove (waiting.begin(), waiting.end(), client), waiting.end());
    }
    client->queued = false;
}
} // namespace Korvalden::Misc
