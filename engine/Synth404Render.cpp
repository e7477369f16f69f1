// The per-sample render loop of Synth404, in two stages: the control stage
// (everything up to the filter coefficients and the amplifier curve) and the
// audio stage (up-sampling, filter, saturator, down-sampling, output gain).
// This is the reference: renderAdding() runs the same stages for eight voices
// per vector register (VoiceLaneKernel.h); the order of operations within a
// sample must match between the two and must not change.

#include "engine/Synth404.h"

#include "engine/BandlimitedWavetableSet.h"
#include "engine/CatmullRomCoefficients.h"
#include "engine/PhaseWrap.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr float pi = 3.14159265358979f;
constexpr double envelopeEpsilon = (double) 1e-15f;

/** The output saturator: slope -1 at 0, limits -+1 (inverts the polarity). */
inline float saturateOutput (float z) noexcept
{
    const float a = std::fabs (z);
    const float r = 0.5416388f * (1.0f + a - std::sqrt (z * z - 1.6924973f * a + 1.0f));
    return -std::copysign (r, z);
}

inline float onePoleGain (float hertz, float overRate) noexcept
{
    const float g = std::tan (pi * hertz / overRate);
    return g / (1.0f + g);
}

inline float triangle (float phase, float amount) noexcept
{
    return (float) ((2.0 * std::fabs ((double) phase) - 1.0) * (double) amount);
}
} // namespace

void Synth404::stepRamp() noexcept
{
    if (rampLeft >= 2)
    {
        for (int i = 0; i < numSmoothed; ++i)
            current[(size_t) i] += increment[(size_t) i];
        --rampLeft;
    }
    else if (rampLeft == 1)
    {
        jumpToTargets();
    }
}

void Synth404::selectTable (float inc) noexcept
{
    // The table in use stays the choice while its length still holds the
    // increment above 0.5 and half of it does not (or a limit is reached):
    // the same answer as chooseLength, found with two comparisons.
    const uint32_t inUse = table->length;
    const bool longEnough = inUse >= BandlimitedWavetableSet::maxLength || (float) inUse * inc > 0.5f;
    const bool shortest = inUse <= BandlimitedWavetableSet::minLength || ! ((float) (inUse / 2) * inc > 0.5f);
    if (longEnough && shortest)
        return;

    const uint32_t length = BandlimitedWavetableSet::chooseLength (inc);
    if (table->length != length)
        table = &tables->find (length);
}

void Synth404::beginRender (RenderLocals& locals) const noexcept
{
    locals.lfo1Phase = 0.5f;
    locals.lfo1Increment = 0.0f;
    locals.lfo2Phase = 0.5f;
    locals.lfo2Increment = 0.0f;
    if (sound != nullptr)
    {
        locals.lfo1Phase = sound->getLfo1Phase();
        locals.lfo1Increment = sound->getLfo1Increment();
        locals.lfo2Phase = sound->getLfo2Phase();
        locals.lfo2Increment = sound->getLfo2Increment();
    }

    locals.lastOscPitch = std::numeric_limits<double>::quiet_NaN();
    locals.lastCNote = std::numeric_limits<float>::quiet_NaN();
    locals.oscHz = 0.0f;
    locals.cHz = 0.0f;
    locals.pulseRisingHalf = 0.0f;
    locals.pulseFallingHalf = 0.0f;
}

void Synth404::setOscillatorPitch (RenderLocals& locals, double oscPitch) noexcept
{
    locals.lastOscPitch = oscPitch;
    locals.oscHz = (float) (440.0 * std::exp2 ((oscPitch - 69.0) / 12.0));
    tableIncrement = std::min (24000.0f, locals.oscHz) / sampleRate;
    selectTable (tableIncrement);
    locals.pulseRisingHalf = locals.oscHz * 8.08e-6f * 0.5f;
    locals.pulseFallingHalf = (float) (((oscPitch * 4.3667e-6 - 0.00015893) * oscPitch + 0.0069212) * 0.395898);
    if (locals.pulseRisingHalf == 0.0f)
        locals.pulseRisingHalf = 1e-10f;
    if (locals.pulseFallingHalf == 0.0f)
        locals.pulseFallingHalf = 1e-10f;
}

