#include "host/DescribeCommand.h"

#include "host/DescriptionPrinter.h"
#include "host/HostCollection.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"
#include "host/PluginBundle.h"

#include <cstdio>
#include <ostream>
#include <stdexcept>

namespace KestHost
{
namespace
{
std::string resultText (AAX_Result result)
{
    char text[32];
    std::snprintf (text, sizeof (text), "%d (0x%08X)", result, static_cast<uint32_t> (result));
    return text;
}
} // namespace

int describeBundle (const std::string& bundlePath, std::ostream& out, std::ostream& errors)
{
    try
    {
        PluginBundle bundle (bundlePath);
        const auto& plugIn = bundle.entryPoints();
        out << "bundle: " << bundle.binaryPath() << "\n";

        uint64_t sdkVersion = 0;
        plugIn.getSDKVersion (&sdkVersion);
        char versionText[32];
        std::snprintf (versionText, sizeof (versionText), "0x%016llX", static_cast<unsigned long long> (sdkVersion));
        out << "SDK version: " << versionText << "\n";

        HostEnvironment environment;
        IACFUnknown* hostUnknown = &environment.hostUnknown();
        plugIn.startup (hostUnknown);

        IACFPluginDefinition* definition = nullptr;
        const auto registered = plugIn.registerPlugin (hostUnknown, &definition);
        int status = 0;
        if (registered != AAX_SUCCESS || definition == nullptr)
        {
            errors << "kest-host describe: registration failed: " << resultText (registered) << "\n";
            status = 1;
        }
        else
        {
            out << printDescription (static_cast<HostPluginDefinition*> (definition)->collection());
            definition->Release();
        }

        const auto liveObjects = plugIn.canUnloadNow();
        out << "can unload: " << (liveObjects == 0 ? "yes" : "no, live objects " + std::to_string (liveObjects)) << "\n";
        plugIn.shutdown (hostUnknown);
        return status;
    }
    catch (const std::exception& failure)
    {
        errors << "kest-host describe: " << failure.what() << "\n";
        return 1;
    }
}
} // namespace KestHost
