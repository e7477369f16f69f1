// The effect-GUI base as a host drives it: initialisation, the view
// container's wrapper and its reference, the parameter update that follows
// a new container, and teardown.
#include "aax/AAX_CEffectGUI.h"
#include "aax/AAX_CEffectParameters.h"
#include "aax/AAX_CLinearTaperDelegate.h"
#include "aax/AAX_CNumberDisplayDelegate.h"
#include "aax/AAX_CParameter.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"
#include "host/HostViewContainer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KestHost;

namespace
{
/** Parameters "a", "b", "c" (or none). */
class ThreeParameters final : public AAX_CEffectParameters
{
public:
    bool withParameters = true;

    AAX_Result EffectInit() override
    {
        if (withParameters)
            for (const char* id : { "a", "b", "c" })
                mParameterManager.AddParameter (new AAX_CParameter<float> (id, AAX_CString (id), 0.5f, AAX_CLinearTaperDelegate<float, 0> (0.0f, 1.0f),
                                                                           AAX_CNumberDisplayDelegate<float, 3u, 0u>(), true));
        return AAX_SUCCESS;
    }
};

/** Records the calls the base makes to what only a subclass provides. */
class RecordingGUI final : public AAX_CEffectGUI
{
public:
    std::vector<std::string>* calls;
    explicit RecordingGUI (std::vector<std::string>& log) : calls (&log) {}

    AAX_Result ParameterUpdated (AAX_CParamID id) override
    {
        calls->push_back (std::string ("updated ") + id);
        return AAX_SUCCESS;
    }

protected:
    void CreateViewContents() override { calls->push_back ("contents"); }
    void CreateViewContainer() override { calls->push_back ("container " + std::to_string (GetViewContainerType())); }
    void DeleteViewContainer() override { calls->push_back ("delete"); }
};

/** An instance with its parameters, and a view object as the host holds them. */
struct ViewOfInstance
{
    HostEnvironment environment;
    std::vector<std::string> calls;
    ThreeParameters* effect = new ThreeParameters;
    AAX_IACFEffectParameters* parameters = nullptr;
    AAX_IACFEffectGUI* gui = nullptr;
    HostViewContainer* container = nullptr;

    explicit ViewOfInstance (bool withParameters = true)
    {
        effect->withParameters = withParameters;
        effect->QueryInterface (IID_IAAXEffectParametersV1, reinterpret_cast<void**> (&parameters));
        EXPECT_EQ (parameters->Initialize (&environment.hostUnknown()), AAX_SUCCESS);
        environment.hostUnknown().offerEffectParameters (parameters);
        static_cast<IACFUnknown*> (static_cast<AAX_IACFEffectGUI*> (new RecordingGUI (calls)))
            ->QueryInterface (IID_IAAXEffectGUIV1, reinterpret_cast<void**> (&gui));
        container = &environment.make<HostViewContainer>();
        container->showIn (AAX_eViewContainer_Type_X11Window, reinterpret_cast<void*> (0x1234), {});
    }

    ~ViewOfInstance()
    {
        gui->Uninitialize();
        gui->Release();
        parameters->Uninitialize();
        parameters->Release();
    }

    RecordingGUI& object() { return *static_cast<RecordingGUI*> (gui); }
};
} // namespace

TEST (EffectGUI, InitialiseWithoutAHostIsRefusedAndBuildsNothing)
{
    ViewOfInstance view;
    EXPECT_EQ (view.gui->Initialize (nullptr), AAX_ERROR_NOT_INITIALIZED);
    EXPECT_TRUE (view.calls.empty());
    EXPECT_NE (view.object().Controller(), nullptr);
    EXPECT_EQ (view.object().Transport(), nullptr);
    EXPECT_EQ (view.object().GetEffectParameters(), nullptr);
}

TEST (EffectGUI, InitialiseFindsTheInstanceBuildsTheContentsOnceAndRefusesASecondRun)
{
    ViewOfInstance view;
    ASSERT_EQ (view.gui->Initialize (&view.environment.hostUnknown()), AAX_SUCCESS);
    EXPECT_EQ (view.calls, std::vector<std::string> { "contents" });
    EXPECT_EQ (view.object().GetEffectParameters(), view.parameters);
    EXPECT_NE (view.object().Transport(), nullptr);
    EXPECT_EQ (view.gui->Initialize (&view.environment.hostUnknown()), ACF_E_UNEXPECTED);
    EXPECT_EQ (view.calls.size(), 1u);
}

