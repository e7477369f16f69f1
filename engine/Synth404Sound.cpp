#include "engine/Synth404.h"

#include "engine/ParameterFunctions.h"
#include "engine/PhaseWrap.h"

#include <cmath>

Synth404::Sound::Sound()
{
    for (auto& slot : voices)
        slot.store (nullptr, std::memory_order_relaxed);
}

Synth404* Synth404::Sound::getVoice (int index) const noexcept
{
    if (index < 0 || index >= maxVoices)
        return nullptr;
    return voices[(size_t) index].load (std::memory_order_acquire);
}

template <typename Function>
void Synth404::Sound::forEachVoiceFromLast (Function&& function)
{
    for (int i = getNumVoices() - 1; i >= 0; --i)
        if (auto* voice = getVoice (i))
            function (*voice);
}

bool Synth404::Sound::addVoice (Synth404* voice)
{
    const int count = numVoices.load (std::memory_order_relaxed);
    for (int i = 0; i < count; ++i)
        if (voices[(size_t) i].load (std::memory_order_relaxed) == voice)
            return true;
    if (count >= maxVoices)
        return false;
    voices[(size_t) count].store (voice, std::memory_order_release);
    numVoices.store (count + 1, std::memory_order_release);
    return true;
}

void Synth404::Sound::removeVoice (Synth404* voice)
{
    const int count = numVoices.load (std::memory_order_relaxed);
    int index = 0;
    while (index < count && voices[(size_t) index].load (std::memory_order_relaxed) != voice)
        ++index;
    if (index == count)
        return;
    for (int i = index; i + 1 < count; ++i)
        voices[(size_t) i].store (voices[(size_t) i + 1].load (std::memory_order_relaxed), std::memory_order_release);
    voices[(size_t) count - 1].store (nullptr, std::memory_order_release);
    numVoices.store (count - 1, std::memory_order_release);
}

void Synth404::Sound::setGlide (float seconds)
{
    glide = seconds;
    forEachVoiceFromLast ([] (Synth404& v) { v.updateGlide(); });
}

void Synth404::Sound::setTune (float semitones)
{
    tune = semitones;
    forEachVoiceFromLast ([this] (Synth404& v) { v.tune = tune; });
}

void Synth404::Sound::setPulseWidth (float width)
{
    pulseWidth = ParameterFunctions::toUnit (width);
    forEachVoiceFromLast ([] (Synth404& v) { v.updatePulseWidth(); });
}

void Synth404::Sound::setOscillatorMode (tOscillatorMode mode)
{
    oscillatorMode = mode;
    forEachVoiceFromLast ([] (Synth404& v) { v.updateOscillatorMode(); });
}

void Synth404::Sound::setOscillatorModulationMode (tOscillatorModulationMode mode)
{
    modulationMode = mode;
    forEachVoiceFromLast ([mode] (Synth404& v) { v.modulationMode = mode; });
}

void Synth404::Sound::setLfo1Level (float level)
{
    lfo1Level = ParameterFunctions::toUnit (level);
    forEachVoiceFromLast ([] (Synth404& v) { v.updateLfo1Level(); });
}

void Synth404::Sound::setLfo1Time (float hertz)
{
    lfo1Increment.store (2.0f * hertz / sampleRate, std::memory_order_relaxed);
}

void Synth404::Sound::setFrequency (float knob)
{
    frequency = ParameterFunctions::toUnit (knob);
    forEachVoiceFromLast ([] (Synth404& v) { v.updateCutoff(); });
}

void Synth404::Sound::setTracking (tTrackingMode mode)
{
    tracking = mode;
    forEachVoiceFromLast ([] (Synth404& v) { v.updateTracking(); });
}

void Synth404::Sound::setEnvelope (float amount)
{
    envelope = ParameterFunctions::toUnit (amount);
    forEachVoiceFromLast ([] (Synth404& v) { v.updateEnvelopeAmount(); });
}

void Synth404::Sound::setLfo2Level (float level)
{
    lfo2Level = ParameterFunctions::toUnit (level);
    forEachVoiceFromLast ([] (Synth404& v) { v.updateLfo2Level(); });
}

void Synth404::Sound::setLfo2Time (float hertz)
{
    lfo2Increment.store (2.0f * hertz / sampleRate, std::memory_order_relaxed);
}

void Synth404::Sound::setEmphasis (float amount)
{
    emphasis = ParameterFunctions::toUnit (amount);
    forEachVoiceFromLast ([] (Synth404& v) { v.updateEmphasis(); });
}

void Synth404::Sound::setAccent (float amount)
{
    accent = ParameterFunctions::toUnit (amount);
    forEachVoiceFromLast ([] (Synth404& v) { v.updateAccent(); });
}

void Synth404::Sound::setAttack (float seconds)
{
    attack = seconds;
    forEachVoiceFromLast ([] (Synth404& v) { v.updateAttack(); });
}

void Synth404::Sound::setDecay (float knob)
{
    decay = ParameterFunctions::toUnit (knob);
    forEachVoiceFromLast ([] (Synth404& v) { v.updateDecaySustain(); });
}

void Synth404::Sound::setSustain (float level)
{
    sustain = ParameterFunctions::toUnit (level);
    forEachVoiceFromLast ([] (Synth404& v) {
        v.updateSustainLevel();
        v.updateDecaySustain();
    });
}

void Synth404::Sound::setRelease (float seconds)
{
    release = seconds;
    forEachVoiceFromLast ([] (Synth404& v) { v.updateRelease(); });
}

void Synth404::Sound::setDrive (float amount)
{
    drive = ParameterFunctions::toUnit (amount);
    forEachVoiceFromLast ([] (Synth404& v) { v.updateDrive(); });
}

void Synth404::Sound::resetLfosIfIdle()
{
    for (int i = 0; i < getNumVoices(); ++i)
        if (auto* voice = getVoice (i); voice != nullptr && voice->getState() == 1)
            return;
    lfo1Phase.store (0.5f, std::memory_order_relaxed);
    lfo2Phase.store (0.5f, std::memory_order_relaxed);
}

void Synth404::Sound::advanceLfos (unsigned numSamples)
{
    const float n = (float) numSamples;
    lfo1Phase.store (wrapLfoPhase (getLfo1Phase() + getLfo1Increment() * n), std::memory_order_relaxed);
    lfo2Phase.store (wrapLfoPhase (getLfo2Phase() + getLfo2Increment() * n), std::memory_order_relaxed);
}
