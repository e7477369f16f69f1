#include "platform/BundleResources.h"

#include <cerrno>
#include <dlfcn.h>
#include <limits>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace Korvalden::Platform
{
namespace
{
std::mutex& overrideLock()
{
    static std::mutex lock;
    return lock;
}

juce::File& overrideFolder()
{
    static juce::File folder;
    return folder;
}

juce::File folderOfThisLibrary()
{
    Dl_info info {};
    if (dladdr (reinterpret_cast<const void*> (&getBundleResourceFolder), &info) == 0
        || info.dli_fname == nullptr)
        return {};

    // A library loaded by a relative path reports that path.
    auto path = juce::String::fromUTF8 (info.dli_fname);
    if (path.isEmpty())
        return {};
    return juce::File::getCurrentWorkingDirectory().getChildFile (path).getParentDirectory();
}

bool isPlainFileName (const juce::String& name)
{
    return name.isNotEmpty() && name != "." && name != ".."
           && ! name.containsAnyOf ("/\\") && ! name.containsChar (0);
}
} // namespace

juce::File getBundleResourceFolder()
{
    {
        std::lock_guard<std::mutex> guard (overrideLock());
        if (overrideFolder() != juce::File())
            return overrideFolder();
    }

    // <bundle>/Contents/<architecture>/Kest.so -> <bundle>/Contents/Resources
    auto contents = folderOfThisLibrary().getParentDirectory();
    if (contents.getFileName() != "Contents")
        return {};
    return contents.getChildFile ("Resources");
}

juce::File getBundleResourceFile (const juce::String& name, const juce::String& type)
{
    if (! isPlainFileName (name) || ! isPlainFileName (type))
        return {};

    auto folder = getBundleResourceFolder();
    if (folder == juce::File())
        return {};
    return folder.getChildFile (name + "." + type);
}

bool readRegularFile (const juce::File& file, juce::int64 maximumBytes, juce::MemoryBlock& destination)
{
    destination.reset();
    if (file == juce::File() || maximumBytes < 0)
        return false;

    // Look before opening: opening a device can have effects of its own.
    const auto* path = file.getFullPathName().toRawUTF8();
    struct stat info {};
    if (::stat (path, &info) != 0 || ! S_ISREG (info.st_mode))
        return false;

    // Without O_NONBLOCK, a pipe swapped in meanwhile would wait for a writer.
    int descriptor;
    do
        descriptor = ::open (path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return false;

    struct Closer
    {
        int descriptor;
        ~Closer() { ::close (descriptor); }
    } closer { descriptor };

    // What was opened is what counts.
    if (::fstat (descriptor, &info) != 0 || ! S_ISREG (info.st_mode) || info.st_size > maximumBytes)
        return false;

    // Room for one byte more than the file had, so that a file that grew
    // meanwhile is noticed, and never more than the bound allows.
    const auto bound = (size_t) juce::jmin (maximumBytes, (juce::int64) std::numeric_limits<ssize_t>::max() - 1);
    juce::MemoryBlock bytes (juce::jmin ((size_t) info.st_size, bound) + 1);
    size_t total = 0;
    for (;;)
    {
        if (total == bytes.getSize())
        {
            if (total > bound)
                return false;
            bytes.setSize (juce::jmin (total * 2, bound + 1));
        }

        const auto count = ::read (descriptor, static_cast<char*> (bytes.getData()) + total, bytes.getSize() - total);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            break;
        total += (size_t) count;
    }

    if (total > bound)
        return false;
    bytes.setSize (total);
    destination.swapWith (bytes);
    return true;
}

void setResourceFolderForTesting (const juce::File& folder)
{
    std::lock_guard<std::mutex> guard (overrideLock());
    overrideFolder() = folder;
}
} // namespace Korvalden::Platform
