#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace Korvalden::DSP
{
/** An audio process with a prepare and a process step.

    process() works on samples startSample .. endSample - 1 of every channel of
    the buffer.  prepare() runs before processing starts (never concurrently
    with process()); process() runs on the audio thread and must not allocate.
*/
class DspProcessBase
{
public:
    virtual ~DspProcessBase() = default;

    virtual void prepare (int numChannels, float sampleRate) = 0;
    virtual void process (juce::AudioBuffer<float>& buffer, int startSample, int endSample) = 0;
};
} // namespace Korvalden::DSP