TEST (EffectGUI, AContainerIsAttachedThenEveryParameterIsUpdatedInIndexOrder)
{
    ViewOfInstance view;
    ASSERT_EQ (view.gui->Initialize (&view.environment.hostUnknown()), AAX_SUCCESS);
    view.calls.clear();

    ASSERT_EQ (view.gui->SetViewContainer (view.container), AAX_SUCCESS);
    EXPECT_EQ (view.calls, (std::vector<std::string> { "container 4", "updated a", "updated b", "updated c" }));
    EXPECT_EQ (view.object().GetViewContainerPtr(), reinterpret_cast<void*> (0x1234));
}

TEST (EffectGUI, WithoutParametersOrWithoutTheInstanceNothingIsUpdated)
{
    ViewOfInstance none (false);
    ASSERT_EQ (none.gui->Initialize (&none.environment.hostUnknown()), AAX_SUCCESS);
    none.gui->SetViewContainer (none.container);
    EXPECT_EQ (none.calls, (std::vector<std::string> { "contents", "container 4" }));

    ViewOfInstance refused;
    refused.environment.hostUnknown().offerEffectParameters (nullptr);
    ASSERT_EQ (refused.gui->Initialize (&refused.environment.hostUnknown()), AAX_SUCCESS);
    refused.gui->SetViewContainer (refused.container);
    EXPECT_EQ (refused.calls, (std::vector<std::string> { "contents", "container 4" }));
}

TEST (EffectGUI, ClosingOnlyDetachesAndTheContainerIsReleasedEachTime)
{
    ViewOfInstance view;
    ASSERT_EQ (view.gui->Initialize (&view.environment.hostUnknown()), AAX_SUCCESS);
    EXPECT_EQ (view.object().GetViewContainerType(), AAX_eViewContainer_Type_NULL);
    EXPECT_EQ (view.object().GetViewContainerPtr(), nullptr);

    for (int opening = 0; opening < 3; ++opening)
    {
        view.gui->SetViewContainer (view.container);
        view.gui->SetViewContainer (view.container); // replaced while open
        EXPECT_EQ (view.container->referenceCount(), 1u) << "opening " << opening;
        view.calls.clear();
        view.gui->SetViewContainer (nullptr);
        EXPECT_EQ (view.calls, std::vector<std::string> { "delete" });
        EXPECT_EQ (view.container->referenceCount(), 0u);
        EXPECT_EQ (view.object().GetViewContainerType(), AAX_eViewContainer_Type_NULL);
        EXPECT_EQ (view.object().GetViewContainerPtr(), nullptr);
    }
}

TEST (EffectGUI, UninitialiseGivesBackTheInstanceAndTheLastReleaseTheContainer)
{
    std::vector<std::string> calls;
    ViewOfInstance view;
    ASSERT_EQ (view.gui->Initialize (&view.environment.hostUnknown()), AAX_SUCCESS);
    view.gui->SetViewContainer (view.container);

    const auto liveBefore = CACFUnknown::GetActiveObjectCount();
    view.gui->Uninitialize();
    EXPECT_EQ (view.object().GetEffectParameters(), nullptr);
    EXPECT_EQ (view.object().Controller(), nullptr);
    EXPECT_EQ (view.object().GetViewContainerType(), AAX_eViewContainer_Type_X11Window) << "the container stays until taken away";

    view.gui->Release();
    view.gui = static_cast<AAX_IACFEffectGUI*> (new RecordingGUI (calls)); // for the fixture's own teardown
    view.gui->AddRef();
    EXPECT_EQ (view.container->referenceCount(), 0u);
    EXPECT_EQ (CACFUnknown::GetActiveObjectCount(), liveBefore);
}

TEST (EffectGUI, FixedAnswersOfTheBase)
{
    ViewOfInstance view;
    AAX_Point size { 1.0f, 1.0f };
    EXPECT_EQ (view.gui->GetViewSize (&size), AAX_SUCCESS);
    EXPECT_EQ (view.gui->GetCustomLabel (0, nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (view.gui->Draw (nullptr), AAX_SUCCESS);
    EXPECT_EQ (view.gui->TimerWakeup(), AAX_SUCCESS);
    EXPECT_EQ (view.gui->NotificationReceived (0, nullptr, 0), AAX_SUCCESS);
    EXPECT_EQ (view.gui->SetControlHighlightInfo ("a", 1, 0), AAX_SUCCESS);
}
