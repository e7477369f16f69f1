#pragma once

#include "presets/SaveLock.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace Korvalden::Misc
{
/** The turns of the saves into files that several objects and processes
    share: the favourites and the settings, which lie in one folder and take
    turns through its lock (SaveLock).

    A save that can take the folder's lock at once is made at once, on the
    caller's thread, unless something of this process already waits for that
    folder.  Any other waits on a thread of the queue's own, one for each
    folder, for the folder's lock (SaveLock::untilFree), and is made as soon
    as it gets it.  What a turn saves is taken from the clients as it begins
    to wait; what they change meanwhile waits for the next turn.  The turns
    of one process keep their order.  Across processes the order is the
    system scheduler's: whichever waiter runs first when the lock is let go
    takes it, and a process that lets go and asks again at once often takes
    it back ahead of a waiter of another process.  So what the clients save
    must not depend on that order: a star or a setting keeps the moment it
    was changed (RecentChanges), and a star the file of the preset it was set
    at (FavoriteChanges::followPresets), so that it lands right after another
    process's later change or rename as well as before it.  Nothing here ever
    tells the user anything: the clients do, on the message thread.

    The message thread never waits here, but in finish: an object that goes
    waits a bounded time for its changes to land.

    Any thread.  A client's changes are guarded by the queue's mutex
    (lockClients), which is held only while they are moved.
*/
class SaveQueue
{
public:
    /** What one object changed in one file, and how it saves it. */
    class Client
    {
    public:
        explicit Client (const juce::File& file);
        virtual ~Client() = default;

        const juce::File& getFile() const noexcept { return file; }
        /** Points the client at another file.  Only while it does not wait. */
        void setFile (const juce::File& newFile);

    protected:
        friend class SaveQueue;

        /** Under lockClients(): what waits becomes what this turn saves. */
        virtual void takeWaiting() = 0;
        /** Under lockClients(): what this turn took waits again, before what
            was changed since (the client left the queue before its turn). */
        virtual void giveBackTaken() = 0;
        /** Holding the folder's lock, without lockClients(): saves what the
            turn took.  False when the save failed: what it could not write
            waits again (it gives it back itself), and the queue does not try
            again by itself.  On the queue's thread, or on the thread that
            called save. */
        virtual bool saveUnderLock() = 0;
        /** Under lockClients(): true while changes wait for a turn. */
        virtual bool hasWaitingChanges() const = 0;
        /** The queue's thread saved for the client, or failed to: called on
            the message thread some time later, while the client exists. */
        virtual void savedByQueue() = 0;

    private:
        enum class State
        {
            idle,
            queued,  // in its folder's queue
            inTurn,  // its turn waits for the lock with what it took
            saving   // its turn holds the lock
        };

        juce::File file;
        std::string folder;
        // Guarded by the queue's mutex.
        State state = State::idle;
        /** When its changes began to wait: turns save clients in this order. */
        std::uint64_t order = 0;
        /** When the changes for its next turn began to wait; 0 for none. */
        std::uint64_t nextOrder = 0;
    };

    /** The one queue of the process.  It is never destroyed: a thread that
        waits for another program's lock may outlive every client. */
    static SaveQueue& getInstance();

    /** Locks what every client keeps under the queue's mutex. */
    static std::unique_lock<std::mutex> lockClients() { return std::unique_lock<std::mutex> (getInstance().mutex); }

    /** Saves the client's waiting changes.  True when they were saved (or
        failed) at once, on this thread; false when they wait for the lock
        on the queue's thread, where the client may be waiting already. */
    bool save (const std::shared_ptr<Client>& client);

    /** True while the client waits for its turn or is being saved, or has
        changes that wait for its next turn. */
    bool isWaiting (const Client& client);

    /** For an object that goes: saves what waits and waits at most
        maxWaitMilliseconds for it to land (a save that is being written is
        waited for to its end), then takes the client out of the queue.  True
        when nothing is left waiting to be saved.  Any thread but the
        queue's; the message thread only here, and only this long. */
    bool finish (const std::shared_ptr<Client>& client, int maxWaitMilliseconds);

    /** Takes the client out of the queue without saving; a save of it that
        is being written ends first. */
    void withdraw (const std::shared_ptr<Client>& client);

private:
    SaveQueue() = default;

    struct Folder
    {
        /** In the order their changes began to wait. */
        std::deque<std::shared_ptr<Client>> waiting;
        bool workerRunning = false, turnRunning = false;
    };

    void enqueue (const std::shared_ptr<Client>& client);
    void requeue (const std::shared_ptr<Client>& client, Folder& folder);
    void work (std::string folder);
    void removeWaiting (const std::shared_ptr<Client>& client, std::unique_lock<std::mutex>& lock);
    static void tellLater (const std::shared_ptr<Client>& client);

    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, Folder> folders;
    std::uint64_t orderCounter = 0;
};
} // namespace Korvalden::Misc
