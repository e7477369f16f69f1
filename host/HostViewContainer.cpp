#include "host/HostViewContainer.h"

#include "host/HostEnvironment.h"
#include "host/VtableSlot.h"

namespace KestHost
{
#define KEST_RECORD(Method, details) record (vtableSlot (&AAX_IACFViewContainer::Method), std::string (#Method) + details)

HostViewContainer::HostViewContainer (HostEnvironment& env)
    : HostInterfaceObject (env, "view container", IID_IAAXViewContainerV1)
{
}

void HostViewContainer::showIn (int32_t type, void* window, std::function<void (int, int)> resized)
{
    containerType = type;
    nativeWindow = window;
    onResize = std::move (resized);
}

int32_t HostViewContainer::GetType()
{
    KEST_RECORD (GetType, "");
    return containerType;
}

void* HostViewContainer::GetPtr()
{
    KEST_RECORD (GetPtr, "");
    return nativeWindow;
}

AAX_Result HostViewContainer::GetModifiers (uint32_t* outModifiers)
{
    KEST_RECORD (GetModifiers, "");
    *outModifiers = 0;
    return AAX_SUCCESS;
}

AAX_Result HostViewContainer::SetViewSize (AAX_Point& newSize)
{
    KEST_RECORD (SetViewSize, " " + std::to_string (static_cast<int> (newSize.horz)) + "x" + std::to_string (static_cast<int> (newSize.vert)));
    size = newSize;
    if (onResize)
        onResize ((int) newSize.horz, (int) newSize.vert);
    return AAX_SUCCESS;
}

AAX_Result HostViewContainer::HandleParameterMouseDown (AAX_CParamID id, uint32_t)
{
    KEST_RECORD (HandleParameterMouseDown, " " + quoted (id));
    return AAX_SUCCESS;
}

AAX_Result HostViewContainer::HandleParameterMouseDrag (AAX_CParamID id, uint32_t)
{
    KEST_RECORD (HandleParameterMouseDrag, " " + quoted (id));
    return AAX_SUCCESS;
}

AAX_Result HostViewContainer::HandleParameterMouseUp (AAX_CParamID id, uint32_t)
{
    KEST_RECORD (HandleParameterMouseUp, " " + quoted (id));
    return AAX_SUCCESS;
}

#undef KEST_RECORD
} // namespace KestHost
