// The wrapper's view object built into this test program (not the bundle),
// so that the framework's modal boxes and message queue it takes down are
// the ones this test can open and post to.

#include "editor/EditorComponentNames.h"
#include "host/HostAutomationDelegate.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"
#include "host/HostViewContainer.h"
#include "linking/LinkableParameterKnob.h"
#include "platform/BundleResources.h"
#include "tests/support/PanelMouse.h"
#include "wrapper/JuceAAX_GUI.h"
#include "wrapper/JuceAAX_Processor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace KestHost;

namespace
{
/** A processor and a view of it, as a host makes them on this thread. */
struct ProcessorWithView
{
    ProcessorWithView()
    {
        AAXClasses::JuceAAX_Processor::Create()->QueryInterface (IID_IAAXEffectParametersV2, reinterpret_cast<void**> (&effect));
        effect->Initialize (&host.hostUnknown());
        host.hostUnknown().offerEffectParameters (effect);
        AAXClasses::JuceAAX_GUI::Create()->QueryInterface (IID_IAAXEffectGUIV1, reinterpret_cast<void**> (&view));
        view->Initialize (&host.hostUnknown());
        container = &host.make<HostViewContainer>();
    }

    ~ProcessorWithView()
    {
        if (view != nullptr)
            view->Release();
        effect->Uninitialize();
        effect->Release();
    }

    HostEnvironment host;
    AAX_IACFEffectParameters_V2* effect = nullptr;
    AAX_IACFEffectGUI* view = nullptr;
    HostViewContainer* container = nullptr;
};
} // namespace

TEST (ProcessorView, OnlyThisBundlesProcessorsAreRecognisedBehindAnInterface)
{
    ProcessorWithView both;
    EXPECT_EQ (AAXClasses::JuceAAX_Processor::fromEffectParameters (both.effect), static_cast<AAXClasses::JuceAAX_Processor*> (both.effect));
    EXPECT_EQ (AAXClasses::JuceAAX_Processor::fromEffectParameters (nullptr), nullptr);

    const auto* gone = both.effect;
    {
        ProcessorWithView other;
        gone = other.effect;
        EXPECT_NE (AAXClasses::JuceAAX_Processor::fromEffectParameters (gone), nullptr);
    }
    EXPECT_EQ (AAXClasses::JuceAAX_Processor::fromEffectParameters (gone), nullptr);
}

TEST (ProcessorView, ProcessorsAreRecognisedOnAnyThreadWhileTheHostMakesAndDropsOthers)
{
    ProcessorWithView kept;
    std::atomic<bool> making { true };
    std::atomic<int> wrongAnswers { 0 };
    std::thread other ([&]
    {
        const AAX_IACFEffectParameters* notOne = reinterpret_cast<const AAX_IACFEffectParameters*> (&making);
        while (making.load())
        {
            if (AAXClasses::JuceAAX_Processor::fromEffectParameters (kept.effect) != static_cast<AAXClasses::JuceAAX_Processor*> (kept.effect))
                ++wrongAnswers;
            if (AAXClasses::JuceAAX_Processor::fromEffectParameters (notOne) != nullptr)
                ++wrongAnswers;
        }
    });

    // The host's main thread makes instances and drops them meanwhile.
    for (int round = 0; round < 12; ++round)
    {
        AAX_IACFEffectParameters_V2* effect = nullptr;
        AAXClasses::JuceAAX_Processor::Create()->QueryInterface (IID_IAAXEffectParametersV2, reinterpret_cast<void**> (&effect));
        ASSERT_NE (effect, nullptr);
        EXPECT_NE (AAXClasses::JuceAAX_Processor::fromEffectParameters (effect), nullptr);
        effect->Release();
    }
    making = false;
    other.join();
    EXPECT_EQ (wrongAnswers.load(), 0);
}

TEST (ProcessorView, ClosingTheViewDismissesModalBoxesAndRunsTheirClosingFirst)
{
    ProcessorWithView instance;
    instance.view->SetViewContainer (instance.container);

    // A box the editor left open, deleted by the framework once dismissed.
    auto* box = new juce::Component ("Overwrite?");
    box->setSize (300, 120);
    juce::Component::SafePointer<juce::Component> watched (box);
    bool answered = false;
    box->enterModalState (false, juce::ModalCallbackFunction::create ([&answered] (int) { answered = true; }), true);
    ASSERT_TRUE (box->isCurrentlyModal());

    EXPECT_EQ (instance.view->SetViewContainer (nullptr), AAX_SUCCESS);
    EXPECT_TRUE (answered) << "the box's answer did not run before the view went";
    EXPECT_EQ (watched.getComponent(), nullptr) << "the box outlived the view";
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
}

