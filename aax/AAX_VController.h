#pragma once

#include "aax/AAX_IController.h"
#include "aax/ACFPtr.h"

/** Wraps the host's controller (first and second version), asked of the host
    unknown once at construction.  A missing first version gives
    AAX_ERROR_NULL_OBJECT, a missing second version AAX_ERROR_UNIMPLEMENTED,
    without a host call.

    Made and deleted on the owner's initialise and uninitialise thread; the
    operations on any thread the host allows.
*/
class AAX_VController final : public AAX_IController
{
public:
    explicit AAX_VController (IACFUnknown* hostUnknown);
    ~AAX_VController() override;

    AAX_Result GetEffectID (AAX_IString* outEffectId) const override;
    AAX_Result GetSampleRate (float* outSampleRate) const override;
    AAX_Result GetInputStemFormat (int32_t* outStemFormat) const override;
    AAX_Result GetOutputStemFormat (int32_t* outStemFormat) const override;
    AAX_Result GetSignalLatency (int32_t* outSamples) const override;
    AAX_Result GetCycleCount (int32_t which, int32_t* outCycles) const override;
    AAX_Result GetTODLocation (int64_t* outLocation) const override;
    AAX_Result SetSignalLatency (int32_t samples) override;
    AAX_Result SetCycleCount (int32_t* which, int32_t* values, int32_t count) override;
    AAX_Result PostPacket (AAX_CFieldIndex field, const void* payload, uint32_t size) override;
    AAX_Result SendNotification (int32_t type, const void* data, int32_t size) override;
    AAX_Result GetCurrentMeterValue (int32_t meterId, float* outValue) const override;
    AAX_Result GetMeterPeakValue (int32_t meterId, float* outValue) const override;
    AAX_Result ClearMeterPeakValue (int32_t meterId) const override;
    AAX_Result GetMeterCount (uint32_t* outCount) const override;
    AAX_Result GetMeterClipped (int32_t meterId, AAX_CBoolean* outClipped) const override;
    AAX_Result ClearMeterClipped (int32_t meterId) const override;
    AAX_Result GetNextMIDIPacket (int32_t* outPort, AAX_CMidiPacket* outPacket) override;
    AAX_Result GetHybridSignalLatency (int32_t* outSamples) const override;

    /** Without the second version: stores 0, answers AAX_ERROR_UNIMPLEMENTED. */
    AAX_Result GetCurrentAutomationTimestamp (int64_t* outTimestamp) const override;
    AAX_Result GetHostName (AAX_IString* outName) const override;

private:
    ACFPtr<AAX_IACFController> controller;
    ACFPtr<AAX_IACFController_V2> controllerV2;
};
