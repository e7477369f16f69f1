#pragma once

#include "platform/AAXHostInterfaces.h"

/** The host's view that the editor is placed into.  Message thread. */
class AAX_IViewContainer
{
public:
    virtual ~AAX_IViewContainer() = default;

    virtual int32_t GetType() = 0;
    virtual void* GetPtr() = 0;
    virtual AAX_Result GetModifiers (uint32_t* outModifiers) = 0;
    virtual AAX_Result SetViewSize (AAX_Point& size) = 0;
    virtual AAX_Result HandleParameterMouseDown (AAX_CParamID id, uint32_t modifiers) = 0;
    virtual AAX_Result HandleParameterMouseDrag (AAX_CParamID id, uint32_t modifiers) = 0;
    virtual AAX_Result HandleParameterMouseUp (AAX_CParamID id, uint32_t modifiers) = 0;
};
