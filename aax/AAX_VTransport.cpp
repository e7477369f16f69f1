#include "aax/AAX_VTransport.h"

AAX_VTransport::AAX_VTransport (IACFUnknown* hostUnknown)
{
    if (hostUnknown != nullptr)
    {
        hostUnknown->QueryInterface (IID_IAAXTransportV1, transport.outArgument());
        hostUnknown->QueryInterface (IID_IAAXTransportV2, transportV2.outArgument());
    }
}

AAX_VTransport::~AAX_VTransport()
{
    transportV2.reset();
    transport.reset();
}

#define KEST_FORWARD(call) return transport ? transport->call : AAX_ERROR_NULL_OBJECT
#define KEST_FORWARD_V2(call) return transportV2 ? transportV2->call : AAX_ERROR_NULL_OBJECT

AAX_Result AAX_VTransport::GetCurrentTempo (double* out) const { KEST_FORWARD (GetCurrentTempo (out)); }
AAX_Result AAX_VTransport::GetCurrentMeter (int32_t* numerator, int32_t* denominator) const { KEST_FORWARD (GetCurrentMeter (numerator, denominator)); }
AAX_Result AAX_VTransport::IsTransportPlaying (bool* out) const { KEST_FORWARD (IsTransportPlaying (out)); }
AAX_Result AAX_VTransport::GetCurrentTickPosition (int64_t* out) const { KEST_FORWARD (GetCurrentTickPosition (out)); }

AAX_Result AAX_VTransport::GetCurrentLoopPosition (bool* looping, int64_t* startTick, int64_t* endTick) const
{
    KEST_FORWARD (GetCurrentLoopPosition (looping, startTick, endTick));
}

AAX_Result AAX_VTransport::GetCurrentNativeSampleLocation (int64_t* out) const { KEST_FORWARD (GetCurrentNativeSampleLocation (out)); }
AAX_Result AAX_VTransport::GetCustomTickPosition (int64_t* out, int64_t location) const { KEST_FORWARD (GetCustomTickPosition (out, location)); }

AAX_Result AAX_VTransport::GetBarBeatPosition (int32_t* bars, int32_t* beats, int64_t* displayTicks, int64_t location) const
{
    KEST_FORWARD (GetBarBeatPosition (bars, beats, displayTicks, location));
}

AAX_Result AAX_VTransport::GetTicksPerQuarter (uint32_t* out) const { KEST_FORWARD (GetTicksPerQuarter (out)); }
AAX_Result AAX_VTransport::GetCurrentTicksPerBeat (uint32_t* out) const { KEST_FORWARD (GetCurrentTicksPerBeat (out)); }
AAX_Result AAX_VTransport::GetTimelineSelectionStartPosition (int64_t* out) const { KEST_FORWARD_V2 (GetTimelineSelectionStartPosition (out)); }
AAX_Result AAX_VTransport::GetTimeCodeInfo (int32_t* frameRate, int32_t* offset) const { KEST_FORWARD_V2 (GetTimeCodeInfo (frameRate, offset)); }
AAX_Result AAX_VTransport::GetFeetFramesInfo (int32_t* rate, int64_t* offset) const { KEST_FORWARD_V2 (GetFeetFramesInfo (rate, offset)); }

#undef KEST_FORWARD
#undef KEST_FORWARD_V2