void Synth404::setEmphasisCoefficients (float e) noexcept
{
    lastEmphasis = e;
    const float f2 = std::pow (10.0f, std::max (1.082f * e + 0.27973f, -5.4418f * e + 1.4572f));
    float q;
    if (e > 0.5833333f)
        q = std::pow (10.0f, (22.92f * e - 23.02f) * 0.05f);
    else if (e > 0.041666668f)
        q = std::pow (10.0f, (44.4f * e - 35.55f) * 0.05f);
    else
        q = 0.49569118f * e;
    filter.feedbackGain = q * 7.498942f;
    const float shelfGain = std::pow (10.0f, std::min (109.84f * e + 8.1933f, -23.867f * e + 32.467f) * 0.05f);
    filter.hpG = onePoleGain (74.0f, overRate);
    filter.shelfG = onePoleGain (f2, overRate);
    filter.shelfB = shelfGain - 1.0f;
    filter.shelfA = filter.shelfB * filter.shelfG + 1.0f;
}

Synth404::SampleControls Synth404::stepControls (RenderLocals& locals) noexcept
{
    const double eps = envelopeEpsilon;

    // 1. Smoothing.
    if (rampLeft != 0)
        stepRamp();

    // 2. Envelope.
    switch (envState)
    {
        case 0:
            level += (1.468 - level) * attackCoef + eps;
            if (level >= 1.0)
                envState = 1;
            break;
        case 1:
            level += (sustainLevel - level) * decayCoef + eps;
            break;
        default:
            level += (0.0 - level) * (fastRelease ? fastReleaseCoef : releaseCoef) + eps;
            break;
    }

    // 3. LFOs.
    locals.lfo1Phase = wrapLfoPhase (locals.lfo1Phase + locals.lfo1Increment);
    const float lfo1 = triangle (locals.lfo1Phase, current[lfo1Amount]);
    locals.lfo2Phase = wrapLfoPhase (locals.lfo2Phase + locals.lfo2Increment);
    const float lfo2 = triangle (locals.lfo2Phase, current[lfo2Amount]);

    // 4. Pitch and glide.
    const double bend = pitchBend != nullptr ? (double) pitchBend->load (std::memory_order_relaxed) : 0.0;
    const double goal = playedNote + (double) tune + 2.0 * bend;
    pitch += (goal - pitch) * glideCoef + 1e-15;
    double oscPitch = pitch;
    if (modulationMode == modulationFM)
        oscPitch += 28.0 * (double) lfo1;

    // 5.
    const float env = std::max (0.0f, (float) (level - 0.1));

    // 6. Oscillator frequency and what depends on it alone.
    if (oscPitch != locals.lastOscPitch)
        setOscillatorPitch (locals, oscPitch);
    const float oscHz = locals.oscHz;

    // 7. Sawtooth: Catmull-Rom between entries i-1 (t = 0) and i (t = 1).
    float saw = 0.0f;
    if (current[sawLevel] != 0.0f)
    {
        saw = readCatmullRom (*table, tablePhase);
    }
    tablePhase += tableIncrement;
    tablePhase -= std::floor (tablePhase);

    // 8. Pulse phase (not limited to 24 kHz; keeps only its fraction).
    pulsePhase = wrapUnitPhase (pulsePhase + oscHz / sampleRate);

    // 9. Trapezoid pulse.
    float pulse = 0.0f;
    if (current[pulseLevel] != 0.0f)
    {
        float w = current[pulseWidthIndex];
        if (modulationMode == modulationPWM)
            w += 0.8f * lfo1;
        const float d = (w + 1.0f) * 0.5f;
        float value = 1.0f;
        if (d < 1.0f)
        {
            const float p = pulsePhase, rw = locals.pulseRisingHalf, fw = locals.pulseFallingHalf;
            if (p < rw)               value = p / rw;
            else if (p < d - fw)      value = 1.0f;
            else if (p < d + fw)      value = (d - p) / fw;
            else if (p < 1.0f - rw)   value = -1.0f;
            else                      value = (p - 1.0f) / rw;
        }
        pulse = value - (2.0f * std::min (1.0f, d) - 1.0f);
    }

    // 10. Noise: 24 steps of the shift register, low-passed at 1600 Hz.
    float noise = 0.0f;
    if (current[noiseLevel] != 0.0f)
    {
        uint32_t s = noiseState;
        for (int step = 0; step < 24; ++step)
        {
            const uint32_t bit = ((s >> 31) ^ (s >> 29) ^ (s >> 18) ^ (s >> 7)) & 1u;
            s = (s << 1) | bit;
        }
        noiseState = s;
        const float x = (float) (s & 0xFFFFFFu) * 1.1920930376e-7f - 1.0f;
        noise = (noiseG * x + noiseZ) * noiseInv;
        noiseZ += (x - noise) * noiseG2;
    }

    // 11. Mix.
    const float gainIn = current[driveIn];
    SampleControls controls;
    controls.mix = (saw * current[sawLevel] + pulse * current[pulseLevel]
                    + noise * current[noiseLevel] + 1e-10f) * gainIn;

    // 12. Cutoff note (its coefficient: stepCutoff).
    controls.cutoffNote = current[cutoffNote] + current[envAmount] * env + 65.0f * lfo2
                        + (float) (pitch - 20.0) * trackFactor;

    // 13. Emphasis.
    const float e = current[emphasisIndex];
    if (e != lastEmphasis)
        setEmphasisCoefficients (e);

    // Gain into the output saturator (step 16).
    controls.outGain = (gainIn + 3.0f) / (4.0f * gainIn) * current[driveOut] * satInGain;

    // 18. Amplifier.
    const float a = current[accentGain] * 0.78956f + 0.21791f;
    const float e2 = env * a;
    controls.ampGain = e2 < 0.18862f ? (e2 * 11.6262f - 0.2484f) * e2 * e2 : e2 * 1.1472f - 0.1472f;
    controls.driveOut = current[driveOut];
    return controls;
}

