#pragma once

#include "host/HostInterfaceObject.h"

#include <atomic>
#include <vector>

namespace KestHost
{
/** The host's controller of one instance.  Records every call with its slot
    and answers with the options' sample rate and stem format (48 kHz stereo
    by default) and the latency the plug-in last reported (0 until then);
    keeps every packet posted to it.
    The second version is a separate object with its own count.  One thread
    at a time. */
class HostController final : public HostInterfaceObject<AAX_IACFController>
{
public:
    explicit HostController (HostEnvironment& env);

    /** The first or second version as the options offer them, or null. */
    IACFUnknown* answerForHostUnknown (const acfUID& iid);

    AAX_Result GetEffectID (AAX_IString* outEffectId) override;
    AAX_Result GetSampleRate (float* outSampleRate) override;
    AAX_Result GetInputStemFormat (int32_t* outStemFormat) override;
    AAX_Result GetOutputStemFormat (int32_t* outStemFormat) override;
    AAX_Result GetSignalLatency (int32_t* outSamples) override;
    AAX_Result GetCycleCount (int32_t which, int32_t* outCycles) override;
    AAX_Result GetTODLocation (int64_t* outLocation) override;
    AAX_Result SetSignalLatency (int32_t samples) override;
    AAX_Result SetCycleCount (int32_t* which, int32_t* values, int32_t count) override;
    AAX_Result PostPacket (AAX_CFieldIndex field, const void* payload, uint32_t size) override;
    AAX_Result GetCurrentMeterValue (int32_t meterId, float* outValue) override;
    AAX_Result GetMeterPeakValue (int32_t meterId, float* outValue) override;
    AAX_Result ClearMeterPeakValue (int32_t meterId) override;
    AAX_Result GetMeterClipped (int32_t meterId, AAX_CBoolean* outClipped) override;
    AAX_Result ClearMeterClipped (int32_t meterId) override;
    AAX_Result GetMeterCount (uint32_t* outCount) override;
    AAX_Result GetNextMIDIPacket (int32_t* outPort, AAX_CMidiPacket* outPacket) override;

    static constexpr const char* hostName = "Kest Host";

    /** A packet as the plug-in posted it: its field and a copy of its bytes. */
    struct PostedPacket
    {
        AAX_CFieldIndex field;
        std::vector<unsigned char> payload;
    };

    const std::vector<PostedPacket>& postedPackets() const noexcept { return packets; }

    /** The latency in samples the plug-in last reported.  Any thread. */
    int32_t signalLatency() const noexcept { return latency.load(); }

    /** The payload last posted to a field, or null when none was. */
    const std::vector<unsigned char>* postedPacket (AAX_CFieldIndex field) const;

private:
    class LaterVersion;
    LaterVersion* laterVersion = nullptr;
    std::vector<PostedPacket> packets;
    std::atomic<int32_t> latency { 0 };
};
} // namespace KestHost
