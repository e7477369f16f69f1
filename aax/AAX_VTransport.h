#pragma once

#include "aax/AAX_ITransport.h"
#include "aax/ACFPtr.h"

/** Wraps the host's transport (first and second version), asked of the host
    unknown once at construction.  Either version missing gives
    AAX_ERROR_NULL_OBJECT without a host call.

    Made and deleted on the owner's initialise and uninitialise thread; the
    operations on any thread the host allows.
*/
class AAX_VTransport final : public AAX_ITransport
{
public:
    explicit AAX_VTransport (IACFUnknown* hostUnknown);
    ~AAX_VTransport() override;

    AAX_Result GetCurrentTempo (double* outBeatsPerMinute) const override;
    AAX_Result GetCurrentMeter (int32_t* outNumerator, int32_t* outDenominator) const override;
    AAX_Result IsTransportPlaying (bool* outPlaying) const override;
    AAX_Result GetCurrentTickPosition (int64_t* outTicks) const override;
    AAX_Result GetCurrentLoopPosition (bool* outLooping, int64_t* outStartTick, int64_t* outEndTick) const override;
    AAX_Result GetCurrentNativeSampleLocation (int64_t* outSamples) const override;
    AAX_Result GetCustomTickPosition (int64_t* outTicks, int64_t sampleLocation) const override;
    AAX_Result GetBarBeatPosition (int32_t* outBars, int32_t* outBeats, int64_t* outDisplayTicks, int64_t sampleLocation) const override;
    AAX_Result GetTicksPerQuarter (uint32_t* outTicks) const override;
    AAX_Result GetCurrentTicksPerBeat (uint32_t* outTicks) const override;
    AAX_Result GetTimelineSelectionStartPosition (int64_t* outSamples) const override;
    AAX_Result GetTimeCodeInfo (int32_t* outFrameRate, int32_t* outOffset) const override;
    AAX_Result GetFeetFramesInfo (int32_t* outFeetFramesRate, int64_t* outOffset) const override;

private:
    ACFPtr<AAX_IACFTransport> transport;
    ACFPtr<AAX_IACFTransport_V2> transportV2;
};
