// Synth404::renderAdding: many voices at once.  The voices' state is copied
// into lanes (VoiceLanes), a kernel runs the control, cutoff and audio stages
// of up to sixteen voices for sixteen samples at a time, the lanes' outputs
// are added voice by voice to the channels and the state goes back into the
// voices.  The kernel hands a lane back to its voice for what it does not
// compute in lanes: a new oscillator table or emphasis.  A lone voice is one
// dependent chain, which the plain render runs faster than a register of
// lanes: it renders plainly.

#include "engine/Synth404.h"

#include "engine/BandlimitedWavetableSet.h"

#include <algorithm>
#include <cmath>
#include <limits>

void Synth404::copyToLane (VoiceLanes& lanes, int lane) const noexcept
{
    RenderLocals locals;
    beginRender (locals);

    for (int k = 0; k < numSmoothed; ++k)
    {
        lanes.current[k][lane] = current[(size_t) k];
        lanes.increment[k][lane] = increment[(size_t) k];
        lanes.target[k][lane] = target[(size_t) k];
    }
    lanes.rampLeft[lane] = (int32_t) rampLeft;

    lanes.envState[lane] = (int32_t) envState;
    lanes.level[lane] = level;
    lanes.sustainLevel[lane] = sustainLevel;
    lanes.decayCoef[lane] = decayCoef;
    switch (envState)
    {
        case 0:  lanes.envGoal[lane] = 1.468; lanes.envCoef[lane] = attackCoef; break;
        case 1:  lanes.envGoal[lane] = sustainLevel; lanes.envCoef[lane] = decayCoef; break;
        default: lanes.envGoal[lane] = 0.0; lanes.envCoef[lane] = fastRelease ? fastReleaseCoef : releaseCoef; break;
    }

    lanes.lfo1Phase[lane] = locals.lfo1Phase;
    lanes.lfo1Increment[lane] = locals.lfo1Increment;
    lanes.lfo2Phase[lane] = locals.lfo2Phase;
    lanes.lfo2Increment[lane] = locals.lfo2Increment;

    const double bend = pitchBend != nullptr ? (double) pitchBend->load (std::memory_order_relaxed) : 0.0;
    lanes.pitch[lane] = pitch;
    lanes.pitchGoal[lane] = playedNote + (double) tune + 2.0 * bend;
    lanes.glideCoef[lane] = glideCoef;
    const bool fm = modulationMode == modulationFM;
    lanes.fmDepth[lane] = fm ? 28.0 : 0.0;
    lanes.fmMask[lane] = fm ? ~(uint64_t) 0 : 0;
    lanes.pwm[lane] = modulationMode == modulationPWM ? -1 : 0;
    lanes.lastOscPitch[lane] = locals.lastOscPitch;

    lanes.oscHz[lane] = locals.oscHz;
    lanes.tableIncrement[lane] = tableIncrement;
    lanes.tablePhase[lane] = tablePhase;
    lanes.pulsePhase[lane] = pulsePhase;
    lanes.pulseIncrement[lane] = locals.oscHz / sampleRate;
    lanes.pulseRisingHalf[lane] = locals.pulseRisingHalf;
    lanes.pulseFallingHalf[lane] = locals.pulseFallingHalf;
    lanes.sampleRate[lane] = sampleRate;
    lanes.tableLength[lane] = (float) table->length;
    lanes.tableMask[lane] = (int32_t) table->mask;
    lanes.tableData[lane] = table->data.data();

    lanes.noiseState[lane] = noiseState;
    lanes.noiseG[lane] = noiseG;
    lanes.noiseInv[lane] = noiseInv;
    lanes.noiseG2[lane] = noiseG2;
    lanes.noiseZ[lane] = noiseZ;

    lanes.trackFactor[lane] = trackFactor;
    lanes.satInGain[lane] = satInGain;
    lanes.piOverRate[lane] = piOverRate;
    lanes.lastEmphasis[lane] = lastEmphasis;
    lanes.cutoffHz[lane] = cutoffHz;
    lanes.lastCutoffNote[lane] = std::numeric_limits<float>::quiet_NaN();
    lanes.ladderG[lane] = filter.ladderG;
    lanes.feedbackGain[lane] = filter.feedbackGain;
    lanes.hpG[lane] = filter.hpG;
    lanes.shelfG[lane] = filter.shelfG;
    lanes.shelfA[lane] = filter.shelfA;
    lanes.shelfB[lane] = filter.shelfB;

    for (int i = 0; i < 4; ++i)
    {
        lanes.ladder[i][lane] = filter.ladderState[(size_t) i];
        lanes.history[i][lane] = history[(size_t) i];
        lanes.decimator[i][lane] = decimator[(size_t) i];
    }
    lanes.hp[lane] = filter.hpState;
    lanes.shelf[lane] = filter.shelfState;
    lanes.follower[lane] = outputFollower;
    lanes.followerCoef[lane] = outputFollowerCoef;
    lanes.satOutGain[lane] = satOutGain;
}

