#pragma once

#include "platform/AAXHostInterfaces.h"

/** The host's transport: tempo, meter, play state and positions.  Called on
    whichever thread the host allows the call. */
class AAX_ITransport
{
public:
    virtual ~AAX_ITransport() = default;

    virtual AAX_Result GetCurrentTempo (double* outBeatsPerMinute) const = 0;
    virtual AAX_Result GetCurrentMeter (int32_t* outNumerator, int32_t* outDenominator) const = 0;
    virtual AAX_Result IsTransportPlaying (bool* outPlaying) const = 0;
    virtual AAX_Result GetCurrentTickPosition (int64_t* outTicks) const = 0;
    virtual AAX_Result GetCurrentLoopPosition (bool* outLooping, int64_t* outStartTick, int64_t* outEndTick) const = 0;
    virtual AAX_Result GetCurrentNativeSampleLocation (int64_t* outSamples) const = 0;
    virtual AAX_Result GetCustomTickPosition (int64_t* outTicks, int64_t sampleLocation) const = 0;
    virtual AAX_Result GetBarBeatPosition (int32_t* outBars, int32_t* outBeats, int64_t* outDisplayTicks, int64_t sampleLocation) const = 0;
    virtual AAX_Result GetTicksPerQuarter (uint32_t* outTicks) const = 0;
    virtual AAX_Result GetCurrentTicksPerBeat (uint32_t* outTicks) const = 0;
    virtual AAX_Result GetTimelineSelectionStartPosition (int64_t* outSamples) const = 0;
    virtual AAX_Result GetTimeCodeInfo (int32_t* outFrameRate, int32_t* outOffset) const = 0;
    virtual AAX_Result GetFeetFramesInfo (int32_t* outFeetFramesRate, int64_t* outOffset) const = 0;
};
