// The built bundle, loaded with dlopen and driven through its seven exported
// entry points, with the host stand-in's objects as the host.

#include "host/HostCollection.h"
#include "host/HostEnvironment.h"
#include "host/HostServicesObject.h"
#include "host/HostUnknown.h"
#include "host/PluginBundle.h"

#include <gtest/gtest.h>

#include <memory>

using namespace KestHost;

namespace
{
class BundleEntryPoints : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { bundle = std::make_unique<PluginBundle> (KEST_BUNDLE_PATH); }
    static void TearDownTestSuite() { bundle.reset(); }

    const EntryPoints& plugIn() const { return bundle->entryPoints(); }

    /** Registers with a fresh host; the definition is released afterwards. */
    AAX_Result registerWith (HostEnvironment& environment, IACFPluginDefinition** definition)
    {
        return plugIn().registerPlugin (&environment.hostUnknown(), definition);
    }

    static std::vector<std::string> linesStartingWith (const HostEnvironment& environment, const std::string& prefix, size_t from = 0)
    {
        std::vector<std::string> lines;
        const auto& log = environment.callLog();
        for (auto i = from; i < log.size(); ++i)
            if (log[i].rfind (prefix, 0) == 0)
                lines.push_back (log[i]);
        return lines;
    }

    static std::vector<std::string> calls (const HostEnvironment& environment)
    {
        std::vector<std::string> lines;
        for (auto& line : environment.callLog())
            if (line.find (" [") != std::string::npos)
                lines.push_back (line);
        return lines;
    }

    static std::unique_ptr<PluginBundle> bundle;
};

std::unique_ptr<PluginBundle> BundleEntryPoints::bundle;

const std::vector<std::string> expectedDescription {
    "effect 1 [4] AddName \"Korvalden Kest\"",
    "effect 1 [4] AddName \"Kest\"",
    "effect 1 [5] AddCategory 2048",
    "effect 1 [7] AddProcPtr 1 set",
    "effect 1 [7] AddProcPtr 0 set",
    "component 1 [5] field 0: audio in",
    "component 1 [6] field 1: audio out",
    "component 1 [7] field 2: audio buffer length",
    "component 1 [11] field 3: data in port, packet size 4, port type 1",
    "component 1 [15] field 4: MIDI node \"Kest\", node type 0, channel mask 0x0000FFFF",
    "component 1 [13] field 5: private data, size 8, options 0",
    "map 1 [4] AddProperty 11 = 1265594998",
    "map 1 [4] AddProperty 12 = 1264939892",
    "map 1 [4] AddProperty 60 = 1",
    "map 1 [4] AddProperty 51 = 1",
    "map 1 [4] AddProperty 52 = 1",
    "map 1 [4] AddProperty 13 = 1784897889",
    "map 1 [4] AddProperty 14 = 1786339681",
    "map 1 [4] AddProperty 304 = 1",
    "component 1 [16] AddProcessProc_Native process set, properties map 1, init none, background none, id out none",
    "effect 1 [3] AddComponent component 1",
    "component 2 [5] field 0: audio in",
    "component 2 [6] field 1: audio out",
    "component 2 [7] field 2: audio buffer length",
    "component 2 [11] field 3: data in port, packet size 4, port type 1",
    "component 2 [15] field 4: MIDI node \"Kest\", node type 0, channel mask 0x0000FFFF",
    "component 2 [13] field 5: private data, size 8, options 0",
    "map 2 [4] AddProperty 11 = 1265594998",
    "map 2 [4] AddProperty 12 = 1264939892",
    "map 2 [4] AddProperty 60 = 1",
    "map 2 [4] AddProperty 51 = 65538",
    "map 2 [4] AddProperty 52 = 65538",
    "map 2 [4] AddProperty 13 = 1784897890",
    "map 2 [4] AddProperty 14 = 1786339682",
    "map 2 [4] AddProperty 304 = 1",
    "component 2 [16] AddProcessProc_Native process set, properties map 2, init none, background none, id out none",
    "effect 1 [3] AddComponent component 2",
    "collection 1 [7] AddEffect \"com.korvalden.kest\" effect 1",
    "collection 1 [8] SetManufacturerName \"Korvalden\"",
    "collection 1 [9] AddPackageName \"Korvalden Kest\"",
    "collection 1 [9] AddPackageName \"Kest\"",
    "collection 1 [10] SetPackageVersion 65539",
};
} // namespace

