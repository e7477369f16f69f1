// The seven functions the host finds by name in the bundle.  Nothing may
// escape into the host: every exception, of any type, becomes
// ACF_E_UNEXPECTED.

#include "aax/AAXEntryPointBodies.h"
#include "aax/AAXHostCallGuard.h"

#define KEST_ACF_EXPORT extern "C" __attribute__ ((visibility ("default")))


KEST_ACF_EXPORT AAX_Result ACFRegisterPlugin (IACFUnknown* hostUnknown, IACFPluginDefinition** outDefinition)
{
    return AAXGuardHostCall ([&] { return AAXRegisterPlugin (hostUnknown, outDefinition); });
}

KEST_ACF_EXPORT AAX_Result ACFRegisterComponent (IACFUnknown* hostUnknown, const acfUID* componentId, IACFComponentDefinition** outDefinition)
{
    return AAXGuardHostCall ([&] { return AAXRegisterComponent (hostUnknown, componentId, outDefinition); });
}

KEST_ACF_EXPORT AAX_Result ACFGetClassFactory (IACFUnknown* hostUnknown, const acfUID* classId, const acfUID* interfaceId, void** outFactory)
{
    return AAXGuardHostCall ([&] { return AAXGetClassFactory (hostUnknown, classId, interfaceId, outFactory); });
}

KEST_ACF_EXPORT AAX_Result ACFCanUnloadNow()
{
    return AAXGuardHostCall ([] { return AAXCanUnloadNow(); });
}

KEST_ACF_EXPORT AAX_Result ACFStartup (IACFUnknown* hostUnknown)
{
    return AAXGuardHostCall ([&] { return AAXStartup (hostUnknown); });
}

KEST_ACF_EXPORT AAX_Result ACFShutdown (IACFUnknown* hostUnknown)
{
    return AAXGuardHostCall ([&] { return AAXShutdown (hostUnknown); });
}

KEST_ACF_EXPORT AAX_Result ACFGetSDKVersion (uint64_t* outVersion)
{
    return AAXGuardHostCall ([&] { return AAXGetSDKVersion (outVersion); });
}
