#include "aax/AAX_VViewContainer.h"

AAX_VViewContainer::AAX_VViewContainer (IACFUnknown* hostUnknown)
{
    if (hostUnknown != nullptr)
        hostUnknown->QueryInterface (IID_IAAXViewContainerV1, viewContainer.outArgument());
}

// The query added a reference; it is the wrapper's to give back.
AAX_VViewContainer::~AAX_VViewContainer()
{
    viewContainer.reset();
}

int32_t AAX_VViewContainer::GetType() { return viewContainer ? viewContainer->GetType() : 0; }
void* AAX_VViewContainer::GetPtr() { return viewContainer ? viewContainer->GetPtr() : nullptr; }

AAX_Result AAX_VViewContainer::GetModifiers (uint32_t* out)
{
    return viewContainer ? viewContainer->GetModifiers (out) : AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VViewContainer::SetViewSize (AAX_Point& size)
{
    return viewContainer ? viewContainer->SetViewSize (size) : AAX_SUCCESS;
}

AAX_Result AAX_VViewContainer::HandleParameterMouseDown (AAX_CParamID id, uint32_t modifiers)
{
    return viewContainer ? viewContainer->HandleParameterMouseDown (id, modifiers) : AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VViewContainer::HandleParameterMouseDrag (AAX_CParamID id, uint32_t modifiers)
{
    return viewContainer ? viewContainer->HandleParameterMouseDrag (id, modifiers) : AAX_ERROR_UNIMPLEMENTED;
}

AAX_Result AAX_VViewContainer::HandleParameterMouseUp (AAX_CParamID id, uint32_t modifiers)
{
    return viewContainer ? viewContainer->HandleParameterMouseUp (id, modifiers) : AAX_ERROR_UNIMPLEMENTED;
}
