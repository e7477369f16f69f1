#include "engine/AudioEngine.h"
#include "engine/LevelMeter.h"

#include <chrono>
#include <cmath>

// The audio side of the engine: preparing for a rate, rendering a block
// between its MIDI events, the master gain ramp and the meters.

namespace
{
std::int64_t steadyNanoseconds() noexcept
{
    return std::chrono::duration_cast<std::chrono::nanoseconds> (std::chrono::steady_clock::now().time_since_epoch()).count();
}
} // namespace

void AudioEngine::prepareToPlay (double newSampleRate, int maximumExpectedSamplesPerBlock)
{
    if (! isUsableSampleRate (newSampleRate))
        return;
    const auto rate = (float) newSampleRate;

    // No block has arrived since this prepare.
    lastBlockTime = 0;
    audioThreadLoad.reset();
    const int blockLength = maximumExpectedSamplesPerBlock > 0 ? maximumExpectedSamplesPerBlock : 512;
    idleAfterMs = juce::jlimit (50.0, 90.0, 4000.0 * blockLength / (double) rate);

    // The held keys are forgotten, so every voice stops: none may be left
    // that no key can release.  Keyboard notes still queued run first.  The
    // keyboard state is reset under its own lock alone, never while holding
    // the callback lock (a keyboard note takes the two the other way round).
    keyboardState.reset();

    {
        // A voice-count change running on the engine's worker finishes first
        // (no block is awaited any more, so it does not wait for one), and
        // one asked for meanwhile waits: voices are never built at the old
        // rate while the pool moves to the new one.
        const juce::ScopedLock noVoiceCountChange (voiceCountChangeLock);

        // The host does not process while it prepares; the short holds of the
        // callback lock keep a late block out all the same.
        {
            const juce::ScopedLock lock (getCallbackLock());
            postponer.executePendingCalls();
            forgetHeldNotes();
            voicePool.getInner().stopAllVoices();
            stopsServed.store (stopRequests.load());
        }
        clearDeviceIndicators();

        sampleRate.store (rate);

        voicePool.prepare (juce::jmax (1, getTotalNumOutputChannels()), rate);
    }
    for (auto& sound : sounds)
        sound.setSampleRate (rate);
    prepared = true;

    {
        // Rate-dependent coefficients are recomputed, pending changes
        // applied; values, dirty flags and the preset mark stay as they are.
        const juce::ScopedLock lock (getCallbackLock());
        for (auto& record : parameters)
            record->reapply();
    }

    meterDecay = (float) std::exp ((double) (-1.0f / (0.15f * rate)));
    clipHoldLength = (int) (2.0f * rate);
    for (int channel = 0; channel < meterChannels; ++channel)
    {
        meterLevels[(size_t) channel].store (0.0f);
        clipHoldSamples[(size_t) channel].store (0);
    }
}

void AudioEngine::releaseResources()
{
    prepared = false;
    lastBlockTime = 0;
    audioThreadLoad.reset();

    const juce::ScopedLock lock (getCallbackLock());
    applyPendingParameters();
    postponer.executePendingCalls();
    serveStopRequest();
    clearDeviceIndicators();
}

bool AudioEngine::isProcessingInRealTime() const noexcept
{
    // Before the first prepare, and after a release, the host cannot be processing.
    if (! prepared.load() || isSuspended() || isNonRealtime())
        return false;

    const auto last = lastBlockTime.load (std::memory_order_relaxed);
    if (last == 0)
        return false;

    const double sinceLastBlockMs = (double) (steadyNanoseconds() - last) * 1.0e-6;
    return sinceLastBlockMs < idleAfterMs.load (std::memory_order_relaxed);
}

std::int64_t AudioEngine::noteBlockArrived() noexcept
{
    const auto now = steadyNanoseconds();
    lastBlockTime.store (now, std::memory_order_relaxed);
    return now;
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

bool AudioEngine::isInsideAudioCallback() noexcept
{
    return insideAudioCallback;
}

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

    if (sampleRate.load() <= 0.0f)
    {
        processBlockWithoutRate (buffer, midi);
        return;
    }

    const auto blockStart = noteBlockArrived();

    // Parameter changes since the last block reach the sounds and voices
    // first; a mono switch requested since then applies before the notes
    // that were queued after it; a stop request comes after every call
    // queued before it.
    applyPendingParameters();
    voicePool.getInner().applyMonophonicRequests();
    postponer.executePendingCalls();
    serveStopRequest();
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

        playHostNote (metadata.data, metadata.numBytes);
        midiControl.handleMidiEvent (metadata.data, metadata.numBytes);
    }

    if (position != length)
        renderSegment (buffer, position, length);

    midi.clear();
    updateMeters (buffer);

    publishDeviceIndicators();

    // A long block counts as arriving until it ends; its two times are all
    // the load measure costs.
    const auto blockEnd = noteBlockArrived();
    audioThreadLoad.addBlock (blockEnd - blockStart, buffer.getNumSamples(), (double) sampleRate.load (std::memory_order_relaxed));
}

void AudioEngine::processBlockWithoutRate (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    // No prepare has given the voices a rate to run at, so nothing is
    // rendered and no note is played; parameter changes and mapped
    // controllers still reach their records.
    applyPendingParameters();
    for (const auto metadata : midi)
        midiControl.handleMidiEvent (metadata.data, metadata.numBytes);

    buffer.clear();
    midi.clear();
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
