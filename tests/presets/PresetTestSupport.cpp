#include "PresetTestSupport.h"

#include "presets/PresetFileSystem.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PresetTestSupport
{
namespace
{
void setImmutable (const juce::File& folder, bool on)
{
    const int descriptor = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0)
        return;
    int flags = 0;
    if (::ioctl (descriptor, FS_IOC_GETFLAGS, &flags) == 0)
    {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ::ioctl (descriptor, FS_IOC_SETFLAGS, &flags);
    }
    ::close (descriptor);
}
} // namespace

std::map<juce::String, juce::String> snapshot (const juce::File& folder)
{
    std::map<juce::String, juce::String> files;
    for (auto& file : folder.findChildFiles (juce::File::findFilesAndDirectories, true, "*", juce::File::FollowSymlinks::no))
        files[file.getRelativePathFrom (folder)] = file.isDirectory() ? "<folder>" : file.loadFileAsString();
    return files;
}

ReadOnlyFolder::ReadOnlyFolder (const juce::File& f) : folder (f)
{
    ::chmod (folder.getFullPathName().toRawUTF8(), 0555);
    setImmutable (folder, true);
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    setImmutable (folder, false);
    ::chmod (folder.getFullPathName().toRawUTF8(), 0755);
}

bool ReadOnlyFolder::isEffective() const
{
    auto probe = folder.getChildFile ("probe");
    const int descriptor = ::open (probe.getFullPathName().toRawUTF8(), O_CREAT | O_WRONLY, 0644);
    if (descriptor < 0)
        return true;
    ::close (descriptor);
    ::unlink (probe.getFullPathName().toRawUTF8());
    return false;
}

