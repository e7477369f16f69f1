#include "host/HostController.h"

#include "aax/AAX_IString.h"
#include "host/HostEnvironment.h"
#include "host/VtableSlot.h"

namespace KestHost
{
#define KEST_RECORD(Interface, Method, details) record (vtableSlot (&Interface::Method), std::string (#Method) + details)

class HostController::LaterVersion final : public HostInterfaceObject<AAX_IACFController_V2>
{
public:
    LaterVersion (HostEnvironment& env, HostController& primaryController)
        : HostInterfaceObject (env, primaryController.label() + " v2", IID_IAAXControllerV2), primary (primaryController)
    {
    }

    AAX_Result GetEffectID (AAX_IString* o) override { return primary.GetEffectID (o); }
    AAX_Result GetSampleRate (float* o) override { return primary.GetSampleRate (o); }
    AAX_Result GetInputStemFormat (int32_t* o) override { return primary.GetInputStemFormat (o); }
    AAX_Result GetOutputStemFormat (int32_t* o) override { return primary.GetOutputStemFormat (o); }
    AAX_Result GetSignalLatency (int32_t* o) override { return primary.GetSignalLatency (o); }
    AAX_Result GetCycleCount (int32_t w, int32_t* o) override { return primary.GetCycleCount (w, o); }
    AAX_Result GetTODLocation (int64_t* o) override { return primary.GetTODLocation (o); }
    AAX_Result SetSignalLatency (int32_t s) override { return primary.SetSignalLatency (s); }
    AAX_Result SetCycleCount (int32_t* w, int32_t* v, int32_t c) override { return primary.SetCycleCount (w, v, c); }
    AAX_Result PostPacket (AAX_CFieldIndex f, const void* p, uint32_t s) override { return primary.PostPacket (f, p, s); }
    AAX_Result GetCurrentMeterValue (int32_t m, float* o) override { return primary.GetCurrentMeterValue (m, o); }
    AAX_Result GetMeterPeakValue (int32_t m, float* o) override { return primary.GetMeterPeakValue (m, o); }
    AAX_Result ClearMeterPeakValue (int32_t m) override { return primary.ClearMeterPeakValue (m); }
    AAX_Result GetMeterClipped (int32_t m, AAX_CBoolean* o) override { return primary.GetMeterClipped (m, o); }
    AAX_Result ClearMeterClipped (int32_t m) override { return primary.ClearMeterClipped (m); }
    AAX_Result GetMeterCount (uint32_t* o) override { return primary.GetMeterCount (o); }
    AAX_Result GetNextMIDIPacket (int32_t* p, AAX_CMidiPacket* o) override { return primary.GetNextMIDIPacket (p, o); }

    AAX_Result SendNotification (int32_t type, const void*, int32_t size) override
    {
        KEST_RECORD (AAX_IACFController_V2, SendNotification, " " + std::to_string (type) + " size " + std::to_string (size));
        return AAX_SUCCESS;
    }

    AAX_Result GetHybridSignalLatency (int32_t* out) override
    {
        KEST_RECORD (AAX_IACFController_V2, GetHybridSignalLatency, "");
        *out = 0;
        return AAX_SUCCESS;
    }

    AAX_Result GetCurrentAutomationTimestamp (int64_t* out) override
    {
        KEST_RECORD (AAX_IACFController_V2, GetCurrentAutomationTimestamp, "");
        *out = 4800;
        return AAX_SUCCESS;
    }

