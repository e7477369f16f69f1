#pragma once

#include "engine/DspProcessBase.h"
#include "engine/ResamplerState.h"

#include <memory>
#include <vector>

namespace Korvalden::DSP
{
/** Runs an inner audio process at the smallest whole multiple of the host
    rate that reaches a minimum rate.

    Each channel is converted up before the inner process and down after it
    with the cubic resampler, in chunks of at most 128 host samples, so the
    work buffer stays small.  With a factor of 1 the inner process works on
    the host buffer itself (no resampling, no latency).  The inner process adds
    its signal to the up-sampled input; the host range is replaced by the
    down-sampled result.
*/
class OversampledDspProcessBase : public DspProcessBase
{
public:
    static constexpr int maxChunk = 128;
    /** Channels whose silent input is recognised (the rest always resample). */
    static constexpr int maxChannelsSkipped = 8;

    /** Takes ownership of inner. */
    explicit OversampledDspProcessBase (std::unique_ptr<DspProcessBase> inner);
    ~OversampledDspProcessBase() override;

    /** Preparing thread: sets the minimum internal rate; prepares again with
        the stored settings when already prepared and the rate changed. */
    void setMinimumSampleRate (float rate);

    /** Preparing thread, never while processing: fixes the factor, rebuilds
        the resamplers and the work buffer when rate, factor or channel count
        changed, and prepares the inner process at factor x sampleRate.
        A rate that is not a positive finite number is ignored. */
    void prepare (int numChannels, float sampleRate) override;

    /** Audio thread, allocation-free. */
    void process (juce::AudioBuffer<float>& buffer, int startSample, int endSample) override;

    /** Any thread: the oversampling factor (1 until prepared). */
    unsigned getFactor() const noexcept { return factor; }
    float getMinimumSampleRate() const noexcept { return minimumRate; }

protected:
    DspProcessBase& getInnerProcess() noexcept { return *inner; }

private:
    unsigned numChannels = 2;
    float minimumRate = 1.0f;
    float sampleRate = 0.0f;
    unsigned factor = 1;
    std::unique_ptr<DspProcessBase> inner;
    std::vector<ResamplerState> upsamplers, downsamplers;
    juce::AudioBuffer<float> work { 2, maxChunk };
};
} // namespace Korvalden::DSP
