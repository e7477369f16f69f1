#pragma once

#include "aax/AAX_IViewContainer.h"
#include "aax/ACFPtr.h"

/** Wraps the host's view container, asked of the host unknown once at
    construction, and releases it when destroyed.  Missing, GetType answers 0,
    GetPtr null, SetViewSize AAX_SUCCESS and the other operations
    AAX_ERROR_UNIMPLEMENTED, without a host call.

    Message thread.
*/
class AAX_VViewContainer final : public AAX_IViewContainer
{
public:
    explicit AAX_VViewContainer (IACFUnknown* hostUnknown);
    ~AAX_VViewContainer() override;

    int32_t GetType() override;
    void* GetPtr() override;
    AAX_Result GetModifiers (uint32_t* outModifiers) override;
    AAX_Result SetViewSize (AAX_Point& size) override;
    AAX_Result HandleParameterMouseDown (AAX_CParamID id, uint32_t modifiers) override;
    AAX_Result HandleParameterMouseDrag (AAX_CParamID id, uint32_t modifiers) override;
    AAX_Result HandleParameterMouseUp (AAX_CParamID id, uint32_t modifiers) override;

private:
    ACFPtr<AAX_IACFViewContainer> viewContainer;
};