void Synth404::copyFromLane (const VoiceLanes& lanes, int lane, int lastRow) noexcept
{
    for (int k = 0; k < numSmoothed; ++k)
    {
        current[(size_t) k] = lanes.current[k][lane];
        increment[(size_t) k] = lanes.increment[k][lane];
    }
    rampLeft = (uint32_t) lanes.rampLeft[lane];

    envState = (uint32_t) lanes.envState[lane];
    level = lanes.level[lane];
    pitch = lanes.pitch[lane];
    tablePhase = lanes.tablePhase[lane];
    tableIncrement = lanes.tableIncrement[lane];
    pulsePhase = lanes.pulsePhase[lane];
    noiseState = lanes.noiseState[lane];
    noiseZ = lanes.noiseZ[lane];

    if (lastRow >= 0)
    {
        cutoffHz = lanes.cutoffHz[lane];
        filter.ladderG = lanes.rows.ladderG[lastRow][lane];
    }

    for (int i = 0; i < 4; ++i)
    {
        filter.ladderState[(size_t) i] = lanes.ladder[i][lane];
        history[(size_t) i] = lanes.history[i][lane];
        decimator[(size_t) i] = lanes.decimator[i][lane];
    }
    filter.hpState = lanes.hp[lane];
    filter.shelfState = lanes.shelf[lane];
    outputFollower = lanes.follower[lane];
    outputFollowerShared.store (outputFollower, std::memory_order_relaxed);
}

void Synth404::fillSilentLane (VoiceLanes& lanes, int lane) noexcept
{
    // Finite values that never call back: the pitch stays on a value the
    // glide's epsilon cannot move, the emphasis on its cached value, the
    // cutoff angle far below pi / 4.
    for (int k = 0; k < numSmoothed; ++k)
    {
        const float value = k == driveIn || k == driveOut ? 1.0f : 0.0f;
        lanes.current[k][lane] = value;
        lanes.increment[k][lane] = 0.0f;
        lanes.target[k][lane] = value;
    }
    lanes.rampLeft[lane] = 0;
    lanes.envState[lane] = 2;
    lanes.level[lane] = lanes.envGoal[lane] = lanes.envCoef[lane] = 0.0;
    lanes.sustainLevel[lane] = lanes.decayCoef[lane] = 0.0;
    lanes.lfo1Phase[lane] = lanes.lfo1Increment[lane] = lanes.lfo2Phase[lane] = lanes.lfo2Increment[lane] = 0.0f;
    lanes.pitch[lane] = lanes.pitchGoal[lane] = lanes.lastOscPitch[lane] = 64.0;
    lanes.glideCoef[lane] = lanes.fmDepth[lane] = 0.0;
    lanes.fmMask[lane] = 0;
    lanes.pwm[lane] = 0;
    lanes.oscHz[lane] = lanes.tableIncrement[lane] = lanes.tablePhase[lane] = 0.0f;
    lanes.pulsePhase[lane] = lanes.pulseIncrement[lane] = 0.0f;
    lanes.pulseRisingHalf[lane] = lanes.pulseFallingHalf[lane] = 1.0f;
    lanes.sampleRate[lane] = 1.0f;
    lanes.tableLength[lane] = lanes.tableLength[0];
    lanes.tableMask[lane] = lanes.tableMask[0];
    lanes.tableData[lane] = lanes.tableData[0];
    lanes.noiseState[lane] = 1;
    lanes.noiseG[lane] = lanes.noiseInv[lane] = lanes.noiseG2[lane] = lanes.noiseZ[lane] = 0.0f;
    lanes.trackFactor[lane] = lanes.satInGain[lane] = 0.0f;
    lanes.piOverRate[lane] = 1.0e-9f;
    lanes.lastEmphasis[lane] = lanes.cutoffHz[lane] = lanes.ladderG[lane] = 0.0f;
    lanes.lastCutoffNote[lane] = std::numeric_limits<float>::quiet_NaN();
    lanes.feedbackGain[lane] = lanes.hpG[lane] = lanes.shelfG[lane] = lanes.shelfA[lane] = lanes.shelfB[lane] = 0.0f;
    for (int i = 0; i < 4; ++i)
        lanes.ladder[i][lane] = lanes.history[i][lane] = lanes.decimator[i][lane] = 0.0f;
    lanes.hp[lane] = lanes.shelf[lane] = lanes.follower[lane] = lanes.followerCoef[lane] = lanes.satOutGain[lane] = 0.0f;
}

