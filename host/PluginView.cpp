#include "host/PluginView.h"

#include "host/HostCollection.h"
#include "host/HostEffectDescriptor.h"
#include "host/HostUnknown.h"
#include "host/HostViewContainer.h"

#include <stdexcept>

namespace KestHost
{
PluginView::PluginView (PluginInstance& instanceToShow, const HostCollection& description) : instance (instanceToShow)
{
    if (description.effects().empty())
        throw std::runtime_error ("the plug-in describes no effect");

    AAX_CreateObjectProc create = nullptr;
    for (auto& procedure : description.effects().front().second->procedures())
        if (procedure.procId == createGUIProcId && procedure.procedure != nullptr)
            create = reinterpret_cast<AAX_CreateObjectProc> (procedure.procedure);
    if (create == nullptr)
        throw std::runtime_error ("the plug-in has no creation procedure for its view");

    auto* created = create();
    if (created == nullptr)
        throw std::runtime_error ("the plug-in's view procedure made nothing");
    if (created->QueryInterface (IID_IAAXEffectGUIV1, reinterpret_cast<void**> (&view)) != AAX_SUCCESS || view == nullptr)
        throw std::runtime_error ("the plug-in's view offers no view interface");

    auto& hostUnknown = instance.host().hostUnknown();
    hostUnknown.offerEffectParameters (&instance.effect());
    const auto initialised = view->Initialize (&hostUnknown);
    if (initialised != AAX_SUCCESS)
    {
        view->Uninitialize();
        view->Release();
        throw std::runtime_error ("the plug-in's view failed to initialise: " + std::to_string (initialised));
    }
    viewContainer = &instance.host().make<HostViewContainer>();
}

PluginView::~PluginView()
{
    close();
    view->Uninitialize();
    view->Release();
}

void PluginView::open (int32_t type, void* window, std::function<void (int, int)> resized)
{
    viewContainer->showIn (type, window, std::move (resized));
    view->SetViewContainer (viewContainer);
    opened = true;
}

void PluginView::close()
{
    if (! opened)
        return;
    view->SetViewContainer (nullptr);
    opened = false;
}

void PluginView::idle()
{
    view->TimerWakeup();
}

AAX_Point PluginView::size() const
{
    AAX_Point viewSize { 0.0f, 0.0f };
    view->GetViewSize (&viewSize);
    return viewSize;
}
} // namespace KestHost
