#include "aax/AAXEntryPointBodies.h"

#include "aax/AAX_CHostServices.h"
#include "aax/AAX_VCollection.h"
#include "aax/CACFUnknown.h"
#include "wrapper/GetEffectDescriptions.h"

AAX_Result AAXRegisterPlugin (IACFUnknown* hostUnknown, IACFPluginDefinition** outDefinition)
{
    return AAXRegisterPluginWith (GetEffectDescriptions, hostUnknown, outDefinition);
}

AAX_Result AAXRegisterPluginWith (AAXDescribeFunction describe, IACFUnknown* hostUnknown, IACFPluginDefinition** outDefinition)
{
    if (outDefinition == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    AAX_VCollection collection (hostUnknown);

    const auto described = describe (&collection);
    if (described != AAX_SUCCESS)
        return described;

    *outDefinition = nullptr;
    auto* hostCollection = collection.GetHostObject();
    if (hostCollection == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    const auto queried = hostCollection->QueryInterface (IID_IACFPluginDefinition, reinterpret_cast<void**> (outDefinition));
    return queried == AAX_SUCCESS ? AAX_SUCCESS : AAX_ERROR_NULL_OBJECT;
}

AAX_Result AAXRegisterComponent (IACFUnknown*, const acfUID*, IACFComponentDefinition** outDefinition)
{
    if (outDefinition == nullptr)
        return AAX_ERROR_NULL_OBJECT;
    *outDefinition = nullptr;
    return AAX_SUCCESS;
}

AAX_Result AAXGetClassFactory (IACFUnknown*, const acfUID*, const acfUID*, void** outFactory)
{
    if (outFactory == nullptr)
        return AAX_ERROR_NULL_OBJECT;
    *outFactory = nullptr;
    return AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAXCanUnloadNow()
{
    return static_cast<AAX_Result> (CACFUnknown::GetActiveObjectCount());
}

AAX_Result AAXStartup (IACFUnknown* hostUnknown)
{
    AAX_CHostServices::Set (hostUnknown);
    return AAX_SUCCESS;
}

AAX_Result AAXShutdown (IACFUnknown*)
{
    AAX_CHostServices::Set (nullptr);
    return AAX_SUCCESS;
}

AAX_Result AAXGetSDKVersion (uint64_t* outVersion)
{
    if (outVersion == nullptr)
        return AAX_ERROR_NULL_OBJECT;
    *outVersion = AAX_SDK_VERSION;
    return AAX_SUCCESS;
}
