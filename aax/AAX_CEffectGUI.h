#pragma once

#include "aax/ACFPtr.h"
#include "aax/AAX_IEffectGUI.h"

#include <memory>

class AAX_VController;
class AAX_VTransport;
class AAX_VViewContainer;

/** The plug-in's view object as the host sees it.  The host makes one per
    opened view through the description's create-GUI procedure, initialises
    it with its unknown, hands it a view container while the view is open and
    takes the container away again (SetViewContainer with null) when it
    closes, possibly several times, before Uninitialize and the last Release.

    The base wires up the host's controller and transport, holds a reference
    to the instance's effect-parameters interface (as the host answers it) and
    owns the view-container wrapper; a subclass builds the view
    (CreateViewContents), attaches it to the container (CreateViewContainer)
    and takes it down (DeleteViewContainer).

    Threads: every operation on the host's main thread, which is the
    framework's message thread in this bundle.  No lock is taken.
*/
class AAX_CEffectGUI : public AAX_IEffectGUI
{
public:
    AAX_CEffectGUI();
    /** Runs Uninitialize (a second run finds nothing to do) and lets the
        view-container wrapper go.  A subclass takes its view down first. */
    ~AAX_CEffectGUI() override;

    //==========================================================================
    /** Makes the controller wrapper; without a host unknown answers
        AAX_ERROR_NOT_INITIALIZED and sets up nothing else.  Then takes the
        instance's effect-parameters interface (a refused query leaves none),
        makes the transport wrapper and calls CreateViewContents.  A second
        Initialize answers ACF_E_UNEXPECTED. */
    AAX_Result Initialize (IACFUnknown* hostUnknown) override;
    /** Gives back the effect-parameters reference and deletes the controller
        and transport wrappers; the view container stays. */
    AAX_Result Uninitialize() override;
    AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) override;
    /** With a container: wraps it (replacing the wrapper held before), calls
        CreateViewContainer, then UpdateAllParameters.  With null: deletes
        the wrapper and calls DeleteViewContainer. */
    AAX_Result SetViewContainer (IACFUnknown* viewContainer) override;
    AAX_Result GetViewSize (AAX_Point* outSize) const override;
    AAX_Result Draw (AAX_Rect* area) override;
    AAX_Result TimerWakeup() override;
    AAX_Result ParameterUpdated (AAX_CParamID id) override;
    /** Always AAX_ERROR_NULL_OBJECT: the base has no custom labels. */
    AAX_Result GetCustomLabel (int32_t selector, AAX_IString* outLabel) const override;
    AAX_Result SetControlHighlightInfo (AAX_CParamID id, AAX_CBoolean highlighted, int32_t colour) override;

    //==========================================================================
    /** The host's wrappers and the instance's interface: null before
        Initialize and after Uninitialize. */
    AAX_VController* Controller() noexcept { return controller.get(); }
    const AAX_VController* Controller() const noexcept { return controller.get(); }
    AAX_VTransport* Transport() noexcept { return transport.get(); }
    const AAX_VTransport* Transport() const noexcept { return transport.get(); }
    AAX_IACFEffectParameters* GetEffectParameters() noexcept { return effectParameters.get(); }
    const AAX_IACFEffectParameters* GetEffectParameters() const noexcept { return effectParameters.get(); }

    /** The view-container wrapper, null while the view is closed. */
    AAX_VViewContainer* GetViewContainer() noexcept { return viewContainer.get(); }
    const AAX_VViewContainer* GetViewContainer() const noexcept { return viewContainer.get(); }

    /** AAX_eViewContainer_Type_NULL without a container, else its type. */
    int32_t GetViewContainerType();
    /** Null without a container, else its native view. */
    void* GetViewContainerPtr();

protected:
    /** Builds the view's contents (Initialize, once). */
    virtual void CreateViewContents() = 0;
    /** Attaches the view to the container just set. */
    virtual void CreateViewContainer() = 0;
    /** Detaches the view; the container is already gone. */
    virtual void DeleteViewContainer() = 0;

    /** Calls ParameterUpdated with each parameter identifier the instance
        reports, in index order; an identifier it refuses is skipped. */
    virtual void UpdateAllParameters();

private:
    std::unique_ptr<AAX_VController> controller;
    ACFPtr<AAX_IACFEffectParameters> effectParameters;
    std::unique_ptr<AAX_VViewContainer> viewContainer;
    std::unique_ptr<AAX_VTransport> transport;
};
