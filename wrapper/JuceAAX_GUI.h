#pragma once

#include "aax/AAX_CEffectGUI.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace AAXClasses
{
/** The plug-in's view as the host sees it: the engine's editor inside a
    component of the view's size, placed into the host's view container.

    The host makes it with Create (the description's procedure 1) on its main
    thread, which is the framework's message thread in this bundle.  The
    editor is made by Initialize when the host's effect-parameters interface
    is one of this bundle's processors, remade if needed when a container is
    set, and taken down when the container is taken away or the object goes:
    open menus and modal boxes are dismissed first (their pending messages
    delivered), and the engine is told the editor is going before it goes.

    A container of type AAX_eViewContainer_Type_X11Window gets the view as a
    child window of the window it names; any other type gets no window, and
    the view lives unattached (its size still goes to the host).

    Threads: everything on the host's main thread.
*/
class JuceAAX_GUI final : public AAX_CEffectGUI
{
public:
    /** The create-GUI procedure: a new view object with no references yet.
        Host's main thread. */
    static IACFUnknown* Create();

    JuceAAX_GUI();
    ~JuceAAX_GUI() override;

    /** The view's width and height; AAX_ERROR_NULL_OBJECT for a null out
        pointer. */
    AAX_Result GetViewSize (AAX_Point* outSize) const override;

    /** The host's idle call for the view: delivers the bundle's pending
        messages (painting, timers, input). */
    AAX_Result TimerWakeup() override;

    /** The editor now showing, or null (tests). */
    juce::Component* getEditorComponent() const noexcept;

protected:
    void CreateViewContents() override;
    void CreateViewContainer() override;
    void DeleteViewContainer() override;

private:
    class ViewContents;

    /** Tells the host the view's size through the container, when one is set. */
    void tellHostViewSize();
    void takeDownView();

    juce::ScopedJuceInitialiser_GUI frameworkInitialiser;
    std::unique_ptr<ViewContents> contents;
};
} // namespace AAXClasses
