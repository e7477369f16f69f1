#include "aax/AAXHostObjectCreation.h"

void AAXCreateHostObject (IACFUnknown* hostUnknown, const acfUID& componentId, const acfUID& interfaceId, void** outInterface,
                          const acfUID* laterInterfaceId, void** outLaterInterface)
{
    *outInterface = nullptr;
    if (outLaterInterface != nullptr)
        *outLaterInterface = nullptr;
    if (hostUnknown == nullptr)
        return;

    ACFPtr<IACFComponentFactory> factory;
    if (hostUnknown->QueryInterface (IID_IACFComponentFactory, factory.outArgument()) != AAX_SUCCESS)
        return;

    if (factory->CreateInstance (componentId, nullptr, interfaceId, outInterface) != AAX_SUCCESS)
    {
        *outInterface = nullptr;
        return;
    }

    if (laterInterfaceId != nullptr && outLaterInterface != nullptr && *outInterface != nullptr)
        if (static_cast<IACFUnknown*> (*outInterface)->QueryInterface (*laterInterfaceId, outLaterInterface) != AAX_SUCCESS)
            *outLaterInterface = nullptr;
    // The factory is released here, after the later version was asked for.
}
