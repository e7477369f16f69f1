// Registration's own rules and the process-wide host services, driven in
// this process with the host stand-in's objects.

#include "aax/AAXEntryPointBodies.h"
#include "aax/AAX_CHostServices.h"
#include "aax/AAX_ICollection.h"
#include "host/HostEnvironment.h"
#include "host/HostServicesObject.h"
#include "host/HostUnknown.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace KestHost;

namespace
{
AAX_IEffectDescriptor* describedEffect = nullptr;

AAX_Result failingDescription (AAX_ICollection* collection)
{
    describedEffect = collection->NewDescriptor();
    describedEffect->AddName ("half-written");
    return AAX_ERROR_INVALID_STRING_CONVERSION;
}

/** Every test leaves the host services as it found them: absent, shut down
    while the host that made them still exists. */
class HostServicesFacade : public ::testing::Test
{
protected:
    void TearDown() override { AAX_CHostServices::Set (nullptr); }

    HostEnvironment& startUp (HostOptions options = {})
    {
        host = std::make_unique<HostEnvironment> (options);
        AAX_CHostServices::Set (&host->hostUnknown());
        return *host;
    }

    std::unique_ptr<HostEnvironment> host;
};
} // namespace

TEST (Registration, AFailingDescriptionIsPassedOnAndTheOutPointerKept)
{
    HostEnvironment environment;
    auto* previous = reinterpret_cast<IACFPluginDefinition*> (&environment);
    auto* definition = previous;

    EXPECT_EQ (AAXRegisterPluginWith (failingDescription, &environment.hostUnknown(), &definition), AAX_ERROR_INVALID_STRING_CONVERSION);
    EXPECT_EQ (definition, previous);

    // The half-written description is taken down all the same.
    EXPECT_EQ (environment.hostUnknown().referenceCount(), 1u);
    EXPECT_EQ (environment.find ("effect 1")->referenceCount(), 0u);
    EXPECT_EQ (environment.find ("collection 1")->referenceCount(), 0u);
}

TEST_F (HostServicesFacade, ReportsReachNobodyBeforeStartup)
{
    EXPECT_EQ (AAX_CHostServices::Trace (1, "%s", "lost"), AAX_SUCCESS);
    EXPECT_EQ (AAX_CHostServices::HandleAssertFailure ("file.cpp", 3, "lost"), AAX_SUCCESS);
}

TEST_F (HostServicesFacade, ForwardsFormattedTracesAndAssertionsToTheHost)
{
    auto& environment = startUp();
    ASSERT_EQ (environment.hostServices().size(), 1u);
    auto& services = *environment.hostServices().front();

    EXPECT_EQ (AAX_CHostServices::Trace (2, "voice %d of %s", 7, "Kest"), AAX_SUCCESS);
    EXPECT_EQ (AAX_CHostServices::HandleAssertFailure ("Voice.cpp", 42, "no voice"), AAX_SUCCESS);
    EXPECT_EQ (services.messages(), (std::vector<std::string> { "voice 7 of Kest", "assert Voice.cpp:42 no voice" }));
    EXPECT_EQ (environment.callLog().back(), "host services 1 [3] HandleAssertFailure");
}

TEST_F (HostServicesFacade, ALongTraceIsCutAt511Characters)
{
    auto& environment = startUp();
    auto& services = *environment.hostServices().front();

    const std::string longText (700, 'x');
    AAX_CHostServices::Trace (0, "%s|", longText.c_str());
    ASSERT_EQ (services.messages().size(), 1u);
    EXPECT_EQ (services.messages().front(), std::string (511, 'x'));
}

TEST_F (HostServicesFacade, ShutdownReleasesTheServicesAndLaterReportsReachNobody)
{
    auto& environment = startUp();
    auto& services = *environment.hostServices().front();
    EXPECT_EQ (environment.hostUnknown().referenceCount(), 1u) << "the services wrapper keeps no host unknown";

    AAX_CHostServices::Set (nullptr);
    EXPECT_EQ (services.referenceCount(), 0u);
    EXPECT_EQ (AAX_CHostServices::Trace (0, "after"), AAX_SUCCESS);
    EXPECT_TRUE (services.messages().empty());
}

TEST_F (HostServicesFacade, AHostWithoutServicesAnswersNullObject)
{
    HostOptions options;
    options.createHostServices = false;
    auto& environment = startUp (options);

    EXPECT_EQ (AAX_CHostServices::Trace (0, "nobody"), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (AAX_CHostServices::HandleAssertFailure ("f", 1, "n"), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (environment.find ("factory")->referenceCount(), 0u) << "the factory is given back";
}
