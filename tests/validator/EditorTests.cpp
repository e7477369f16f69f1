// The plug-in's view opened and closed in real windows of the host, cold (a
// new instance each time) and warm (the same instance), with and without
// audio processed on another thread meanwhile.
#include "host/HostViewContainer.h"
#include "host/PluginView.h"
#include "host/WindowSnapshot.h"
#include "tests/validator/BundleUnderTest.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <thread>

using namespace Validator;

namespace
{
constexpr int openings = 20;

/** A window of the host's own framework, as the view's container. */
class HostWindow
{
public:
    HostWindow()
    {
        area.setSize (320, 200);
        area.addToDesktop (juce::ComponentPeer::windowIsTemporary);
        area.setVisible (true);
    }

    void* nativeWindow() const { return area.getPeer()->getNativeHandle(); }

private:
    juce::Component area;
};

class Editor : public BundleUnderTest
{
protected:
    static void SetUpTestSuite()
    {
        KestHost::WindowSnapshot::tolerateXErrors();
        BundleUnderTest::SetUpTestSuite();
    }

    /** Opens the view in a window, lets both message loops run, closes it;
        answers the size the view showed. */
    static AAX_Point openAndClose (KestHost::PluginInstance& instance, KestHost::PluginView& view, HostWindow& window)
    {
        view.open (AAX_eViewContainer_Type_X11Window, window.nativeWindow());
        for (int idle = 0; idle < 3; ++idle)
        {
            view.idle();
            instance.idle();
            juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        }
        const auto size = view.size();
        EXPECT_GT (size.horz, 0.0f) << "the view shows no editor";
        EXPECT_GT (size.vert, 0.0f) << "the view shows no editor";
        view.close();
        EXPECT_EQ (view.container().referenceCount(), 0u) << "the view keeps the host's container after closing";
        return size;
    }

    /** Views of one instance opened and closed, each new or the same one. */
    static void openRepeatedly (KestHost::PluginInstance& instance, HostWindow& window, bool coldView)
    {
        std::unique_ptr<KestHost::PluginView> warm;
        if (! coldView)
            warm = std::make_unique<KestHost::PluginView> (instance, plugIn->description());

        AAX_Point first {};
        for (int opening = 0; opening < openings; ++opening)
        {
            SCOPED_TRACE (opening);
            auto cold = coldView ? std::make_unique<KestHost::PluginView> (instance, plugIn->description()) : nullptr;
            const auto size = openAndClose (instance, coldView ? *cold : *warm, window);
            if (opening == 0)
                first = size;
            EXPECT_EQ (size.horz, first.horz);
            EXPECT_EQ (size.vert, first.vert);
        }
    }

    juce::ScopedJuceInitialiser_GUI framework;
};

/** Plays a held chord on its own thread until stopped; keeps whether the
    audio stayed clean and how loud it was. */
class AudioThread
{
public:
    explicit AudioThread (KestHost::PluginInstance& instanceToPlay) : instance (instanceToPlay)
    {
        thread = std::thread ([this]
        {
            auto events = chord();
            while (! stopped.load())
            {
                const auto played = play (instance, 512, { 512 }, events);
                events.clear();
                if (! cleanAudio (played.left))
                    clean = false;
                loudest = std::max (loudest, rms (played.left));
                blocks.fetch_add (1);
            }
        });
    }

    ~AudioThread() { stop(); }

    void stop()
    {
        stopped.store (true);
        if (thread.joinable())
            thread.join();
    }

    bool clean = true;
    double loudest = 0.0;
    std::atomic<int> blocks { 0 };

private:
    KestHost::PluginInstance& instance;
    std::atomic<bool> stopped { false };
    std::thread thread;
};
} // namespace

TEST_F (Editor, OpensAndClosesTwentyTimesColdAndWarm)
{
    HostWindow window;
    AAX_Point first {};
    for (int opening = 0; opening < openings; ++opening)
    {
        SCOPED_TRACE (opening);
        auto instance = makeInstance();
        KestHost::PluginView view (*instance, plugIn->description());
        const auto size = openAndClose (*instance, view, window);
        if (opening == 0)
            first = size;
        EXPECT_EQ (size.horz, first.horz);
        EXPECT_EQ (size.vert, first.vert);
    }

    auto instance = makeInstance();
    openRepeatedly (*instance, window, false);
}

TEST_F (Editor, OpensAndClosesWhileAnotherThreadProcesses)
{
    HostWindow window;
    auto instance = makeInstance (48000.0, 512);
    AudioThread audio (*instance);
    openRepeatedly (*instance, window, true);
    openRepeatedly (*instance, window, false);
    // The chord has sounded a while, however little of the processor the
    // audio thread got beside the editor.
    while (audio.blocks.load() < 20)
        std::this_thread::yield();
    audio.stop();
    EXPECT_GT (audio.blocks.load(), 0);
    EXPECT_TRUE (audio.clean);
    EXPECT_GT (audio.loudest, 0.01);
}

TEST_F (Editor, ClosingTheViewsLeavesNoComponentObjectAlive)
{
    HostWindow window;
    {
        auto instance = makeInstance();
        KestHost::PluginView view (*instance, plugIn->description());
        openAndClose (*instance, view, window);
        view.open (AAX_eViewContainer_Type_X11Window, window.nativeWindow()); // left open: the view's release closes it
    }
    EXPECT_EQ (plugIn->bundle().entryPoints().canUnloadNow(), 0);
}
