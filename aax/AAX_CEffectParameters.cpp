// Lifecycle, notifications, fixed answers and the helpers for subclasses.

#include "aax/AAX_CEffectParameters.h"

#include "aax/AAXHostCallGuard.h"
#include "aax/AAX_CString.h"
#include "aax/AAX_VAutomationDelegate.h"
#include "aax/AAX_VController.h"
#include "aax/AAX_VTransport.h"

#include <cstring>

AAX_CEffectParameters::AAX_CEffectParameters() = default;

AAX_CEffectParameters::~AAX_CEffectParameters()
{
    // Parameters unregister from the automation delegate as they go, so they
    // go while it still exists.
    mParameterManager.RemoveAllParameters();
    mPacketDispatcher.Initialize (nullptr, nullptr);
}

AAX_Result AAX_CEffectParameters::Initialize (IACFUnknown* hostUnknown)
{
    return AAXGuardHostCall ([&]
    {
        // An object is initialised once; a second call would leave the first
        // call's parameters pointing at wrappers it deletes.
        if (mController != nullptr || mAutomationDelegate != nullptr || mTransport != nullptr)
            return ACF_E_UNEXPECTED;

        mController = std::make_unique<AAX_VController> (hostUnknown);
        mAutomationDelegate = std::make_unique<AAX_VAutomationDelegate> (hostUnknown);
        mTransport = std::make_unique<AAX_VTransport> (hostUnknown);

        // Without the host's automation the parameter objects store values at
        // once; with an empty wrapper they would wait for a host that never answers.
        mParameterManager.Initialize (mAutomationDelegate->IsValid() ? mAutomationDelegate.get() : nullptr);
        mPacketDispatcher.Initialize (mController.get(), this);

        const auto initialised = EffectInit();
        if (initialised != AAX_SUCCESS)
            return initialised;

        AAX_CString bypassId;
        GetMasterBypassParameter (&bypassId);
        FilterParameterIDOnSave (bypassId.Get());
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::Uninitialize()
{
    return AAXGuardHostCall ([&]
    {
        mParameterManager.RemoveAllParameters();
        mParameterManager.Initialize (nullptr);
        mPacketDispatcher.Initialize (nullptr, this);

        mController.reset();
        mAutomationDelegate.reset();
        mTransport.reset();
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size)
{
    return AAXGuardHostCall ([&]
    {
        if (type != kPreviewStateNotification || data == nullptr || size < sizeof (int32_t))
            return AAX_SUCCESS;

        if (auto* preview = findParameter (kPreviewParameterID))
        {
            int32_t state = 0;
            std::memcpy (&state, data, sizeof (state));
            preview->SetValueWithBool (state != 0);
        }
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectParameters::EffectInit()
{
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::TimerWakeup() { return AAX_SUCCESS; }
AAX_Result AAX_CEffectParameters::GetCurveData (AAX_CTypeID, const float*, uint32_t, float*) const { return AAX_ERROR_UNIMPLEMENTED; }

AAX_Result AAX_CEffectParameters::GetCustomData (AAX_CTypeID, uint32_t, void*, uint32_t* outWritten) const
{
    if (outWritten != nullptr)
        *outWritten = 0;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::SetCustomData (AAX_CTypeID, uint32_t, const void*) { return AAX_SUCCESS; }
AAX_Result AAX_CEffectParameters::DoMIDITransfers() { return AAX_SUCCESS; }
AAX_Result AAX_CEffectParameters::RenderAudio_Hybrid (void*) { return AAX_ERROR_UNIMPLEMENTED; }
AAX_Result AAX_CEffectParameters::UpdateMIDINodes (AAX_CFieldIndex, AAX_CMidiPacket&) { return AAX_SUCCESS; }
AAX_Result AAX_CEffectParameters::UpdateControlMIDINodes (AAX_CTypeID, AAX_CMidiPacket&) { return AAX_SUCCESS; }

void AAX_CEffectParameters::FilterParameterIDOnSave (AAX_CParamID id)
{
    if (id != nullptr)
        mFilteredParameters.insert (id);
}

bool AAX_CEffectParameters::IsParameterTouched (AAX_CParamID id) const
{
    if (mAutomationDelegate == nullptr)
        return false;
    AAX_CBoolean touched = 0;
    return mAutomationDelegate->GetTouchState (id, &touched) == AAX_SUCCESS && touched != 0;
}

bool AAX_CEffectParameters::IsParameterLinkReady (AAX_CParamID id, int32_t source) const
{
    return source == 0 && IsParameterTouched (id);
}

AAX_Result AAX_CEffectParameters::SetTaperDelegate (AAX_CParamID id, AAX_ITaperDelegateBase& taperDelegate, bool preserveValue)
{
    auto* parameter = findParameter (id);
    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;
    parameter->SetTaperDelegate (taperDelegate, preserveValue);
    if (! preserveValue)
        mPacketDispatcher.SetDirty (id, true);
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectParameters::SetDisplayDelegate (AAX_CParamID id, AAX_IDisplayDelegateBase& displayDelegate)
{
    auto* parameter = findParameter (id);
    if (parameter == nullptr)
        return AAX_ERROR_INVALID_PARAMETER_ID;
    parameter->SetDisplayDelegate (displayDelegate);
    return AAX_SUCCESS;
}

AAX_IParameter* AAX_CEffectParameters::findParameter (AAX_CParamID id) const
{
    return const_cast<AAX_CParameterManager&> (mParameterManager).GetParameterByID (id);
}
