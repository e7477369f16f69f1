#include "presets/PresetFileSystem.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
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

/** Writes the data to a new hidden file of ours in the folder and flushes it
    to the disk.  Its name is short, so any target name that fits the file
    system fits it too, and has no extension, so a crash leaves nothing that
    looks like a preset.  Empty on failure, when nothing is left behind. */
std::string writeTemporaryFile (const juce::File& folder, const void* data, size_t numBytes, mode_t permissions)
{
    auto path = folder.getChildFile (".kest-save-XXXXXX").getFullPathName().toStdString();
    const int descriptor = ::mkostemp (path.data(), O_CLOEXEC);
    if (descriptor < 0)
        return {};

    bool ok = writeAll (descriptor, static_cast<const char*> (data), numBytes)
              && ::fchmod (descriptor, permissions) == 0
              && ::fsync (descriptor) == 0;
    ok = (::close (descriptor) == 0) && ok;
    if (! ok)
    {
        ::unlink (path.c_str());
        return {};
    }
    return path;
}

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

bool endsWithRandomPart (const std::string& name, const std::string& beforeIt, size_t minimumStem)
{
    // mkstemp's six characters.
    constexpr size_t randomLength = 6;
    if (name.size() < minimumStem + beforeIt.size() + randomLength)
        return false;
    const auto markerAt = name.size() - randomLength - beforeIt.size();
    if (name.compare (markerAt, beforeIt.size(), beforeIt) != 0)
        return false;
    for (auto i = name.size() - randomLength; i < name.size(); ++i)
        if (! std::isalnum ((unsigned char) name[i]))
            return false;
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

bool writeAtomically (const juce::File& target, const void* data, size_t numBytes)
{
    // A link stays a link (a settings file kept in a folder of its own, say):
    // the file it leads to is replaced where it lies.
    auto path = target.getFullPathName().toStdString();
    mode_t permissions = 0644; // presets are ordinary user documents
    struct stat info {};
    if (::lstat (path.c_str(), &info) == 0)
    {
        if (S_ISLNK (info.st_mode))
        {
            char resolved[PATH_MAX];
            if (::realpath (path.c_str(), resolved) == nullptr || ::lstat (resolved, &info) != 0)
                return false;
            path = resolved;
        }
        if (! S_ISREG (info.st_mode))
            return false;
        permissions = info.st_mode & 0777;
    }
    else if (errno != ENOENT)
    {
        return false;
    }

    const auto folder = juce::File (juce::String::fromUTF8 (path.c_str())).getParentDirectory();
    removeStaleTemporaryFiles (folder);

    const auto temporary = writeTemporaryFile (folder, data, numBytes, permissions);
    if (temporary.empty())
        return false;

    if (::rename (temporary.c_str(), path.c_str()) != 0)
    {
        ::unlink (temporary.c_str());
        return false;
    }
    flushFolder (folder);
    return true;
}

juce::File writeNewFile (const juce::File& wanted, const void* data, size_t numBytes)
{
    const auto folder = wanted.getParentDirectory();
    removeStaleTemporaryFiles (folder);

    const auto temporary = writeTemporaryFile (folder, data, numBytes, 0644);
    if (temporary.empty())
        return {};

    // The name is taken only at the rename, which refuses a name taken
    // meanwhile; the next free one is tried then.
    for (int attempt = 0; attempt < 1000; ++attempt)
    {
        const auto target = freeSibling (wanted);
        if (target == juce::File())
            break;

        const auto placement = placeWithoutReplacing (temporary.c_str(), pathOf (target), false);
        if (placement == Placement::done)
        {
            flushFolder (folder);
            return target;
        }
        if (placement == Placement::failed)
            break;
    }

    ::unlink (temporary.c_str());
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

bool isOwnTemporaryName (const char* name)
{
    const std::string text (name);

    if (text.size() == 17 && text.compare (0, 11, ".kest-save-") == 0)
        return endsWithRandomPart (text, ".kest-save-", 0);

    // Earlier versions: "." + a preset's name + ".prs." + six characters,
    // the same for our favourites file, and the framework's
    // "Kest_tempHEX.prop" for our settings.  Other products' files in the
    // maker's folder are theirs, however they are named.
    if (text[0] == '.' && endsWithRandomPart (text, ".prs.", 2))
        return true;
    const std::string favourites = ".Kest.Favorites.xml.";
    if (text.size() == favourites.size() + 6 && text.compare (0, favourites.size(), favourites) == 0)
        return endsWithRandomPart (text, ".xml.", 0);

    const std::string prefix = "Kest_temp", suffix = ".prop";
    if (text.size() <= prefix.size() + suffix.size() || text.compare (0, prefix.size(), prefix) != 0
        || text.compare (text.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    for (auto i = prefix.size(); i < text.size() - suffix.size(); ++i)
        if (! std::isxdigit ((unsigned char) text[i]))
            return false;
    return true;
}

bool removeIfStaleTemporaryFile (int folderDescriptor, const char* name)
{
    if (! isOwnTemporaryName (name))
        return false;

    struct stat info {};
    if (::fstatat (folderDescriptor, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || ! S_ISREG (info.st_mode)
        || (juce::int64) ::time (nullptr) - (juce::int64) info.st_mtime < staleTemporaryFileSeconds)
        return false;
    return ::unlinkat (folderDescriptor, name, 0) == 0;
}

void removeStaleTemporaryFiles (const juce::File& folder)
{
    auto* listing = ::opendir (pathOf (folder));
    if (listing == nullptr)
        return;
    while (auto* entry = ::readdir (listing))
        removeIfStaleTemporaryFile (::dirfd (listing), entry->d_name);
    ::closedir (listing);
}
} // namespace Korvalden::Misc::PresetFileSystem
