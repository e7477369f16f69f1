#include "host/RenderCommand.h"

#include "host/HostCollection.h"
#include "host/HostUnknown.h"
#include "host/PluginBundle.h"
#include "host/PluginInstance.h"
#include "host/RenderProgress.h"
#include "host/RenderSequence.h"
#include "host/RenderSession.h"
#include "host/ReplacingFile.h"
#include "host/StateFile.h"
#include "host/WavFileWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace KestHost
{
namespace
{
constexpr double tailSeconds = 2.0;

std::string fixed (double value, int decimals)
{
    char text[64];
    std::snprintf (text, sizeof (text), "%.*f", decimals, value);
    return text;
}

std::string decibels (float level)
{
    const auto value = 20.0 * std::log10 ((double) level);
    return (value > 0.0 ? "+" : "") + fixed (value, 1) + " dBFS";
}

/** A chunk identifier as its four characters where they are printable. */
std::string chunkName (AAX_CTypeID id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto character = (char) ((id >> shift) & 0xff);
        if (character < 0x20 || character > 0x7e)
        {
            char hex[16];
            std::snprintf (hex, sizeof (hex), "0x%08X", (unsigned) id);
            return hex;
        }
        text += character;
    }
    return "'" + text + "'";
}

/** The plug-in's side of one run: the loaded bundle, started and registered
    with a host of its own, shut down again in reverse order. */
class LoadedPlugIn
{
public:
    explicit LoadedPlugIn (const std::string& path) : bundle (path)
    {
        const auto& entries = bundle.entryPoints();
        entries.startup (&registration.hostUnknown());
        started = true;
        const auto registered = entries.registerPlugin (&registration.hostUnknown(), &definition);
        if (registered != AAX_SUCCESS || definition == nullptr)
            throw std::runtime_error ("the plug-in refused to register: " + std::to_string (registered));
    }

    ~LoadedPlugIn()
    {
        if (definition != nullptr)
            definition->Release();
        if (started)
            bundle.entryPoints().shutdown (&registration.hostUnknown());
    }

    const HostCollection& description() const { return static_cast<HostPluginDefinition*> (definition)->collection(); }

private:
    PluginBundle bundle;
    HostEnvironment registration;
    IACFPluginDefinition* definition = nullptr;
    bool started = false;
};

/** Restores a state file's chunks, each of which the instance must keep. */
void restoreState (PluginInstance& instance, const std::vector<PluginInstance::Chunk>& state, const std::string& path)
{
    std::vector<AAX_CTypeID> known;
    std::string knownNames;
    for (auto& chunk : instance.saveChunks())
    {
        known.push_back (chunk.id);
        knownNames += (knownNames.empty() ? "" : ", ") + chunkName (chunk.id);
    }

    const auto failure = [&path] (const std::string& why) { return std::runtime_error ("cannot use state file " + path + ": " + why); };
    for (auto& chunk : state)
        if (std::find (known.begin(), known.end(), chunk.id) == known.end())
            throw failure ("its chunk " + chunkName (chunk.id) + " is not one this plug-in keeps (" + knownNames + ")");

    for (auto& chunk : state)
        if (const auto restored = instance.restoreChunk (chunk); restored != AAX_SUCCESS)
            throw failure ("the plug-in refused its chunk " + chunkName (chunk.id) + " as damaged or not its own (result "
                           + std::to_string (restored) + ")");
}
} // namespace

int renderToFile (const RenderOptions& options, std::ostream& out, std::ostream& errors)
{
    if (const auto refused = options.checkFiles(); ! refused.empty())
    {
        errors << "kest-host render: " << refused << "\n";
        return 2;
    }

    try
    {
        // Everything the user named is read before the plug-in is touched.
        const auto sampleRate = (double) options.sampleRate;
        const auto sequence = options.midiFile.empty() ? RenderSequence::demo (sampleRate)
                                                       : RenderSequence::fromMidiFile (options.midiFile, sampleRate);
        const auto totalSamples = sequence.endSample() + (int64_t) std::llround (tailSeconds * sampleRate);
        const auto totalSeconds = (double) totalSamples / sampleRate;
        if (totalSeconds > options.maxSeconds)
            throw std::runtime_error ("the render would last " + fixed (totalSeconds, 1) + " s (to the last event and " + fixed (tailSeconds, 0)
                                      + " s after it), longer than --max-seconds " + fixed (options.maxSeconds, 0)
                                      + "; give a larger --max-seconds to render it");

        std::vector<PluginInstance::Chunk> state;
        if (! options.loadState.empty())
            state = StateFile::read (options.loadState);

        LoadedPlugIn plugIn (options.bundle);
        PluginInstance instance (plugIn.description(), (float) sampleRate, options.channels, options.blockSize);
        if (! options.loadState.empty())
            restoreState (instance, state, options.loadState);

        // Both files are opened before the render, so that a folder that
        // cannot be written is found before the time is spent.
        WavFileWriter wav (options.outFile, sampleRate, options.channels, options.bitsPerSample);
        std::unique_ptr<ReplacingFile> stateFile;
        if (! options.saveState.empty())
            stateFile = std::make_unique<ReplacingFile> (options.saveState);

        out << "rendering " << (options.midiFile.empty() ? std::string ("the demo") : options.midiFile) << ": " << fixed (totalSeconds, 1)
            << " s, " << options.channels << " channel" << (options.channels == 1 ? "" : "s") << ", " << options.sampleRate << " Hz, "
            << options.bitsPerSample << (options.bitsPerSample == 32 ? "-bit float" : "-bit") << ", blocks of " << options.blockSize
            << ", latency " << instance.latencySamples() << " samples" << std::endl;

        RenderProgress progress (out, options.progressInPlace);
        const auto result = RenderSession::run (
            instance, sequence, totalSamples, sampleRate,
            [&wav] (const float* const* channels, int numChannels, int numSamples) { wav.write (channels, numChannels, numSamples); },
            [&progress] (int64_t done, int64_t total) { progress.update (done, total); });
        progress.finish();
        wav.finish();

        if (stateFile != nullptr)
            StateFile::write (*stateFile, instance.saveChunks());

        out << "wrote " << options.outFile << ": " << fixed ((double) result.samples / sampleRate, 2) << " s, peak "
            << (wav.peak() > 0.0f ? decibels (wav.peak()) : std::string ("silent")) << "\n";
        if (wav.clipped())
            errors << "kest-host render: warning: " << options.outFile << " clipped: peak " << decibels (wav.peak()) << ", "
                   << wav.samplesAboveFullScale() << " samples above full scale were cut off; --bits 32 keeps them\n";
        if (wav.samplesNotNumbers() > 0)
            errors << "kest-host render: warning: the plug-in gave " << wav.samplesNotNumbers()
                   << " samples that were not numbers; they are written as silence\n";
        out << "realtime factor " << fixed (result.realtimeFactor, 1) << " (" << fixed (result.wallSeconds, 2) << " s to render)\n";
        if (stateFile != nullptr)
            out << "saved the plug-in's state to " << options.saveState << "\n";
        return 0;
    }
    catch (const std::exception& failure)
    {
        errors << "kest-host render: " << failure.what() << "\n";
        return 1;
    }
}
} // namespace KestHost
