#include "engine/AudioEngine.h"

#include <cmath>

// The engine's side of the voices: note routing by receive channel, the
// voice settings, the number of voices, stopping all voices and the queries
// behind the editor's LEDs.

using Mode = MultiSoundVoiceController::tVoiceAllocationMode;

//==============================================================================
template <typename Call>
void AudioEngine::routeNote (int midiChannel, Call&& call)
{
    const auto global = receiveChannels[0].load();

    if (global == 0 || global == (unsigned int) midiChannel)
    {
        call (static_cast<VoiceManager&> (globalController));
        return;
    }

    for (unsigned int slot = 1; slot < ParameterTable::numReceiveSlots; ++slot)
        if (receiveChannels[slot].load() == (unsigned int) midiChannel)
            call (static_cast<VoiceManager&> (*deviceControllers[slot - 1]));
}

// A note reaches the voices at once only where no block can be rendering at
// the same time: on the audio thread, or holding the callback lock.  The
// lock is only tried, never waited for, because the keyboard's own lock is
// held here and the audio thread takes the two the other way round; when it
// is busy, the owner thread posts the note for the audio thread instead.
bool AudioEngine::playNoteAtOnce (const juce::ScopedTryLock& callbackLock) const noexcept
{
    if (isInsideAudioCallback())
        return true;
    if (mustDeferToAudioThread())
        return false;
    return callbackLock.isLocked() || juce::Thread::getCurrentThreadId() != ownerThread;
}

void AudioEngine::handleNoteOn (juce::MidiKeyboardState*, int midiChannel, int note, float velocity)
{
    const juce::ScopedTryLock lock (getCallbackLock());
    const bool atOnce = playNoteAtOnce (lock);

    routeNote (midiChannel, [&] (VoiceManager& target)
    {
        if (atOnce)
            target.noteOn (note, velocity);
        else
            postponer.addMethodCall (&target, &VoiceManager::noteOn, note, velocity);
    });
}

void AudioEngine::handleNoteOff (juce::MidiKeyboardState*, int midiChannel, int note, float)
{
    const juce::ScopedTryLock lock (getCallbackLock());
    const bool atOnce = playNoteAtOnce (lock);

    routeNote (midiChannel, [&] (VoiceManager& target)
    {
        if (atOnce)
            target.noteOff (note);
        else
            postponer.addMethodCall (&target, &VoiceManager::noteOff, note);
    });
}

//==============================================================================
void AudioEngine::applyEffectiveMonophonic()
{
    // Only Chord (Blow) suspends the mono switch.
    const bool effective = monophonic.load() && globalController.getAllocationMode() != MultiSoundVoiceController::chordBlow;

    globalController.requestMonophonic (effective);
    for (auto& controller : deviceControllers)
        controller->requestMonophonic (effective);

    // Without real-time processing nobody else applies the request.
    if (! isProcessingInRealTime())
    {
        const juce::ScopedLock lock (getCallbackLock());
        voicePool.getInner().applyMonophonicRequests();
    }
}

void AudioEngine::setVoiceAllocationMode (Mode mode)
{
    if (globalController.setAllocationMode (mode))
        applyEffectiveMonophonic();
}

void AudioEngine::setMonophonic (bool on)
{
    if (monophonic.exchange (on) != on)
        applyEffectiveMonophonic();
}

bool AudioEngine::setVoiceDirection (bool down) { return globalController.setDirection (down); }
bool AudioEngine::setVoiceFill (bool on) { return globalController.setFill (on); }

void AudioEngine::setMidiOn (int device, bool on)
{
    globalController.setDeviceEnabled ((unsigned) device, on);
    deviceControllers[(size_t) device]->setEnabled (on);
}

//==============================================================================
void AudioEngine::serveStopRequest()
{
    if (stopRequested.exchange (false))
    {
        voicePool.getInner().stopAllVoices();
        voicesStopped.signal();
    }
}

void AudioEngine::stopAllVoices()
{
    if (isInsideAudioCallback())
    {
        voicePool.getInner().stopAllVoices();
        return;
    }

    voicesStopped.reset();
    stopRequested = true;

    // While blocks keep arriving the audio thread serves the request at the
    // start of its next one.  The callback lock is not held while waiting:
    // the audio thread needs it to render.
    constexpr int pollMs = 2;
    for (int waited = 0; waited < 5000 && isProcessingInRealTime(); waited += pollMs)
        if (voicesStopped.wait (pollMs))
            return;

    // No audio runs (or it stalls): the voices stop here.
    const juce::ScopedLock lock (getCallbackLock());
    serveStopRequest();
}

void AudioEngine::setNumberOfVoices (unsigned int count)
{
    jassert (! isInsideAudioCallback());

    // The state's reader and the voice-count worker may both get here.
    const juce::ScopedLock oneChangeAtATime (voiceCountChangeLock);
    if (count == 0 || count > maxNumberOfVoices || (int) count == numberOfVoices.load())
        return;

    numberOfVoices = (int) count;

    // New voices are built, and old ones deleted, outside the lock the
    // audio thread waits on.
    auto& pool = voicePool.getInner();
    auto spare = pool.createVoices (count);
    stopAllVoices();

    {
        const juce::ScopedLock lock (getCallbackLock());
        pool.exchangeVoices (count, spare);
    }

    VoiceManager::VoicePool::deleteVoices (spare);
}

bool AudioEngine::requestNumberOfVoices (int count)
{
    jassert (isOwnerThread());
    if (count < 1 || (unsigned int) count > maxNumberOfVoices)
        return false;

    if (count != getRequestedNumberOfVoices())
        voiceCountChanger.request ((unsigned int) count);
    return true;
}

int AudioEngine::getRequestedNumberOfVoices() const noexcept
{
    const auto pending = voiceCountChanger.getPendingCount();
    return pending > 0 ? pending : numberOfVoices.load();
}

//==============================================================================
bool AudioEngine::isGliding (int device) const
{
    if (device < 0 || device >= ParameterTable::numDevices)
        return false;

    auto& sound = sounds[(size_t) device];
    for (int i = 0; i < sound.getNumVoices(); ++i)
    {
        if (auto* voice = sound.getVoice (i))
        {
            const double target = (double) voice->getTune() + ((double) voice->note + 2.0 * (double) voice->getPitchBend());
            if (std::abs (target - voice->getPitch()) > 0.005)
                return true;
        }
    }
    return false;
}

float AudioEngine::getLfoDisplayValue (int device, bool second) const
{
    if (device < 0 || device >= ParameterTable::numDevices)
        return 0.0f;

    auto& sound = sounds[(size_t) device];
    const float x1 = second ? sound.getLfo2Phase() : sound.getLfo1Phase();
    const float increment = second ? sound.getLfo2Increment() : sound.getLfo1Increment();

    // The phase travelled in the last 0.1 s.
    const float w = increment * sound.getSampleRate() * 0.1f;
    if (! (w > 0.0f) || ! std::isfinite (w))
        return 0.0f;

    const float x2 = x1 - w;
    const float a = x1 >= 0.0f ? 0.5f * x1 * x1 : 0.5f * (1.0f - x1 * x1);
    const float c = (float) ((double) a + (std::floor ((double) x1) - std::floor ((double) x2)) * 0.5);

    float b;
    if (x2 >= 0.0f)
    {
        b = x2 * x2;
    }
    else
    {
        const float f = x2 - std::trunc (x2);
        b = ((long long) std::floor (x2)) % 2 != 0 ? 1.0f - f * f : (f + 1.0f) * (f + 1.0f);
    }

    return (c - 0.5f * b) / w;
}
