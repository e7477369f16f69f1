#pragma once

#include "host/HostInterfaceObject.h"

#include <string>
#include <vector>

namespace KestHost
{
class HostPropertyMap;

/** The host's component descriptor: the declared context fields as text, in
    order, and the process procedures with the property maps they came with
    (which it keeps, one reference each).  Its later version is a separate
    object.  One thread at a time. */
class HostComponentDescriptor final : public HostInterfaceObject<AAX_IACFComponentDescriptor>
{
public:
    struct ProcessProcedure
    {
        void* procedure;
        HostPropertyMap* properties;
    };

    /** A context field as a host lays out the processing context. */
    struct ContextField
    {
        enum class Kind
        {
            audioIn,
            audioOut,
            bufferLength,
            dataInPort,
            midiNode,
            privateData,
            other
        };

        AAX_CFieldIndex index;
        Kind kind;
        uint32_t size; // packet size of a data port, byte size of private data
    };

    explicit HostComponentDescriptor (HostEnvironment& env);

    AAX_Result Clear() override;
    AAX_Result AddReservedField (AAX_CFieldIndex field, uint32_t fieldType) override;
    AAX_Result AddAudioIn (AAX_CFieldIndex field) override;
    AAX_Result AddAudioOut (AAX_CFieldIndex field) override;
    AAX_Result AddAudioBufferLength (AAX_CFieldIndex field) override;
    AAX_Result AddSampleRate (AAX_CFieldIndex field) override;
    AAX_Result AddClock (AAX_CFieldIndex field) override;
    AAX_Result AddSideChainIn (AAX_CFieldIndex field) override;
    AAX_Result AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, uint32_t portType) override;
    AAX_Result AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name) override;
    AAX_Result AddPrivateData (AAX_CFieldIndex field, int32_t size, uint32_t options) override;
    AAX_Result AddDmaInstance (AAX_CFieldIndex field, uint32_t mode) override;
    AAX_Result AddMIDINode (AAX_CFieldIndex field, uint32_t nodeType, const char* name, uint32_t channelMask) override;
    AAX_Result AddProcessProc_Native (AAX_ProcessProc process, AAX_IACFPropertyMap* properties, AAX_InitProc init, AAX_BackgroundProc background, uint32_t* outProcId) override;
    AAX_Result AddProcessProc_TI (const char* libraryName, const char* processSymbol, AAX_IACFPropertyMap* properties, const char* initSymbol, const char* backgroundSymbol) override;
    AAX_Result AddMeters (AAX_CFieldIndex field, const uint32_t* meterIds, uint32_t count) override;

    const std::vector<std::string>& fields() const noexcept { return declaredFields; }
    const std::vector<ProcessProcedure>& processProcedures() const noexcept { return procedures; }
    const std::vector<ContextField>& contextFields() const noexcept { return layout; }

protected:
    IACFUnknown* answerQuery (const acfUID& iid) override;

private:
    class LaterVersion;

    void declare (int slot, AAX_CFieldIndex field, const std::string& what,
                  ContextField::Kind kind = ContextField::Kind::other, uint32_t size = 0);

    std::vector<std::string> declaredFields;
    std::vector<ContextField> layout;
    std::vector<ProcessProcedure> procedures;
    LaterVersion* laterVersion = nullptr;
};
} // namespace KestHost
