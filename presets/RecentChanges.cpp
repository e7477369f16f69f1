#include "presets/RecentChanges.h"

#include "presets/PresetFileSystem.h"
#include "presets/SaveLock.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Korvalden::Misc
{
namespace
{
struct Slot
{
    std::uint64_t key; // 0: free
    std::int64_t madeAt;
    std::uint64_t check; // of key and madeAt: a slot torn by another's write, or not ours, fails it
};

/** The start of the table: a table of another layout, or anything else
    under its name, is never read or written. */
struct Header
{
    std::uint64_t magic;
    std::uint32_t version, slotCount, slotSize, probes;
};

constexpr std::uint32_t slotCount = 1 << 16;
constexpr std::uint32_t probes = 8;
constexpr Header ourHeader { 0x6b65737472656374ULL, 2, slotCount, sizeof (Slot), probes };
static_assert (sizeof (Slot) == 24 && sizeof (Header) == 24, "the layout the header names");

/** The bytes of a small file of the system, as one read gives them; the
    error (errno) when it cannot be read. */
int readSystemFile (const char* path, std::string& text)
{
    const int descriptor = ::open (path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    char bytes[512];
    ssize_t got = -1;
    while ((got = ::read (descriptor, bytes, sizeof (bytes))) < 0 && errno == EINTR)
        continue;
    const int error = got < 0 ? errno : 0;
    ::close (descriptor);
    text.assign (bytes, got > 0 ? (size_t) got : 0);
    return error;
}

/** What the stamps of this process are measured by: the steady clock counts
    from the machine's boot, moved by the offset of the process's time
    namespace (a container restored elsewhere, `unshare -T`), so the boot's
    id and that offset name it.  Numbers the system hands out again (a
    namespace's inode, a process id) never do.  Empty when it cannot be
    told; a kernel without time namespaces has no offsets. */
std::string clockOfThisProcess()
{
    std::string boot, offsets;
    if (readSystemFile ("/proc/sys/kernel/random/boot_id", boot) != 0)
        return {};
    boot.erase (std::remove_if (boot.begin(), boot.end(), [] (char c) { return ! std::isxdigit ((unsigned char) c); }), boot.end());
    if (boot.size() != 32)
        return {};

    const int error = readSystemFile ("/proc/self/timens_offsets", offsets);
    if (error == ENOENT)
        return boot + "-0.0";
    if (error != 0)
        return {};
    // Lines "monotonic <seconds> <nanoseconds>"; the first kernels gave the
    // clock's number (1) for its name.
    std::istringstream lines (offsets);
    for (std::string line; std::getline (lines, line);)
    {
        std::istringstream fields (line);
        std::string clock;
        long long seconds = 0, nanoseconds = 0;
        if (fields >> clock >> seconds >> nanoseconds && (clock == "monotonic" || clock == std::to_string (CLOCK_MONOTONIC)))
            return boot + "-" + std::to_string (seconds) + "." + std::to_string (nanoseconds);
    }
    return {};
}

/** The user's table of this process's clock, opened once; -1 when there is
    none.  Each clock has a table of its own, so stamps of two clocks are
    never compared.  Kept open for the process's life: a save still under way
    as the process ends must never write through a number that another file
    was given since. */
int tableDescriptor()
{
    static const int descriptor = []
    {
        const auto clock = clockOfThisProcess();
        if (clock.empty())
            return -1;
        const auto name = "/kest-recent-changes-v2-" + std::to_string (::getuid()) + "-" + clock;
        const int opened = ::shm_open (name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (opened < 0)
            return -1;
        // Only the user's own table, never one another user made.
        struct stat info {};
        if (::fstat (opened, &info) == 0 && S_ISREG (info.st_mode) && info.st_uid == ::getuid())
            return opened;
        ::close (opened);
        return -1;
    }();
    return descriptor;
}

enum class HeaderState
{
    ours,
    absent, // a new or cut table, or ours half written by another process
    foreign
};

HeaderState headerOf (int descriptor)
{
    unsigned char read[sizeof (Header)] {}, ours[sizeof (Header)];
    std::memcpy (ours, &ourHeader, sizeof (Header));
    const auto got = ::pread (descriptor, read, sizeof (read), 0);
    if (got < 0)
        return HeaderState::foreign;
    for (ssize_t i = 0; i < got; ++i)
        if (read[i] != 0 && read[i] != ours[i])
            return HeaderState::foreign;
    return got == (ssize_t) sizeof (Header) && std::memcmp (read, ours, sizeof (Header)) == 0 ? HeaderState::ours : HeaderState::absent;
}

std::uint64_t mixed (std::uint64_t value)
{
    value ^= value >> 33;
    value *= 0xff51afd7ed558ccdULL;
    value ^= value >> 33;
    value *= 0xc4ceb9fe1a85ec53ULL;
    return value ^ (value >> 33);
}

/** A hash of the bytes in which every bit of each depends on every bit of
    the input: ids that differ anywhere fall far apart. */
std::uint64_t hashOf (const char* bytes, size_t size)
{
    auto hash = mixed (0x9e3779b97f4a7c15ULL ^ (std::uint64_t) size);
    size_t at = 0;
    for (; at + 8 <= size; at += 8)
    {
        std::uint64_t block;
        std::memcpy (&block, bytes + at, 8);
        hash ^= mixed (block);
        hash = (hash << 27 | hash >> 37) * 5 + 0x52dce729;
    }
    std::uint64_t tail = 0;
    std::memcpy (&tail, bytes + at, size - at);
    return mixed (hash ^ mixed (tail + 0x27d4eb2f165667c5ULL));
}

std::uint64_t checkOf (std::uint64_t key, std::int64_t madeAt)
{
    return mixed (key ^ mixed ((std::uint64_t) madeAt ^ 0x165667b19e3779f9ULL));
}

/** The slots where a key may lie, as read now: those the table does not
    hold (it was cut) read as free. */
struct Window
{
    explicit Window (int descriptor, std::uint64_t key)
        : offset ((off_t) (sizeof (Header) + (key % (slotCount - probes + 1)) * sizeof (Slot)))
    {
        if (::pread (descriptor, slots, sizeof (slots), offset) < 0)
            std::memset (slots, 0, sizeof (slots));
        // After the read: a stamp made before it is never ahead.
        now = RecentChanges::now();
    }

    /** A slot as it was written, stamped no later than now. */
    bool trusted (const Slot& slot) const
    {
        return slot.key != 0 && slot.check == checkOf (slot.key, slot.madeAt) && slot.madeAt <= now;
    }

    off_t offset;
    Slot slots[probes] {};
    std::int64_t now;
};
} // namespace

RecentChanges::RecentChanges (const juce::File& file)
    : fileName (juce::String (SaveLock::folderOf (file)) + "/" + file.getFileName() + "\n")
{
}

std::uint64_t RecentChanges::keyOf (const juce::String& what) const
{
    const auto text = fileName + what;
    const auto key = hashOf (text.toRawUTF8(), text.getNumBytesAsUTF8());
    return key != 0 ? key : 1; // 0 marks a free slot
}

std::int64_t RecentChanges::now() noexcept
{
    return (std::int64_t) std::chrono::duration_cast<std::chrono::nanoseconds> (std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool RecentChanges::isSuperseded (const juce::String& what, std::int64_t madeAt) const
{
    const int descriptor = tableDescriptor();
    if (descriptor < 0 || headerOf (descriptor) == HeaderState::foreign)
        return false;
    const auto key = keyOf (what);
    const Window window (descriptor, key);
    for (const auto& slot : window.slots)
        if (slot.key == key && window.trusted (slot) && slot.madeAt > madeAt)
            return true;
    return false;
}

void RecentChanges::landed (const juce::String& what, std::int64_t madeAt)
{
    const int descriptor = tableDescriptor();
    if (descriptor < 0)
        return;
    switch (headerOf (descriptor))
    {
        case HeaderState::foreign:
            return;
        case HeaderState::absent:
            if (! PresetFileSystem::writeWithinSizeLimit (descriptor, &ourHeader, sizeof (Header), 0))
                return;
            break;
        case HeaderState::ours:
            break;
    }

    const auto key = keyOf (what);
    const Window window (descriptor, key);
    // The key's own slot; else one free, torn or stamped ahead; else the oldest.
    const Slot* target = nullptr;
    for (const auto& slot : window.slots)
        if (slot.key == key && window.trusted (slot))
        {
            if (slot.madeAt > madeAt)
                return;
            target = target != nullptr ? target : &slot;
        }
    for (const auto& slot : window.slots)
        if (target == nullptr && ! window.trusted (slot))
            target = &slot;
    if (target == nullptr)
    {
        target = window.slots;
        for (const auto& slot : window.slots)
            target = slot.madeAt < target->madeAt ? &slot : target;
    }

    const Slot written { key, madeAt, checkOf (key, madeAt) };
    // A write that fails (no room, the table cut meanwhile, past the
    // process's file size limit) only loses this record.
    (void) PresetFileSystem::writeWithinSizeLimit (descriptor, &written, sizeof (written),
                                                   window.offset + (off_t) ((target - window.slots) * sizeof (Slot)));
}
} // namespace Korvalden::Misc
