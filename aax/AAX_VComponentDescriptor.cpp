#include "aax/AAX_VComponentDescriptor.h"

#include "aax/AAXHostObjectCreation.h"

namespace
{
constexpr AAX_CPropertyID firstCopiedProperty = 10;
constexpr AAX_CPropertyID lastCopiedProperty = 307;
}

AAX_VComponentDescriptor::AAX_VComponentDescriptor (IACFUnknown* unknown)
{
    hostUnknown.holdAddingReference (unknown);

    AAXCreateHostObject (hostUnknown.get(), AAXCompID_ComponentDescriptor, IID_IAAXComponentDescriptorV1, componentDescriptor,
                         IID_IAAXComponentDescriptorV2, componentDescriptorV2);
}

AAX_VComponentDescriptor::~AAX_VComponentDescriptor()
{
    propertyMaps.clear();
    componentDescriptorV2.reset();
    componentDescriptor.reset();
    hostUnknown.reset();
}

#define KEST_FORWARD(call) \
    return componentDescriptor ? componentDescriptor->call : AAX_ERROR_NULL_OBJECT

AAX_Result AAX_VComponentDescriptor::Clear() { KEST_FORWARD (Clear()); }
AAX_Result AAX_VComponentDescriptor::AddAudioIn (AAX_CFieldIndex field) { KEST_FORWARD (AddAudioIn (field)); }
AAX_Result AAX_VComponentDescriptor::AddAudioOut (AAX_CFieldIndex field) { KEST_FORWARD (AddAudioOut (field)); }
AAX_Result AAX_VComponentDescriptor::AddAudioBufferLength (AAX_CFieldIndex field) { KEST_FORWARD (AddAudioBufferLength (field)); }
AAX_Result AAX_VComponentDescriptor::AddSampleRate (AAX_CFieldIndex field) { KEST_FORWARD (AddSampleRate (field)); }
AAX_Result AAX_VComponentDescriptor::AddClock (AAX_CFieldIndex field) { KEST_FORWARD (AddClock (field)); }
AAX_Result AAX_VComponentDescriptor::AddSideChainIn (AAX_CFieldIndex field) { KEST_FORWARD (AddSideChainIn (field)); }

AAX_Result AAX_VComponentDescriptor::AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, uint32_t portType)
{
    KEST_FORWARD (AddDataInPort (field, packetSize, portType));
}

AAX_Result AAX_VComponentDescriptor::AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name)
{
    KEST_FORWARD (AddAuxOutputStem (field, stemFormat, name));
}

AAX_Result AAX_VComponentDescriptor::AddPrivateData (AAX_CFieldIndex field, int32_t size, uint32_t options)
{
    KEST_FORWARD (AddPrivateData (field, size, options));
}

AAX_Result AAX_VComponentDescriptor::AddTemporaryData (AAX_CFieldIndex field, uint32_t elementSize)
{
    return componentDescriptorV2 ? componentDescriptorV2->AddTemporaryData (field, elementSize) : AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VComponentDescriptor::AddDmaInstance (AAX_CFieldIndex field, uint32_t mode) { KEST_FORWARD (AddDmaInstance (field, mode)); }

AAX_Result AAX_VComponentDescriptor::AddMeters (AAX_CFieldIndex field, const uint32_t* meterIds, uint32_t count)
{
    KEST_FORWARD (AddMeters (field, meterIds, count));
}

AAX_Result AAX_VComponentDescriptor::AddMIDINode (AAX_CFieldIndex field, uint32_t nodeType, const char* name, uint32_t channelMask)
{
    KEST_FORWARD (AddMIDINode (field, nodeType, name, channelMask));
}

AAX_Result AAX_VComponentDescriptor::AddReservedField (AAX_CFieldIndex field, uint32_t fieldType)
{
    KEST_FORWARD (AddReservedField (field, fieldType));
}

AAX_Result AAX_VComponentDescriptor::AddProcessProc_Native (AAX_ProcessProc process, AAX_IPropertyMap* properties, AAX_InitProc init, AAX_BackgroundProc background, uint32_t* outProcId)
{
    KEST_FORWARD (AddProcessProc_Native (process, AAXHostObjectOf (properties), init, background, outProcId));
}

AAX_Result AAX_VComponentDescriptor::AddProcessProc_TI (const char* libraryName, const char* processSymbol, AAX_IPropertyMap* properties, const char* initSymbol, const char* backgroundSymbol)
{
    KEST_FORWARD (AddProcessProc_TI (libraryName, processSymbol, AAXHostObjectOf (properties), initSymbol, backgroundSymbol));
}

#undef KEST_FORWARD

AAX_IPropertyMap* AAX_VComponentDescriptor::NewPropertyMap()
{
    propertyMaps.push_back (std::make_unique<AAX_VPropertyMap> (hostUnknown.get()));
    return propertyMaps.back().get();
}

AAX_IPropertyMap* AAX_VComponentDescriptor::DuplicatePropertyMap (AAX_IPropertyMap* source)
{
    auto* copy = NewPropertyMap();
    if (source == nullptr)
        return copy;

    for (auto id = firstCopiedProperty; id <= lastCopiedProperty; ++id)
    {
        AAX_CPropertyValue value = 0;
        if (source->GetProperty (id, &value))
            copy->AddProperty (id, value);
    }
    return copy;
}
