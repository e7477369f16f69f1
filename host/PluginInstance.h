#pragma once

#include "host/HostAlgorithmContext.h"
#include "host/HostEnvironment.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace KestHost
{
class HostCollection;

/** One instance of the plug-in as a host runs it: created through the first
    effect's creation procedure 0, initialised with a host of its own (the
    sample rate and the stem format of the chosen variant), its private data
    filled, its first packets posted into its processing context.  The host
    answers the instance's set-value requests with updates, as a playing host
    does, and gives it idle time.

    Main thread: everything but the context's processing, which belongs to
    the thread that processes while the main thread leaves it alone.
*/
class PluginInstance
{
public:
    static constexpr int32_t stemFormatMono = 0x00000001;
    static constexpr int32_t stemFormatStereo = 0x00010002;

    /** Throws std::runtime_error naming what failed. */
    PluginInstance (const HostCollection& description, float sampleRate, int channels, int maxBlock,
                    size_t midiCapacity = 4096);

    /** Uninitialises and releases the instance. */
    ~PluginInstance();

    PluginInstance (const PluginInstance&) = delete;
    PluginInstance& operator= (const PluginInstance&) = delete;

    AAX_IACFEffectParameters_V2& effect() noexcept { return *parameters; }
    HostEnvironment& host() noexcept { return environment; }
    HostAlgorithmContext& context() noexcept { return *algorithmContext; }

    /** Sets a parameter as the host's automation does, then answers the
        instance's requests and posts its packets.  The instance's result.
        Not while the context is processing. */
    AAX_Result setParameter (const char* id, double value);
    double parameter (const char* id) const;

    /** Answers every pending set-value request with an update (packets stay
        with the controller until updateCoefficients). */
    void answerAutomation();

    /** The host's idle call, then the answers it asked for.  Safe while the
        context is processing. */
    void idle();

    /** The latency in samples the instance reported to its controller. */
    int latencySamples();

    /** Asks for coefficients and copies the packets posted into the
        context.  Not while the context is processing. */
    void updateCoefficients();

    struct Chunk
    {
        AAX_CTypeID id;
        std::vector<uint8_t> record; // the whole chunk record, header and data
    };

    /** Every chunk the instance offers, in index order.  Throws
        std::runtime_error when the instance refuses one. */
    std::vector<Chunk> saveChunks();

    /** Restores one chunk, answers the requests it made and posts packets.
        A record shorter than its header's size is refused unseen
        (AAX_ERROR_INCORRECT_CHUNK_SIZE).  Not while the context is processing. */
    AAX_Result restoreChunk (const Chunk& chunk);

private:
    static HostOptions optionsFor (float sampleRate, int channels);

    HostEnvironment environment;
    AAX_IACFEffectParameters_V2* parameters = nullptr;
    std::unique_ptr<HostAlgorithmContext> algorithmContext;
};
} // namespace KestHost
