#include "host/LivePlayer.h"

#include "host/RenderSession.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace KestHost
{
namespace
{
constexpr uint8_t controlChange = 0xB0;
constexpr uint8_t allNotesOff = 123;
constexpr int midiChannels = 16;

/** Keeps the sound libraries' own complaints off the error stream while the
    devices are looked for (a JACK library without a server prints several
    lines); what matters is said once by the caller. */
class QuietErrorStream
{
public:
    QuietErrorStream() : saved (::dup (STDERR_FILENO))
    {
        const int nowhere = ::open ("/dev/null", O_WRONLY);
        if (saved >= 0 && nowhere >= 0)
            ::dup2 (nowhere, STDERR_FILENO);
        if (nowhere >= 0)
            ::close (nowhere);
    }

    ~QuietErrorStream()
    {
        if (saved < 0)
            return;
        ::dup2 (saved, STDERR_FILENO);
        ::close (saved);
    }

    QuietErrorStream (const QuietErrorStream&) = delete;
    QuietErrorStream& operator= (const QuietErrorStream&) = delete;

private:
    int saved;
};
} // namespace

LivePlayer::LivePlayer()
{
    juce::String error;
    {
        const QuietErrorStream quiet;
        error = devices.initialiseWithDefaultDevices (0, 2);
    }
    device = devices.getCurrentAudioDevice();
    if (device == nullptr)
    {
        description = error.isNotEmpty() ? error.toStdString() : std::string ("no output device was found");
        return;
    }
    description = (device->getName() + " (" + device->getTypeName() + ")").toStdString();
    rate = device->getCurrentSampleRate();
    block = device->getCurrentBufferSizeSamples();
}

LivePlayer::~LivePlayer()
{
    stop();
    devices.closeAudioDevice();
}

void LivePlayer::start (PluginInstance& instance, const RenderSequence* loop)
{
    stop();
    context = &instance.context();
    loopEvents = loop != nullptr && loop->endSample() > 0 ? &loop->events() : nullptr;
    loopLength = loopEvents != nullptr ? loop->endSample() : 0;
    loopPosition = 0;
    loopNext = 0;
    processedBlocks.store (0);
    running.store (true);

    if (device != nullptr)
        devices.addAudioCallback (this);
    else
        timerThread = std::thread ([this] { runWithoutDevice(); });

    inputNames.clear();
    for (auto& available : juce::MidiInput::getAvailableDevices())
        if (auto input = juce::MidiInput::openDevice (available.identifier, this))
        {
            input->start();
            inputNames.push_back (available.name.toStdString());
            inputs.push_back (std::move (input));
        }
}

void LivePlayer::stop()
{
    for (auto& input : inputs)
        input->stop();
    inputs.clear();

    if (! running.exchange (false))
        return;
    if (device != nullptr)
        devices.removeAudioCallback (this);
    if (timerThread.joinable())
        timerThread.join();
    context = nullptr;
}

bool LivePlayer::queue (const AAX_CMidiPacket& packet)
{
    const std::lock_guard<std::mutex> lock (queueWriters);
    if (queueFifo.getFreeSpace() < 1)
        return false;
    const auto scope = queueFifo.write (1);
    queued[(size_t) (scope.blockSize1 > 0 ? scope.startIndex1 : scope.startIndex2)] = packet;
    return true;
}

void LivePlayer::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message)
{
    // Channel messages only: system-exclusive and clock are not the instrument's.
    if (message.getRawDataSize() > 3 || message.isSysEx() || message.getRawDataSize() < 1 || message.getRawData()[0] >= 0xF0)
        return;
    AAX_CMidiPacket packet {};
    packet.length = (uint32_t) message.getRawDataSize();
    std::copy (message.getRawData(), message.getRawData() + packet.length, packet.data);
    queue (packet);
}

void LivePlayer::audioDeviceIOCallbackWithContext (const float* const*, int, float* const* outputs, int numOutputs, int numSamples,
                                                   const juce::AudioIODeviceCallbackContext&)
{
    render (outputs, numOutputs, numSamples);
}

void LivePlayer::runWithoutDevice()
{
    using clock = std::chrono::steady_clock;
    const auto blockDuration = std::chrono::duration<double> ((double) block / rate);
    auto due = clock::now();
    while (running.load())
    {
        render (nullptr, 0, block);
        due += std::chrono::duration_cast<clock::duration> (blockDuration);
        std::this_thread::sleep_until (due);
    }
}

int LivePlayer::fillNode (int length) noexcept
{
    auto& node = context->midiNode();
    int toProcess = length;

    if (loopEvents != nullptr)
    {
        if (loopPosition >= loopLength)
        {
            loopPosition = 0;
            loopNext = 0;
        }
        toProcess = RenderSession::fillMidiNode (node, *loopEvents, loopNext, loopPosition,
                                                 (int) std::min<int64_t> (length, loopLength - loopPosition));

        // Notes the sequence leaves on end with its last sample, before it
        // starts again.
        if (loopPosition + toProcess >= loopLength)
            for (int channel = 0; channel < midiChannels; ++channel)
            {
                AAX_CMidiPacket off {};
                off.timestamp = (uint32_t) (toProcess - 1);
                off.length = 3;
                off.data[0] = (uint8_t) (controlChange | channel);
                off.data[1] = allNotesOff;
                node.add (off);
            }
    }
    else
    {
        node.clear();
    }

    // What was played or queued since the last block, at its start.
    const auto ready = std::min<int> (queueFifo.getNumReady(), (int) (node.capacity() - node.size()));
    if (ready > 0)
    {
        const auto scope = queueFifo.read (ready);
        scope.forEach ([&] (int index) { node.add (queued[(size_t) index]); });
    }
    return toProcess;
}

void LivePlayer::render (float* const* outputs, int numOutputs, int numSamples) noexcept
{
    const juce::ScopedNoDenormals noDenormals;
    if (context == nullptr || ! running.load())
    {
        for (int channel = 0; channel < numOutputs; ++channel)
            if (outputs[channel] != nullptr)
                std::fill (outputs[channel], outputs[channel] + numSamples, 0.0f);
        return;
    }

    for (int done = 0; done < numSamples;)
    {
        const auto length = fillNode (std::min (numSamples - done, context->maximumBlock()));
        context->process (length);
        for (int channel = 0; channel < numOutputs; ++channel)
            if (outputs[channel] != nullptr)
            {
                const auto* source = context->output (channel % context->channels());
                std::copy (source, source + length, outputs[channel] + done);
            }
        if (loopEvents != nullptr)
            loopPosition += length;
        done += length;
    }
    processedBlocks.fetch_add (1);
}
} // namespace KestHost
