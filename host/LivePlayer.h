#pragma once

#include "host/PluginInstance.h"
#include "host/RenderSequence.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace KestHost
{
/** Plays an instance live, the way a host plays a track armed for input.

    Audio goes to the system's default output through the host's audio
    devices; without one, a thread of its own processes a block whenever one
    is due, so the instance runs (and its meters and LEDs move) without
    sound.  MIDI comes from every MIDI input present, from messages the main
    thread queues, and from a sequence played over and over (all notes are
    turned off where it starts again).

    Construction, start, stop and the queries on the main thread; the
    processing on the device's thread or the player's own.  Nothing that
    processes allocates or waits for a lock.
*/
class LivePlayer : private juce::AudioIODeviceCallback, private juce::MidiInputCallback
{
public:
    static constexpr double fallbackSampleRate = 48000.0;
    static constexpr int fallbackBlockSize = 512;
    static constexpr int queueCapacity = 1024;

    /** Opens the default output device; when there is none, remembers why. */
    LivePlayer();
    ~LivePlayer() override;

    LivePlayer (const LivePlayer&) = delete;
    LivePlayer& operator= (const LivePlayer&) = delete;

    bool hasDevice() const noexcept { return device != nullptr; }
    /** "NAME (TYPE)" of the device, or why there is none. */
    const std::string& deviceDescription() const noexcept { return description; }
    double sampleRate() const noexcept { return rate; }
    int blockSize() const noexcept { return block; }

    /** Starts processing the instance's context, with loop (may be null or
        empty) played from its start, and opens every MIDI input.  The
        instance and loop must outlive the playing. */
    void start (PluginInstance& instance, const RenderSequence* loop);
    /** Stops processing and closes the MIDI inputs; the context is the main
        thread's again. */
    void stop();

    /** The names of the MIDI inputs opened by start. */
    const std::vector<std::string>& midiInputs() const noexcept { return inputNames; }

    /** Queues a MIDI message (at most three bytes) for the next block; false
        when the queue is full.  Any thread. */
    bool queue (const AAX_CMidiPacket& packet);

    /** Blocks processed since start.  Any thread. */
    int64_t blocksProcessed() const noexcept { return processedBlocks.load(); }

private:
    void audioDeviceIOCallbackWithContext (const float* const* inputs, int numInputs, float* const* outputs, int numOutputs,
                                           int numSamples, const juce::AudioIODeviceCallbackContext& context) override;
    void audioDeviceAboutToStart (juce::AudioIODevice*) override {}
    void audioDeviceStopped() override {}
    void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message) override;

    /** Processes numSamples into outputs (which may be null: no sound). */
    void render (float* const* outputs, int numOutputs, int numSamples) noexcept;
    int fillNode (int length) noexcept;
    void runWithoutDevice();

    juce::AudioDeviceManager devices;
    juce::AudioIODevice* device = nullptr;
    std::string description;
    double rate = fallbackSampleRate;
    int block = fallbackBlockSize;

    HostAlgorithmContext* context = nullptr;
    const std::vector<RenderSequence::Event>* loopEvents = nullptr;
    int64_t loopLength = 0;
    int64_t loopPosition = 0;
    size_t loopNext = 0;

    std::vector<std::unique_ptr<juce::MidiInput>> inputs;
    std::vector<std::string> inputNames;

    std::mutex queueWriters; // between the threads that queue; never the processing thread
    juce::AbstractFifo queueFifo { queueCapacity };
    std::array<AAX_CMidiPacket, queueCapacity> queued {};

    std::thread timerThread;
    std::atomic<bool> running { false };
    std::atomic<int64_t> processedBlocks { 0 };
};
} // namespace KestHost