TEST_F (BundleEntryPoints, AnswersTheVersionAndComponentQueriesWithFixedResults)
{
    uint64_t version = 0;
    EXPECT_EQ (plugIn().getSDKVersion (&version), AAX_SUCCESS);
    EXPECT_EQ (version, 0x000002000061125Cull);
    EXPECT_EQ (plugIn().getSDKVersion (nullptr), AAX_ERROR_NULL_OBJECT);

    HostEnvironment environment;
    void* factory = &version;
    EXPECT_EQ (plugIn().getClassFactory (&environment.hostUnknown(), &IID_IACFUnknown, &IID_IACFUnknown, &factory), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (factory, nullptr);
    EXPECT_EQ (plugIn().getClassFactory (nullptr, nullptr, nullptr, nullptr), AAX_ERROR_NULL_OBJECT);

    auto* component = reinterpret_cast<IACFComponentDefinition*> (&version);
    EXPECT_EQ (plugIn().registerComponent (&environment.hostUnknown(), &IID_IACFUnknown, &component), AAX_SUCCESS);
    EXPECT_EQ (component, nullptr);
    EXPECT_EQ (plugIn().registerComponent (nullptr, nullptr, nullptr), AAX_ERROR_NULL_OBJECT);

    EXPECT_TRUE (environment.callLog().empty()) << "none of these may talk to the host";
}

TEST_F (BundleEntryPoints, RegistrationWritesTheWholeDescriptionInOrder)
{
    HostEnvironment environment;
    IACFPluginDefinition* definition = nullptr;
    ASSERT_EQ (registerWith (environment, &definition), AAX_SUCCESS);
    ASSERT_NE (definition, nullptr);

    EXPECT_EQ (calls (environment), expectedDescription);

    auto& collection = static_cast<HostPluginDefinition*> (definition)->collection();
    EXPECT_EQ (&collection, environment.collections().front());
    definition->Release();
}

TEST_F (BundleEntryPoints, RegistrationLeavesOnlyTheHostsOwnReferences)
{
    HostEnvironment environment;
    IACFPluginDefinition* definition = nullptr;
    ASSERT_EQ (registerWith (environment, &definition), AAX_SUCCESS);

    // Every description object is now held by the host alone: the collection
    // by the definition, the effect by the collection, each component by the
    // effect and each map by its component's process procedure.
    for (auto& object : environment.allObjects())
    {
        auto expected = object->referencesHeldByHost();
        if (object->label() == "host unknown" || object->label() == "definition of collection 1")
            expected = 1; // the test's own, and the one registration handed over
        EXPECT_EQ (object->referenceCount(), expected) << object->label();
    }
    for (auto& line : environment.callLog())
        EXPECT_EQ (line.rfind ("over-release", 0), std::string::npos) << line;

    EXPECT_EQ (plugIn().canUnloadNow(), 0);
    definition->Release();
}

TEST_F (BundleEntryPoints, RegistrationReleasesLaterVersionThenPrimaryThenHostUnknown)
{
    HostEnvironment environment;
    IACFPluginDefinition* definition = nullptr;
    ASSERT_EQ (registerWith (environment, &definition), AAX_SUCCESS);

    const auto& log = environment.callLog();
    size_t lastDescriptionCall = 0;
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i].find ("SetPackageVersion") != std::string::npos)
            lastDescriptionCall = i;

    const std::vector<std::string> expected {
        "release map 1 v2", "release map 1",
        "release component 1 v2", "release component 1", "release host unknown",
        "release map 2 v2", "release map 2",
        "release component 2 v2", "release component 2", "release host unknown",
        "release effect 1 v2", "release effect 1", "release host unknown",
        "release collection 1", "release host unknown",
    };
    EXPECT_EQ (linesStartingWith (environment, "release", lastDescriptionCall), expected);
    definition->Release();
}

