#pragma once

#include "aax/AAX_IPropertyMap.h"

/** One processing variant of an effect: the fields of its processing context,
    its MIDI node and its process procedure.  Registering thread only. */
class AAX_IComponentDescriptor
{
public:
    virtual ~AAX_IComponentDescriptor() = default;

    virtual AAX_Result Clear() = 0;
    virtual AAX_Result AddAudioIn (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioOut (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioBufferLength (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddSampleRate (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddClock (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddSideChainIn (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, uint32_t portType) = 0;
    virtual AAX_Result AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name) = 0;
    virtual AAX_Result AddPrivateData (AAX_CFieldIndex field, int32_t size, uint32_t options) = 0;
    virtual AAX_Result AddTemporaryData (AAX_CFieldIndex field, uint32_t elementSize) = 0;
    virtual AAX_Result AddDmaInstance (AAX_CFieldIndex field, uint32_t mode) = 0;
    virtual AAX_Result AddMeters (AAX_CFieldIndex field, const uint32_t* meterIds, uint32_t count) = 0;
    virtual AAX_Result AddMIDINode (AAX_CFieldIndex field, uint32_t nodeType, const char* name, uint32_t channelMask) = 0;
    virtual AAX_Result AddReservedField (AAX_CFieldIndex field, uint32_t fieldType) = 0;
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;
    virtual AAX_IPropertyMap* DuplicatePropertyMap (AAX_IPropertyMap* source) = 0;
    virtual AAX_Result AddProcessProc_Native (AAX_ProcessProc process, AAX_IPropertyMap* properties, AAX_InitProc init, AAX_BackgroundProc background, uint32_t* outProcId) = 0;
    virtual AAX_Result AddProcessProc_TI (const char* libraryName, const char* processSymbol, AAX_IPropertyMap* properties, const char* initSymbol, const char* backgroundSymbol) = 0;
};
