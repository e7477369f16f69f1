// The controller, transport, automation and view-container wrappers against
// the host stand-in: slot mapping, missing interfaces and references.

#include "aax/AAX_CString.h"
#include "aax/AAX_VAutomationDelegate.h"
#include "aax/AAX_VController.h"
#include "aax/AAX_VTransport.h"
#include "aax/AAX_VViewContainer.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"
#include "host/VtableSlot.h"

#include <gtest/gtest.h>

#include <functional>

using namespace KestHost;

namespace
{
std::vector<std::string> releases (const HostEnvironment& environment)
{
    std::vector<std::string> lines;
    for (auto& line : environment.callLog())
        if (line.rfind ("release", 0) == 0 || line.rfind ("over-release", 0) == 0)
            lines.push_back (line);
    return lines;
}
} // namespace

TEST (ControllerWrapper, MeterOperationsReachTheirHostSlots)
{
    HostEnvironment environment;
    AAX_VController controller (&environment.hostUnknown());
    float value = 0;
    uint32_t count = 0;
    AAX_CBoolean clipped = 0;

    struct Row
    {
        int wrapperSlot;
        int hostSlot;
        std::function<AAX_Result()> call;
    };
    const std::vector<Row> rows {
        { 13, 13, [&] { return controller.GetCurrentMeterValue (0, &value); } },
        { 14, 14, [&] { return controller.GetMeterPeakValue (0, &value); } },
        { 15, 15, [&] { return controller.ClearMeterPeakValue (0); } },
        { 16, 18, [&] { return controller.GetMeterCount (&count); } },
        { 17, 16, [&] { return controller.GetMeterClipped (0, &clipped); } },
        { 18, 17, [&] { return controller.ClearMeterClipped (0); } },
    };
    const int wrapperSlots[] = {
        vtableSlot (&AAX_IController::GetCurrentMeterValue), vtableSlot (&AAX_IController::GetMeterPeakValue),
        vtableSlot (&AAX_IController::ClearMeterPeakValue), vtableSlot (&AAX_IController::GetMeterCount),
        vtableSlot (&AAX_IController::GetMeterClipped), vtableSlot (&AAX_IController::ClearMeterClipped),
    };

    for (size_t i = 0; i < rows.size(); ++i)
    {
        EXPECT_EQ (wrapperSlots[i], rows[i].wrapperSlot);
        environment.clearLog();
        EXPECT_EQ (rows[i].call(), AAX_SUCCESS);
        ASSERT_EQ (environment.callLog().size(), 1u);
        EXPECT_EQ (environment.callLog().front().rfind ("controller [" + std::to_string (rows[i].hostSlot) + "] ", 0), 0u)
            << "wrapper slot " << rows[i].wrapperSlot << " called " << environment.callLog().front();
    }
}