float Synth404::stepCutoff (RenderLocals& locals, float cNote) noexcept
{
    // 12. Cutoff frequency and ladder coefficient.
    if (cNote != locals.lastCNote)
    {
        locals.lastCNote = cNote;
        locals.cHz = std::min (16000.0f, 440.0f * std::exp2 ((cNote - 69.0f) * (1.0f / 12.0f)));
    }
    if (locals.cHz != cutoffHz)
    {
        cutoffHz = locals.cHz;
        filter.ladderG = LadderFilter::coefficientOf (locals.cHz * piOverRate);
    }
    return filter.ladderG;
}

float Synth404::stepAudio (const SampleControls& controls) noexcept
{
    const auto& U = upsamplingTable();

    // 14. History of the mix, newest first.
    history[3] = history[2];
    history[2] = history[1];
    history[1] = history[0];
    history[0] = controls.mix;

    // 15.-16. Four sub-samples through the ladder and the output saturator.
    float x[4], o[4];
    for (int k = 0; k < 4; ++k)
        x[k] = U[k][0] * history[0] + U[k][1] * history[1] + U[k][2] * history[2] + U[k][3] * history[3];
    filter.processFour (x, o);
    for (int k = 0; k < 4; ++k)
        o[k] = saturateOutput (o[k] * controls.outGain);

    // 17. Down-sampling with the transposed table.
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 4; ++j)
            decimator[(size_t) j] += U[3 - k][j] * o[k];
    const float y = decimator[0] * 0.25f;
    decimator[0] = decimator[1];
    decimator[1] = decimator[2];
    decimator[2] = decimator[3];
    decimator[3] = 0.0f;
    outputFollower += (std::fabs (y) - outputFollower) * outputFollowerCoef + 1e-15f;

    // 19.
    const float gainOut = controls.driveOut;
    return y * controls.ampGain * (gainOut + 16.0f) / (17.0f * gainOut) * satOutGain;
}

void Synth404::render (float* output, int count)
{
    RenderLocals locals;
    beginRender (locals);

    for (int n = 0; n < count; ++n)
    {
        const SampleControls controls = stepControls (locals);
        stepCutoff (locals, controls.cutoffNote);
        output[n] = stepAudio (controls);
    }

    outputFollowerShared.store (outputFollower, std::memory_order_relaxed);
}
