// The bundle loaded and unloaded again and again in one process, as a host
// scanning plug-ins does.
#include "host/HostCollection.h"
#include "host/LoadedPlugIn.h"
#include "host/PluginInstance.h"
#include "tests/validator/BundleUnderTest.h"

#include <dlfcn.h>

using namespace Validator;

TEST (LoadAndUnload, TheBundleLoadsRegistersAndUnloadsAHundredTimes)
{
    for (int round = 0; round < 100; ++round)
    {
        SCOPED_TRACE (round);
        KestHost::LoadedPlugIn plugIn (KEST_BUNDLE_PATH);
        ASSERT_EQ (plugIn.description().effects().size(), 1u);

        // Every tenth time an instance plays before the bundle goes.
        if (round % 10 == 0)
        {
            KestHost::PluginInstance instance (plugIn.description(), 48000.0f, 2, 512);
            const auto played = play (instance, 4800, { 512 }, chord());
            EXPECT_GT (rms (played.left, 2400), 0.01);
        }
        EXPECT_EQ (plugIn.bundle().entryPoints().canUnloadNow(), 0) << "component objects left alive";
    }
}