void Synth404::refreshLaneOscillator (VoiceLanes& lanes, int lane, double oscPitch) noexcept
{
    auto& voice = *lanes.voices[lane];
    RenderLocals locals;
    voice.setOscillatorPitch (locals, oscPitch);
    lanes.lastOscPitch[lane] = oscPitch;
    lanes.oscHz[lane] = locals.oscHz;
    lanes.tableIncrement[lane] = voice.tableIncrement;
    lanes.pulseIncrement[lane] = locals.oscHz / voice.sampleRate;
    lanes.pulseRisingHalf[lane] = locals.pulseRisingHalf;
    lanes.pulseFallingHalf[lane] = locals.pulseFallingHalf;
    lanes.tableLength[lane] = (float) voice.table->length;
    lanes.tableMask[lane] = (int32_t) voice.table->mask;
    lanes.tableData[lane] = voice.table->data.data();
}

void Synth404::refreshLaneEmphasis (VoiceLanes& lanes, int lane, float emphasis) noexcept
{
    auto& voice = *lanes.voices[lane];
    voice.setEmphasisCoefficients (emphasis);
    lanes.lastEmphasis[lane] = emphasis;
    lanes.feedbackGain[lane] = voice.filter.feedbackGain;
    lanes.hpG[lane] = voice.filter.hpG;
    lanes.shelfG[lane] = voice.filter.shelfG;
    lanes.shelfA[lane] = voice.filter.shelfA;
    lanes.shelfB[lane] = voice.filter.shelfB;
}

namespace
{
float exactLadderCoefficient (float angle) noexcept
{
    return LadderFilter::coefficientOf (angle);
}

void addSamples (const float* samples, float* channel, int num) noexcept
{
    for (int n = 0; n < num; ++n)
        channel[n] += samples[n];
}

void addLanes (const VoiceLanes& lanes, int used, float* channel, int num) noexcept
{
    // Voice by voice, as the pool adds rendered voices.
    for (int n = 0; n < num; ++n)
    {
        float sum = channel[n];
        for (int v = 0; v < used; ++v)
            sum += lanes.rows.out[n][v];
        channel[n] = sum;
    }
}
} // namespace

void Synth404::renderAddingAlone (Synth404& voice, float* left, float* right, int count) noexcept
{
    // In one call: render() starts the LFOs from the Sound's phases.
    float samples[maxAloneSamples];
    voice.render (samples, count);
    addSamples (samples, left, count);
    if (right != nullptr)
        addSamples (samples, right, count);
}

void Synth404::renderAdding (Synth404* const* voices, int numVoices, float* left, float* right, int count,
                             VoiceLanes::Path path)
{
    // The AVX2 kernel never runs where the processor lacks it, whatever the caller asks.
    const bool avx2 = path == VoiceLanes::Path::avx2 && voiceLanesAvx2Available();
    auto* const kernel = avx2 ? &renderVoiceLanesAvx2 : &renderVoiceLanesSse2;

    VoiceLanes lanes;
    lanes.refreshOscillator = &refreshLaneOscillator;
    lanes.refreshEmphasis = &refreshLaneEmphasis;
    lanes.ladderCoefficient = &exactLadderCoefficient;

    for (int first = 0; first < numVoices; first += VoiceLanes::maxLanes)
    {
        const int used = std::min (VoiceLanes::maxLanes, numVoices - first);
        if (used == 1 && count <= maxAloneSamples)
        {
            // One voice is one dependent chain: the plain render runs it
            // faster than a register of lanes would.
            renderAddingAlone (*voices[first], left, right, count);
            continue;
        }
        const int groups = (used + VoiceLanes::lanesPerGroup - 1) / VoiceLanes::lanesPerGroup;
        lanes.voices = voices + first;
        lanes.numLanes = used;

        for (int v = 0; v < used; ++v)
            voices[first + v]->copyToLane (lanes, v);
        for (int v = used; v < groups * VoiceLanes::lanesPerGroup; ++v)
            fillSilentLane (lanes, v);

        int lastRow = -1;
        for (int done = 0; done < count; done += VoiceLanes::subBlock)
        {
            const int num = std::min (VoiceLanes::subBlock, count - done);
            kernel (lanes, groups, num);
            addLanes (lanes, used, left + done, num);
            if (right != nullptr)
                addLanes (lanes, used, right + done, num);
            lastRow = num - 1;
        }

        for (int v = 0; v < used; ++v)
            voices[first + v]->copyFromLane (lanes, v, lastRow);
    }
}
