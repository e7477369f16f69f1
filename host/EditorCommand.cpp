#include "host/EditorCommand.h"

#include "host/LivePlayer.h"
#include "host/LoadedPlugIn.h"
#include "host/PluginInstance.h"
#include "host/PluginView.h"
#include "host/RenderSequence.h"
#include "host/StateFile.h"
#include "host/ReplacingFile.h"
#include "host/ViewFocus.h"
#include "host/WindowSnapshot.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace KestHost
{
namespace
{
constexpr int idleIntervalMs = 10;
constexpr int idleCallsBeforeSnapshot = 10;
constexpr int emptyViewWidth = 480;
constexpr int emptyViewHeight = 120;
constexpr int instanceMaxBlock = 1024;
constexpr uint8_t heldNote = 60;
constexpr uint8_t heldVelocity = 100;

std::atomic<bool> stopAsked { false };

extern "C" void askToStop (int)
{
    stopAsked.store (true);
}

/** Where the plug-in's view goes: the window's whole inside, black until
    the view covers it. */
class ViewArea final : public juce::Component
{
public:
    ViewArea()
    {
        setOpaque (true);
        setSize (emptyViewWidth, emptyViewHeight);
    }

    void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::black); }
};

/** The host's window around the plug-in's view, sized to the view. */
class EditorWindow final : public juce::DocumentWindow
{
public:
    explicit EditorWindow (std::function<void()> closed)
        : DocumentWindow ("Kest", juce::Colours::black, DocumentWindow::closeButton | DocumentWindow::minimiseButton),
          onClose (std::move (closed))
    {
        setUsingNativeTitleBar (true);
        setContentOwned (new ViewArea(), true);
        setResizable (false, false);
        setContentComponentSize (emptyViewWidth, emptyViewHeight);
        centreWithSize (getWidth(), getHeight());
        setVisible (true);
    }

    void closeButtonPressed() override { onClose(); }

    void showViewSize (int width, int height)
    {
        if (width > 0 && height > 0)
            setContentComponentSize (width, height);
    }

    /** Paints the window now, at the size it has.  Painting a window for the
        first time, the framework asks the window system once more for the
        bounds the window has then.  Once the message loop runs, those can be
        a size that a window manager lagging behind the host's resizing
        reported meanwhile: asked for last, it would stay and cut the view
        off. */
    void paintAtItsSize()
    {
        if (auto* peer = getPeer())
            peer->performAnyPendingRepaintsNow();
    }

    unsigned long nativeWindow() const
    {
        auto* peer = getPeer();
        return peer != nullptr ? (unsigned long) (juce::pointer_sized_uint) peer->getNativeHandle() : 0ul;
    }

private:
    std::function<void()> onClose;
};

/** The host's idle calls while the window is open, the input focus handed
    on to the view, and the end of the run: the window closed, a signal, or
    the snapshot taken. */
class IdleLoop final : private juce::Timer
{
public:
    IdleLoop (PluginInstance& instanceToIdle, PluginView& viewToIdle, EditorWindow& windowToShoot, const EditorOptions& options)
        : instance (instanceToIdle), view (viewToIdle), window (windowToShoot), viewFocus (windowToShoot.nativeWindow()),
          snapshotPath (options.snapshot), snapshotDelayMs (options.snapshotDelay * 1000.0)
    {
        startTimer (idleIntervalMs);
    }

    void stop() { juce::MessageManager::getInstance()->stopDispatchLoop(); }

    /** The snapshot taken (empty unless one was asked for and taken). */
    juce::Image snapshot;
    std::string failure;

private:
    void timerCallback() override
    {
        view.idle();
        instance.idle();
        viewFocus.idle();
        ++calls;

        if (stopAsked.load())
            return finish();

        if (! snapshotPath.empty() && calls >= idleCallsBeforeSnapshot
            && juce::Time::getMillisecondCounterHiRes() - started >= snapshotDelayMs)
        {
            try
            {
                snapshot = WindowSnapshot::capture (window.nativeWindow());
            }
            catch (const std::exception& problem)
            {
                failure = problem.what();
            }
            finish();
        }
    }

    void finish()
    {
        stopTimer();
        stop();
    }

    PluginInstance& instance;
    PluginView& view;
    EditorWindow& window;
    ViewFocus viewFocus;
    std::string snapshotPath;
    double snapshotDelayMs;
    double started = juce::Time::getMillisecondCounterHiRes();
    int calls = 0;
};

