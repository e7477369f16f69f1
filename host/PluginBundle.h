#pragma once

#include "platform/AAXHostInterfaces.h"

#include <string>

namespace KestHost
{
/** The seven entry points the host finds by name. */
struct EntryPoints
{
    ACFRegisterPluginProc registerPlugin = nullptr;
    ACFRegisterComponentProc registerComponent = nullptr;
    ACFGetClassFactoryProc getClassFactory = nullptr;
    ACFCanUnloadNowProc canUnloadNow = nullptr;
    ACFStartupProc startup = nullptr;
    ACFShutdownProc shutdown = nullptr;
    ACFGetSDKVersionProc getSDKVersion = nullptr;
};

/** A loaded plug-in binary: dlopen'ed on construction (throws
    std::runtime_error naming what failed, or a missing entry point) and
    closed on destruction.  Host thread. */
class PluginBundle
{
public:
    /** A bundle folder "X.aaxplugin" becomes X.aaxplugin/Contents/x86_64-linux/X.so;
        anything else is taken as the binary itself; either is made absolute. */
    static std::string binaryPathFor (const std::string& bundleOrBinary);

    explicit PluginBundle (const std::string& bundleOrBinary);
    ~PluginBundle();

    PluginBundle (const PluginBundle&) = delete;
    PluginBundle& operator= (const PluginBundle&) = delete;

    const EntryPoints& entryPoints() const noexcept { return entries; }
    const std::string& binaryPath() const noexcept { return path; }

private:
    std::string path;
    void* handle = nullptr;
    EntryPoints entries;
};
} // namespace KestHost
