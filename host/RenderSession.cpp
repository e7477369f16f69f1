#include "host/RenderSession.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace KestHost
{
namespace
{
constexpr int fifoBlocks = 64;

/** The audio side: renders every block, waiting only when the main thread
    has not yet taken enough of the audio. */
class AudioThreadJob
{
public:
    AudioThreadJob (HostAlgorithmContext& contextToUse, const RenderSequence& sequenceToUse, int64_t total,
                    juce::AbstractFifo& fifoToUse, float* const* ringToUse)
        : context (contextToUse), sequence (sequenceToUse), totalSamples (total), fifo (fifoToUse), ring (ringToUse)
    {
    }

    void run()
    {
        const auto& events = sequence.events();
        size_t next = 0;
        const int block = context.maximumBlock();

        for (int64_t position = 0; position < totalSamples;)
        {
            const int length = RenderSession::fillMidiNode (context.midiNode(), events, next, position,
                                                            (int) std::min<int64_t> (block, totalSamples - position));
            context.process (length);

            while (fifo.getFreeSpace() < length)
                std::this_thread::sleep_for (std::chrono::microseconds (200));
            const auto scope = fifo.write (length);
            for (int channel = 0; channel < context.channels(); ++channel)
            {
                const float* output = context.output (channel);
                std::copy (output, output + scope.blockSize1, ring[channel] + scope.startIndex1);
                std::copy (output + scope.blockSize1, output + scope.blockSize1 + scope.blockSize2, ring[channel] + scope.startIndex2);
            }

            position += length;
        }
        finished.store (true);
    }

    std::atomic<bool> finished { false };

private:
    HostAlgorithmContext& context;
    const RenderSequence& sequence;
    int64_t totalSamples;
    juce::AbstractFifo& fifo;
    float* const* ring;
};
} // namespace

int RenderSession::fillMidiNode (HostMidiNode& node, const std::vector<RenderSequence::Event>& events, size_t& next,
                                 int64_t position, int length) noexcept
{
    node.clear();
    const auto end = position + length;
    const auto capacity = node.capacity();

    size_t count = 0;
    while (next + count < events.size() && events[next + count].sample < end && count <= capacity)
        ++count;

    int toProcess = length;
    size_t taken = count;
    if (count > capacity)
    {
        // Events before the block (left over from a full node) count as at its start.
        const auto firstLeftOver = std::max (events[next + capacity].sample, position);
        if (firstLeftOver > position)
        {
            toProcess = (int) (firstLeftOver - position);
            taken = 0;
            while (events[next + taken].sample < firstLeftOver)
                ++taken;
        }
        else
        {
            toProcess = 1;
            taken = capacity;
        }
    }

    for (size_t i = 0; i < taken; ++i)
    {
        auto packet = events[next + i].packet;
        packet.timestamp = (uint32_t) (std::max (events[next + i].sample, position) - position);
        node.add (packet);
    }
    next += taken;
    return toProcess;
}

RenderSession::Result RenderSession::run (PluginInstance& instance, const RenderSequence& sequence, int64_t totalSamples,
                                          double sampleRate, const Sink& sink, const Progress& progress)
{
    auto& context = instance.context();
    const int channels = context.channels();
    const int capacity = context.maximumBlock() * fifoBlocks;

    juce::AbstractFifo fifo (capacity);
    // Both threads reach the ring only through its raw channel pointers, taken
    // before the audio thread starts: the buffer object's own bookkeeping is
    // not shared between threads.
    juce::AudioBuffer<float> ringBuffer (channels, capacity);
    ringBuffer.clear();
    float* const* ring = ringBuffer.getArrayOfWritePointers();
    juce::AudioBuffer<float> taken (channels, capacity);
    AudioThreadJob job (context, sequence, totalSamples, fifo, ring);

    const auto start = std::chrono::steady_clock::now();
    std::thread audioThread ([&job] { job.run(); });

    int64_t done = 0;
    for (;;)
    {
        instance.idle();

        const bool audioFinished = job.finished.load();
        const int ready = fifo.getNumReady();
        if (ready > 0)
        {
            const auto scope = fifo.read (ready);
            for (int channel = 0; channel < channels; ++channel)
            {
                float* destination = taken.getWritePointer (channel);
                std::copy (ring[channel] + scope.startIndex1, ring[channel] + scope.startIndex1 + scope.blockSize1, destination);
                std::copy (ring[channel] + scope.startIndex2, ring[channel] + scope.startIndex2 + scope.blockSize2,
                           destination + scope.blockSize1);
            }
            if (sink)
                sink (taken.getArrayOfReadPointers(), channels, ready);
            done += ready;
            if (progress)
                progress (done, totalSamples);
        }
        else if (audioFinished)
        {
            break;
        }
        else
        {
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }
    }

    audioThread.join();
    const auto wall = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();

    Result result;
    result.samples = done;
    result.wallSeconds = wall;
    result.realtimeFactor = wall > 0.0 ? ((double) done / sampleRate) / wall : 0.0;
    return result;
}
} // namespace KestHost
