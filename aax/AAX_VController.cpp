#include "aax/AAX_VController.h"

AAX_VController::AAX_VController (IACFUnknown* hostUnknown)
{
    if (hostUnknown != nullptr)
    {
        hostUnknown->QueryInterface (IID_IAAXControllerV1, controller.outArgument());
        hostUnknown->QueryInterface (IID_IAAXControllerV2, controllerV2.outArgument());
    }
}

AAX_VController::~AAX_VController()
{
    controllerV2.reset();
    controller.reset();
}

#define KEST_FORWARD(call) return controller ? controller->call : AAX_ERROR_NULL_OBJECT
#define KEST_FORWARD_V2(call) return controllerV2 ? controllerV2->call : AAX_ERROR_UNIMPLEMENTED

AAX_Result AAX_VController::GetEffectID (AAX_IString* out) const { KEST_FORWARD (GetEffectID (out)); }
AAX_Result AAX_VController::GetSampleRate (float* out) const { KEST_FORWARD (GetSampleRate (out)); }
AAX_Result AAX_VController::GetInputStemFormat (int32_t* out) const { KEST_FORWARD (GetInputStemFormat (out)); }
AAX_Result AAX_VController::GetOutputStemFormat (int32_t* out) const { KEST_FORWARD (GetOutputStemFormat (out)); }
AAX_Result AAX_VController::GetSignalLatency (int32_t* out) const { KEST_FORWARD (GetSignalLatency (out)); }
AAX_Result AAX_VController::GetCycleCount (int32_t which, int32_t* out) const { KEST_FORWARD (GetCycleCount (which, out)); }
AAX_Result AAX_VController::GetTODLocation (int64_t* out) const { KEST_FORWARD (GetTODLocation (out)); }
AAX_Result AAX_VController::SetSignalLatency (int32_t samples) { KEST_FORWARD (SetSignalLatency (samples)); }
AAX_Result AAX_VController::SetCycleCount (int32_t* which, int32_t* values, int32_t count) { KEST_FORWARD (SetCycleCount (which, values, count)); }

AAX_Result AAX_VController::PostPacket (AAX_CFieldIndex field, const void* payload, uint32_t size)
{
    KEST_FORWARD (PostPacket (field, payload, size));
}

AAX_Result AAX_VController::SendNotification (int32_t type, const void* data, int32_t size)
{
    KEST_FORWARD_V2 (SendNotification (type, data, size));
}

AAX_Result AAX_VController::GetCurrentMeterValue (int32_t meterId, float* out) const { KEST_FORWARD (GetCurrentMeterValue (meterId, out)); }
AAX_Result AAX_VController::GetMeterPeakValue (int32_t meterId, float* out) const { KEST_FORWARD (GetMeterPeakValue (meterId, out)); }
AAX_Result AAX_VController::ClearMeterPeakValue (int32_t meterId) const { KEST_FORWARD (ClearMeterPeakValue (meterId)); }
AAX_Result AAX_VController::GetMeterCount (uint32_t* out) const { KEST_FORWARD (GetMeterCount (out)); }
AAX_Result AAX_VController::GetMeterClipped (int32_t meterId, AAX_CBoolean* out) const { KEST_FORWARD (GetMeterClipped (meterId, out)); }
AAX_Result AAX_VController::ClearMeterClipped (int32_t meterId) const { KEST_FORWARD (ClearMeterClipped (meterId)); }
AAX_Result AAX_VController::GetNextMIDIPacket (int32_t* outPort, AAX_CMidiPacket* outPacket) { KEST_FORWARD (GetNextMIDIPacket (outPort, outPacket)); }
AAX_Result AAX_VController::GetHybridSignalLatency (int32_t* out) const { KEST_FORWARD_V2 (GetHybridSignalLatency (out)); }

AAX_Result AAX_VController::GetCurrentAutomationTimestamp (int64_t* out) const
{
    if (! controllerV2)
    {
        *out = 0;
        return AAX_ERROR_UNIMPLEMENTED;
    }
    return controllerV2->GetCurrentAutomationTimestamp (out);
}

AAX_Result AAX_VController::GetHostName (AAX_IString* out) const { KEST_FORWARD_V2 (GetHostName (out)); }

#undef KEST_FORWARD
#undef KEST_FORWARD_V2
