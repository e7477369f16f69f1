// The reference-counted component base: counts, queries, deletion and the
// live-object count that tells the host whether the bundle may be unloaded.

#include "aax/AAXEntryPointBodies.h"
#include "aax/CACFUnknown.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
struct Lifecycle
{
    int finalReleases = 0;
    int destructions = 0;
};

/** A component object as the host sees it: the public unknown slots forward
    to the outer unknown. */
class TestComponent final : public IACFUnknown, public CACFUnknown
{
public:
    explicit TestComponent (Lifecycle& lifecycleToUse, IACFUnknown* outer = nullptr)
        : CACFUnknown (outer), lifecycle (lifecycleToUse)
    {
    }

    ~TestComponent() override { ++lifecycle.destructions; }

    AAX_Result QueryInterface (const acfUID& iid, void** out) override { return GetOuterUnknown()->QueryInterface (iid, out); }
    uint32_t AddRef() override { return GetOuterUnknown()->AddRef(); }
    uint32_t Release() override { return GetOuterUnknown()->Release(); }

    void FinalRelease() override
    {
        EXPECT_EQ (lifecycle.destructions, 0) << "FinalRelease comes before deletion";
        ++lifecycle.finalReleases;
    }

    IACFUnknown* inner() { return GetPrivateUnknown(); }

private:
    Lifecycle& lifecycle;
};

constexpr acfUID someOtherInterface { 0x12345678, 0x1, 0x2, { 1, 2, 3, 4, 5, 6, 7, 8 } };
} // namespace

TEST (ComponentObject, LastReleaseFinalisesDeletesAndLowersTheLiveCount)
{
    const auto liveBefore = CACFUnknown::GetActiveObjectCount();
    Lifecycle lifecycle;
    auto* object = new TestComponent (lifecycle);
    EXPECT_EQ (CACFUnknown::GetActiveObjectCount(), liveBefore + 1);

    EXPECT_EQ (object->AddRef(), 1u);
    EXPECT_EQ (object->AddRef(), 2u);
    EXPECT_EQ (object->Release(), 1u);
    EXPECT_EQ (lifecycle.destructions, 0);
    EXPECT_EQ (object->Release(), 0u);

    EXPECT_EQ (lifecycle.finalReleases, 1);
    EXPECT_EQ (lifecycle.destructions, 1);
    EXPECT_EQ (CACFUnknown::GetActiveObjectCount(), liveBefore);
}

TEST (ComponentObject, CanUnloadNowCountsLiveObjects)
{
    ASSERT_EQ (AAXCanUnloadNow(), 0);
    Lifecycle parametersLifecycle, guiLifecycle;
    auto* parameters = new TestComponent (parametersLifecycle);
    auto* gui = new TestComponent (guiLifecycle);
    parameters->AddRef();
    gui->AddRef();
    EXPECT_EQ (AAXCanUnloadNow(), 2);

    parameters->Release();
    EXPECT_EQ (AAXCanUnloadNow(), 1);
    gui->Release();
    EXPECT_EQ (AAXCanUnloadNow(), 0);
}

TEST (ComponentObject, QueryForTheUnknownHandsOutTheInnerUnknown)
{
    Lifecycle lifecycle;
    auto* object = new TestComponent (lifecycle);
    object->AddRef();

    void* answer = nullptr;
    EXPECT_EQ (object->QueryInterface (IID_IACFUnknown, &answer), AAX_SUCCESS);
    EXPECT_EQ (answer, object->inner());
    EXPECT_NE (answer, static_cast<IACFUnknown*> (object));
    EXPECT_EQ (object->AddRef(), 3u) << "the query added one reference";

    answer = object;
    EXPECT_EQ (object->QueryInterface (someOtherInterface, &answer), ACF_E_NOINTERFACE);
    EXPECT_EQ (answer, nullptr);
    EXPECT_EQ (object->Release(), 2u) << "a refused query adds no reference";

    object->Release();
    object->Release();
    EXPECT_EQ (lifecycle.destructions, 1);
}

TEST (ComponentObject, ANullOuterUnknownBehavesAsNone)
{
    Lifecycle lifecycle;
    auto* object = new TestComponent (lifecycle, nullptr);
    EXPECT_EQ (object->AddRef(), 1u);
    void* answer = nullptr;
    EXPECT_EQ (object->QueryInterface (IID_IACFUnknown, &answer), AAX_SUCCESS);
    EXPECT_EQ (answer, object->inner());
    static_cast<IACFUnknown*> (answer)->Release();
    EXPECT_EQ (object->Release(), 0u);
    EXPECT_EQ (lifecycle.destructions, 1);
}

TEST (ComponentObject, AnAggregatedObjectDelegatesToItsOuterUnknown)
{
    Lifecycle outerLifecycle, innerLifecycle;
    auto* outer = new TestComponent (outerLifecycle);
    outer->AddRef();
    auto* aggregated = new TestComponent (innerLifecycle, outer);

    EXPECT_EQ (aggregated->AddRef(), 2u) << "the outer object owns the count";
    EXPECT_EQ (aggregated->Release(), 1u);

    aggregated->inner()->AddRef();
    aggregated->inner()->Release();
    EXPECT_EQ (innerLifecycle.destructions, 1) << "its own inner unknown still owns its life";
    outer->Release();
    EXPECT_EQ (outerLifecycle.destructions, 1);
}

TEST (ComponentObject, ConcurrentLastReleasesDeleteExactlyOnce)
{
    for (int round = 0; round < 200; ++round)
    {
        Lifecycle lifecycle;
        auto* object = new TestComponent (lifecycle);
        object->AddRef();
        object->AddRef();

        std::atomic<bool> go { false };
        auto releaser = [&] {
            while (! go.load())
                std::this_thread::yield();
            object->Release();
        };
        std::thread first (releaser), second (releaser);
        go = true;
        first.join();
        second.join();

        ASSERT_EQ (lifecycle.destructions, 1);
        ASSERT_EQ (lifecycle.finalReleases, 1);
    }
    EXPECT_EQ (AAXCanUnloadNow(), 0);
}
