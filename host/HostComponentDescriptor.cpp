#include "host/HostComponentDescriptor.h"

#include "host/HostEnvironment.h"
#include "host/HostPropertyMap.h"
#include "host/VtableSlot.h"

#include <cstdio>

namespace KestHost
{
namespace
{
std::string hex (uint32_t value)
{
    char text[16];
    std::snprintf (text, sizeof (text), "0x%08X", value);
    return text;
}

std::string pointerText (const void* pointer)
{
    return pointer != nullptr ? "set" : "none";
}
} // namespace

/** The later-version interface: its own object and count; the first-version
    slots act on the primary descriptor. */
class HostComponentDescriptor::LaterVersion final : public HostInterfaceObject<AAX_IACFComponentDescriptor_V2>
{
public:
    LaterVersion (HostEnvironment& env, HostComponentDescriptor& primaryDescriptor)
        : HostInterfaceObject (env, primaryDescriptor.label() + " v2", IID_IAAXComponentDescriptorV2), primary (primaryDescriptor)
    {
    }

    AAX_Result Clear() override { return primary.Clear(); }
    AAX_Result AddReservedField (AAX_CFieldIndex f, uint32_t t) override { return primary.AddReservedField (f, t); }
    AAX_Result AddAudioIn (AAX_CFieldIndex f) override { return primary.AddAudioIn (f); }
    AAX_Result AddAudioOut (AAX_CFieldIndex f) override { return primary.AddAudioOut (f); }
    AAX_Result AddAudioBufferLength (AAX_CFieldIndex f) override { return primary.AddAudioBufferLength (f); }
    AAX_Result AddSampleRate (AAX_CFieldIndex f) override { return primary.AddSampleRate (f); }
    AAX_Result AddClock (AAX_CFieldIndex f) override { return primary.AddClock (f); }
    AAX_Result AddSideChainIn (AAX_CFieldIndex f) override { return primary.AddSideChainIn (f); }
    AAX_Result AddDataInPort (AAX_CFieldIndex f, uint32_t s, uint32_t t) override { return primary.AddDataInPort (f, s, t); }
    AAX_Result AddAuxOutputStem (AAX_CFieldIndex f, int32_t s, const char* n) override { return primary.AddAuxOutputStem (f, s, n); }
    AAX_Result AddPrivateData (AAX_CFieldIndex f, int32_t s, uint32_t o) override { return primary.AddPrivateData (f, s, o); }
    AAX_Result AddDmaInstance (AAX_CFieldIndex f, uint32_t m) override { return primary.AddDmaInstance (f, m); }
    AAX_Result AddMIDINode (AAX_CFieldIndex f, uint32_t t, const char* n, uint32_t m) override { return primary.AddMIDINode (f, t, n, m); }

    AAX_Result AddProcessProc_Native (AAX_ProcessProc p, AAX_IACFPropertyMap* m, AAX_InitProc i, AAX_BackgroundProc b, uint32_t* o) override
    {
        return primary.AddProcessProc_Native (p, m, i, b, o);
    }

    AAX_Result AddProcessProc_TI (const char* l, const char* p, AAX_IACFPropertyMap* m, const char* i, const char* b) override
    {
        return primary.AddProcessProc_TI (l, p, m, i, b);
    }

    AAX_Result AddMeters (AAX_CFieldIndex f, const uint32_t* ids, uint32_t n) override { return primary.AddMeters (f, ids, n); }

