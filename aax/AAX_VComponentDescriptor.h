#pragma once

#include "aax/AAX_IComponentDescriptor.h"
#include "aax/AAX_VPropertyMap.h"
#include "aax/ACFPtr.h"

#include <memory>
#include <vector>

/** The component-descriptor wrapper: creates the host's component descriptor,
    forwards each operation to its fixed host slot and owns the property maps
    it makes.  Without a host object the operations answer
    AAX_ERROR_NULL_OBJECT (AddTemporaryData AAX_ERROR_UNIMPLEMENTED) and call
    nothing.

    Registering thread only.
*/
class AAX_VComponentDescriptor final : public AAX_IComponentDescriptor
{
public:
    explicit AAX_VComponentDescriptor (IACFUnknown* hostUnknown);
    ~AAX_VComponentDescriptor() override;

    AAX_Result Clear() override;
    AAX_Result AddAudioIn (AAX_CFieldIndex field) override;
    AAX_Result AddAudioOut (AAX_CFieldIndex field) override;
    AAX_Result AddAudioBufferLength (AAX_CFieldIndex field) override;
    AAX_Result AddSampleRate (AAX_CFieldIndex field) override;
    AAX_Result AddClock (AAX_CFieldIndex field) override;
    AAX_Result AddSideChainIn (AAX_CFieldIndex field) override;
    AAX_Result AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, uint32_t portType) override;
    AAX_Result AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name) override;
    AAX_Result AddPrivateData (AAX_CFieldIndex field, int32_t size, uint32_t options) override;
    AAX_Result AddTemporaryData (AAX_CFieldIndex field, uint32_t elementSize) override;
    AAX_Result AddDmaInstance (AAX_CFieldIndex field, uint32_t mode) override;
    AAX_Result AddMeters (AAX_CFieldIndex field, const uint32_t* meterIds, uint32_t count) override;
    AAX_Result AddMIDINode (AAX_CFieldIndex field, uint32_t nodeType, const char* name, uint32_t channelMask) override;
    AAX_Result AddReservedField (AAX_CFieldIndex field, uint32_t fieldType) override;

    /** A new map made from this descriptor's host unknown, owned by it. */
    AAX_IPropertyMap* NewPropertyMap() override;

    /** A new map owned by this descriptor holding the source's properties 10
        to 307; a null source gives an empty new map. */
    AAX_IPropertyMap* DuplicatePropertyMap (AAX_IPropertyMap* source) override;

    AAX_Result AddProcessProc_Native (AAX_ProcessProc process, AAX_IPropertyMap* properties, AAX_InitProc init, AAX_BackgroundProc background, uint32_t* outProcId) override;
    AAX_Result AddProcessProc_TI (const char* libraryName, const char* processSymbol, AAX_IPropertyMap* properties, const char* initSymbol, const char* backgroundSymbol) override;

    /** The host's component descriptor, no reference added; may be null. */
    AAX_IACFComponentDescriptor* GetHostObject() const noexcept { return componentDescriptor.get(); }

private:
    ACFPtr<IACFUnknown> hostUnknown; // first, so that a throwing constructor gives it back
    ACFPtr<AAX_IACFComponentDescriptor> componentDescriptor;
    ACFPtr<AAX_IACFComponentDescriptor_V2> componentDescriptorV2;
    std::vector<std::unique_ptr<AAX_IPropertyMap>> propertyMaps;
};
