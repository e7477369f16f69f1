#include "presets/PresetFileSystem.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace Korvalden::Misc::PresetFileSystem
{
namespace
{
const char* pathOf (const juce::File& file) { return file.getFullPathName().toRawUTF8(); }

/** The size limit of the process's files; RLIM_INFINITY for none. */
rlim_t fileSizeLimit()
{
    struct rlimit limit {};
    return ::getrlimit (RLIMIT_FSIZE, &limit) == 0 ? limit.rlim_cur : RLIM_INFINITY;
}

/** Holds back, on the calling thread, the signal that a write past the size
    limit is sent, and takes back one that a write it covered was sent: the
    write then only fails, with EFBIG.  The signal stays pending for the
    thread while held back, so it is taken back only when the write failed
    so and none was pending before. */
class SizeLimitSignalHeld
{
public:
    SizeLimitSignalHeld()
    {
        sigemptyset (&sizeSignal);
        sigaddset (&sizeSignal, SIGXFSZ);
        held = ::pthread_sigmask (SIG_BLOCK, &sizeSignal, &before) == 0;
        pendingBefore = held && isPending();
    }

    ~SizeLimitSignalHeld()
    {
        if (! held)
            return;
        const int error = errno;
        if (sent && ! pendingBefore && isPending())
        {
            const struct timespec none {};
            while (::sigtimedwait (&sizeSignal, nullptr, &none) < 0 && errno == EINTR)
                continue;
        }
        ::pthread_sigmask (SIG_SETMASK, &before, nullptr);
        errno = error;
    }

    /** A covered write failed with EFBIG: the system sent the signal. */
    void writePassedTheLimit() noexcept { sent = true; }

private:
    bool isPending() const
    {
        sigset_t pending;
        return ::sigpending (&pending) == 0 && sigismember (&pending, SIGXFSZ) == 1;
    }

    sigset_t sizeSignal {}, before {};
    bool held = false, pendingBefore = false, sent = false;

    JUCE_DECLARE_NON_COPYABLE (SizeLimitSignalHeld)
};

/** rename that fails when the target exists (Linux 3.15 and later). */
int renameNoReplace (const char* from, const char* to)
{
#if defined(RENAME_NOREPLACE)
    return ::renameat2 (AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#else
    errno = ENOSYS;
    return -1;
#endif
}

enum class Placement
{
    done,
    taken,
    failed
};

/** Renames without ever replacing what is at the target. */
Placement placeWithoutReplacing (const char* from, const char* to, bool isFolder)
{
    if (renameNoReplace (from, to) == 0)
        return Placement::done;
    if (errno == EEXIST)
        return Placement::taken;
    if (errno != ENOSYS && errno != EINVAL)
        return Placement::failed;

    // Without the atomic call: a plain file is linked (which refuses an
    // existing name) and then unlinked; a folder is renamed after a check.
    if (! isFolder)
    {
        if (::link (from, to) == 0)
            return ::unlink (from) == 0 ? Placement::done : Placement::failed;
        if (errno == EEXIST)
            return Placement::taken;
    }

    // A file system without either: check, then rename.
    struct stat info {};
    if (::lstat (to, &info) == 0)
        return Placement::taken;
    return ::rename (from, to) == 0 ? Placement::done : Placement::failed;
}

const char* const temporaryPrefix = ".kest-save-";

/** A new hidden file of ours in a folder, locked (flock) from its creation
    until it is renamed or removed, so that no clean-up takes it meanwhile.
    Its name is short, so any target name that fits the file system fits it
    too, and has no extension, so a crash leaves nothing that looks like a
    preset.  Unless placed, it is removed (while still locked) when it goes;
    errno survives that. */
class TemporaryFile
{
public:
    explicit TemporaryFile (const juce::File& folder)
    {
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            path = folder.getChildFile (juce::String (temporaryPrefix) + "XXXXXX").getFullPathName().toStdString();
            descriptor = ::mkostemp (path.data(), O_CLOEXEC);
            if (descriptor < 0)
                return;

            // A clean-up may have caught the file before the lock: then it
            // holds the lock or has removed the name, and takes the file.
            if (::flock (descriptor, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EINTR))
            {
                ::close (descriptor);
                continue;
            }
            // Any other refusal: the file system keeps no locks, so no
            // clean-up can lock (and so remove) the file either.
            struct stat held {}, named {};
            if (::fstat (descriptor, &held) == 0 && ::lstat (path.c_str(), &named) == 0
                && held.st_dev == named.st_dev && held.st_ino == named.st_ino)
                return;
            ::close (descriptor);
        }
        descriptor = -1;
        errno = EEXIST;
    }

    ~TemporaryFile()
    {
        if (descriptor < 0)
            return;
        const int error = errno;
        if (! placed)
            ::unlink (path.c_str());
        ::close (descriptor);
        errno = error;
    }

    bool isOpen() const noexcept { return descriptor >= 0; }
    const char* getPath() const noexcept { return path.c_str(); }

    /** Writes the data and flushes it to the disk. */
    bool write (const void* data, size_t numBytes, mode_t permissions)
    {
        return writeWithinSizeLimit (descriptor, data, numBytes, atCurrentPosition)
               && ::fchmod (descriptor, permissions) == 0
               && ::fsync (descriptor) == 0;
    }

    /** The file now lies under another name: it stays when this goes. */
    void markPlaced() noexcept { placed = true; }

private:
    std::string path;
    int descriptor = -1;
    bool placed = false;

    JUCE_DECLARE_NON_COPYABLE (TemporaryFile)
};

/** The rename itself reaches the disk with the folder. */
void flushFolder (const juce::File& folder)
{
    const int descriptor = ::open (pathOf (folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0)
    {
        ::fsync (descriptor);
        ::close (descriptor);
    }
}

/** Writes a line on standard error in one write, so that lines of several
    instances never interleave; where that is a file, never past the size
    limit of the process's files (the line is then lost, not the process). */
void printLine (const juce::String& text)
{
    const auto line = (text + "\n").toStdString();
    (void) writeWithinSizeLimit (STDERR_FILENO, line.data(), line.size(), atCurrentPosition);
}

/** One of the letters mkstemp chooses from (glibc and the BSDs alike). */
bool isTemplateLetter (char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

/** Removes one entry of the open folder when its name is one of ours, it is
    a plain file old enough, and no save holds it locked.  The file is locked
    while it is removed, and only while the name still names it. */
void removeIfStaleTemporaryFile (int folderDescriptor, const char* name)
{
    if (! isOwnTemporaryName (name))
        return;

    struct stat named {};
    if (::fstatat (folderDescriptor, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || ! S_ISREG (named.st_mode)
        || (juce::int64) ::time (nullptr) - (juce::int64) named.st_mtime < staleTemporaryFileSeconds)
        return;

    const int file = ::openat (folderDescriptor, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file < 0)
        return;

    struct stat held {};
    if (::fstat (file, &held) == 0 && held.st_dev == named.st_dev && held.st_ino == named.st_ino
        && ::flock (file, LOCK_EX | LOCK_NB) == 0
        && ::fstatat (folderDescriptor, name, &named, AT_SYMLINK_NOFOLLOW) == 0
        && named.st_dev == held.st_dev && named.st_ino == held.st_ino)
        ::unlinkat (folderDescriptor, name, 0);
    ::close (file);
}

/** How long before the moment a file was seen its status must have changed
    for that stamp to tell it from a file made after it was seen: some file
    systems stamp whole seconds, or two. */
constexpr juce::int64 coarseStampNanoseconds = 2'000'000'000;

/** A moment in nanoseconds, which hold any moment until the year 2262. */
juce::int64 momentOf (juce::int64 seconds, juce::uint32 nanoseconds)
{
    return seconds * 1'000'000'000 + (juce::int64) nanoseconds;
}

/** The file handle of an entry of an open folder (links not followed),
    folded into 64 bits (FNV-1a over its type and bytes); false where the
    file system gives none. */
bool handleAt (int folderDescriptor, const char* name, juce::uint64& folded)
{
    alignas (struct file_handle) unsigned char storage[sizeof (struct file_handle) + MAX_HANDLE_SZ];
    auto* handle = reinterpret_cast<struct file_handle*> (storage);
    handle->handle_bytes = MAX_HANDLE_SZ;
    int mountId = 0;
    if (::name_to_handle_at (folderDescriptor, name, handle, &mountId, 0) != 0)
        return false;

    juce::uint64 hash = 14695981039346656037ull;
    const auto add = [&hash] (unsigned char byte) { hash = (hash ^ byte) * 1099511628211ull; };
    for (size_t index = 0; index < sizeof (handle->handle_type); ++index)
        add ((unsigned char) ((unsigned int) handle->handle_type >> (8 * index)));
    const auto* bytes = storage + offsetof (struct file_handle, f_handle);
    for (unsigned int index = 0; index < handle->handle_bytes && index < MAX_HANDLE_SZ; ++index)
        add (bytes[index]);
    folded = hash;
    return true;
}
} // namespace

bool isAcceptableName (const juce::String& name)
{
    if (name.isEmpty() || name == "." || name == "..")
        return false;

    for (auto character : name)
        if (character == '/' || character == '\\' || character < 0x20 || character == 0x7f)
            return false;
    return true;
}

bool isSameFile (const juce::File& a, const juce::File& b)
{
    struct stat infoA {}, infoB {};
    return ::stat (pathOf (a), &infoA) == 0 && ::stat (pathOf (b), &infoB) == 0
           && infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

bool existsAtAll (const juce::File& file)
{
    struct stat info {};
    return ::lstat (pathOf (file), &info) == 0;
}

Identity identityAt (int folderDescriptor, const char* name, juce::uint64 listedInode, unsigned int* mode)
{
    // The coarse clock is the one file systems stamp files with: a file made
    // after this moment is stamped no earlier than it (one that stamps more
    // coarsely, up to its own granularity earlier).
    struct timespec seen {};
    ::clock_gettime (CLOCK_REALTIME_COARSE, &seen);
    struct statx info {};
    constexpr unsigned int wanted = STATX_TYPE | STATX_MODE | STATX_INO | STATX_NLINK | STATX_CTIME | STATX_BTIME;
    if (::statx (folderDescriptor, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, wanted, &info) != 0 || (info.stx_mask & STATX_INO) == 0)
        return {};
    if (mode != nullptr)
        *mode = info.stx_mode;

    Identity identity;
    identity.device = (juce::uint64) makedev (info.stx_dev_major, info.stx_dev_minor);
    identity.inode = info.stx_ino;
    identity.listedInode = listedInode;
    identity.links = info.stx_nlink;
    identity.seenSeconds = seen.tv_sec;
    identity.seenNanoseconds = (juce::uint32) seen.tv_nsec;
    // A folder's status changes with every entry made or removed in it.
    if (! S_ISDIR (info.stx_mode))
    {
        identity.changedSeconds = info.stx_ctime.tv_sec;
        identity.changedNanoseconds = info.stx_ctime.tv_nsec;
    }
    // Some file systems give no birth time, or give it as zero.
    identity.bornKnown = (info.stx_mask & STATX_BTIME) != 0 && (info.stx_btime.tv_sec != 0 || info.stx_btime.tv_nsec != 0);
    if (identity.bornKnown)
    {
        identity.bornSeconds = info.stx_btime.tv_sec;
        identity.bornNanoseconds = info.stx_btime.tv_nsec;
    }
    else
    {
        // Asked after the stamps: a file put at the name in between has
        // another handle, so the identity then matches no file at all.
        identity.handleKnown = handleAt (folderDescriptor, name, identity.handle);
    }
    return identity;
}

Identity identityOf (const juce::File& file)
{
    auto identity = identityAt (AT_FDCWD, pathOf (file), 0);
    identity.listedInode = identity.inode;
    return identity;
}

bool isSameFile (const Identity& shown, const Identity& now)
{
    if (! shown.isKnown() || ! now.isKnown() || shown.device != now.device || shown.inode != now.inode)
        return false;
    if (shown.bornKnown)
        return now.bornKnown && shown.bornSeconds == now.bornSeconds && shown.bornNanoseconds == now.bornNanoseconds;
    if (shown.handleKnown && ! (now.handleKnown && now.handle == shown.handle))
        return false;
    if (shown.changedSeconds != now.changedSeconds || shown.changedNanoseconds != now.changedNanoseconds)
        return false;
    // A status change stamped in the tick the file was seen in may as well
    // be that of a new file made later in that tick on the freed number.
    // (A folder's is not kept: its number and handle tell it.)
    const auto changed = momentOf (shown.changedSeconds, shown.changedNanoseconds);
    return shown.handleKnown || changed <= momentOf (shown.seenSeconds, shown.seenNanoseconds) - coarseStampNanoseconds;
}

bool isMadeSince (const Identity& now, const Identity& shown)
{
    if (! shown.isKnown() || ! now.isKnown() || ! shown.bornKnown || ! now.bornKnown)
        return false;
    constexpr juce::int64 tick = 10'000'000;
    const auto born = momentOf (now.bornSeconds, now.bornNanoseconds);
    return born >= momentOf (shown.seenSeconds, shown.seenNanoseconds) - tick && born <= momentOf (now.seenSeconds, now.seenNanoseconds) + tick;
}

bool isSavedOver (const Identity& now, const Identity& shown, const RowNumbers* rowNumbers)
{
    if (! isMadeSince (now, shown))
        return false;
    if (rowNumbers == nullptr)
        return true;
    // The same number may be another file's on another file system (the
    // layers of an overlay); the listing's number tells more only where a
    // look-up gives another.
    const bool isAnotherRowsFile = (now.device != shown.device || now.inode != shown.inode)
                                   && rowNumbers->files.count ({ now.device, now.inode }) != 0;
    const bool isListedAsAnotherRow = now.listedInode != now.inode && now.listedInode != shown.listedInode
                                      && rowNumbers->listed.count (now.listedInode) != 0;
    return ! isAnotherRowsFile && ! isListedAsAnotherRow;
}

namespace
{
/** The identity of what lies at the path now; not known when nothing does
    (absent tells whether that is certain: the system's "no such entry"). */
Identity identityNowAt (const juce::File& file, bool& absent, unsigned int& mode)
{
    errno = 0;
    auto now = identityAt (AT_FDCWD, pathOf (file), 0, &mode);
    absent = ! now.isKnown() && (errno == ENOENT || errno == ENOTDIR);
    return now;
}
} // namespace

bool isStillAt (const juce::File& file, const Identity& shown)
{
    bool absent = false;
    unsigned int mode = 0;
    const auto now = identityNowAt (file, absent, mode);
    if (! now.isKnown())
        return ! absent;
    return ! shown.isKnown() || isSameFile (shown, now);
}

juce::File whereNow (const juce::File& file, const Identity& shown, const RowNumbers* rowNumbers)
{
    bool absent = false;
    unsigned int mode = 0;
    const auto now = identityNowAt (file, absent, mode);
    if (! shown.isKnown() || (! now.isKnown() && ! absent) || isSameFile (shown, now))
        return file;

    // Renamed within its folder: the listing gives each entry's number, and
    // only an entry with the preset's number is looked at.  A file that had
    // other names when shown is not followed to one of them.
    juce::File found;
    const auto folder = file.getParentDirectory();
    if (shown.links <= 1)
    {
        auto* listing = ::opendir (pathOf (folder));
        if (listing != nullptr)
        {
            const int descriptor = ::dirfd (listing);
            while (auto* entry = ::readdir (listing))
            {
                const auto listed = (juce::uint64) entry->d_ino;
                const auto length = std::strlen (entry->d_name);
                if ((listed == shown.listedInode || listed == shown.inode) && length > 4 && std::strcmp (entry->d_name + length - 4, ".prs") == 0
                    && isSameFile (shown, identityAt (descriptor, entry->d_name, listed)))
                {
                    found = folder.getChildFile (juce::String::fromUTF8 (entry->d_name));
                    break;
                }
            }
            ::closedir (listing);
        }
    }
    if (found == juce::File() && now.isKnown() && ! S_ISDIR (mode) && isSavedOver (now, shown, rowNumbers))
        return file; // saved over under its name
    return found;
}

bool writeWithinSizeLimit (int descriptor, const void* data, size_t numBytes, juce::int64 offset)
{
    // The limit is on the offset a write reaches: one that would pass it
    // is not begun.  What has no offset (a pipe, a terminal) has no limit.
    const bool atPosition = offset == atCurrentPosition;
    const auto start = atPosition ? (juce::int64) ::lseek (descriptor, 0, SEEK_CUR) : offset;
    if (const auto limit = fileSizeLimit();
        start >= 0 && limit != RLIM_INFINITY && (juce::uint64) start + numBytes > (juce::uint64) limit)
    {
        errno = EFBIG;
        return false;
    }

    // A limit lowered since, or a file that appends past the position, is
    // met by the system: held back, its signal only fails the write.
    SizeLimitSignalHeld signalHeld;
    const auto* bytes = static_cast<const char*> (data);
    while (numBytes > 0)
    {
        const auto written = atPosition ? ::write (descriptor, bytes, numBytes) : ::pwrite (descriptor, bytes, numBytes, (off_t) offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EFBIG)
            signalHeld.writePassedTheLimit();
        if (written <= 0)
        {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes += written;
        numBytes -= (size_t) written;
        offset += atPosition ? 0 : written;
    }
    return true;
}

bool writeAtomically (const juce::File& target, const void* data, size_t numBytes)
{
    // A link stays a link (a settings file kept in a folder of its own, say):
    // the file it leads to is replaced where it lies.
    auto path = target.getFullPathName().toStdString();
    mode_t permissions = 0644; // presets are ordinary user documents
    bool isLink = false;
    struct stat info {};
    if (::lstat (path.c_str(), &info) == 0)
    {
        isLink = S_ISLNK (info.st_mode);
        if (isLink)
        {
            char resolved[PATH_MAX];
            if (::realpath (path.c_str(), resolved) == nullptr || ::lstat (resolved, &info) != 0)
                return false;
            path = resolved;
        }
        if (! S_ISREG (info.st_mode))
        {
            errno = EISDIR;
            return false;
        }
        permissions = info.st_mode & 0777;
    }
    else if (errno != ENOENT)
    {
        return false;
    }

    const auto folder = juce::File (juce::String::fromUTF8 (path.c_str())).getParentDirectory();
    if (! isLink)
        removeStaleTemporaryFiles (folder);

    TemporaryFile temporary (folder);
    if (! temporary.isOpen() || ! temporary.write (data, numBytes, permissions)
        || ::rename (temporary.getPath(), path.c_str()) != 0)
        return false;

    temporary.markPlaced();
    flushFolder (folder);
    return true;
}

juce::File writeNewFile (const juce::File& wanted, const void* data, size_t numBytes)
{
    const auto folder = wanted.getParentDirectory();
    removeStaleTemporaryFiles (folder);

    TemporaryFile temporary (folder);
    if (! temporary.isOpen() || ! temporary.write (data, numBytes, 0644))
        return {};

    // The name is taken only at the rename, which refuses a name taken
    // meanwhile; the next free one is tried then.
    for (int attempt = 0; attempt < 1000; ++attempt)
    {
        const auto target = freeSibling (wanted);
        if (target == juce::File())
        {
            errno = EEXIST; // every numbered name is taken
            break;
        }

        const auto placement = placeWithoutReplacing (temporary.getPath(), pathOf (target), false);
        if (placement == Placement::done)
        {
            temporary.markPlaced();
            flushFolder (folder);
            return target;
        }
        if (placement == Placement::failed)
            break;
    }
    return {};
}

bool moveWithoutReplacing (const juce::File& source, const juce::File& target)
{
    if (! existsAtAll (source))
        return false;

    if (isSameFile (source, target))
        return ::rename (pathOf (source), pathOf (target)) == 0; // a case-only rename

    return placeWithoutReplacing (pathOf (source), pathOf (target), source.isDirectory()) == Placement::done;
}

bool moveReplacing (const juce::File& source, const juce::File& target)
{
    struct stat sourceInfo {}, targetInfo {};
    if (::lstat (pathOf (source), &sourceInfo) != 0 || ! S_ISREG (sourceInfo.st_mode))
        return false;
    if (::lstat (pathOf (target), &targetInfo) == 0 && ! S_ISREG (targetInfo.st_mode))
        return false;
    return ::rename (pathOf (source), pathOf (target)) == 0;
}

bool readWholeFile (const juce::File& file, juce::MemoryBlock& out)
{
    struct stat info {};
    if (::stat (pathOf (file), &info) != 0 || ! S_ISREG (info.st_mode) || info.st_size > maxFileBytes)
        return false;

    juce::FileInputStream stream (file);
    if (! stream.openedOk())
        return false;

    juce::MemoryBlock block;
    stream.readIntoMemoryBlock (block, (ssize_t) maxFileBytes + 1);
    if (block.getSize() > (size_t) maxFileBytes || ! stream.isExhausted() || stream.getStatus().failed())
        return false;

    out = std::move (block);
    return true;
}

juce::String resolvedPath (const juce::File& file)
{
    char buffer[PATH_MAX];
    if (::realpath (pathOf (file), buffer) == nullptr)
        return {};
    return juce::String::fromUTF8 (buffer);
}

juce::File freeSibling (const juce::File& wanted)
{
    if (! existsAtAll (wanted))
        return wanted;

    // "Deep(2)" continues with "Deep(3)" rather than "Deep(2)(2)".
    // Only a preset's ".prs" is an extension: the dots of a folder's name are its own.
    const bool isPreset = wanted.getFileName().endsWithIgnoreCase (".prs");
    auto stem = isPreset ? wanted.getFileNameWithoutExtension() : wanted.getFileName();
    const auto extension = isPreset ? wanted.getFileExtension() : juce::String();
    int number = 1;
    const int open = stem.lastIndexOfChar ('(');
    if (stem.endsWithChar (')') && open > 0)
    {
        const auto digits = stem.substring (open + 1, stem.length() - 1);
        if (digits.isNotEmpty() && digits.length() < 9 && digits.containsOnly ("0123456789"))
        {
            number = digits.getIntValue();
            stem = stem.substring (0, open);
        }
    }

    // Links count as taken even when they lead nowhere.
    for (int attempt = 0; attempt < 100000; ++attempt)
    {
        auto candidate = wanted.getSiblingFile (stem + "(" + juce::String (++number) + ")" + extension);
        if (! existsAtAll (candidate))
            return candidate;
    }
    return {};
}

bool isOwnTemporaryName (const char* name)
{
    constexpr size_t prefixLength = 11, randomLength = 6;
    if (std::strlen (name) != prefixLength + randomLength || std::strncmp (name, temporaryPrefix, prefixLength) != 0)
        return false;
    for (size_t i = prefixLength; i < prefixLength + randomLength; ++i)
        if (! isTemplateLetter (name[i]))
            return false;
    return true;
}

void removeStaleTemporaryFiles (const juce::File& folder)
{
    // The folder itself, where links lead: the one the save writes into
    // (a data folder moved to another disk and linked back, say).  Every
    // step below goes through this descriptor, so the folder cannot be
    // swapped for another meanwhile.
    const auto path = folder.getFullPathName().toStdString();
    const int descriptor = ::open (path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;

    auto* listing = ::fdopendir (descriptor);
    if (listing == nullptr)
    {
        ::close (descriptor);
        return;
    }
    while (auto* entry = ::readdir (listing))
        removeIfStaleTemporaryFile (descriptor, entry->d_name);
    ::closedir (listing);
}

juce::String describeWriteFailure (const juce::File& target, int error)
{
    struct stat info {};
    if (::lstat (pathOf (target), &info) == 0)
    {
        if (S_ISLNK (info.st_mode) && ::stat (pathOf (target), &info) != 0)
            return "it is a link that leads nowhere";
        if (! S_ISREG (info.st_mode) && ! S_ISLNK (info.st_mode))
            return "it is not a plain file";
    }
    return describeError (error);
}

juce::String describeError (int error)
{
    const auto text = juce::String::fromUTF8 (std::strerror (error));
    if (const auto limit = fileSizeLimit(); error == EFBIG && limit != RLIM_INFINITY)
        return text + " (this program may write files of at most " + juce::String ((juce::uint64) limit) + " bytes)";
    return text;
}

void printSaveFailure (const juce::File& file, const juce::String& reason)
{
    printLine ("Kest: could not save \"" + file.getFullPathName() + "\": " + reason);
}

juce::String describeLastingWait()
{
    return "another program keeps its folder locked; the changes made here are kept and saved as soon as it lets go";
}

void printSaveWaiting (const juce::File& file)
{
    printLine ("Kest: waiting to save \"" + file.getFullPathName() + "\": " + describeLastingWait());
}

void printChangesLost (const juce::File& file, const juce::String& reason, int changes, const juce::String& what)
{
    printSaveFailure (file, reason + "; " + juce::String (changes) + (changes == 1 ? " change" : " changes") + " to the " + what
                                + " made here " + (changes == 1 ? "is" : "are") + " lost");
}
} // namespace Korvalden::Misc::PresetFileSystem
