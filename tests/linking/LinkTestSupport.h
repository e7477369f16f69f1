#pragma once

#include "linking/ParameterLinkManager.h"
#include "tests/support/EventFilters.h"

#include <gtest/gtest.h>

#include <memory>

/** A linkable control without a component: counts valueChanged calls. */
struct CountingController final : ParameterLinkManager::ParameterController
{
    using ParameterController::ParameterController;
    void valueChanged() override { ++valueChangedCalls; }
    int valueChangedCalls = 0;
};

struct LinkFixture : ::testing::Test
{
    FakeDirtyCheckProcessor processor;
    ParameterLinkManager manager { processor };
    std::vector<std::unique_ptr<CountingController>> controllers;

    /** Gives the index a processor value and a registered controller. */
    CountingController& control (int index, float value, float ratio = 1.0f)
    {
        processor.storeQuietly (index, value);
        manager.getLinkEntry (index).ratio = ratio;
        controllers.push_back (std::make_unique<CountingController> (&manager, index));
        return *controllers.back();
    }

    void resetCounts()
    {
        processor.takeEvents();
        for (auto& c : controllers)
            c->valueChangedCalls = 0;
    }
};
