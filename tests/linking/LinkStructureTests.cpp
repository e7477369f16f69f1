#include "tests/linking/LinkTestSupport.h"

#include <atomic>
#include <set>
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

TEST_F (LinkFixture, TheEditorWorksTheLinksWhileTheHostRestoresAndSavesThem)
{
    for (int index = 0; index < 8; ++index)
        control (index, 0.5f);

    // Two saved link sets, as two presets would carry them.
    auto saved = [this] (std::initializer_list<std::pair<int, int>> pairs)
    {
        manager.clearAllLinks();
        for (auto [a, b] : pairs)
            manager.link (a, b);
        auto element = std::make_unique<juce::XmlElement> ("KEST_Preset");
        manager.writeXml (*element);
        return element;
    };
    const auto first = saved ({ { 0, 1 }, { 2, 3 } });
    const auto second = saved ({ { 4, 5 }, { 6, 7 } });

    struct CountingListener final : ParameterLinkManager::Listener
    {
        void parameterLinksChanged() override { ++calls; }
        std::atomic<int> calls { 0 };
    };
    CountingListener editor;
    manager.addListener (&editor);
    // The host's own listener: a call the editor's thread began before the
    // host removed it may still reach it, so it outlives the editor's loop.
    CountingListener own;

    // The host restores and saves sounds on its thread; what it saves has
    // every link once.
    constexpr int rounds = 200;
    std::atomic<int> brokenSaves { 0 };
    std::atomic<bool> restoring { true };
    juce::WaitableEvent go;
    std::thread host ([&]
    {
        go.wait (-1);
        for (int round = 0; round < rounds; ++round)
        {
            manager.addListener (&own);
            manager.readXml (round % 2 == 0 ? *first : *second);
            manager.removeListener (&own);

            juce::XmlElement out ("KEST_Preset");
            manager.writeXml (out);
            std::set<std::pair<int, int>> connections;
            if (auto* linking = out.getChildByName ("PARAMETERLINKING"))
                for (auto* connection : linking->getChildWithTagNameIterator ("CONNECTION"))
                    if (! connections.emplace (connection->getIntAttribute ("From"), connection->getIntAttribute ("To")).second)
                        ++brokenSaves;

            // What a host's generic view asks, of the knobs the editor
            // opens and closes meanwhile too.
            for (int index = 0; index < 28; ++index)
            {
                manager.isLinked (index);
                manager.hasController (index);
                manager.getValue (index);
                manager.getRatio (index);
            }
            manager.findLinkEntry (round % 8);
        }
        restoring = false;
    });

    // The editor meanwhile opens a page of knobs, draws the links, turns
    // linked knobs, edits ratios, names and links, and closes the page.
    go.signal();
    for (int round = 0; restoring.load() || round < rounds; ++round)
    {
        std::vector<std::unique_ptr<CountingController>> page;
        for (int index = 20; index < 28; ++index)
            page.push_back (std::make_unique<CountingController> (&manager, index));

        for (auto [a, b] : manager.getLinkPairs())
            EXPECT_LT (a, b);
        manager.hasController (round % 8);
        manager.findLinkEntry (round % 8);

        auto& knob = *controllers[(size_t) (round % 8)];
        const auto members = manager.beginGroupGesture (&knob);
        manager.propagateValue (&knob, true, (float) (round % 10) / 10.0f);
        manager.endGroupGesture (members);
        knob.parameterChanged (round % 8, 0.5f);

        manager.setRatio (round % 8, round % 2 == 0 ? 1.0f : -1.0f);
        {
            const juce::ScopedLock sl (manager.getLock());
            manager.getLinkEntry (round % 8).name = "MAKRO " + juce::String (round % 8);
        }
        if (round % 3 == 0)
            manager.link (round % 8, (round + 3) % 8);
        else if (round % 3 == 1)
            manager.unlink (round % 8, (round + 2) % 8);
        else
            manager.freeParameter (round % 8);

        page.clear();
    }
    host.join();
    manager.removeListener (&editor);

    EXPECT_EQ (brokenSaves.load(), 0);
    EXPECT_GT (editor.calls.load(), 0);
    for (int index = 0; index < 8; ++index)
        for (const int partner : manager.getLinkEntry (index).links)
            EXPECT_EQ (manager.getLinkEntry (partner).links.count (index), 1u) << index << " - " << partner;

    // A restore after all that brings back exactly its links.
    manager.readXml (*first);
    EXPECT_EQ (manager.getLinkPairs(), (std::vector<std::pair<int, int>> { { 0, 1 }, { 2, 3 } }));
}
