#include "platform/BundleResources.h"

#include <dlfcn.h>
#include <mutex>

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

void setResourceFolderForTesting (const juce::File& folder)
{
    std::lock_guard<std::mutex> guard (overrideLock());
    overrideFolder() = folder;
}
} // namespace Korvalden::Platform