    AAX_Result GetHostName (AAX_IString* out) override
    {
        KEST_RECORD (AAX_IACFController_V2, GetHostName, "");
        out->Set (hostName);
        return AAX_SUCCESS;
    }

private:
    HostController& primary;
};

HostController::HostController (HostEnvironment& env)
    : HostInterfaceObject (env, "controller", IID_IAAXControllerV1)
{
}

IACFUnknown* HostController::answerForHostUnknown (const acfUID& iid)
{
    const auto& options = environment.options();
    if (iid == IID_IAAXControllerV1)
        return options.offerController ? this : nullptr;
    if (iid == IID_IAAXControllerV2)
        return companionAnswer (laterVersion, options.offerControllerV2, *this);
    return nullptr;
}

AAX_Result HostController::GetEffectID (AAX_IString* out)
{
    KEST_RECORD (AAX_IACFController, GetEffectID, "");
    out->Set ("com.korvalden.kest");
    return AAX_SUCCESS;
}

AAX_Result HostController::GetSampleRate (float* out)
{
    KEST_RECORD (AAX_IACFController, GetSampleRate, "");
    *out = environment.options().sampleRate;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetInputStemFormat (int32_t* out)
{
    KEST_RECORD (AAX_IACFController, GetInputStemFormat, "");
    *out = environment.options().stemFormat;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetOutputStemFormat (int32_t* out)
{
    KEST_RECORD (AAX_IACFController, GetOutputStemFormat, "");
    *out = environment.options().stemFormat;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetSignalLatency (int32_t* out)
{
    KEST_RECORD (AAX_IACFController, GetSignalLatency, "");
    *out = latency.load();
    return AAX_SUCCESS;
}

AAX_Result HostController::GetCycleCount (int32_t which, int32_t* out)
{
    KEST_RECORD (AAX_IACFController, GetCycleCount, " " + std::to_string (which));
    *out = 0;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetTODLocation (int64_t* out)
{
    KEST_RECORD (AAX_IACFController, GetTODLocation, "");
    *out = 0;
    return AAX_SUCCESS;
}

AAX_Result HostController::SetSignalLatency (int32_t samples)
{
    KEST_RECORD (AAX_IACFController, SetSignalLatency, " " + std::to_string (samples));
    latency.store (samples);
    return AAX_SUCCESS;
}

AAX_Result HostController::SetCycleCount (int32_t*, int32_t*, int32_t count)
{
    KEST_RECORD (AAX_IACFController, SetCycleCount, " count " + std::to_string (count));
    return AAX_SUCCESS;
}

AAX_Result HostController::PostPacket (AAX_CFieldIndex field, const void* payload, uint32_t size)
{
    KEST_RECORD (AAX_IACFController, PostPacket, " field " + std::to_string (field) + " size " + std::to_string (size));
    const auto* bytes = static_cast<const unsigned char*> (payload);
    packets.push_back ({ field, bytes != nullptr ? std::vector<unsigned char> (bytes, bytes + size) : std::vector<unsigned char> {} });
    return AAX_SUCCESS;
}

const std::vector<unsigned char>* HostController::postedPacket (AAX_CFieldIndex field) const
{
    for (auto packet = packets.rbegin(); packet != packets.rend(); ++packet)
        if (packet->field == field)
            return &packet->payload;
    return nullptr;
}

AAX_Result HostController::GetCurrentMeterValue (int32_t meterId, float* out)
{
    KEST_RECORD (AAX_IACFController, GetCurrentMeterValue, " " + std::to_string (meterId));
    *out = 0.0f;
    return AAX_SUCCESS;
}

AAX_Result HostController::GetMeterPeakValue (int32_t meterId, float* out)
{
    KEST_RECORD (AAX_IACFController, GetMeterPeakValue, " " + std::to_string (meterId));
    *out = 0.0f;
    return AAX_SUCCESS;
}

AAX_Result HostController::ClearMeterPeakValue (int32_t meterId)
{
    KEST_RECORD (AAX_IACFController, ClearMeterPeakValue, " " + std::to_string (meterId));
    return AAX_SUCCESS;
}

AAX_Result HostController::GetMeterClipped (int32_t meterId, AAX_CBoolean* out)
{
    KEST_RECORD (AAX_IACFController, GetMeterClipped, " " + std::to_string (meterId));
    *out = 0;
    return AAX_SUCCESS;
}

AAX_Result HostController::ClearMeterClipped (int32_t meterId)
{
    KEST_RECORD (AAX_IACFController, ClearMeterClipped, " " + std::to_string (meterId));
    return AAX_SUCCESS;
}

AAX_Result HostController::GetMeterCount (uint32_t* out)
{
    KEST_RECORD (AAX_IACFController, GetMeterCount, "");
    *out = 0;
    return AAX_SUCCESS;
}

// No MIDI is queued: the packet comes back empty.
AAX_Result HostController::GetNextMIDIPacket (int32_t* outPort, AAX_CMidiPacket* outPacket)
{
    KEST_RECORD (AAX_IACFController, GetNextMIDIPacket, "");
    *outPort = 0;
    *outPacket = AAX_CMidiPacket {};
    return AAX_SUCCESS;
}

#undef KEST_RECORD
} // namespace KestHost
