#pragma once

#include "platform/AAXHostInterfaces.h"

class AAX_ICollection;

/** The bodies of the seven exported entry points.  The exports wrap each in a
    handler that turns any escaping exception into ACF_E_UNEXPECTED.

    Start-up and shut-down must not overlap any other call into the plug-in;
    the host calls the others from whichever thread it loads plug-ins on.
*/
using AAXDescribeFunction = AAX_Result (*) (AAX_ICollection* collection);

/** Registration with the framework's description callback. */
AAX_Result AAXRegisterPlugin (IACFUnknown* hostUnknown, IACFPluginDefinition** outDefinition);

/** Registration with a given description callback: builds the collection,
    lets the callback describe the package and hands the host its plug-in
    definition.  A null out pointer or a collection without host object gives
    AAX_ERROR_NULL_OBJECT; a failing callback's result is returned as it is,
    the out pointer untouched. */
AAX_Result AAXRegisterPluginWith (AAXDescribeFunction describe, IACFUnknown* hostUnknown, IACFPluginDefinition** outDefinition);

AAX_Result AAXRegisterComponent (IACFUnknown* hostUnknown, const acfUID* componentId, IACFComponentDefinition** outDefinition);
AAX_Result AAXGetClassFactory (IACFUnknown* hostUnknown, const acfUID* classId, const acfUID* interfaceId, void** outFactory);

/** The number of live component objects: 0 when the bundle may be unloaded. */
AAX_Result AAXCanUnloadNow();

AAX_Result AAXStartup (IACFUnknown* hostUnknown);
AAX_Result AAXShutdown (IACFUnknown* hostUnknown);
AAX_Result AAXGetSDKVersion (uint64_t* outVersion);