namespace
{
/** Runs the program (looked for also where root's programs lie); its output
    when it fails, empty when it ran. */
juce::String run (juce::StringArray command)
{
    for (auto folder : { "", "/usr/sbin/", "/sbin/" })
    {
        juce::ChildProcess process;
        auto tried = command;
        tried.set (0, folder + command[0]);
        if (! process.start (tried, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
            continue;
        const auto output = process.readAllProcessOutput();
        if (process.waitForProcessToFinish (60000) && process.getExitCode() == 0)
            return {};
        return output.trim().isNotEmpty() ? output.trim() : command[0] + " failed";
    }
    return command[0] + " cannot be run";
}
} // namespace

OtherFileSystem::OtherFileSystem (const juce::File& movedFolder, Kind kind)
    : folder (movedFolder), before (movedFolder.getSiblingFile (movedFolder.getFileName() + ".before"))
{
    if (! folder.moveFileTo (before) || ! folder.createDirectory())
    {
        reason = "the folder cannot be moved";
        return;
    }
    const auto path = folder.getFullPathName();
    if (kind == Kind::withoutBirthTimes)
    {
        const auto image = folder.getSiblingFile (folder.getFileName() + ".ext4");
        reason = image.create().wasOk() && ::truncate (image.getFullPathName().toRawUTF8(), 32 << 20) == 0
                     ? run ({ "mkfs.ext4", "-q", "-F", "-I", "128", image.getFullPathName() })
                     : "no room for the file system's file";
        if (reason.isEmpty())
            reason = run ({ "mount", "-o", "loop", image.getFullPathName(), path });
        mounted = reason.isEmpty();
        if (mounted && ! before.copyDirectoryTo (folder))
            reason = "what the folder held cannot be copied onto it";
    }
    else if (kind == Kind::inMemory || kind == Kind::full)
    {
        mounted = ::mount ("tmpfs", path.toRawUTF8(), "tmpfs", 0, "size=64k") == 0;
        reason = ! mounted ? "tmpfs: " + juce::String (std::strerror (errno))
                 : ! before.copyDirectoryTo (folder) ? "what the folder held cannot be copied onto it" : "";
        const int filler = reason.isEmpty() && kind == Kind::full ? ::open ((path + "/.filler").toRawUTF8(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644) : -1;
        const char block[4096] {};
        while (filler >= 0 && ::write (filler, block, sizeof (block)) > 0)
            continue;
        ::close (filler);
    }
    else
    {
        // The upper layer beside the folder, or the layers each on a tmpfs.
        auto lower = before;
        const auto layers = folder.getSiblingFile (folder.getFileName() + ".layers");
        layers.deleteRecursively();
        if (kind == Kind::layersOnTwoFileSystems)
        {
            lower = folder.getSiblingFile (folder.getFileName() + ".lower");
            for (const auto& layer : { lower, layers })
                if (reason.isEmpty())
                {
                    if (layer.createDirectory().wasOk() && ::mount ("tmpfs", layer.getFullPathName().toRawUTF8(), "tmpfs", 0, "size=8m") == 0)
                        mounts.add (layer.getFullPathName());
                    else
                        reason = "tmpfs: " + juce::String (std::strerror (errno));
                }
            // Its files get numbers past those the upper one gives its first files.
            const auto number = lower.getChildFile (".number");
            for (int made = 0; made < 64 && reason.isEmpty() && number.create().wasOk(); ++made)
                number.deleteFile();
            if (reason.isEmpty() && ! before.copyDirectoryTo (lower))
                reason = "what the folder held cannot be copied onto it";
        }
        const auto upper = layers.getChildFile ("upper"), work = layers.getChildFile ("work");
        // Without numbers made alike across the layers (xino), as most systems mount it.
        const auto options = "lowerdir=" + lower.getFullPathName() + ",upperdir=" + upper.getFullPathName() + ",workdir=" + work.getFullPathName()
                             + (kind == Kind::layersOnTwoFileSystems ? ",xino=off" : "");
        if (reason.isEmpty() && upper.createDirectory().wasOk() && work.createDirectory().wasOk()
            && ::mount ("overlay", path.toRawUTF8(), "overlay", 0, options.toRawUTF8()) == 0)
            mounted = true;
        else if (reason.isEmpty())
            reason = "overlay: " + juce::String (std::strerror (errno));
    }
    if (mounted && reason.isNotEmpty())
    {
        ::umount2 (path.toRawUTF8(), MNT_DETACH);
        mounted = false;
    }
}

OtherFileSystem::~OtherFileSystem()
{
    if (mounted)
        ::umount2 (folder.getFullPathName().toRawUTF8(), MNT_DETACH);
    for (int index = mounts.size(); --index >= 0;)
        ::umount2 (mounts[index].toRawUTF8(), MNT_DETACH);
    if (before.isDirectory() && folder.deleteRecursively())
        before.moveFileTo (folder);
}

PresetFolders::PresetFolders()
{
    base = juce::File (juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", "/tmp"))
               .getChildFile ("preset-test-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()));
    factory = base.getChildFile ("factory");
    user = base.getChildFile ("user");
    user.createDirectory();
}

PresetFolders::~PresetFolders()
{
    base.deleteRecursively();
}

juce::File PresetFolders::addPreset (const juce::File& folder, const juce::String& relativePath, const juce::String& content)
{
    auto file = folder.getChildFile (relativePath + ".prs");
    file.getParentDirectory().createDirectory();
    file.replaceWithText (content);
    return file;
}

std::unique_ptr<PresetManager> PresetFolders::makeManager()
{
    return std::make_unique<PresetManager> (&client, factory, user);
}

PresetManager::PresetTreeItemBase* PresetFolders::item (PresetManager& manager, const juce::String& path)
{
    return manager.findItemByPath (path);
}

PresetManager::FileItem* PresetFolders::fileItem (PresetManager& manager, const juce::String& path)
{
    return dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath (path));
}

bool PresetFolders::deleteAndMakeWithItsNumber (const juce::File& file, const juce::File& made, const juce::String& content)
{
    struct stat before {};
    if (::lstat (file.getFullPathName().toRawUTF8(), &before) != 0 || ! file.deleteFile())
        return false;
    // Birth times come in ticks of a few milliseconds.
    juce::Thread::sleep (20);

    // The files that did not get the number keep theirs until the end, so
    // that the next one gets another.
    juce::Array<juce::File> others;
    bool reused = false;
    for (int attempt = 0; attempt < 1000 && ! reused; ++attempt)
    {
        const auto candidate = made.getSiblingFile (".number-" + juce::String (attempt));
        const int descriptor = ::open (candidate.getFullPathName().toRawUTF8(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
        struct stat info {};
        const bool written = descriptor >= 0 && ::write (descriptor, content.toRawUTF8(), content.getNumBytesAsUTF8()) == (ssize_t) content.getNumBytesAsUTF8()
                             && ::fstat (descriptor, &info) == 0;
        ::close (descriptor);
        if (! written)
            break;
        reused = info.st_ino == before.st_ino && info.st_dev == before.st_dev;
        if (reused)
            ::rename (candidate.getFullPathName().toRawUTF8(), made.getFullPathName().toRawUTF8());
        else
            others.add (candidate);
    }
    for (auto& other : others)
        other.deleteFile();
    if (! reused)
        made.replaceWithText (content);
    return reused;
}

juce::File PresetFolders::madeBeforeAListing (const juce::File& file)
{
    namespace fs = Korvalden::Misc::PresetFileSystem;
    EXPECT_TRUE (file.setLastModificationTime (juce::Time::getCurrentTime() - juce::RelativeTime::hours (1)));
    for (int waits = 0; waits < 1000; ++waits)
    {
        const auto listed = fs::identityOf (file);
        if (! fs::isMadeSince (listed, listed))
            break;
        juce::Thread::sleep (5);
    }
    return file;
}

juce::int64 PresetFolders::secondNow()
{
    struct timespec now {};
    ::clock_gettime (CLOCK_REALTIME_COARSE, &now);
    return now.tv_sec;
}

juce::int64 PresetFolders::untilASecondBegins()
{
    const auto second = secondNow();
    while (secondNow() == second)
        juce::Thread::sleep (1);
    return secondNow();
}

juce::String PresetFolders::currentPath (PresetManager& manager)
{
    auto* current = manager.getCurrentItem();
    return current != nullptr ? current->getItemIdentifierString() : juce::String();
}
} // namespace PresetTestSupport
