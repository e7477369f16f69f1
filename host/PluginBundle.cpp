#include "host/PluginBundle.h"

#include <dlfcn.h>
#include <filesystem>
#include <stdexcept>

namespace KestHost
{
namespace
{
template <typename Function>
void find (void* handle, const char* name, Function& target)
{
    target = reinterpret_cast<Function> (dlsym (handle, name));
    if (target == nullptr)
        throw std::runtime_error (std::string ("the plug-in does not export ") + name);
}
} // namespace

std::string PluginBundle::binaryPathFor (const std::string& bundleOrBinary)
{
    // Absolute, so that the loader takes "Kest.so" from this folder rather
    // than searching the library path for it.
    std::error_code ignored;
    const auto given = bundleOrBinary.empty() ? std::filesystem::path() : std::filesystem::absolute (bundleOrBinary, ignored);
    if (std::filesystem::is_directory (given, ignored))
    {
        auto folder = given;
        if (! folder.has_filename())
            folder = folder.parent_path();
        return (folder / "Contents" / "x86_64-linux" / (folder.stem().string() + ".so")).string();
    }
    return given.string();
}

PluginBundle::PluginBundle (const std::string& bundleOrBinary)
    : path (binaryPathFor (bundleOrBinary))
{
    handle = dlopen (path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        const char* reason = dlerror();
        throw std::runtime_error ("cannot load " + path + ": " + (reason != nullptr ? reason : "unknown reason"));
    }

    try
    {
        find (handle, "ACFRegisterPlugin", entries.registerPlugin);
        find (handle, "ACFRegisterComponent", entries.registerComponent);
        find (handle, "ACFGetClassFactory", entries.getClassFactory);
        find (handle, "ACFCanUnloadNow", entries.canUnloadNow);
        find (handle, "ACFStartup", entries.startup);
        find (handle, "ACFShutdown", entries.shutdown);
        find (handle, "ACFGetSDKVersion", entries.getSDKVersion);
    }
    catch (...)
    {
        dlclose (handle);
        throw;
    }
}

PluginBundle::~PluginBundle()
{
    dlclose (handle);
}
} // namespace KestHost
