#include "presets/PresetFileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Korvalden::Misc::PresetFileSystem
{
namespace
{
const char* pathOf (const juce::File& file) { return file.getFullPathName().toRawUTF8(); }

bool writeAll (int descriptor, const char* data, size_t numBytes)
{
    while (numBytes > 0)
    {
        auto written = ::write (descriptor, data, numBytes);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        numBytes -= (size_t) written;
    }
    return true;
}

/** rename that fails when the target exists (Linux 3.15 and later). */
int renameNoReplace (const char* from, const char* to)
{
#if defined(SYS_renameat2)
    constexpr unsigned int noReplace = 1; // RENAME_NOREPLACE
    return (int) ::syscall (SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, noReplace);
#else
    errno = ENOSYS;
    return -1;
#endif
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

bool writeAtomically (const juce::File& target, const void* data, size_t numBytes)
{
    if (target.isDirectory())
        return false;

    // Hidden and without the target's extension, so a crash leaves nothing
    // that looks like a preset.
    auto pattern = target.getParentDirectory().getChildFile ("." + target.getFileName() + ".XXXXXX")
                       .getFullPathName().toStdString();
    const int descriptor = ::mkstemp (pattern.data());
    if (descriptor < 0)
        return false;

    bool ok = writeAll (descriptor, static_cast<const char*> (data), numBytes) && ::fsync (descriptor) == 0;
    ok = (::close (descriptor) == 0) && ok;
    // Presets are ordinary user documents.
    ok = ok && ::chmod (pattern.c_str(), 0644) == 0;
    ok = ok && ::rename (pattern.c_str(), pathOf (target)) == 0;

    if (! ok)
    {
        ::unlink (pattern.c_str());
        return false;
    }

    // The rename itself reaches the disk with the folder.
    const int folder = ::open (pathOf (target.getParentDirectory()), O_RDONLY | O_DIRECTORY);
    if (folder >= 0)
    {
        ::fsync (folder);
        ::close (folder);
    }
    return true;
}

bool moveWithoutReplacing (const juce::File& source, const juce::File& target)
{
    if (! existsAtAll (source))
        return false;

    if (isSameFile (source, target))
        return ::rename (pathOf (source), pathOf (target)) == 0; // a case-only rename

    if (renameNoReplace (pathOf (source), pathOf (target)) == 0)
        return true;
    if (errno != ENOSYS && errno != EINVAL)
        return false;

    // Without the atomic call: a plain file is linked (which refuses an
    // existing name) and then unlinked; a folder is renamed after a check.
    if (! source.isDirectory())
    {
        if (::link (pathOf (source), pathOf (target)) == 0)
            return ::unlink (pathOf (source)) == 0;
        if (errno == EEXIST)
            return false;
    }

    // A file system without either: check, then rename.
    return ! existsAtAll (target) && ::rename (pathOf (source), pathOf (target)) == 0;
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
    auto stem = wanted.getFileNameWithoutExtension();
    const auto extension = wanted.getFileExtension();
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
} // namespace Korvalden::Misc::PresetFileSystem
