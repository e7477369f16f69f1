#include "host/RenderCommand.h"

#include "host/HostCollection.h"
#include "host/HostUnknown.h"
#include "host/LoadedPlugIn.h"
#include "host/PluginBundle.h"
#include "host/PluginInstance.h"
#include "host/RenderProgress.h"
#include "host/RenderSequence.h"
#include "host/RenderSession.h"
#include "host/ReplacingFile.h"
#include "host/StateFile.h"
#include "host/WavFileWriter.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
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

constexpr AAX_CTypeID engineStateChunk = 0x4B657374; // 'Kest'
constexpr int32_t engineStateVersion = 1;

/** The preset the plug-in's state names as loaded ("Preset"), or empty. */
std::string presetNamedBy (PluginInstance& instance)
{
    for (auto& chunk : instance.saveChunks())
    {
        if (chunk.id != engineStateChunk || chunk.record.size() < AAX_SPlugInChunkHeaderSize + 8)
            continue;

        // The data is the plug-in's XML block: a magic number, the length of
        // the text, the text.
        const auto* data = chunk.record.data() + AAX_SPlugInChunkHeaderSize;
        const auto available = chunk.record.size() - AAX_SPlugInChunkHeaderSize - 8;
        const auto length = (size_t) juce::ByteOrder::littleEndianInt (data + 4);
        if (length > available)
            return {};
        auto state = juce::parseXML (juce::String::fromUTF8 (reinterpret_cast<const char*> (data + 8), (int) length));
        return state != nullptr ? state->getStringAttribute ("Preset").toStdString() : std::string();
    }
    return {};
}

/** Restores the preset's state block; throws when the plug-in refuses it or,
    for a preset of its folders, does not name it as loaded afterwards. */
void loadPreset (PluginInstance& instance, const RenderOptions& options)
{
    PluginInstance::Chunk chunk;
    chunk.id = engineStateChunk;
    chunk.record.assign (AAX_SPlugInChunkHeaderSize + options.presetState.size(), 0);
    AAX_SPlugInChunk header {};
    header.fSize = (int32_t) options.presetState.size();
    header.fVersion = engineStateVersion;
    header.fChunkID = engineStateChunk;
    std::strncpy (header.fName, "Kest Plug-in State", sizeof (header.fName) - 1);
    std::memcpy (chunk.record.data(), &header, AAX_SPlugInChunkHeaderSize);
    std::memcpy (chunk.record.data() + AAX_SPlugInChunkHeaderSize, options.presetState.data(), options.presetState.size());

    if (const auto result = instance.restoreChunk (chunk); result != AAX_SUCCESS)
        throw std::runtime_error ("the plug-in refused the preset " + options.presetFile + " (" + std::to_string (result) + ")");
    if (! options.presetPath.empty() && presetNamedBy (instance) != options.presetPath)
        throw std::runtime_error ("the plug-in could not load the preset " + options.presetFile + ": it is damaged or not a preset");
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
            StateFile::restore (instance, state, options.loadState);
        if (! options.presetState.empty())
            loadPreset (instance, options);

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
