#include "engine/Synth404.h"

#include "engine/BandlimitedWavetableSet.h"
#include "engine/ParameterFunctions.h"

#include <algorithm>
#include <cmath>

Synth404::Synth404()
{
    tables = BandlimitedWavetableSet::acquire();
    table = &tables->find (BandlimitedWavetableSet::maxLength);
}

Synth404::~Synth404()
{
    if (sound != nullptr)
        sound->removeVoice (this);
    BandlimitedWavetableSet::release();
}

float Synth404::getPitchBend() const noexcept
{
    return pitchBend != nullptr ? pitchBend->load (std::memory_order_relaxed) : 0.0f;
}

//==============================================================================
void Synth404::setSampleRate (float rate)
{
    sampleRate = rate;
    rampLength = (uint32_t) (0.07f * rate);
    rampStep = 1.0f / (float) rampLength;
    jumpToTargets();
    fastReleaseCoef = 1.0 - std::exp (-1.0 / ((double) rate * 0.005));
    overRate = 4.0f * rate;
    piOverRate = 3.14159265358979f / overRate;
    filter.clearStates();
    // The ladder and emphasis coefficients depend on the rate: empty their
    // caches so the next sample recomputes them even when the cutoff and the
    // emphasis stay where they are.
    cutoffHz = -1.0f;
    lastEmphasis = -1.0f;
    const float pi = 3.14159265358979f;
    noiseG = std::tan (pi * 1600.0f / rate);
    noiseG2 = 2.0f * noiseG;
    noiseInv = 1.0f / (noiseG + 1.0f);
    noiseZ = 0;
    outputFollowerCoef = 1.0f - std::exp (-1.0f / (0.02f * rate));
}

int Synth404::getState() const
{
    if (envState != 2)
        return 1;
    if (! (level - 0.1 > 1e-6))
        return 0;
    return fastRelease ? 3 : 2;
}

float Synth404::getLevel() const
{
    return (float) level;
}

float Synth404::getCurrentPitch() const
{
    return (float) (pitch - ((double) tune + 2.0 * (double) getPitchBend()));
}

//==============================================================================
void Synth404::setSound (Sound* newSound)
{
    if (sound != nullptr)
        sound->removeVoice (this);
    sound = newSound;
    if (sound == nullptr)
        return;

    sound->addVoice (this);
    updateGlide();
    tune = sound->tune;
    updatePulseWidth();
    updateLfo1Level();
    updateCutoff();
    updateEnvelopeAmount();
    updateLfo2Level();
    updateEmphasis();
    updateAccent();
    updateAttack();
    updateDecaySustain();
    updateSustainLevel();
    updateDecaySustain();
    updateRelease();
    updateDrive();
    updateOscillatorMode();
    modulationMode = sound->modulationMode;
    updateTracking();
}

void Synth404::startNote (bool retrigger, const std::atomic<float>* bend, float velocity)
{
    if (! retrigger && (envState != 2 || velocity == 0.0f))
    {
        tablePhase = 0;
        pitchBend = bend;
        fastRelease = false;
        return;
    }

    envState = 0;
    velocitySquared = velocity * velocity;
    retarget (accentGain, accentFactor * velocitySquared);
    tablePhase = 0;

    if (retrigger)
    {
        level = 0;
        outputFollower = 0;
        outputFollowerShared.store (0.0f, std::memory_order_relaxed);
        jumpToTargets();
        clearFilterAndResampler();
    }

    pitchBend = bend;
    fastRelease = false;
}

void Synth404::release (bool fast)
{
    envState = 2;
    fastRelease = fast;
}

//==============================================================================
void Synth404::retarget (int index, float value)
{
    if (value == target[(size_t) index])
        return;
    target[(size_t) index] = value;
    increment[(size_t) index] = (value - current[(size_t) index]) * rampStep;
    if (rampLeft != 0 && rampLeft != rampLength)
        for (int i = 0; i < numSmoothed; ++i)
            increment[(size_t) i] = (target[(size_t) i] - current[(size_t) i]) * rampStep;
    rampLeft = rampLength;
}

void Synth404::jumpToTargets() noexcept
{
    current = target;
    increment = {};
    rampLeft = 0;
}

void Synth404::clearFilterAndResampler() noexcept
{
    filter.clearStates();
    history = {};
    decimator = {};
}

//==============================================================================
// Update operations: each reads the attached Sound and retargets.

void Synth404::updateGlide()
{
    glideCoef = 1.0 - std::exp (-1.0 / ((double) sampleRate * (double) sound->glide));
}

void Synth404::updateAttack()
{
    attackCoef = 1.0 - std::exp (-1.0 / ((double) (sound->attack * 0.8747468f) * (double) sampleRate));
}

void Synth404::updateRelease()
{
    releaseCoef = 1.0 - std::exp (-1.0 / ((double) sampleRate * (double) sound->release));
}

void Synth404::updateTracking()
{
    switch (sound->tracking)
    {
        case trackingOff:  trackFactor = 0.0f; break;
        case trackingHalf: trackFactor = 0.5f; break;
        case trackingFull: trackFactor = 1.0f; break;
        default: break;
    }
}

void Synth404::updatePulseWidth()
{
    retarget (pulseWidthIndex, sound->pulseWidth * 1.2f);
}

void Synth404::updateOscillatorMode()
{
    const auto mode = sound->oscillatorMode;
    retarget (sawLevel, mode == oscillatorSaw ? 0.39810717f : 0.0f);
    retarget (pulseLevel, mode == oscillatorPulse ? 0.39810717f : 0.0f);
    retarget (noiseLevel, mode == oscillatorNoise ? 0.70794576f : 0.0f);
}

void Synth404::updateLfo1Level()
{
    retarget (lfo1Amount, sound->lfo1Level);
}

void Synth404::updateLfo2Level()
{
    retarget (lfo2Amount, sound->lfo2Level);
}

void Synth404::updateEnvelopeAmount()
{
    retarget (envAmount, sound->envelope * 200.0f);
}

void Synth404::updateEmphasis()
{
    retarget (emphasisIndex, sound->emphasis);
    updateCutoff();
}

void Synth404::updateCutoff()
{
    const float fr = sound->frequency;
    const float e = sound->emphasis;
    const float hz = ParameterFunctions::toCutoffHz (fr);
    const float b0 = 1.0f - 0.3f * fr;
    const float comp = b0 != 1.0f ? 1.0f + (-0.07f * fr) * (std::max (e, b0) - b0) / (1.0f - b0) : 1.0f;
    const float note = 69.0f + (float) (12.0 * std::log2 ((double) (hz * comp / 440.0f)));
    retarget (cutoffNote, note);
}

void Synth404::updateAccent()
{
    const float a = sound->accent;
    const float big = 50.0f * a;
    const float small = 50.0f * (1.0f - a);
    accentFactor = 25.0f * big / (25.0f * small + big * small + 25.0f * big);
    retarget (accentGain, accentFactor * velocitySquared);
}

void Synth404::updateDecaySustain()
{
    const double time = ParameterFunctions::toDecayTime (sound->decay, sound->sustain);
    decayCoef = 1.0 - std::exp (-1.0 / (time * (double) sampleRate));
}

void Synth404::updateSustainLevel()
{
    sustainLevel = (double) (sound->sustain * 0.944444f);
}

void Synth404::updateDrive()
{
    const float drive = sound->drive;
    retarget (driveIn, (float) std::pow (10.0, (double) (18.0f * drive / 20.0f)));
    const float scaled = (float) (0.9 * (double) drive);
    retarget (driveOut, (float) std::pow (10.0, (double) (scaled * 48.0f / 20.0f)));
}
