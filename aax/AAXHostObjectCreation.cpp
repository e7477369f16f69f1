#include "aax/AAXHostObjectCreation.h"

void AAXCreateHostObject (IACFUnknown* hostUnknown, const acfUID& componentId, const acfUID& interfaceId, void** outInterface)
{
    *outInterface = nullptr;
    if (hostUnknown == nullptr)
        return;

    ACFPtr<IACFComponentFactory> factory;
    if (hostUnknown->QueryInterface (IID_IACFComponentFactory, factory.outArgument()) == AAX_SUCCESS)
        if (factory->CreateInstance (componentId, nullptr, interfaceId, outInterface) != AAX_SUCCESS)
            *outInterface = nullptr;
}
