#include "host/RenderCommand.h"

#include "host/HostCollection.h"
#include "host/HostUnknown.h"
#include "host/PluginBundle.h"
#include "host/PluginInstance.h"
#include "host/RenderSession.h"
#include "host/RenderSequence.h"
#include "host/StateFile.h"

#include <juce_audio_formats/juce_audio_formats.h>

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
constexpr int bitsPerSample = 24;

bool parseNumber (const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod (text.c_str(), &end);
    return ! text.empty() && end != nullptr && *end == '\0' && std::isfinite (value);
}

std::string fixed (double value, int decimals)
{
    char text[64];
    std::snprintf (text, sizeof (text), "%.*f", decimals, value);
    return text;
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

/** The WAV file being written, with the peak of what went in. */
class WavOutput
{
public:
    WavOutput (const std::string& path, double sampleRate, int channels)
    {
        const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (path);
        file.deleteFile();
        auto stream = file.createOutputStream();
        if (stream == nullptr || stream->failedToOpen())
            throw std::runtime_error ("cannot write " + path);

        juce::WavAudioFormat format;
        writer.reset (format.createWriterFor (stream.get(), sampleRate, (unsigned int) channels, bitsPerSample, {}, 0));
        if (writer == nullptr)
            throw std::runtime_error ("cannot write " + path + " as WAV");
        stream.release(); // the writer owns it now
    }

    void write (const float* const* channels, int numChannels, int numSamples)
    {
        for (int channel = 0; channel < numChannels; ++channel)
            for (int i = 0; i < numSamples; ++i)
                peak = std::max (peak, std::abs (channels[channel][i]));
        if (! writer->writeFromFloatArrays (channels, numChannels, numSamples))
            failed = true;
    }

    void finish()
    {
        writer.reset();
        if (failed)
            throw std::runtime_error ("writing the WAV file failed");
    }

    float peakLevel() const noexcept { return peak; }

private:
    std::unique_ptr<juce::AudioFormatWriter> writer;
    float peak = 0.0f;
    bool failed = false;
};
} // namespace

bool RenderOptions::parse (const std::vector<std::string>& arguments, std::string& error)
{
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        const auto& name = arguments[i];
        if (i + 1 >= arguments.size())
        {
            error = "missing value after " + name;
            return false;
        }
        const auto& value = arguments[++i];
        double number = 0.0;

        if (name == "--bundle")
            bundle = value;
        else if (name == "--midi")
            midiFile = value;
        else if (name == "--out")
            outFile = value;
        else if (name == "--load-state")
            loadState = value;
        else if (name == "--save-state")
            saveState = value;
        else if (name == "--rate")
        {
            if (! parseNumber (value, number) || number < 8000.0 || number > 384000.0)
            {
                error = "--rate must be a sample rate from 8000 to 384000 Hz";
                return false;
            }
            sampleRate = number;
        }
        else if (name == "--block")
        {
            if (! parseNumber (value, number) || number != std::floor (number) || number < 1.0 || number > 8192.0)
            {
                error = "--block must be a whole number from 1 to 8192";
                return false;
            }
            blockSize = (int) number;
        }
        else if (name == "--channels")
        {
            if (value != "1" && value != "2")
            {
                error = "--channels must be 1 or 2";
                return false;
            }
            channels = value == "1" ? 1 : 2;
        }
        else
        {
            error = "unknown option " + name;
            return false;
        }
    }
    return true;
}

int renderToFile (const RenderOptions& options, std::ostream& out, std::ostream& errors)
{
    try
    {
        // Everything the user named is read before the plug-in is touched.
        const auto sequence = options.midiFile.empty() ? RenderSequence::demo (options.sampleRate)
                                                       : RenderSequence::fromMidiFile (options.midiFile, options.sampleRate);
        std::vector<PluginInstance::Chunk> state;
        if (! options.loadState.empty())
            state = StateFile::read (options.loadState);

        LoadedPlugIn plugIn (options.bundle);
        PluginInstance instance (plugIn.description(), (float) options.sampleRate, options.channels, options.blockSize);
        for (auto& chunk : state)
        {
            const auto restored = instance.restoreChunk (chunk);
            if (restored != AAX_SUCCESS)
                throw std::runtime_error ("the plug-in refused the state in " + options.loadState + ": " + std::to_string (restored));
        }

        const auto totalSamples = sequence.endSample() + (int64_t) std::llround (tailSeconds * options.sampleRate);
        out << "rendering " << (options.midiFile.empty() ? std::string ("the demo") : options.midiFile) << ": "
            << fixed ((double) totalSamples / options.sampleRate, 1) << " s, " << options.channels << " channel"
            << (options.channels == 1 ? "" : "s") << ", " << fixed (options.sampleRate, 0) << " Hz, blocks of "
            << options.blockSize << std::endl;

        WavOutput wav (options.outFile, options.sampleRate, options.channels);
        int reported = 0;
        const auto result = RenderSession::run (
            instance, sequence, totalSamples, options.sampleRate,
            [&wav] (const float* const* channels, int numChannels, int numSamples) { wav.write (channels, numChannels, numSamples); },
            [&] (int64_t done, int64_t total)
            {
                const int percent = total > 0 ? (int) (done * 100 / total) : 100;
                if (percent / 10 > reported / 10)
                {
                    reported = percent;
                    out << "  " << percent << "%" << std::endl;
                }
            });
        wav.finish();

        if (! options.saveState.empty())
            StateFile::write (options.saveState, instance.saveChunks());

        const auto peak = wav.peakLevel();
        out << "wrote " << options.outFile << ": " << fixed ((double) result.samples / options.sampleRate, 2) << " s, peak "
            << (peak > 0.0f ? fixed (20.0 * std::log10 ((double) peak), 1) + " dBFS" : std::string ("silent")) << "\n";
        out << "realtime factor " << fixed (result.realtimeFactor, 1) << " (" << fixed (result.wallSeconds, 2) << " s to render)\n";
        if (! options.saveState.empty())
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
