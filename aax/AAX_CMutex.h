#pragma once

#include <pthread.h>

/** A non-recursive mutex that knows its owner: a thread that already holds
    it gets false from Lock (without blocking) and true from TryLock, and
    only the owner's Unlock releases it.  A caller unlocks only when its own
    Lock answered true, so nested sections on one thread pass through.
    When the mutex cannot be created it is inert: Lock and TryLock answer
    false and sections run unlocked.  Any thread.
*/
class AAX_CMutex
{
public:
    AAX_CMutex();
    ~AAX_CMutex();

    AAX_CMutex (const AAX_CMutex&) = delete;
    AAX_CMutex& operator= (const AAX_CMutex&) = delete;

    /** True when this call took the lock (after waiting for it). */
    bool Lock();

    /** Releases the lock when the calling thread holds it. */
    void Unlock();

    /** True when the calling thread now holds the lock, without waiting. */
    bool TryLock();

private:
    struct Block;
    Block* mBlock = nullptr;
};
