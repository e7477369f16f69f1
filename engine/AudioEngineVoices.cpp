#include "engine/AudioEngine.h"

#include <cmath>
#include <cstdint>
#include <utility>

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

void AudioEngine::startRoutedNote (int midiChannel, int note, float velocity)
{
    routeNote (midiChannel, [&] (VoiceManager& target)
    {
        target.noteOn (note, velocity);
        for (unsigned int device = 0; device < deviceControllers.size(); ++device)
            if (&target == deviceControllers[device].get())
                globalController.setNoteDevice (note, device);
    });
}

void AudioEngine::playHostNote (const juce::uint8* data, int numBytes)
{
    // Straight from the MIDI bytes: no message object, so nothing allocates.
    if (data == nullptr || numBytes < 2)
        return;

    const int kind = data[0] & 0xf0;
    const int channel = (data[0] & 0x0f) + 1;
    const auto channelBit = (std::uint16_t) (1u << (channel - 1));
    const int note = data[1] & 0x7f;
    const int velocity = numBytes >= 3 ? (data[2] & 0x7f) : 0;

    // A note off reaches the voices only for a note that is on, from the
    // host or the on-screen keyboard (on the same channel); a note on always does.
    auto release = [&] (int releasedNote)
    {
        auto& held = hostNotesHeld[(size_t) releasedNote];
        const auto bits = held.load (std::memory_order_relaxed);
        if (((bits | keyboardNotesOn[(size_t) releasedNote].load (std::memory_order_relaxed)) & channelBit) == 0)
            return;
        held.store ((std::uint16_t) (bits & ~channelBit), std::memory_order_relaxed);
        routeNote (channel, [&] (VoiceManager& target) { target.noteOff (releasedNote); });
    };

    if (kind == 0x90 && numBytes >= 3 && velocity > 0)
    {
        auto& held = hostNotesHeld[(size_t) note];
        held.store ((std::uint16_t) (held.load (std::memory_order_relaxed) | channelBit), std::memory_order_relaxed);
        const float level = (float) velocity * (1.0f / 127.0f);
        startRoutedNote (channel, note, level);
    }
    else if (kind == 0x80 || (kind == 0x90 && numBytes >= 3))
    {
        release (note);
    }
    else if (kind == 0xb0 && note == 123)
    {
        for (int n = 0; n < numNotes; ++n)
            release (n);
    }
}

void AudioEngine::forgetHeldNotes() noexcept
{
    for (auto& held : hostNotesHeld)
        held.store (0, std::memory_order_relaxed);
    for (auto& on : keyboardNotesOn)
        on.store (0, std::memory_order_relaxed);
}

void AudioEngine::playKeyboardNoteOn (int midiChannel, int note, float velocity)
{
    auto& on = keyboardNotesOn[(size_t) note];
    on.store ((std::uint16_t) (on.load (std::memory_order_relaxed) | (1u << (midiChannel - 1))), std::memory_order_relaxed);
    startRoutedNote (midiChannel, note, velocity);
}

void AudioEngine::playKeyboardNoteOff (int midiChannel, int note)
{
    auto& on = keyboardNotesOn[(size_t) note];
    on.store ((std::uint16_t) (on.load (std::memory_order_relaxed) & ~(1u << (midiChannel - 1))), std::memory_order_relaxed);
    routeNote (midiChannel, [&] (VoiceManager& target) { target.noteOff (note); });
}

namespace
{
/** Set while the calling thread gives the host's notes to a keyboard state:
    the notes it hears of then are shown only, not played again. */
thread_local bool showingHostNotes = false;
} // namespace

// A keyboard note reaches the voices at once only where no block can be
// rendering at the same time: on the audio thread, or holding the callback
// lock.  While the host processes in real time the owner thread never waits
// for that lock: it queues the note for the audio thread.  Otherwise the
// lock is tried first, so that an offline render that holds it block after
// block does not stall the owner thread; then the note is queued as well.
// Whoever plays a note at once under the lock first runs the queued ones,
// so notes never overtake each other.
template <typename... Args>
void AudioEngine::playKeyboardNote (void (AudioEngine::*play) (int, Args...), int midiChannel, Args... args)
{
    if (midiChannel < 1 || midiChannel > 16)
        return;

    if (isInsideAudioCallback())
    {
        (this->*play) (midiChannel, args...);
        return;
    }

    if (! mustDeferToAudioThread())
    {
        const juce::ScopedTryLock tryLock (getCallbackLock());
        if (tryLock.isLocked() || ! isOwnerThread())
        {
            // Only the owner thread may queue; another thread waits its turn.
            const juce::ScopedLock lock (getCallbackLock());
            postponer.executePendingCalls();
            (this->*play) (midiChannel, args...);
            return;
        }
    }

    postponer.addMethodCall (this, play, midiChannel, args...);
}

