#include "engine/AudioEngine.h"
#include "engine/LevelMeter.h"

#include <cmath>

// The audio side of the engine: preparing for a rate, rendering a block
// between its MIDI events, the master gain ramp, note routing and the meters.

void AudioEngine::prepareToPlay (double newSampleRate, int)
{
    if (! (newSampleRate > 0.0))
        return;

    keyboardState.reset();

    auto rate = (float) newSampleRate;
    sampleRate.store (rate);

    voicePool.prepare (juce::jmax (1, getTotalNumOutputChannels()), rate);
    for (auto& sound : sounds)
        sound.setSampleRate (rate);
    prepared = true;

    // Rate-dependent coefficients are recomputed; values, dirty flags and
    // the preset mark stay as they are.
    for (auto& record : parameters)
        record->reapply();

    meterDecay = (float) std::exp ((double) (-1.0f / (0.15f * rate)));
    clipHoldLength = (int) (2.0f * rate);
    for (int channel = 0; channel < meterChannels; ++channel)
    {
        meterLevels[(size_t) channel].store (0.0f);
        clipHoldSamples[(size_t) channel].store (0);
    }
}

namespace
{
/** Set while the calling thread runs an engine's audio callback. */
thread_local bool insideAudioCallback = false;

struct AudioCallbackScope
{
    AudioCallbackScope() noexcept : previous (insideAudioCallback) { insideAudioCallback = true; }
    ~AudioCallbackScope() { insideAudioCallback = previous; }
    const bool previous;
};
} // namespace

bool AudioEngine::mustDeferToAudioThread() const noexcept
{
    // A host that runs the callback on its main thread gets its notes at
    // once: deferring them would only delay them by a block.
    return ! insideAudioCallback && juce::Thread::getCurrentThreadId() == ownerThread && isProcessingInRealTime();
}

void AudioEngine::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    juce::ScopedNoDenormals noDenormals;
    const AudioCallbackScope callbackScope;

    // A mono switch requested since the last block applies before the notes
    // that were queued after it.
    voicePool.getInner().applyMonophonicRequests();
    postponer.executePendingCalls();
    buffer.clear();

    const int length = buffer.getNumSamples();
    int position = 0;

    for (const auto metadata : midi)
    {
        // Events outside the block are taken as lying on its nearest edge.
        const int time = juce::jlimit (position, length, metadata.samplePosition);

        if (time != position)
        {
            renderSegment (buffer, position, time);
            position = time;
        }

        keyboardState.processNextMidiEvent (metadata.getMessage());
        midiControl.handleMidiEvent (metadata.data, metadata.numBytes);
    }

    if (position != length)
        renderSegment (buffer, position, length);

    midi.clear();
    updateMeters (buffer);
}

void AudioEngine::renderSegment (juce::AudioBuffer<float>& buffer, int start, int end)
{
    voicePool.process (buffer, start, end);
    applyMasterGain (buffer, start, end - start);
}

void AudioEngine::applyMasterGain (juce::AudioBuffer<float>& buffer, int start, int numSamples)
{
    const int numChannels = buffer.getNumChannels();

    // Gain and change count come in one load: a change is never applied
    // without its ramp.  Every change restarts the full ramp from the gain
    // reached so far.
    const auto request = gainRequest.load();
    if (request.changeCount != gainChangesSeen)
    {
        gainChangesSeen = request.changeCount;
        gainRampSamplesLeft = (unsigned int) (sampleRate.load() * 0.01f);
    }

    if (gainRampSamplesLeft != 0)
    {
        const auto used = juce::jmin (gainRampSamplesLeft, (unsigned int) numSamples);
        const float g0 = currentGain;
        const float g1 = g0 + (float) used * (request.targetGain - g0) / (float) gainRampSamplesLeft;

        for (int channel = 0; channel < numChannels; ++channel)
            buffer.applyGainRamp (channel, start, numSamples, g0, g1);

        gainRampSamplesLeft -= used;
        currentGain = g1;
        return;
    }

    currentGain = request.targetGain;
    for (int channel = 0; channel < numChannels; ++channel)
        buffer.applyGain (channel, start, numSamples, request.targetGain);
}

void AudioEngine::updateMeters (const juce::AudioBuffer<float>& buffer)
{
    const int channels = juce::jmin (meterChannels, buffer.getNumChannels());
    const int length = buffer.getNumSamples();

    for (int channel = 0; channel < channels; ++channel)
    {
        float level = meterLevels[(size_t) channel].load (std::memory_order_relaxed);
        int hold = clipHoldSamples[(size_t) channel].load (std::memory_order_relaxed);
        LevelMeter::follow (buffer.getReadPointer (channel), length, meterDecay, clipHoldLength, level, hold);
        meterLevels[(size_t) channel].store (level, std::memory_order_relaxed);
        clipHoldSamples[(size_t) channel].store (hold, std::memory_order_relaxed);
    }
}

