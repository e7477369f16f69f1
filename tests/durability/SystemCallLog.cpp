#include "SystemCallLog.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace SystemCallLog
{
namespace
{
std::atomic<bool> watching { false };
std::mutex lock;
std::string watchedFolder;
std::vector<Call> recorded;
std::function<int (const Call&)> hook;
/** A hook that writes files itself is not recorded again. */
thread_local bool insideHook = false;

std::string pathOfDescriptor (int descriptor)
{
    char link[64], path[PATH_MAX];
    std::snprintf (link, sizeof (link), "/proc/self/fd/%d", descriptor);
    const auto length = ::readlink (link, path, sizeof (path) - 1);
    return length > 0 ? std::string (path, (size_t) length) : std::string();
}

std::string absolute (const char* path)
{
    if (path == nullptr)
        return {};
    if (path[0] == '/')
        return path;
    char folder[PATH_MAX];
    return ::getcwd (folder, sizeof (folder)) != nullptr ? std::string (folder) + "/" + path : std::string (path);
}

/** Records the call when it is watched and returns the error to fail it with. */
int observe (const char* name, const std::string& path, const std::string& target = {})
{
    if (! watching.load() || insideHook)
        return 0;

    std::function<int (const Call&)> currentHook;
    Call call { name, path, target };
    {
        std::lock_guard<std::mutex> guard (lock);
        if (path.compare (0, watchedFolder.size(), watchedFolder) != 0)
            return 0;
        recorded.push_back (call);
        currentHook = hook;
    }
    if (! currentHook)
        return 0;

    insideHook = true;
    const int error = currentHook (call);
    insideHook = false;
    return error;
}

template <typename Function>
Function next (const char* name)
{
    return reinterpret_cast<Function> (::dlsym (RTLD_NEXT, name));
}
} // namespace

void watch (const std::string& folder)
{
    std::lock_guard<std::mutex> guard (lock);
    watchedFolder = folder;
    recorded.clear();
    hook = nullptr;
    watching = true;
}

void stop()
{
    watching = false;
    std::lock_guard<std::mutex> guard (lock);
    hook = nullptr;
}

std::vector<Call> calls()
{
    std::lock_guard<std::mutex> guard (lock);
    return recorded;
}

void setHook (std::function<int (const Call&)> newHook)
{
    std::lock_guard<std::mutex> guard (lock);
    hook = std::move (newHook);
}
} // namespace SystemCallLog

// The replacements.  Everything linked into this binary (our code and the
// framework) calls these; the system's own versions come next.

extern "C" ssize_t write (int descriptor, const void* data, size_t numBytes)
{
    static const auto system = SystemCallLog::next<ssize_t (*) (int, const void*, size_t)> ("write");
    if (SystemCallLog::watching.load())
        if (const int error = SystemCallLog::observe ("write", SystemCallLog::pathOfDescriptor (descriptor)))
        {
            errno = error;
            return -1;
        }
    return system (descriptor, data, numBytes);
}

extern "C" int fsync (int descriptor)
{
    static const auto system = SystemCallLog::next<int (*) (int)> ("fsync");
    if (SystemCallLog::watching.load())
        if (const int error = SystemCallLog::observe ("fsync", SystemCallLog::pathOfDescriptor (descriptor)))
        {
            errno = error;
            return -1;
        }
    return system (descriptor);
}

extern "C" int rename (const char* from, const char* to) noexcept
{
    static const auto system = SystemCallLog::next<int (*) (const char*, const char*)> ("rename");
    if (const int error = SystemCallLog::observe ("rename", SystemCallLog::absolute (from), SystemCallLog::absolute (to)))
    {
        errno = error;
        return -1;
    }
    return system (from, to);
}

extern "C" int renameat2 (int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) noexcept
{
    static const auto system = SystemCallLog::next<int (*) (int, const char*, int, const char*, unsigned int)> ("renameat2");
    if (fromFolder == AT_FDCWD && toFolder == AT_FDCWD)
        if (const int error = SystemCallLog::observe ("rename", SystemCallLog::absolute (from), SystemCallLog::absolute (to)))
        {
            errno = error;
            return -1;
        }
    return system (fromFolder, from, toFolder, to, flags);
}

extern "C" int link (const char* from, const char* to) noexcept
{
    static const auto system = SystemCallLog::next<int (*) (const char*, const char*)> ("link");
    if (const int error = SystemCallLog::observe ("rename", SystemCallLog::absolute (from), SystemCallLog::absolute (to)))
    {
        errno = error;
        return -1;
    }
    return system (from, to);
}

extern "C" int flock (int descriptor, int operation) noexcept
{
    static const auto system = SystemCallLog::next<int (*) (int, int)> ("flock");
    if (SystemCallLog::watching.load())
        if (const int error = SystemCallLog::observe ("lock", SystemCallLog::pathOfDescriptor (descriptor)))
        {
            errno = error;
            return -1;
        }
    return system (descriptor, operation);
}
