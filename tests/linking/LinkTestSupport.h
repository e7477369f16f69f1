#pragma once

#include "linking/ParameterLinkManager.h"
#include "tests/support/EventFilters.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

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

/** Saves the links on a thread of its own, as a host saving its state does,
    from construction until stop(), and keeps the ratio and name each save
    gave one index (as "ratio|name"; nothing when it had no entry). */
struct LinkSaver
{
    LinkSaver (ParameterLinkManager& manager, int index)
        : saver ([this, &manager, index]
          {
              do
              {
                  juce::XmlElement preset ("KEST_Preset");
                  manager.writeXml (preset);
                  if (auto* linking = preset.getChildByName ("PARAMETERLINKING"))
                      for (auto* parameter : linking->getChildWithTagNameIterator ("PARAMETER"))
                          if (parameter->getIntAttribute ("Index") == index)
                              saved.push_back (parameter->getStringAttribute ("Ratio") + "|" + parameter->getStringAttribute ("Name"));
              } while (! stopNow.load());
          })
    {
    }

    ~LinkSaver() { stop(); }

    /** Ends the saves and returns what they held. */
    const std::vector<juce::String>& stop()
    {
        stopNow = true;
        if (saver.joinable())
            saver.join();
        return saved;
    }

private:
    std::atomic<bool> stopNow { false };
    std::vector<juce::String> saved;
    std::thread saver;
};
