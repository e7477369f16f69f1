// The description wrappers against the host stand-in: what reaches which host
// slot, what happens without host objects, and what the wrappers own.

#include "aax/AAX_VCollection.h"
#include "aax/AAX_VComponentDescriptor.h"
#include "aax/AAX_VEffectDescriptor.h"
#include "aax/AAX_VPropertyMap.h"
#include "host/HostComponentDescriptor.h"
#include "host/HostEnvironment.h"
#include "host/HostPropertyMap.h"
#include "host/HostUnknown.h"
#include "host/VtableSlot.h"

#include <gtest/gtest.h>

using namespace KestHost;

TEST (DescriptionWrappers, HostInterfacesKeepTheirSlotNumbers)
{
    EXPECT_EQ (vtableSlot (&IACFComponentFactory::CreateInstance), 3);
    EXPECT_EQ (vtableSlot (&AAX_IACFHostServices::Trace), 4);
    EXPECT_EQ (vtableSlot (&AAX_IACFCollection::AddEffect), 7);
    EXPECT_EQ (vtableSlot (&AAX_IACFCollection::SetProperties), 11);
    EXPECT_EQ (vtableSlot (&AAX_IACFEffectDescriptor::AddMeterDescription), 10);
    EXPECT_EQ (vtableSlot (&AAX_IACFEffectDescriptor_V2::AddControlMIDINode), 11);
    EXPECT_EQ (vtableSlot (&AAX_IACFComponentDescriptor::AddReservedField), 4);
    EXPECT_EQ (vtableSlot (&AAX_IACFComponentDescriptor::AddProcessProc_TI), 17);
    EXPECT_EQ (vtableSlot (&AAX_IACFComponentDescriptor::AddMeters), 18);
    EXPECT_EQ (vtableSlot (&AAX_IACFComponentDescriptor_V2::AddTemporaryData), 19);
    EXPECT_EQ (vtableSlot (&AAX_IACFPropertyMap::RemoveProperty), 5);
    EXPECT_EQ (vtableSlot (&AAX_IACFPropertyMap_V2::GetPropertyWithIDArray), 7);

    // The wrappers' own tables: two destructor slots, then the operations.
    EXPECT_EQ (vtableSlot (&AAX_ICollection::SetProperties), 8);
    EXPECT_EQ (vtableSlot (&AAX_IEffectDescriptor::AddControlMIDINode), 12);
    EXPECT_EQ (vtableSlot (&AAX_IComponentDescriptor::AddTemporaryData), 12);
    EXPECT_EQ (vtableSlot (&AAX_IComponentDescriptor::AddProcessProc_TI), 20);
    EXPECT_EQ (vtableSlot (&AAX_IPropertyMap::GetPropertyWithIDArray), 6);
}