void AudioEngine::dropKeptKeyboardEvents()
{
    // An empty buffer passes nothing to the listeners; the call only clears
    // the events the state keeps, without freeing their storage.
    keyboardState.processNextMidiBuffer (noKeyboardEvents, 0, 0, false);
}

void AudioEngine::handleNoteOn (juce::MidiKeyboardState*, int midiChannel, int note, float velocity)
{
    dropKeptKeyboardEvents();
    if (! showingHostNotes)
        playKeyboardNote (&AudioEngine::playKeyboardNoteOn, midiChannel, note, velocity);
}

void AudioEngine::handleNoteOff (juce::MidiKeyboardState*, int midiChannel, int note, float)
{
    dropKeptKeyboardEvents();
    if (! showingHostNotes)
        playKeyboardNote (&AudioEngine::playKeyboardNoteOff, midiChannel, note);
}

static_assert (Korvalden::Misc::FunctionCallPostponer::fitsInPlace<AudioEngine, int, int, float>,
               "a queued keyboard note must not allocate");

void AudioEngine::updateKeyboardDisplay()
{
    const bool wasShowing = std::exchange (showingHostNotes, true);

    for (int note = 0; note < numNotes; ++note)
    {
        const auto held = hostNotesHeld[(size_t) note].load (std::memory_order_relaxed);
        const auto changed = (std::uint16_t) (held ^ hostNotesShown[(size_t) note]);
        if (changed == 0)
            continue;

        for (int channel = 1; channel <= 16; ++channel)
        {
            const auto bit = (std::uint16_t) (1u << (channel - 1));
            if ((changed & bit) == 0)
                continue;
            if ((held & bit) != 0)
                keyboardState.noteOn (channel, note, 1.0f);
            else
                keyboardState.noteOff (channel, note, 0.0f);
        }
        hostNotesShown[(size_t) note] = held;
    }

    showingHostNotes = wasShowing;
}

//==============================================================================
void AudioEngine::applyEffectiveMonophonic()
{
    // Only Chord (Blow) suspends the mono switch.
    const bool effective = monophonic.load() && globalController.getAllocationMode() != MultiSoundVoiceController::chordBlow;

    globalController.requestMonophonic (effective);
    for (auto& controller : deviceControllers)
        controller->requestMonophonic (effective);

    // On the audio thread the request applies at once; without real-time
    // processing nobody else applies it.
    if (isInsideAudioCallback())
    {
        voicePool.getInner().applyMonophonicRequests();
    }
    else if (! isProcessingInRealTime())
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
    const auto requested = stopRequests.load (std::memory_order_acquire);
    if (requested != stopsServed.load (std::memory_order_relaxed))
    {
        voicePool.getInner().stopAllVoices();
        stopsServed.store (requested, std::memory_order_release);
    }
}

bool AudioEngine::isStopServed (std::uint32_t request) const noexcept
{
    // Wrapping counters: served at or after the request.
    return (std::int32_t) (stopsServed.load (std::memory_order_acquire) - request) >= 0;
}

void AudioEngine::stopAllVoices()
{
    if (isInsideAudioCallback())
    {
        voicePool.getInner().stopAllVoices();
        return;
    }

    const auto request = stopRequests.fetch_add (1, std::memory_order_acq_rel) + 1;

    // While blocks keep arriving the audio thread serves the request at the
    // start of its next one; it signals nothing, so this thread looks every
    // millisecond.  The callback lock is not held while waiting: the audio
    // thread needs it to render.
    const auto start = juce::Time::getMillisecondCounterHiRes();
    while (isProcessingInRealTime() && juce::Time::getMillisecondCounterHiRes() - start < 5000.0)
    {
        if (isStopServed (request))
            return;
        juce::Thread::sleep (1);
    }

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
