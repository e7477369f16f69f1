#pragma once

#include "platform/AAXHostInterfaces.h"

/** The host's controller of one plug-in instance: sample rate, stem formats,
    latency, packets, meters and MIDI.  Called on whichever thread the host
    allows the call. */
class AAX_IController
{
public:
    virtual ~AAX_IController() = default;

    virtual AAX_Result GetEffectID (AAX_IString* outEffectId) const = 0;
    virtual AAX_Result GetSampleRate (float* outSampleRate) const = 0;
    virtual AAX_Result GetInputStemFormat (int32_t* outStemFormat) const = 0;
    virtual AAX_Result GetOutputStemFormat (int32_t* outStemFormat) const = 0;
    virtual AAX_Result GetSignalLatency (int32_t* outSamples) const = 0;
    virtual AAX_Result GetCycleCount (int32_t which, int32_t* outCycles) const = 0;
    virtual AAX_Result GetTODLocation (int64_t* outLocation) const = 0;
    virtual AAX_Result SetSignalLatency (int32_t samples) = 0;
    virtual AAX_Result SetCycleCount (int32_t* which, int32_t* values, int32_t count) = 0;
    virtual AAX_Result PostPacket (AAX_CFieldIndex field, const void* payload, uint32_t size) = 0;
    virtual AAX_Result SendNotification (int32_t type, const void* data, int32_t size) = 0;
    virtual AAX_Result GetCurrentMeterValue (int32_t meterId, float* outValue) const = 0;
    virtual AAX_Result GetMeterPeakValue (int32_t meterId, float* outValue) const = 0;
    virtual AAX_Result ClearMeterPeakValue (int32_t meterId) const = 0;
    virtual AAX_Result GetMeterCount (uint32_t* outCount) const = 0;
    virtual AAX_Result GetMeterClipped (int32_t meterId, AAX_CBoolean* outClipped) const = 0;
    virtual AAX_Result ClearMeterClipped (int32_t meterId) const = 0;
    virtual AAX_Result GetNextMIDIPacket (int32_t* outPort, AAX_CMidiPacket* outPacket) = 0;
    virtual AAX_Result GetHybridSignalLatency (int32_t* outSamples) const = 0;
    virtual AAX_Result GetCurrentAutomationTimestamp (int64_t* outTimestamp) const = 0;
    virtual AAX_Result GetHostName (AAX_IString* outName) const = 0;
};
