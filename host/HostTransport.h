#pragma once

#include "host/HostInterfaceObject.h"

namespace KestHost
{
/** The host's transport: stopped at sample 0, 120 beats per minute in 4/4.
    Records every call with its slot; the second version is a separate object
    with its own count.  One thread at a time. */
class HostTransport final : public HostInterfaceObject<AAX_IACFTransport>
{
public:
    explicit HostTransport (HostEnvironment& env);

    /** The first or second version as the options offer them, or null. */
    IACFUnknown* answerForHostUnknown (const acfUID& iid);

    AAX_Result GetCurrentTempo (double* outBeatsPerMinute) override;
    AAX_Result GetCurrentMeter (int32_t* outNumerator, int32_t* outDenominator) override;
    AAX_Result IsTransportPlaying (bool* outPlaying) override;
    AAX_Result GetCurrentTickPosition (int64_t* outTicks) override;
    AAX_Result GetCurrentLoopPosition (bool* outLooping, int64_t* outStartTick, int64_t* outEndTick) override;
    AAX_Result GetCurrentNativeSampleLocation (int64_t* outSamples) override;
    AAX_Result GetCustomTickPosition (int64_t* outTicks, int64_t sampleLocation) override;
    AAX_Result GetBarBeatPosition (int32_t* outBars, int32_t* outBeats, int64_t* outDisplayTicks, int64_t sampleLocation) override;
    AAX_Result GetTicksPerQuarter (uint32_t* outTicks) override;
    AAX_Result GetCurrentTicksPerBeat (uint32_t* outTicks) override;

private:
    class LaterVersion;
    LaterVersion* laterVersion = nullptr;
};
} // namespace KestHost
