#include "host/ReplacingFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace KestHost
{
namespace
{
namespace fs = std::filesystem;

/** The unfinished files that an interrupt removes: fixed places, so the
    signal handler needs no allocation and no lock. */
constexpr int maximumOpenFiles = 8;
constexpr size_t maximumPathBytes = 4096;
char unfinishedPaths[maximumOpenFiles][maximumPathBytes];
std::atomic<bool> unfinishedInUse[maximumOpenFiles];

extern "C" void removeUnfinishedFilesAndStop (int signalNumber)
{
    for (int i = 0; i < maximumOpenFiles; ++i)
        if (unfinishedInUse[i].load (std::memory_order_acquire))
            ::unlink (unfinishedPaths[i]);

    static const char message[] = "\nkest-host: interrupted; unfinished files removed\n";
    [[maybe_unused]] const auto written = ::write (STDERR_FILENO, message, sizeof (message) - 1);
    std::signal (signalNumber, SIG_DFL);
    std::raise (signalNumber);
}

void installInterruptHandlers()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;

    struct sigaction action {};
    action.sa_handler = removeUnfinishedFilesAndStop;
    sigemptyset (&action.sa_mask);
    for (int signalNumber : { SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE })
        sigaction (signalNumber, &action, nullptr);
    std::signal (SIGXFSZ, SIG_IGN); // a write beyond the size limit fails with EFBIG
}

int claimSlot (const std::string& path)
{
    if (path.size() >= maximumPathBytes)
        return -1;
    for (int i = 0; i < maximumOpenFiles; ++i)
        if (! unfinishedInUse[i].load (std::memory_order_relaxed))
        {
            std::memcpy (unfinishedPaths[i], path.c_str(), path.size() + 1);
            unfinishedInUse[i].store (true, std::memory_order_release);
            return i;
        }
    return -1;
}

void releaseSlot (int slot)
{
    if (slot >= 0)
        unfinishedInUse[slot].store (false, std::memory_order_release);
}

std::string reason (int number)
{
    return std::strerror (number);
}

/** The file a path names: links resolved when it exists. */
fs::path resolved (const std::string& path)
{
    std::error_code ignored;
    const auto absolute = fs::absolute (path, ignored);
    const auto real = fs::weakly_canonical (absolute, ignored);
    return real.empty() ? absolute : real;
}
} // namespace

std::string ReplacingFile::problemWith (const std::string& path)
{
    std::error_code error;
    const auto status = fs::status (path, error);
    if (fs::exists (status))
    {
        if (fs::is_regular_file (status))
            return {};
        if (fs::is_directory (status))
            return "it is a folder, not a file";
        if (fs::is_character_file (status) || fs::is_block_file (status))
            return "it is a device, not a regular file";
        if (fs::is_fifo (status))
            return "it is a pipe, not a regular file";
        return "it is not a regular file";
    }

    auto folder = fs::absolute (path, error).parent_path();
    const auto folderStatus = fs::status (folder, error);
    if (! fs::exists (folderStatus))
        return "its folder " + folder.string() + " does not exist";
    if (! fs::is_directory (folderStatus))
        return folder.string() + " is not a folder";
    return {};
}

bool ReplacingFile::sameFile (const std::string& first, const std::string& second)
{
    std::error_code error;
    if (fs::exists (first, error) && fs::exists (second, error))
        return fs::equivalent (first, second, error);
    return resolved (first) == resolved (second);
}

ReplacingFile::ReplacingFile (const std::string& path)
{
    installInterruptHandlers();
    const auto real = resolved (path);
    target = real.string();

    std::random_device seed;
    std::mt19937 random (seed());
    for (int attempt = 0; attempt < 16 && descriptor < 0; ++attempt)
    {
        temporary = (real.parent_path() / ("." + real.filename().string() + "." + std::to_string (random() % 1000000) + ".part")).string();
        // Known to the interrupt handler before it exists, so no moment
        // leaves it behind.
        slot = claimSlot (temporary);
        if (slot < 0)
            throw std::runtime_error ("cannot write " + path + ": the path is too long or too many files are open");
        descriptor = ::open (temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0)
        {
            const auto number = errno;
            releaseSlot (slot);
            slot = -1;
            if (number != EEXIST)
                throw std::runtime_error ("cannot write " + path + ": " + reason (number));
        }
    }
    if (descriptor < 0)
        throw std::runtime_error ("cannot write " + path + ": no free temporary name beside it");
}

ReplacingFile::~ReplacingFile()
{
    discard();
}

void ReplacingFile::discard() noexcept
{
    if (descriptor >= 0)
        ::close (descriptor);
    descriptor = -1;
    if (slot >= 0)
        ::unlink (temporary.c_str());
    releaseSlot (slot);
    slot = -1;
}

bool ReplacingFile::write (const void* data, size_t size)
{
    if (! error.empty() || descriptor < 0)
        return false;
    const auto* bytes = static_cast<const char*> (data);
    while (size > 0)
    {
        const auto written = ::write (descriptor, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
        {
            error = written < 0 ? reason (errno) : "nothing could be written";
            return false;
        }
        bytes += written;
        size -= (size_t) written;
        offset += written;
    }
    return true;
}

bool ReplacingFile::seek (int64_t position)
{
    if (! error.empty() || descriptor < 0)
        return false;
    if (::lseek (descriptor, (off_t) position, SEEK_SET) < 0)
    {
        error = reason (errno);
        return false;
    }
    offset = position;
    return true;
}

void ReplacingFile::commit()
{
    const auto fail = [this] (const std::string& why)
    {
        discard();
        return std::runtime_error ("cannot write " + target + ": " + why);
    };
    if (descriptor < 0)
        throw fail ("the file is already closed");
    if (! error.empty())
        throw fail (error);

    struct stat earlier {};
    if (::stat (target.c_str(), &earlier) == 0 && S_ISREG (earlier.st_mode))
        ::fchmod (descriptor, earlier.st_mode & 07777);

    if (::fsync (descriptor) != 0)
        throw fail (reason (errno));
    const auto closed = ::close (descriptor);
    descriptor = -1;
    if (closed != 0)
        throw fail (reason (errno));
    if (::rename (temporary.c_str(), target.c_str()) != 0)
        throw fail (reason (errno));
    releaseSlot (slot);
    slot = -1;
}
} // namespace KestHost