TEST (DescriptionWrappers, WithoutAFactoryNothingReachesTheHostButChildrenAreStillMade)
{
    HostOptions options;
    options.offerComponentFactory = false;
    HostEnvironment environment (options);
    {
        AAX_VCollection collection (&environment.hostUnknown());
        EXPECT_EQ (collection.GetHostObject(), nullptr);
        EXPECT_EQ (collection.SetManufacturerName ("Korvalden"), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (collection.SetPackageVersion (1), AAX_ERROR_NULL_OBJECT);

        auto* effect = collection.NewDescriptor();
        ASSERT_NE (effect, nullptr);
        EXPECT_EQ (effect->AddName ("Kest"), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (effect->AddControlMIDINode (0, 0, "Kest", 0xFFFF), AAX_ERROR_UNIMPLEMENTED);
        EXPECT_EQ (collection.AddEffect ("com.korvalden.kest", effect), AAX_ERROR_NULL_OBJECT);

        auto* component = effect->NewComponentDescriptor();
        ASSERT_NE (component, nullptr);
        EXPECT_EQ (component->AddAudioIn (0), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (component->AddTemporaryData (6, 4), AAX_ERROR_UNIMPLEMENTED);
        EXPECT_EQ (effect->AddComponent (component), AAX_ERROR_NULL_OBJECT);

        auto* map = component->NewPropertyMap();
        ASSERT_NE (map, nullptr);
        AAX_CPropertyValue value = 17;
        EXPECT_EQ (map->AddProperty (11, 1), AAX_ERROR_NULL_OBJECT);
        EXPECT_FALSE (map->GetProperty (11, &value));
        EXPECT_EQ (value, 17);
        EXPECT_EQ (map->AddPropertyWithIDArray (20, nullptr, 0), AAX_ERROR_UNIMPLEMENTED);
        const AAX_SPlugInIdentifierTriad* ids = nullptr;
        uint32_t count = 0;
        EXPECT_FALSE (map->GetPropertyWithIDArray (20, &ids, &count));
        EXPECT_EQ (component->AddProcessProc_Native (nullptr, map, nullptr, nullptr, nullptr), AAX_ERROR_NULL_OBJECT);
    }
    for (auto& line : environment.callLog())
        EXPECT_EQ (line.find (" ["), std::string::npos) << "reached the host: " << line;
    EXPECT_EQ (environment.hostUnknown().referenceCount(), 1u);
}

TEST (DescriptionWrappers, NullDescriptorsAreRefusedByTheCollectionButPassedOnByTheEffect)
{
    HostEnvironment environment;
    AAX_VCollection collection (&environment.hostUnknown());
    auto* effect = collection.NewDescriptor();
    environment.clearLog();

    EXPECT_EQ (collection.AddEffect ("com.korvalden.kest", nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_TRUE (environment.callLog().empty()) << "a null descriptor never reaches the host";

    // The stand-in host refuses a null component; the wrapper must pass the
    // host's own answer back.
    EXPECT_EQ (effect->AddComponent (nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (environment.callLog(), (std::vector<std::string> { "effect 1 [3] AddComponent null" }));
}

TEST (DescriptionWrappers, LaterVersionOperationsNeedTheLaterInterface)
{
    HostOptions options;
    options.offerLaterVersions = false;
    HostEnvironment environment (options);
    AAX_VCollection collection (&environment.hostUnknown());
    auto* effect = collection.NewDescriptor();
    environment.clearLog();

    EXPECT_EQ (effect->AddControlMIDINode (2, 1, "Kest", 0xFFFF), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (effect->AddName ("Kest"), AAX_SUCCESS);
    EXPECT_EQ (environment.callLog(), (std::vector<std::string> { "effect 1 [4] AddName \"Kest\"" }));

    HostEnvironment complete;
    AAX_VCollection fullCollection (&complete.hostUnknown());
    auto* fullEffect = fullCollection.NewDescriptor();
    complete.clearLog();
    EXPECT_EQ (fullEffect->AddControlMIDINode (2, 1, "Kest", 0xFFFF), AAX_SUCCESS);
    EXPECT_EQ (complete.callLog().front().rfind ("effect 1 v2 [11] AddControlMIDINode", 0), 0u);
}

TEST (DescriptionWrappers, DuplicatingAMapCopiesExactlyTheDescribedProperties)
{
    HostEnvironment environment;
    HostPropertyMap* copied = nullptr;
    {
        AAX_VCollection collection (&environment.hostUnknown());
        auto* component = collection.NewDescriptor()->NewComponentDescriptor();
        auto* source = component->NewPropertyMap();
        source->AddProperty (11, 0x4B6F7276);
        source->AddProperty (12, 0x4B657374);
        source->AddProperty (60, 1);
        source->AddProperty (5, 99);   // below the copied range
        source->AddProperty (400, 99); // above it

        auto* copy = component->DuplicatePropertyMap (source);
        ASSERT_NE (copy, source);
        copied = dynamic_cast<HostPropertyMap*> (environment.find ("map 2"));
        ASSERT_NE (copied, nullptr);
        const std::vector<std::pair<AAX_CPropertyID, AAX_CPropertyValue>> expected { { 11, 0x4B6F7276 }, { 12, 0x4B657374 }, { 60, 1 } };
        EXPECT_EQ (copied->properties(), expected);

        auto* empty = component->DuplicatePropertyMap (nullptr);
        ASSERT_NE (empty, nullptr);
        EXPECT_TRUE (dynamic_cast<HostPropertyMap*> (environment.find ("map 3"))->properties().empty());
    }
    EXPECT_EQ (copied->referenceCount(), 0u) << "the copy is deleted with its component descriptor";
}

TEST (DescriptionWrappers, DestroyingTheCollectionReleasesEveryReferenceOnce)
{
    HostEnvironment environment;
    {
        AAX_VCollection collection (&environment.hostUnknown());
        for (int e = 0; e < 2; ++e)
        {
            auto* effect = collection.NewDescriptor();
            for (int c = 0; c < 2; ++c)
                effect->NewComponentDescriptor()->NewPropertyMap();
        }
        EXPECT_EQ (environment.hostUnknown().referenceCount(), 1u + 1 + 2 + 4) << "collection, effects and components hold the host unknown";
    }

    int releasedToZero = 0;
    for (auto& object : environment.allObjects())
    {
        if (object->label() == "host unknown")
            EXPECT_EQ (object->referenceCount(), 1u);
        else if (object->referenceCount() == 0)
            ++releasedToZero;
        else
            ADD_FAILURE() << object->label() << " still holds " << object->referenceCount();
    }
    // 1 collection, 2 effects, 4 components, 4 maps, each descriptor and map with its later version; and the factory.
    EXPECT_EQ (releasedToZero, 1 + 2 * 2 + 4 * 2 + 4 * 2 + 1);
    for (auto& line : environment.callLog())
        EXPECT_EQ (line.rfind ("over-release", 0), std::string::npos) << line;
}

namespace
{
/** A host whose factory makes one object, and which records the order of
    creation, the later-version query and the factory's release. */
struct OrderRecordingHost
{
    std::vector<std::string> events;

    struct Object final : IACFUnknown
    {
        explicit Object (std::vector<std::string>& e) : events (e) {}
        AAX_Result QueryInterface (const acfUID&, void** out) override
        {
            events.push_back ("later version asked");
            *out = this;
            return AAX_SUCCESS;
        }
        uint32_t AddRef() override { return 1; }
        uint32_t Release() override { return 1; }
        std::vector<std::string>& events;
    } object { events };

    struct Factory final : IACFComponentFactory
    {
        Factory (std::vector<std::string>& e, Object& o) : events (e), made (o) {}
        AAX_Result QueryInterface (const acfUID&, void**) override { return ACF_E_NOINTERFACE; }
        uint32_t AddRef() override { return 1; }
        uint32_t Release() override
        {
            events.push_back ("factory released");
            return 0;
        }
        AAX_Result CreateInstance (const acfUID&, IACFUnknown*, const acfUID&, void** out) override
        {
            events.push_back ("created");
            *out = &made;
            return AAX_SUCCESS;
        }
        std::vector<std::string>& events;
        Object& made;
    } factory { events, object };

    struct Unknown final : IACFUnknown
    {
        explicit Unknown (Factory& f) : factoryToOffer (f) {}
        AAX_Result QueryInterface (const acfUID& iid, void** out) override
        {
            *out = nullptr;
            if (! (iid == IID_IACFComponentFactory))
                return ACF_E_NOINTERFACE;
            *out = &factoryToOffer;
            return AAX_SUCCESS;
        }
        uint32_t AddRef() override { return 1; }
        uint32_t Release() override { return 1; }
        Factory& factoryToOffer;
    } unknown { factory };
};
} // namespace

TEST (DescriptionWrappers, TheFactoryIsReleasedOnlyAfterTheLaterVersionWasAskedFor)
{
    const std::vector<std::string> expected { "created", "later version asked", "factory released" };
    {
        OrderRecordingHost host;
        AAX_VPropertyMap map (&host.unknown);
        EXPECT_EQ (host.events, expected);
    }
    {
        OrderRecordingHost host;
        AAX_VEffectDescriptor effect (&host.unknown);
        EXPECT_EQ (host.events, expected);
    }
    {
        OrderRecordingHost host;
        AAX_VComponentDescriptor component (&host.unknown);
        EXPECT_EQ (host.events, expected);
    }
}
