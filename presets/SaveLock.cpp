#include "presets/SaveLock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace Korvalden::Misc
{
namespace
{
int waitMillisecondsAt (SaveLock::Moment when)
{
    switch (when)
    {
        case SaveLock::Moment::atChange: return 0;
        case SaveLock::Moment::retry:    return 0;
        case SaveLock::Moment::atClose:  return SaveLock::closeWaitMilliseconds;
    }
    return 0;
}
} // namespace

std::string SaveLock::folderOf (const juce::File& file)
{
    const auto path = file.getFullPathName().toStdString();
    struct stat info {};
    char resolved[PATH_MAX];
    if (::lstat (path.c_str(), &info) == 0 && S_ISLNK (info.st_mode) && ::realpath (path.c_str(), resolved) != nullptr)
        return juce::File (juce::String::fromUTF8 (resolved)).getParentDirectory().getFullPathName().toStdString();
    return file.getParentDirectory().getFullPathName().toStdString();
}

SaveLock::SaveLock (const juce::File& file, Moment when) : SaveLock (file, waitMillisecondsAt (when)) {}

SaveLock::SaveLock (const juce::File& file, int waitMilliseconds)
{
    descriptor = ::open (folderOf (file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;

    // Saves take milliseconds: polling keeps the wait bounded.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds (juce::jmax (0, waitMilliseconds));
    int pauseMilliseconds = 1;
    while (::flock (descriptor, LOCK_EX | LOCK_NB) != 0)
    {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || Clock::now() >= deadline)
        {
            refused = errno == EWOULDBLOCK;
            ::close (descriptor);
            descriptor = -1;
            return;
        }
        // The last pause ends at the deadline, for one last try.
        std::this_thread::sleep_for (std::min<Clock::duration> (std::chrono::milliseconds (pauseMilliseconds), deadline - Clock::now()));
        pauseMilliseconds = std::min (pauseMilliseconds * 2, 16);
    }
}

SaveLock::SaveLock (const std::string& folder, UntilFree)
{
    descriptor = ::open (folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;

    // Blocked in the system until the holder lets go; among several
    // waiters, whichever runs first takes it.
    while (::flock (descriptor, LOCK_EX) != 0)
    {
        if (errno == EINTR)
            continue;
        ::close (descriptor);
        descriptor = -1;
        return;
    }
}

SaveLock::~SaveLock()
{
    // Closing the descriptor ends the lock.
    if (descriptor >= 0)
        ::close (descriptor);
}
} // namespace Korvalden::Misc