TEST_F (BundleEntryPoints, RegistrationWithoutComponentFactoryFailsWithoutQuerying)
{
    HostOptions options;
    options.offerComponentFactory = false;
    HostEnvironment environment (options);

    IACFPluginDefinition* definition = nullptr;
    EXPECT_EQ (registerWith (environment, &definition), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (definition, nullptr);
    EXPECT_TRUE (calls (environment).empty());
    EXPECT_EQ (environment.hostUnknown().referenceCount(), 1u);
}

TEST_F (BundleEntryPoints, RegistrationWhoseCollectionRefusesTheDefinitionAnswersNullObject)
{
    HostOptions options;
    options.offerPluginDefinition = false;
    HostEnvironment environment (options);

    IACFPluginDefinition* definition = nullptr;
    EXPECT_EQ (registerWith (environment, &definition), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (definition, nullptr);
    EXPECT_EQ (environment.hostUnknown().referenceCount(), 1u);
    EXPECT_EQ (environment.find ("collection 1")->referenceCount(), 0u);
}

TEST_F (BundleEntryPoints, RegistrationWithANullOutPointerDoesNothing)
{
    HostEnvironment environment;
    EXPECT_EQ (registerWith (environment, nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_TRUE (environment.callLog().empty());
    EXPECT_EQ (environment.allObjects().size(), 1u) << "only the host unknown exists";
}

TEST_F (BundleEntryPoints, AnExceptionInsideRegistrationBecomesUnexpectedAndUnwindsCleanly)
{
    // The host claims to have a component factory but hands out none: the
    // guarded access throws, and the entry point must turn that into a code.
    HostOptions options;
    options.factoryQueryClaimsSuccessWithoutObject = true;
    HostEnvironment environment (options);

    IACFPluginDefinition* definition = nullptr;
    EXPECT_EQ (registerWith (environment, &definition), ACF_E_UNEXPECTED);
    EXPECT_EQ (definition, nullptr);
    EXPECT_EQ (environment.hostUnknown().referenceCount(), 1u) << "the collection's reference must be given back while unwinding";
}

TEST_F (BundleEntryPoints, SecondStartupKeepsTheFirstHostServices)
{
    HostEnvironment first;
    HostEnvironment second;

    EXPECT_EQ (plugIn().startup (&first.hostUnknown()), AAX_SUCCESS);
    ASSERT_EQ (first.hostServices().size(), 1u);
    auto* services = first.hostServices().front();
    EXPECT_EQ (services->referenceCount(), 1u);

    EXPECT_EQ (plugIn().startup (&second.hostUnknown()), AAX_SUCCESS);
    EXPECT_TRUE (second.callLog().empty());
    EXPECT_TRUE (second.hostServices().empty());
    EXPECT_EQ (second.hostUnknown().referenceCount(), 1u);
    EXPECT_EQ (services->referenceCount(), 1u);

    EXPECT_EQ (plugIn().shutdown (nullptr), AAX_SUCCESS);
    EXPECT_EQ (services->referenceCount(), 0u) << "shut-down releases the first host's services";
    EXPECT_EQ (first.hostUnknown().referenceCount(), 1u);
}

TEST_F (BundleEntryPoints, ShutdownWithoutStartupChangesNothing)
{
    EXPECT_EQ (plugIn().shutdown (nullptr), AAX_SUCCESS);
    EXPECT_EQ (plugIn().shutdown (nullptr), AAX_SUCCESS);

    HostEnvironment environment;
    EXPECT_EQ (plugIn().startup (&environment.hostUnknown()), AAX_SUCCESS);
    ASSERT_EQ (environment.hostServices().size(), 1u);
    EXPECT_EQ (plugIn().shutdown (nullptr), AAX_SUCCESS);
    EXPECT_EQ (environment.hostServices().front()->referenceCount(), 0u);
    EXPECT_EQ (linesStartingWith (environment, "over-release").size(), 0u);
}

TEST_F (BundleEntryPoints, CanUnloadAfterAFullSession)
{
    HostEnvironment environment;
    plugIn().startup (&environment.hostUnknown());
    IACFPluginDefinition* definition = nullptr;
    ASSERT_EQ (registerWith (environment, &definition), AAX_SUCCESS);
    definition->Release();
    EXPECT_EQ (plugIn().canUnloadNow(), 0);
    plugIn().shutdown (nullptr);
    EXPECT_EQ (plugIn().canUnloadNow(), 0);
}