std::string joined (const std::vector<std::string>& names)
{
    std::string text;
    for (auto& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}
} // namespace

int runEditor (const EditorOptions& options, std::ostream& out, std::ostream& errors)
{
    if (const auto refused = options.checkFiles(); ! refused.empty())
    {
        errors << "kest-host editor: " << refused << "\n";
        return 2;
    }

    try
    {
        std::string noDisplay;
        if (! WindowSnapshot::displayAvailable (noDisplay))
            throw std::runtime_error (noDisplay + ": the editor needs a desktop (or run it under xvfb-run)");

        WindowSnapshot::tolerateXErrors();

        std::vector<PluginInstance::Chunk> state;
        if (! options.loadState.empty())
            state = StateFile::read (options.loadState);

        // A JACK server is used where one runs, never started for this.
        ::setenv ("JACK_NO_START_SERVER", "1", 0);
        const juce::ScopedJuceInitialiser_GUI framework;
        LivePlayer player;
        if (player.hasDevice())
            out << "audio: " << player.deviceDescription() << ", " << (int) player.sampleRate() << " Hz, blocks of " << player.blockSize() << "\n";
        else
            out << "no audio device (" << player.deviceDescription() << "): the editor plays on a timer, without sound\n";

        std::unique_ptr<RenderSequence> loop;
        if (! options.midiFile.empty())
            loop = std::make_unique<RenderSequence> (RenderSequence::fromMidiFile (options.midiFile, player.sampleRate()));

        LoadedPlugIn plugIn (options.bundle);
        PluginInstance instance (plugIn.description(), (float) player.sampleRate(), 2, instanceMaxBlock);
        if (! options.loadState.empty())
            StateFile::restore (instance, state, options.loadState);

        stopAsked.store (false);
        auto* const previousInterrupt = std::signal (SIGINT, askToStop);
        auto* const previousTerminate = std::signal (SIGTERM, askToStop);

        PluginView view (instance, plugIn.description());
        EditorWindow window ([] { stopAsked.store (true); });
        view.open (AAX_eViewContainer_Type_X11Window, (void*) (juce::pointer_sized_uint) window.nativeWindow(),
                   [&window] (int width, int height) { window.showViewSize (width, height); });
        const auto viewSize = view.size();
        if (viewSize.horz <= 0.0f || viewSize.vert <= 0.0f)
            errors << "kest-host editor: warning: the plug-in shows an empty view\n";
        window.showViewSize ((int) viewSize.horz, (int) viewSize.vert);
        window.centreWithSize (window.getWidth(), window.getHeight());
        // Before the message loop reads anything back from the window system.
        window.paintAtItsSize();

        player.start (instance, loop.get());
        out << "MIDI inputs: " << (player.midiInputs().empty() ? std::string ("none") : joined (player.midiInputs())) << "\n";
        if (loop != nullptr)
            out << "playing " << options.midiFile << " over and over\n";
        else if (! options.snapshot.empty())
        {
            AAX_CMidiPacket noteOn {};
            noteOn.length = 3;
            noteOn.data[0] = 0x90;
            noteOn.data[1] = heldNote;
            noteOn.data[2] = heldVelocity;
            player.queue (noteOn);
        }
        out << std::flush;

        {
            IdleLoop idle (instance, view, window, options);
            juce::MessageManager::getInstance()->runDispatchLoop();

            player.stop();
            view.close();
            std::signal (SIGINT, previousInterrupt);
            std::signal (SIGTERM, previousTerminate);

            if (! options.snapshot.empty())
            {
                if (! idle.failure.empty() || ! idle.snapshot.isValid())
                    throw std::runtime_error ("cannot take the snapshot: " + (idle.failure.empty() ? std::string ("the window closed first") : idle.failure));
                WindowSnapshot::writePng (idle.snapshot, options.snapshot);
                out << "wrote " << options.snapshot << ": " << idle.snapshot.getWidth() << "x" << idle.snapshot.getHeight() << "\n";
            }
        }

        if (! options.saveState.empty())
        {
            ReplacingFile stateFile (options.saveState);
            StateFile::write (stateFile, instance.saveChunks());
            out << "saved the plug-in's state to " << options.saveState << "\n";
        }
        return 0;
    }
    catch (const std::exception& failure)
    {
        errors << "kest-host editor: " << failure.what() << "\n";
        return 1;
    }
}
} // namespace KestHost

