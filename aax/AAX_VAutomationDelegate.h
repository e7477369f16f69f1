#pragma once

#include "aax/AAX_IAutomationDelegate.h"
#include "aax/ACFPtr.h"

/** Wraps the host's automation delegate, asked of the host unknown once at
    construction.  Missing, every operation gives AAX_ERROR_NULL_OBJECT
    without a host call.

    Made and deleted on the owner's initialise and uninitialise thread; the
    operations on any thread the host allows.
*/
class AAX_VAutomationDelegate final : public AAX_IAutomationDelegate
{
public:
    explicit AAX_VAutomationDelegate (IACFUnknown* hostUnknown);
    ~AAX_VAutomationDelegate() override;

    AAX_Result RegisterParameter (AAX_CParamID id) override;
    AAX_Result UnregisterParameter (AAX_CParamID id) override;
    AAX_Result PostSetValueRequest (AAX_CParamID id, double normalizedValue) const override;
    AAX_Result PostCurrentValue (AAX_CParamID id, double normalizedValue) const override;
    AAX_Result PostTouchRequest (AAX_CParamID id) override;
    AAX_Result PostReleaseRequest (AAX_CParamID id) override;
    AAX_Result GetTouchState (AAX_CParamID id, AAX_CBoolean* outTouched) override;

    /** True when the host offered its automation delegate. */
    bool IsValid() const noexcept { return static_cast<bool> (automationDelegate); }

private:
    ACFPtr<AAX_IACFAutomationDelegate> automationDelegate;
};
