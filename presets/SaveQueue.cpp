#include "presets/SaveQueue.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <atomic>
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

std::once_flag codeKept;
std::atomic<bool> threadStarted { false };

/** The queue lives as long as the code.  Once a thread of it has started
    (the code then stays loaded), it is never deleted: the thread may still
    be waiting for the lock as the process ends. */
struct QueueHolder
{
    SaveQueue* const queue;

    ~QueueHolder()
    {
        if (! threadStarted.load())
            delete queue;
    }
};
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
    static const QueueHolder holder { new SaveQueue() };
    return *holder.queue;
}

bool SaveQueue::save (const std::shared_ptr<Client>& client)
{
    std::unique_lock<std::mutex> lock (mutex);
    // One that waits or is saved takes what waits in its next turn, placed
    // by when it began to wait.
    if (client->state != Client::State::idle)
    {
        if (client->nextOrder == 0)
            client->nextOrder = ++orderCounter;
        return false;
    }

    // Whatever of this process waits for the folder goes first.
    if (const auto found = folders.find (client->folder);
        found == folders.end() || (found->second.waiting.empty() && ! found->second.turnRunning))
    {
        lock.unlock();
        const SaveLock turn (client->getFile(), 0);
        if (! turn.wasRefused())
        {
            lock.lock();
            client->takeWaiting();
            client->state = Client::State::saving;
            lock.unlock();
            client->saveUnderLock();
            lock.lock();
            client->state = Client::State::idle;
            changed.notify_all();
            return true;
        }
        lock.lock();
        if (client->state != Client::State::idle)
            return false;
    }

    enqueue (client);
    return false;
}

void SaveQueue::enqueue (const std::shared_ptr<Client>& client)
{
    auto& folder = folders[client->folder];
    client->state = Client::State::queued;
    client->order = ++orderCounter;
    folder.waiting.push_back (client);
    if (folder.workerRunning)
        return;

    try
    {
        std::call_once (codeKept, keepCodeLoaded);
        threadStarted = true;
        std::thread ([this, path = client->folder] { work (path); }).detach();
        folder.workerRunning = true;
    }
    catch (const std::system_error&)
    {
        // No thread to wait on: the changes stay with the client, for its
        // next save or its last.
        folder.waiting.pop_back();
        client->state = Client::State::idle;
    }
}

void SaveQueue::work (std::string path)
{
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

        // The turn is what waits now; what changes while it waits for the
        // lock goes behind whoever begins to wait meanwhile.
        std::vector<std::shared_ptr<Client>> turn (folder.waiting.begin(), folder.waiting.end());
        folder.waiting.clear();
        folder.turnRunning = true;
        for (auto& client : turn)
        {
            client->takeWaiting();
            client->state = Client::State::inTurn;
        }
        lock.unlock();
        {
            const SaveLock folderLock (path, SaveLock::untilFree);
            lock.lock();
            // One that left the queue meanwhile took its changes back.
            turn.erase (std::remove_if (turn.begin(), turn.end(), [] (auto& client) { return client->state != Client::State::inTurn; }),
                        turn.end());
            for (auto& client : turn)
                client->state = Client::State::saving;
            lock.unlock();

            for (auto& client : turn)
            {
                // Told while it is still being saved: a client that goes
                // waits for that, so nothing is posted once its owner left.
                const bool saved = client->saveUnderLock();
                tellLater (client);
                lock.lock();
                if (saved && client->hasWaitingChanges())
                {
                    requeue (client, folder);
                }
                else
                {
                    client->state = Client::State::idle;
                    client->nextOrder = 0;
                }
                changed.notify_all();
                lock.unlock();
            }
        }
        lock.lock();
        folder.turnRunning = false;
    }
}

void SaveQueue::requeue (const std::shared_ptr<Client>& client, Folder& folder)
{
    // Behind every client whose changes waited before its own.
    client->state = Client::State::queued;
    client->order = client->nextOrder != 0 ? client->nextOrder : ++orderCounter;
    client->nextOrder = 0;
    const auto place = std::find_if (folder.waiting.begin(), folder.waiting.end(),
                                     [&client] (const std::shared_ptr<Client>& other) { return other->order > client->order; });
    folder.waiting.insert (place, client);
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
    return client.state != Client::State::idle;
}

bool SaveQueue::finish (const std::shared_ptr<Client>& client, int maxWaitMilliseconds)
{
    bool hasChanges = false;
    {
        const std::lock_guard<std::mutex> guard (mutex);
        hasChanges = client->hasWaitingChanges() && client->state == Client::State::idle;
    }
    if (hasChanges && save (client))
    {
        const std::lock_guard<std::mutex> guard (mutex);
        return ! client->hasWaitingChanges();
    }

    std::unique_lock<std::mutex> lock (mutex);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (std::max (0, maxWaitMilliseconds));
    changed.wait_until (lock, deadline, [&client] { return client->state == Client::State::idle; });
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
    changed.wait (lock, [&client] { return client->state != Client::State::saving; });
    if (client->state == Client::State::inTurn)
        client->giveBackTaken();
    if (client->state == Client::State::queued)
        if (const auto found = folders.find (client->folder); found != folders.end())
        {
            auto& waiting = found->second.waiting;
            waiting.erase (std::remove (waiting.begin(), waiting.end(), client), waiting.end());
        }
    client->state = Client::State::idle;
    client->nextOrder = 0;
}
} // namespace Korvalden::Misc