TEST (ProcessorView, TheLastReleaseOfAnOpenViewTakesItDownAndLetsTheContainerGo)
{
    ProcessorWithView instance;
    instance.view->SetViewContainer (instance.container);
    EXPECT_EQ (instance.container->referenceCount(), 1u);

    instance.view->Uninitialize();
    instance.view->Release();
    instance.view = nullptr;
    EXPECT_EQ (instance.container->referenceCount(), 0u);
}

TEST (ProcessorView, AViewOfAnotherPluginsObjectShowsNothingAndReportsNoSize)
{
    HostEnvironment host;
    AAX_IACFEffectGUI* view = nullptr;
    AAXClasses::JuceAAX_GUI::Create()->QueryInterface (IID_IAAXEffectGUIV1, reinterpret_cast<void**> (&view));
    ASSERT_EQ (view->Initialize (&host.hostUnknown()), AAX_SUCCESS); // the host answers no effect parameters
    auto& container = host.make<HostViewContainer>();
    view->SetViewContainer (&container);

    AAX_Point size { -1.0f, -1.0f };
    EXPECT_EQ (view->GetViewSize (&size), AAX_SUCCESS);
    EXPECT_EQ (size.horz, 0.0f);
    EXPECT_EQ (size.vert, 0.0f);
    EXPECT_EQ (view->GetViewSize (nullptr), AAX_ERROR_NULL_OBJECT);

    view->SetViewContainer (nullptr);
    view->Uninitialize();
    view->Release();
}

TEST (ProcessorView, EveryLinkedMembersValueLabelFollowsADragThroughTheHost)
{
    Korvalden::Platform::setResourceFolderForTesting (juce::File (KEST_BUNDLE_PATH).getChildFile ("Contents/Resources"));
    {
        ProcessorWithView instance;
        instance.view->SetViewContainer (instance.container);
        auto* panel = dynamic_cast<MainControlPanel*> (static_cast<AAXClasses::JuceAAX_GUI*> (instance.view)->getEditorComponent());
        ASSERT_NE (panel, nullptr);
        auto& engine = static_cast<AAXClasses::JuceAAX_Processor*> (instance.effect)->getEngine();
        auto* automation = dynamic_cast<HostAutomationDelegate*> (instance.host.find ("automation"));
        ASSERT_NE (automation, nullptr);

        // The host's idle turn: the view's messages, then the host writes back
        // every value the plug-in reported; then the editor's 25 ms poll.
        const auto idle = [&]
        {
            instance.view->TimerWakeup();
            for (auto& request : automation->takeSetValueRequests())
                instance.effect->UpdateParameterNormalizedValue (request.id.c_str(), request.value, 0);
            panel->getParameterLinker().timerCallback();
        };

        // Macro 3 at 10 % turns 4_Glide with it, and 1_Freq after that.
        engine.getLinkManager().link (82, 60);
        engine.getLinkManager().link (60, 7);
        for (auto [id, value] : { std::pair { "82", 0.1 }, std::pair { "60", 0.3 }, std::pair { "7", 0.5 } })
            instance.effect->UpdateParameterNormalizedValue (id, value, 0);
        idle();

        const std::pair<int, const char*> members[] { { 82, "Macro3" }, { 60, "4_Glide" }, { 7, "1_Freq" } };
        const auto labelsShowTheEngine = [&]
        {
            for (auto [index, name] : members)
            {
                auto* label = MainControlPanel::findChildAs<juce::Label> (panel, EditorNames::valueLabel (name));
                ASSERT_NE (label, nullptr);
                EXPECT_EQ (label->getText(), engine.getParameterText (index)) << name;
            }
        };

        auto* macro = MainControlPanel::findChildAs<LinkableParameterKnob> (panel, "Macro3");
        ASSERT_NE (macro, nullptr);
        const auto cap = macro->getPosition() + macro->getKnobArea().getCentre();
        PanelMouse mouse (*panel);
        mouse.press (cap);
        idle();
        for (int step = 1; step <= 3; ++step)
        {
            mouse.dragTo (cap - juce::Point<int> (0, 10 * step)); // 10 % of the macro's range in 30 pixels
            idle();
            labelsShowTheEngine();
        }
        mouse.release();
        for (int turn = 0; turn < 3; ++turn)
        {
            idle();
            labelsShowTheEngine();
        }
        EXPECT_NEAR (engine.getParameter (82), 0.2f, 1.0e-4f);
        EXPECT_NE (engine.getParameter (60), 0.3f) << "the group did not move";
    }
    Korvalden::Platform::setResourceFolderForTesting ({});
}
