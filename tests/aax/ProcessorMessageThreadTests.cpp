// The processor built into this test program (not the bundle), so that the
// engine behind it can be driven the way its editor drives it, and so that
// the framework's message queue it pumps is the one this test can post to.

#include "aax/AAX_CString.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"
#include "wrapper/JuceAAX_Processor.h"

#include <gtest/gtest.h>

#include <thread>

using namespace KestHost;

namespace
{
/** A processor created through its creation procedure and initialised with
    a stand-in host on this (the message) thread. */
struct InitialisedProcessor
{
    InitialisedProcessor()
    {
        auto* unknown = AAXClasses::JuceAAX_Processor::Create();
        unknown->QueryInterface (IID_IAAXEffectParametersV2, reinterpret_cast<void**> (&effect));
        processor = static_cast<AAXClasses::JuceAAX_Processor*> (effect);
        effect->Initialize (&host.hostUnknown());
        host.clearLog();
    }

    ~InitialisedProcessor()
    {
        effect->Uninitialize();
        effect->Release();
    }

    std::vector<std::string> automationCalls() const
    {
        std::vector<std::string> found;
        for (auto& line : host.callLog())
            if (line.rfind ("automation [", 0) == 0)
                found.push_back (line.substr (line.find (']') + 2));
        return found;
    }

    std::string valueText (const char* id)
    {
        AAX_CString text;
        effect->GetParameterValueString (id, &text, 8);
        return text.Get();
    }

    HostEnvironment host;
    AAX_IACFEffectParameters_V2* effect = nullptr;
    AAXClasses::JuceAAX_Processor* processor = nullptr;
};
} // namespace

TEST (ProcessorMessageThread, TheEngineIsOwnedByTheThreadThatCreatedTheInstance)
{
    InitialisedProcessor instance;
    EXPECT_EQ (instance.processor->getEngine().getOwnerThread(), juce::Thread::getCurrentThreadId());
    EXPECT_TRUE (juce::MessageManager::getInstance()->isThisTheMessageThread());
}

TEST (ProcessorMessageThread, IdleCallsDeliverPendingMessagesOnlyOnTheMessageThread)
{
    InitialisedProcessor instance;
    int delivered = 0;
    juce::MessageManager::callAsync ([&delivered] { ++delivered; });
    juce::MessageManager::callAsync ([&delivered] { ++delivered; });

    std::thread other ([&] { EXPECT_EQ (instance.effect->TimerWakeup(), AAX_SUCCESS); });
    other.join();
    EXPECT_EQ (delivered, 0) << "another thread must not run the plug-in's messages";

    EXPECT_EQ (instance.effect->TimerWakeup(), AAX_SUCCESS);
    EXPECT_EQ (delivered, 2);
}

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

TEST (ProcessorMessageThread, EditorGestureReachesTheHostAsTouchSetRelease)
{
    InitialisedProcessor instance;
    auto& engine = instance.processor->getEngine();

    engine.beginParameterChangeGesture (88);
    engine.setParameterNotifyingHost (88, 0.6f);
    engine.endParameterChangeGesture (88);

    const std::vector<std::string> expected {
        "PostTouchRequest \"88\"",
        "PostTouchRequest \"88\"",
        "PostSetValueRequest \"88\" 0.600000",
        "PostReleaseRequest \"88\"",
        "PostReleaseRequest \"88\"",
    };
    EXPECT_EQ (instance.automationCalls(), expected);
    EXPECT_EQ (instance.valueText ("88"), "0.000") << "the parameter object waits for the host's update";

    EXPECT_EQ (instance.effect->UpdateParameterNormalizedValue ("88", 0.6, 0), AAX_SUCCESS);
    EXPECT_EQ (instance.valueText ("88"), "0.600");
    EXPECT_EQ (engine.getParameter (88), 0.6f);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE

// A host that delays the other tracks by the instance's latency must hear of
// every change of it, not only of the one at preparation.
TEST (ProcessorMessageThread, AProcessorChangeTellsTheHostTheLatencyAndCountsAChange)
{
    InitialisedProcessor instance;
    int32_t changesBefore = -1;
    instance.effect->GetNumberOfChanges (&changesBefore);

    instance.processor->getEngine().setLatencySamples (64);

    std::vector<std::string> latencyCalls;
    for (auto& line : instance.host.callLog())
        if (line.find ("SetSignalLatency") != std::string::npos)
            latencyCalls.push_back (line.substr (line.find (']') + 2));
    EXPECT_EQ (latencyCalls, std::vector<std::string> { "SetSignalLatency 64" });

    int32_t changesAfter = -1;
    instance.effect->GetNumberOfChanges (&changesAfter);
    EXPECT_EQ (changesAfter, changesBefore + 1);
}
