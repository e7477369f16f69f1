#include "host/HostTransport.h"

#include "host/HostEnvironment.h"
#include "host/VtableSlot.h"

namespace KestHost
{
namespace
{
constexpr uint32_t ticksPerQuarter = 960000;
}

#define KEST_RECORD(Interface, Method) record (vtableSlot (&Interface::Method), #Method)

class HostTransport::LaterVersion final : public HostInterfaceObject<AAX_IACFTransport_V2>
{
public:
    LaterVersion (HostEnvironment& env, HostTransport& primaryTransport)
        : HostInterfaceObject (env, primaryTransport.label() + " v2", IID_IAAXTransportV2), primary (primaryTransport)
    {
    }

    AAX_Result GetCurrentTempo (double* o) override { return primary.GetCurrentTempo (o); }
    AAX_Result GetCurrentMeter (int32_t* n, int32_t* d) override { return primary.GetCurrentMeter (n, d); }
    AAX_Result IsTransportPlaying (bool* o) override { return primary.IsTransportPlaying (o); }
    AAX_Result GetCurrentTickPosition (int64_t* o) override { return primary.GetCurrentTickPosition (o); }
    AAX_Result GetCurrentLoopPosition (bool* l, int64_t* s, int64_t* e) override { return primary.GetCurrentLoopPosition (l, s, e); }
    AAX_Result GetCurrentNativeSampleLocation (int64_t* o) override { return primary.GetCurrentNativeSampleLocation (o); }
    AAX_Result GetCustomTickPosition (int64_t* o, int64_t l) override { return primary.GetCustomTickPosition (o, l); }
    AAX_Result GetBarBeatPosition (int32_t* b, int32_t* t, int64_t* d, int64_t l) override { return primary.GetBarBeatPosition (b, t, d, l); }
    AAX_Result GetTicksPerQuarter (uint32_t* o) override { return primary.GetTicksPerQuarter (o); }
    AAX_Result GetCurrentTicksPerBeat (uint32_t* o) override { return primary.GetCurrentTicksPerBeat (o); }

    AAX_Result GetTimelineSelectionStartPosition (int64_t* out) override
    {
        KEST_RECORD (AAX_IACFTransport_V2, GetTimelineSelectionStartPosition);
        *out = 0;
        return AAX_SUCCESS;
    }

    AAX_Result GetTimeCodeInfo (int32_t* outFrameRate, int32_t* outOffset) override
    {
        KEST_RECORD (AAX_IACFTransport_V2, GetTimeCodeInfo);
        *outFrameRate = 0;
        *outOffset = 0;
        return AAX_SUCCESS;
    }

    AAX_Result GetFeetFramesInfo (int32_t* outRate, int64_t* outOffset) override
    {
        KEST_RECORD (AAX_IACFTransport_V2, GetFeetFramesInfo);
        *outRate = 0;
        *outOffset = 0;
        return AAX_SUCCESS;
    }

private:
    HostTransport& primary;
};

HostTransport::HostTransport (HostEnvironment& env)
    : HostInterfaceObject (env, "transport", IID_IAAXTransportV1)
{
}

IACFUnknown* HostTransport::answerForHostUnknown (const acfUID& iid)
{
    const auto& options = environment.options();
    if (iid == IID_IAAXTransportV1)
        return options.offerTransport ? this : nullptr;
    if (iid == IID_IAAXTransportV2)
        return companionAnswer (laterVersion, options.offerTransportV2, *this);
    return nullptr;
}

AAX_Result HostTransport::GetCurrentTempo (double* out)
{
    KEST_RECORD (AAX_IACFTransport, GetCurrentTempo);
    *out = 120.0;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentMeter (int32_t* numerator, int32_t* denominator)
{
    KEST_RECORD (AAX_IACFTransport, GetCurrentMeter);
    *numerator = 4;
    *denominator = 4;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::IsTransportPlaying (bool* out)
{
    KEST_RECORD (AAX_IACFTransport, IsTransportPlaying);
    *out = false;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentTickPosition (int64_t* out)
{
    KEST_RECORD (AAX_IACFTransport, GetCurrentTickPosition);
    *out = 0;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentLoopPosition (bool* looping, int64_t* startTick, int64_t* endTick)
{
    KEST_RECORD (AAX_IACFTransport, GetCurrentLoopPosition);
    *looping = false;
    *startTick = 0;
    *endTick = 0;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentNativeSampleLocation (int64_t* out)
{
    KEST_RECORD (AAX_IACFTransport, GetCurrentNativeSampleLocation);
    *out = 0;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCustomTickPosition (int64_t* out, int64_t)
{
    KEST_RECORD (AAX_IACFTransport, GetCustomTickPosition);
    *out = 0;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetBarBeatPosition (int32_t* bars, int32_t* beats, int64_t* displayTicks, int64_t)
{
    KEST_RECORD (AAX_IACFTransport, GetBarBeatPosition);
    *bars = 1;
    *beats = 1;
    *displayTicks = 0;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetTicksPerQuarter (uint32_t* out)
{
    KEST_RECORD (AAX_IACFTransport, GetTicksPerQuarter);
    *out = ticksPerQuarter;
    return AAX_SUCCESS;
}

AAX_Result HostTransport::GetCurrentTicksPerBeat (uint32_t* out)
{
    KEST_RECORD (AAX_IACFTransport, GetCurrentTicksPerBeat);
    *out = ticksPerQuarter;
    return AAX_SUCCESS;
}

#undef KEST_RECORD
} // namespace KestHost
