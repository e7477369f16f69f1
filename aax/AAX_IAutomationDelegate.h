#pragma once

#include "platform/AAXHostInterfaces.h"

/** The host's parameter automation: registration, touch, set requests and
    the touch state.  Called on whichever thread the host allows the call. */
class AAX_IAutomationDelegate
{
public:
    virtual ~AAX_IAutomationDelegate() = default;

    virtual AAX_Result RegisterParameter (AAX_CParamID id) = 0;
    virtual AAX_Result UnregisterParameter (AAX_CParamID id) = 0;
    virtual AAX_Result PostSetValueRequest (AAX_CParamID id, double normalizedValue) const = 0;
    virtual AAX_Result PostCurrentValue (AAX_CParamID id, double normalizedValue) const = 0;
    virtual AAX_Result PostTouchRequest (AAX_CParamID id) = 0;
    virtual AAX_Result PostReleaseRequest (AAX_CParamID id) = 0;
    virtual AAX_Result GetTouchState (AAX_CParamID id, AAX_CBoolean* outTouched) = 0;
};
