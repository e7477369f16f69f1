#include "host/WavFileWriter.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <stdexcept>

namespace KestHost
{
namespace
{
/** The writer's stream: the replacing file, which reports every failure. */
class ReplacingFileStream final : public juce::OutputStream
{
public:
    explicit ReplacingFileStream (ReplacingFile& fileToUse) : file (fileToUse) {}

    void flush() override {}
    bool setPosition (juce::int64 position) override { return file.seek (position); }
    juce::int64 getPosition() override { return file.position(); }
    bool write (const void* data, size_t size) override { return file.write (data, size); }

private:
    ReplacingFile& file;
};
} // namespace

WavFileWriter::WavFileWriter (const std::string& pathToWrite, double sampleRate, int channels, int bitsPerSample)
    : path (pathToWrite), bits (bitsPerSample), file (pathToWrite)
{
    if (channels < 1 || channels > 2)
        throw std::runtime_error ("cannot write " + path + ": only mono and stereo files are written");
    // JUCE's WAV writer stores 32-bit samples as IEEE floats.
    juce::WavAudioFormat format;
    auto stream = std::make_unique<ReplacingFileStream> (file);
    writer.reset (format.createWriterFor (stream.get(), sampleRate, (unsigned int) channels, bitsPerSample, {}, 0));
    if (writer == nullptr)
        throw std::runtime_error ("cannot write " + path + " as a " + std::to_string (bitsPerSample) + "-bit WAV file");
    stream.release(); // the writer owns it now
}

WavFileWriter::~WavFileWriter() = default;

void WavFileWriter::write (const float* const* channels, int numChannels, int numSamples)
{
    if (failed || numSamples <= 0)
        return;
    if (scratchSamples < numSamples * numChannels)
    {
        scratchSamples = numSamples * numChannels;
        scratch.reset (new float[(size_t) scratchSamples]);
    }

    const float* checked[2] = {};
    for (int channel = 0; channel < numChannels && channel < 2; ++channel)
    {
        float* destination = scratch.get() + (size_t) channel * (size_t) numSamples;
        for (int i = 0; i < numSamples; ++i)
        {
            auto sample = channels[channel][i];
            if (! std::isfinite (sample))
            {
                ++notNumbers;
                sample = 0.0f;
            }
            const auto magnitude = std::abs (sample);
            peakLevel = std::max (peakLevel, magnitude);
            if (magnitude > 1.0f)
                ++aboveFullScale;
            destination[i] = sample;
        }
        checked[channel] = destination;
    }
    if (! writer->writeFromFloatArrays (checked, numChannels, numSamples))
        failed = true;
}

void WavFileWriter::finish()
{
    // The header is completed when the writer goes; its stream then reports
    // any failure through the file.
    writer.reset();
    if (failed && file.failure().empty())
        throw std::runtime_error ("cannot write " + path + ": the WAV writer failed");
    file.commit();
}
} // namespace KestHost