    AAX_Result AddTemporaryData (AAX_CFieldIndex field, uint32_t elementSize) override
    {
        record (vtableSlot (&AAX_IACFComponentDescriptor_V2::AddTemporaryData), "AddTemporaryData " + std::to_string (field) + " element size " + std::to_string (elementSize));
        primary.declaredFields.push_back ("field " + std::to_string (field) + ": temporary data, element size " + std::to_string (elementSize));
        primary.layout.push_back ({ field, ContextField::Kind::other, 0 });
        return AAX_SUCCESS;
    }

private:
    HostComponentDescriptor& primary;
};

HostComponentDescriptor::HostComponentDescriptor (HostEnvironment& env)
    : HostInterfaceObject (env, "component " + std::to_string (env.nextNumber ("component")), IID_IAAXComponentDescriptorV1)
{
}

IACFUnknown* HostComponentDescriptor::answerQuery (const acfUID& iid)
{
    if (iid == IID_IAAXComponentDescriptorV2)
        return companionAnswer (laterVersion, environment.options().offerLaterVersions, *this);
    return HostInterfaceObject::answerQuery (iid);
}

void HostComponentDescriptor::declare (int slot, AAX_CFieldIndex field, const std::string& what, ContextField::Kind kind, uint32_t size)
{
    const auto text = "field " + std::to_string (field) + ": " + what;
    record (slot, text);
    declaredFields.push_back (text);
    layout.push_back ({ field, kind, size });
}

AAX_Result HostComponentDescriptor::Clear()
{
    record (vtableSlot (&AAX_IACFComponentDescriptor::Clear), "Clear");
    declaredFields.clear();
    layout.clear();
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddReservedField (AAX_CFieldIndex field, uint32_t fieldType)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddReservedField), field, "reserved, type " + hex (fieldType));
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddAudioIn (AAX_CFieldIndex field)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddAudioIn), field, "audio in", ContextField::Kind::audioIn);
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddAudioOut (AAX_CFieldIndex field)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddAudioOut), field, "audio out", ContextField::Kind::audioOut);
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddAudioBufferLength (AAX_CFieldIndex field)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddAudioBufferLength), field, "audio buffer length", ContextField::Kind::bufferLength);
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddSampleRate (AAX_CFieldIndex field)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddSampleRate), field, "sample rate");
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddClock (AAX_CFieldIndex field)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddClock), field, "clock");
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddSideChainIn (AAX_CFieldIndex field)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddSideChainIn), field, "side-chain in");
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, uint32_t portType)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddDataInPort), field,
             "data in port, packet size " + std::to_string (packetSize) + ", port type " + std::to_string (portType),
             ContextField::Kind::dataInPort, packetSize);
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddAuxOutputStem), field,
             "aux output stem " + quoted (name) + ", stem format " + hex (static_cast<uint32_t> (stemFormat)));
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddPrivateData (AAX_CFieldIndex field, int32_t size, uint32_t options)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddPrivateData), field,
             "private data, size " + std::to_string (size) + ", options " + std::to_string (options),
             ContextField::Kind::privateData, size > 0 ? static_cast<uint32_t> (size) : 0u);
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddDmaInstance (AAX_CFieldIndex field, uint32_t mode)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddDmaInstance), field, "DMA instance, mode " + std::to_string (mode));
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddMIDINode (AAX_CFieldIndex field, uint32_t nodeType, const char* name, uint32_t channelMask)
{
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddMIDINode), field,
             "MIDI node " + quoted (name) + ", node type " + std::to_string (nodeType) + ", channel mask " + hex (channelMask),
             ContextField::Kind::midiNode);
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddMeters (AAX_CFieldIndex field, const uint32_t* meterIds, uint32_t count)
{
    std::string ids;
    for (uint32_t i = 0; i < count; ++i)
        ids += (i == 0 ? "" : " ") + hex (meterIds[i]);
    declare (vtableSlot (&AAX_IACFComponentDescriptor::AddMeters), field, "meters " + ids);
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddProcessProc_Native (AAX_ProcessProc process, AAX_IACFPropertyMap* properties, AAX_InitProc init, AAX_BackgroundProc background, uint32_t* outProcId)
{
    auto* map = HostPropertyMap::keepFromPlugIn (properties);
    record (vtableSlot (&AAX_IACFComponentDescriptor::AddProcessProc_Native),
            "AddProcessProc_Native process " + pointerText (reinterpret_cast<void*> (process))
                + ", properties " + (map != nullptr ? map->label() : std::string ("none"))
                + ", init " + pointerText (reinterpret_cast<void*> (init))
                + ", background " + pointerText (reinterpret_cast<void*> (background))
                + ", id out " + pointerText (outProcId));
    procedures.push_back ({ reinterpret_cast<void*> (process), map });
    if (outProcId != nullptr)
        *outProcId = static_cast<uint32_t> (procedures.size());
    return AAX_SUCCESS;
}

AAX_Result HostComponentDescriptor::AddProcessProc_TI (const char* libraryName, const char* processSymbol, AAX_IACFPropertyMap* properties, const char*, const char*)
{
    auto* map = HostPropertyMap::keepFromPlugIn (properties);
    record (vtableSlot (&AAX_IACFComponentDescriptor::AddProcessProc_TI),
            "AddProcessProc_TI " + quoted (libraryName) + " " + quoted (processSymbol));
    procedures.push_back ({ nullptr, map });
    return AAX_SUCCESS;
}
} // namespace KestHost
