#include "presets/RecentChanges.h"

#include "presets/SaveLock.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Korvalden::Misc
{
namespace
{
struct Slot
{
    std::uint64_t key;
    std::int64_t madeAt;
};

constexpr size_t slotCount = 1 << 16;
constexpr size_t probes = 8;

/** The user's table, mapped once; null when there is no shared memory. */
Slot* table()
{
    static Slot* const slots = []() -> Slot*
    {
        const auto name = "/kest-recent-changes-" + std::to_string (::getuid());
        const int descriptor = ::shm_open (name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (descriptor < 0)
            return nullptr;
        // Only the user's own table, never one another user made; new, it
        // is all zero: no key.
        struct stat info {};
        void* mapped = MAP_FAILED;
        if (::fstat (descriptor, &info) == 0 && info.st_uid == ::getuid()
            && ::ftruncate (descriptor, (off_t) std::max<size_t> ((size_t) info.st_size, slotCount * sizeof (Slot))) == 0)
            mapped = ::mmap (nullptr, slotCount * sizeof (Slot), PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
        ::close (descriptor);
        return mapped == MAP_FAILED ? nullptr : static_cast<Slot*> (mapped);
    }();
    return slots;
}

std::int64_t load (const std::int64_t& value) { return __atomic_load_n (&value, __ATOMIC_RELAXED); }
std::uint64_t load (const std::uint64_t& value) { return __atomic_load_n (&value, __ATOMIC_RELAXED); }
} // namespace

RecentChanges::RecentChanges (const juce::File& file)
    : fileName (juce::String (SaveLock::folderOf (file)) + "/" + file.getFileName() + "\n")
{
}

std::uint64_t RecentChanges::keyOf (const juce::String& what) const
{
    // Mixed, so that names alike fall far apart; never 0, which marks a free slot.
    auto key = (std::uint64_t) (fileName + what).hashCode64();
    key = (key ^ (key >> 30)) * 0xbf58476d1ce4e5b9ULL;
    key = (key ^ (key >> 27)) * 0x94d049bb133111ebULL;
    key ^= key >> 31;
    return key != 0 ? key : 1;
}

std::int64_t RecentChanges::now() noexcept
{
    return (std::int64_t) std::chrono::duration_cast<std::chrono::nanoseconds> (std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool RecentChanges::isSuperseded (const juce::String& what, std::int64_t madeAt) const
{
    auto* slots = table();
    if (slots == nullptr)
        return false;
    const auto key = keyOf (what);
    for (size_t probe = 0; probe < probes; ++probe)
    {
        auto& slot = slots[(key + probe) % slotCount];
        if (load (slot.key) == key)
            return load (slot.madeAt) > madeAt;
    }
    return false;
}

void RecentChanges::landed (const juce::String& what, std::int64_t madeAt)
{
    auto* slots = table();
    if (slots == nullptr)
        return;
    const auto key = keyOf (what);
    Slot* oldest = nullptr;
    for (size_t probe = 0; probe < probes; ++probe)
    {
        auto& slot = slots[(key + probe) % slotCount];
        const auto slotKey = load (slot.key);
        if (slotKey == key || slotKey == 0)
        {
            oldest = &slot;
            break;
        }
        if (oldest == nullptr || load (slot.madeAt) < load (oldest->madeAt))
            oldest = &slot;
    }
    if (load (oldest->key) == key && load (oldest->madeAt) > madeAt)
        return;
    __atomic_store_n (&oldest->madeAt, madeAt, __ATOMIC_RELAXED);
    __atomic_store_n (&oldest->key, key, __ATOMIC_RELAXED);
}
} // namespace Korvalden::Misc
