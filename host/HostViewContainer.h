#pragma once

#include "host/HostInterfaceObject.h"

#include <functional>

namespace KestHost
{
/** The host's view container: no native view behind it (type 0, null
    pointer) until a window is given; keeps the last size it was asked for
    and tells it on.  One thread at a time. */
class HostViewContainer final : public HostInterfaceObject<AAX_IACFViewContainer>
{
public:
    explicit HostViewContainer (HostEnvironment& env);

    int32_t GetType() override;
    void* GetPtr() override;
    AAX_Result GetModifiers (uint32_t* outModifiers) override;
    AAX_Result SetViewSize (AAX_Point& size) override;
    AAX_Result HandleParameterMouseDown (AAX_CParamID id, uint32_t modifiers) override;
    AAX_Result HandleParameterMouseDrag (AAX_CParamID id, uint32_t modifiers) override;
    AAX_Result HandleParameterMouseUp (AAX_CParamID id, uint32_t modifiers) override;

    AAX_Point viewSize() const noexcept { return size; }

    /** From now on GetType answers type and GetPtr window; resized hears
        each size the plug-in sets (width, height). */
    void showIn (int32_t type, void* window, std::function<void (int width, int height)> resized);

private:
    AAX_Point size { 0.0f, 0.0f };
    int32_t containerType = AAX_eViewContainer_Type_NULL;
    void* nativeWindow = nullptr;
    std::function<void (int, int)> onResize;
};
} // namespace KestHost
