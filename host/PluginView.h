#pragma once

#include "host/PluginInstance.h"

#include <functional>

namespace KestHost
{
class HostCollection;
class HostViewContainer;

/** The view of one instance as a host holds it: made through the first
    effect's create-GUI procedure (procedure 1), initialised with the
    instance's host unknown (which answers the instance's effect-parameters
    interface, as a host answers a view of that instance), given a view
    container while open, and uninitialised and released when this goes.

    Main thread (the plug-in's message thread).
*/
class PluginView
{
public:
    static constexpr uint32_t createGUIProcId = 1;

    /** Throws std::runtime_error naming what failed. */
    PluginView (PluginInstance& instance, const HostCollection& description);
    /** Closes the view if open, uninitialises and releases the object. */
    ~PluginView();

    PluginView (const PluginView&) = delete;
    PluginView& operator= (const PluginView&) = delete;

    /** Hands the view the container: in a window of the given type (an X11
        window's identifier for AAX_eViewContainer_Type_X11Window), or in
        none.  resized hears each size the plug-in asks for. */
    void open (int32_t type = AAX_eViewContainer_Type_NULL, void* window = nullptr,
               std::function<void (int width, int height)> resized = {});
    /** Takes the container away again (SetViewContainer with null). */
    void close();
    bool isOpen() const noexcept { return opened; }

    /** The view's idle call. */
    void idle();

    /** The size the view reports (GetViewSize). */
    AAX_Point size() const;

    AAX_IACFEffectGUI& gui() noexcept { return *view; }
    HostViewContainer& container() noexcept { return *viewContainer; }

private:
    PluginInstance& instance;
    AAX_IACFEffectGUI* view = nullptr;
    HostViewContainer* viewContainer = nullptr;
    bool opened = false;
};
} // namespace KestHost
