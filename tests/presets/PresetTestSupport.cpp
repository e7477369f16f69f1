#include "PresetTestSupport.h"

#include "presets/PresetFileSystem.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
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

juce::String PresetFolders::currentPath (PresetManager& manager)
{
    auto* current = manager.getCurrentItem();
    return current != nullptr ? current->getItemIdentifierString() : juce::String();
}
} // namespace PresetTestSupport
