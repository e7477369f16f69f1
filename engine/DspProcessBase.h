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

    /** Audio thread, between process() calls: true when the next process()
        would add nothing to the buffer (whatever it holds), so a caller may
        hand it any buffer and skip the work around it.  False unless a
        process knows better. */
    virtual bool addsNothing() const noexcept { return false; }
};
} // namespace Korvalden::DSP
