#pragma once

#include "host/ReplacingFile.h"

#include <cstdint>
#include <memory>
#include <string>

namespace juce
{
class AudioFormatWriter;
}

namespace KestHost
{
/** The WAV file a render writes: 16- or 24-bit integer or 32-bit float
    samples, written through a ReplacingFile, so the target changes only when
    the whole file is written.  Keeps the peak, the samples beyond full scale
    (clipped in an integer file) and the samples that were not numbers
    (written as silence).  Main thread. */
class WavFileWriter
{
public:
    /** One or two channels.  Throws std::runtime_error naming path when it
        cannot be created. */
    WavFileWriter (const std::string& path, double sampleRate, int channels, int bitsPerSample);
    ~WavFileWriter();

    void write (const float* const* channels, int numChannels, int numSamples);

    /** Completes the header and renames the file over the target.  Throws
        std::runtime_error naming the target and why; the target is then
        left as it was. */
    void finish();

    float peak() const noexcept { return peakLevel; }
    /** Samples above full scale, clipped when the file holds integers. */
    int64_t samplesAboveFullScale() const noexcept { return aboveFullScale; }
    int64_t samplesNotNumbers() const noexcept { return notNumbers; }
    bool clipped() const noexcept { return bits != 32 && aboveFullScale > 0; }

private:
    std::string path;
    int bits;
    ReplacingFile file;
    std::unique_ptr<juce::AudioFormatWriter> writer;
    std::unique_ptr<float[]> scratch;
    int scratchSamples = 0;
    float peakLevel = 0.0f;
    int64_t aboveFullScale = 0;
    int64_t notNumbers = 0;
    bool failed = false;
};
} // namespace KestHost