TEST (ControllerWrapper, WithOnlyTheFirstVersionLaterOperationsAreUnimplemented)
{
    HostOptions options;
    options.offerControllerV2 = false;
    HostEnvironment environment (options);
    AAX_VController controller (&environment.hostUnknown());
    environment.clearLog();

    const int32_t bypass = 1;
    EXPECT_EQ (controller.PostPacket (3, &bypass, sizeof (bypass)), AAX_SUCCESS);
    EXPECT_EQ (environment.callLog(), (std::vector<std::string> { "controller [12] PostPacket field 3 size 4" }));

    int32_t latency = -1;
    AAX_CString name;
    int64_t timestamp = 99;
    EXPECT_EQ (controller.SendNotification (1, nullptr, 0), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (controller.GetHybridSignalLatency (&latency), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (controller.GetHostName (&name), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (controller.GetCurrentAutomationTimestamp (&timestamp), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (timestamp, 0);
    EXPECT_EQ (environment.callLog().size(), 1u) << "no later-version call reached the host";
}

TEST (ControllerWrapper, ReadsWhatTheHostAnswersAndReleasesSecondVersionFirst)
{
    HostEnvironment environment;
    {
        AAX_VController controller (&environment.hostUnknown());
        float rate = 0;
        AAX_CString name;
        int64_t timestamp = 0;
        EXPECT_EQ (controller.GetSampleRate (&rate), AAX_SUCCESS);
        EXPECT_EQ (rate, 48000.0f);
        EXPECT_EQ (controller.GetHostName (&name), AAX_SUCCESS);
        EXPECT_EQ (name, "Kest Host");
        EXPECT_EQ (controller.GetCurrentAutomationTimestamp (&timestamp), AAX_SUCCESS);
        EXPECT_EQ (timestamp, 4800);
        environment.clearLog();
    }
    EXPECT_EQ (releases (environment), (std::vector<std::string> { "release controller v2", "release controller" }));
}

TEST (HostInterfaceWrappers, FromANullUnknownEveryOperationFailsWithoutACall)
{
    AAX_VController controller (nullptr);
    AAX_VTransport transport (nullptr);
    AAX_VAutomationDelegate automation (nullptr);

    float rate = 0;
    int32_t samples = 0;
    double tempo = 0;
    int64_t position = 0;
    AAX_CBoolean touched = 1;
    EXPECT_EQ (controller.GetSampleRate (&rate), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (controller.SetSignalLatency (64), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (controller.PostPacket (3, &samples, 4), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (controller.GetHybridSignalLatency (&samples), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (transport.GetCurrentTempo (&tempo), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (transport.GetCurrentNativeSampleLocation (&position), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (transport.GetTimelineSelectionStartPosition (&position), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (automation.PostTouchRequest ("0"), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (automation.GetTouchState ("0", &touched), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (touched, 1);
}

TEST (HostInterfaceWrappers, TransportWithoutSecondVersionAnswersNullObjectForItsOperations)
{
    HostOptions options;
    options.offerTransportV2 = false;
    HostEnvironment environment (options);
    AAX_VTransport transport (&environment.hostUnknown());
    environment.clearLog();

    int64_t position = 0;
    int32_t rate = 0, offset = 0;
    EXPECT_EQ (transport.GetTimelineSelectionStartPosition (&position), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (transport.GetTimeCodeInfo (&rate, &offset), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (transport.GetFeetFramesInfo (&rate, &position), AAX_ERROR_NULL_OBJECT);
    EXPECT_TRUE (environment.callLog().empty());

    double tempo = 0;
    int32_t numerator = 0, denominator = 0;
    EXPECT_EQ (transport.GetCurrentTempo (&tempo), AAX_SUCCESS);
    EXPECT_EQ (transport.GetCurrentMeter (&numerator, &denominator), AAX_SUCCESS);
    EXPECT_EQ (tempo, 120.0);
    EXPECT_EQ (numerator, 4);
    EXPECT_EQ (environment.callLog(), (std::vector<std::string> { "transport [3] GetCurrentTempo", "transport [4] GetCurrentMeter" }));
}

TEST (HostInterfaceWrappers, AutomationDelegateForwardsInOrderAndGivesItsReferenceBack)
{
    HostEnvironment environment;
    {
        AAX_VAutomationDelegate automation (&environment.hostUnknown());
        environment.clearLog();
        AAX_CBoolean touched = 0;
        automation.PostTouchRequest ("88");
        automation.PostSetValueRequest ("88", 0.2);
        EXPECT_EQ (automation.GetTouchState ("88", &touched), AAX_SUCCESS);
        EXPECT_EQ (touched, 1);
        automation.PostReleaseRequest ("88");
        EXPECT_EQ (environment.callLog(), (std::vector<std::string> {
                                              "automation [7] PostTouchRequest \"88\"",
                                              "automation [5] PostSetValueRequest \"88\" 0.200000",
                                              "automation [9] GetTouchState \"88\"",
                                              "automation [8] PostReleaseRequest \"88\"",
                                          }));
        environment.clearLog();
    }
    EXPECT_EQ (releases (environment), (std::vector<std::string> { "release automation" }));
}

TEST (ViewContainerWrapper, ARefusedContainerGivesNeutralAnswers)
{
    HostOptions options;
    options.offerViewContainer = false;
    HostEnvironment environment (options);
    AAX_VViewContainer container (&environment.hostUnknown());

    uint32_t modifiers = 0;
    AAX_Point size { 300.0f, 400.0f };
    EXPECT_EQ (container.GetType(), 0);
    EXPECT_EQ (container.GetPtr(), nullptr);
    EXPECT_EQ (container.SetViewSize (size), AAX_SUCCESS);
    EXPECT_EQ (container.GetModifiers (&modifiers), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (container.HandleParameterMouseDown ("1", 0), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (container.HandleParameterMouseDrag ("1", 0), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (container.HandleParameterMouseUp ("1", 0), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_TRUE (environment.callLog().empty());
}

TEST (ViewContainerWrapper, ForwardsTheSizeAndReleasesTheContainerItHolds)
{
    HostEnvironment environment;
    {
        AAX_VViewContainer container (&environment.hostUnknown());
        AAX_Point size { 300.0f, 400.0f };
        EXPECT_EQ (container.SetViewSize (size), AAX_SUCCESS);
        EXPECT_EQ (environment.find ("view container")->referenceCount(), 1u);
        environment.clearLog();
    }
    EXPECT_EQ (environment.find ("view container")->referenceCount(), 0u);
    EXPECT_EQ (releases (environment), (std::vector<std::string> { "release view container" }));
}
