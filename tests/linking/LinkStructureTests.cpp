#include "tests/linking/LinkTestSupport.h"

#include <thread>

namespace
{
struct RecordingListener final : ParameterLinkManager::Listener
{
    RecordingListener (std::vector<int>& logToUse, int idToUse) : log (logToUse), id (idToUse) {}
    void parameterLinksChanged() override
    {
        log.push_back (id);
        if (onCall)
            onCall();
    }

    std::vector<int>& log;
    int id;
    std::function<void()> onCall;
};
} // namespace

TEST_F (LinkFixture, LinkingIsSymmetricAndNotifiesOncePerCall)
{
    std::vector<int> log;
    RecordingListener listener (log, 1);
    manager.addListener (&listener);

    manager.link (4, 4);
    EXPECT_TRUE (log.empty());
    EXPECT_TRUE (manager.getLinkEntry (4).links.empty());

    manager.link (4, 7);
    manager.link (7, 4);
    EXPECT_EQ (log.size(), 2u);
    EXPECT_EQ (manager.getLinkEntry (4).links, (std::set<int> { 7 }));
    EXPECT_EQ (manager.getLinkEntry (7).links, (std::set<int> { 4 }));

    manager.clearAllLinks();
    EXPECT_EQ (log.size(), 2u);
    EXPECT_TRUE (manager.getLinkEntry (7).links.empty());
    manager.removeListener (&listener);
}

TEST_F (LinkFixture, ListenersAreCalledLastRegisteredFirstAndMayLeaveDuringTheCall)
{
    std::vector<int> log;
    RecordingListener first (log, 1), second (log, 2), third (log, 3);
    manager.addListener (&first);
    manager.addListener (&second);
    manager.addListener (&second); // no duplicates
    manager.addListener (&third);
    manager.addListener (nullptr);

    manager.notifyListeners();
    EXPECT_EQ (log, (std::vector<int> { 3, 2, 1 }));

    // The third removes itself and the second while it is being called.
    log.clear();
    third.onCall = [&] { manager.removeListener (&third); manager.removeListener (&second); };
    manager.notifyListeners();
    EXPECT_EQ (log, (std::vector<int> { 3, 1 }));

    log.clear();
    manager.notifyListeners();
    EXPECT_EQ (log, (std::vector<int> { 1 }));
    manager.removeListener (&first);
}

TEST_F (LinkFixture, RatiosAndValuesFallBackToTheProcessorWithoutAController)
{
    std::vector<int> log;
    RecordingListener listener (log, 1);
    manager.addListener (&listener);
    processor.storeQuietly (12, 0.7f);
    manager.getLinkEntry (12).ratio = -0.5f;

    EXPECT_EQ (manager.getRatio (12), 1.0f);
    EXPECT_EQ (manager.getValue (12), 0.7f);
    manager.setRatio (12, 0.25f);
    EXPECT_EQ (manager.getLinkEntry (12).ratio, -0.5f);
    EXPECT_TRUE (log.empty());

    {
        CountingController knob (&manager, 12);
        EXPECT_EQ (manager.getRatio (12), -0.5f);
        manager.setRatio (12, 0.25f);
        EXPECT_EQ (manager.getRatio (12), 0.25f);
        EXPECT_EQ (log.size(), 1u);

        manager.setRatio (12, std::numeric_limits<float>::infinity());
        manager.setRatio (12, std::numeric_limits<float>::quiet_NaN());
        EXPECT_EQ (manager.getRatio (12), 0.25f);
        EXPECT_EQ (log.size(), 1u);
    }
    manager.removeListener (&listener);
}

TEST_F (LinkFixture, ASecondControllerOfAnIndexNeverUnregistersTheFirst)
{
    auto& first = control (8, 0.4f);
    auto& partner = control (9, 0.4f);
    manager.link (8, 9);

    {
        CountingController second (&manager, 8);
        processor.storeQuietly (8, 0.9f);
    } // the second one goes: the first stays registered

    manager.propagateValue (&partner, true, 0.6f);
    EXPECT_FLOAT_EQ (first.getValue(), 0.6f);
    EXPECT_FLOAT_EQ (manager.getValue (8), 0.6f);

    controllers.erase (controllers.begin()); // now the first goes too
    EXPECT_EQ (manager.getValue (8), processor.getParameter (8));
    EXPECT_EQ (manager.getRatio (8), 1.0f);
}

TEST_F (LinkFixture, StateCallsOnAnotherThreadLeaveTheModelConsistent)
{
    control (1, 0.5f);
    control (2, 0.5f);
    std::atomic<bool> stop { false };

    std::thread host ([&] {
        for (int i = 0; i < 300 && ! stop.load(); ++i)
        {
            juce::XmlElement preset ("KEST_Preset");
            manager.writeXml (preset);
            manager.readXml (preset);
        }
    });

    for (int i = 0; i < 300; ++i)
    {
        manager.link (i % 40, (i * 7 + 3) % 40);
        if (i % 5 == 0)
            manager.freeParameter (i % 40);
    }
    stop = true;
    host.join();

    for (int index = 0; index < 40; ++index)
        for (const int partner : manager.getLinkEntry (index).links)
            EXPECT_EQ (manager.getLinkEntry (partner).links.count (index), 1u) << index << " - " << partner;
}
