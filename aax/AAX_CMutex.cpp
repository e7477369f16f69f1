#include "aax/AAX_CMutex.h"

#include <atomic>

struct AAX_CMutex::Block
{
    // Written only by the holder; read by others only to learn that they
    // are not it.
    std::atomic<pthread_t> owner { 0 };
    pthread_mutex_t mutex;
};

namespace
{
bool isOwnedByCaller (const std::atomic<pthread_t>& owner)
{
    const auto current = owner.load();
    return current != 0 && pthread_equal (current, pthread_self()) != 0;
}
} // namespace

AAX_CMutex::AAX_CMutex()
{
    auto* block = new Block;
    if (pthread_mutex_init (&block->mutex, nullptr) != 0)
    {
        delete block;
        return;
    }
    mBlock = block;
}

AAX_CMutex::~AAX_CMutex()
{
    if (mBlock == nullptr)
        return;
    pthread_mutex_destroy (&mBlock->mutex);
    delete mBlock;
}

bool AAX_CMutex::Lock()
{
    if (mBlock == nullptr || isOwnedByCaller (mBlock->owner))
        return false;
    pthread_mutex_lock (&mBlock->mutex);
    mBlock->owner = pthread_self();
    return true;
}

void AAX_CMutex::Unlock()
{
    if (mBlock == nullptr || ! isOwnedByCaller (mBlock->owner))
        return;
    mBlock->owner = 0;
    pthread_mutex_unlock (&mBlock->mutex);
}

bool AAX_CMutex::TryLock()
{
    if (mBlock == nullptr)
        return false;
    if (isOwnedByCaller (mBlock->owner))
        return true;
    if (pthread_mutex_trylock (&mBlock->mutex) != 0)
        return false;
    mBlock->owner = pthread_self();
    return true;
}
