#include "aax/AAX_CEffectGUI.h"

#include "aax/AAXHostCallGuard.h"
#include "aax/AAX_CString.h"
#include "aax/AAX_VController.h"
#include "aax/AAX_VTransport.h"
#include "aax/AAX_VViewContainer.h"

AAX_CEffectGUI::AAX_CEffectGUI() = default;

AAX_CEffectGUI::~AAX_CEffectGUI()
{
    AAX_CEffectGUI::Uninitialize();
    viewContainer.reset();
}

AAX_Result AAX_CEffectGUI::Initialize (IACFUnknown* hostUnknown)
{
    return AAXGuardHostCall ([&]
    {
        if (controller != nullptr)
            return ACF_E_UNEXPECTED;

        controller = std::make_unique<AAX_VController> (hostUnknown);
        if (hostUnknown == nullptr)
            return AAX_ERROR_NOT_INITIALIZED;

        hostUnknown->QueryInterface (IID_IAAXEffectParametersV1, effectParameters.outArgument());
        transport = std::make_unique<AAX_VTransport> (hostUnknown);
        CreateViewContents();
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectGUI::Uninitialize()
{
    return AAXGuardHostCall ([&]
    {
        effectParameters.reset();
        controller.reset();
        transport.reset();
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectGUI::NotificationReceived (AAX_CTypeID, const void*, uint32_t) { return AAX_SUCCESS; }

AAX_Result AAX_CEffectGUI::SetViewContainer (IACFUnknown* container)
{
    return AAXGuardHostCall ([&]
    {
        if (container != nullptr)
        {
            viewContainer = std::make_unique<AAX_VViewContainer> (container);
            CreateViewContainer();
            UpdateAllParameters();
        }
        else
        {
            viewContainer.reset();
            DeleteViewContainer();
        }
        return AAX_SUCCESS;
    });
}

AAX_Result AAX_CEffectGUI::GetViewSize (AAX_Point*) const { return AAX_SUCCESS; }
AAX_Result AAX_CEffectGUI::Draw (AAX_Rect*) { return AAX_SUCCESS; }
AAX_Result AAX_CEffectGUI::TimerWakeup() { return AAX_SUCCESS; }
AAX_Result AAX_CEffectGUI::ParameterUpdated (AAX_CParamID) { return AAX_SUCCESS; }
AAX_Result AAX_CEffectGUI::GetCustomLabel (int32_t, AAX_IString*) const { return AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_CEffectGUI::SetControlHighlightInfo (AAX_CParamID, AAX_CBoolean, int32_t) { return AAX_SUCCESS; }

int32_t AAX_CEffectGUI::GetViewContainerType()
{
    return viewContainer != nullptr ? viewContainer->GetType() : AAX_eViewContainer_Type_NULL;
}

void* AAX_CEffectGUI::GetViewContainerPtr()
{
    return viewContainer != nullptr ? viewContainer->GetPtr() : nullptr;
}

void AAX_CEffectGUI::UpdateAllParameters()
{
    if (! effectParameters)
        return;

    int32_t count = 0;
    if (effectParameters->GetNumberOfParameters (&count) != AAX_SUCCESS || count < 0)
        return;

    for (int32_t index = 0; index < count; ++index)
    {
        AAX_CString id;
        if (effectParameters->GetParameterIDFromIndex (index, &id) == AAX_SUCCESS)
            ParameterUpdated (id.Get());
    }
}
