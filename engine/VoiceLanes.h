#pragma once

#include <cstdint>

class Synth404;

/** The indices of the voice's twelve smoothed parameters, shared by the
    voice and its lane layout. */
struct VoiceSmoothedIndex
{
    enum SmoothedIndex : int
    {
        sawLevel, pulseLevel, noiseLevel, driveIn, driveOut, accentGain, envAmount,
        lfo1Amount, lfo2Amount, pulseWidthIndex, cutoffNote, emphasisIndex,
        numSmoothed
    };
};

/** Up to sixteen voices laid out lane by lane for Synth404::renderAdding:
    every field is an array over the lanes (or [sample][lane]), eight lanes
    to a group, so one vector instruction steps one quantity of eight voices.

    renderAdding gathers the voices' state into the lanes, has a kernel run
    blocks of at most subBlock samples, adds the lanes' outputs to the host
    channels and writes the state back.  The kernels (VoiceLanesSse2.cpp,
    VoiceLanesAvx2.cpp) compute every lane with the operations of the plain
    per-voice render in the same order; what they do not do in lanes (a new
    oscillator pitch, a new emphasis, a tangent beyond pi / 4, an envelope
    stage change) they hand back to the voice through the function pointers.

    A lane without a voice holds a silent, finite state; its output is never
    read.  Audio thread only.
*/
struct VoiceLanes : VoiceSmoothedIndex
{
    static constexpr int lanesPerGroup = 8;
    static constexpr int maxGroups = 2;
    static constexpr int maxLanes = lanesPerGroup * maxGroups;
    static constexpr int subBlock = 16;

    /** The instruction sets a kernel is built for. */
    enum class Path { sse2, avx2 };

    // Control stage -----------------------------------------------------------
    alignas (32) float current[numSmoothed][maxLanes];
    alignas (32) float increment[numSmoothed][maxLanes];
    alignas (32) float target[numSmoothed][maxLanes];
    alignas (32) int32_t rampLeft[maxLanes];

    alignas (32) int32_t envState[maxLanes];
    alignas (32) double level[maxLanes];
    alignas (32) double envGoal[maxLanes];      // of the current stage
    alignas (32) double envCoef[maxLanes];      // of the current stage
    alignas (32) double sustainLevel[maxLanes];
    alignas (32) double decayCoef[maxLanes];

    alignas (32) float lfo1Phase[maxLanes], lfo1Increment[maxLanes];
    alignas (32) float lfo2Phase[maxLanes], lfo2Increment[maxLanes];

    alignas (32) double pitch[maxLanes], pitchGoal[maxLanes], glideCoef[maxLanes];
    alignas (32) double fmDepth[maxLanes];      // 28 semitones with FM, else 0
    alignas (32) uint64_t fmMask[maxLanes];     // all ones with FM
    alignas (32) double lastOscPitch[maxLanes];
    alignas (32) int32_t pwm[maxLanes];         // all ones with PWM

    alignas (32) float oscHz[maxLanes], tableIncrement[maxLanes], tablePhase[maxLanes];
    alignas (32) float pulsePhase[maxLanes], pulseIncrement[maxLanes]; // oscHz / sampleRate
    alignas (32) float pulseRisingHalf[maxLanes], pulseFallingHalf[maxLanes];
    alignas (32) float sampleRate[maxLanes];
    alignas (32) float tableLength[maxLanes];
    alignas (32) int32_t tableMask[maxLanes];
    const float* tableData[maxLanes];

    alignas (32) uint32_t noiseState[maxLanes];
    alignas (32) float noiseG[maxLanes], noiseInv[maxLanes], noiseG2[maxLanes], noiseZ[maxLanes];

    alignas (32) float trackFactor[maxLanes], satInGain[maxLanes], piOverRate[maxLanes];
    alignas (32) float lastEmphasis[maxLanes];
    alignas (32) float cutoffHz[maxLanes];
    // The cutoff note the ladder coefficient was last computed from (NaN: none
    // yet) and that coefficient: an unchanged note reuses it.
    alignas (32) float lastCutoffNote[maxLanes], ladderG[maxLanes];
    alignas (32) float feedbackGain[maxLanes], hpG[maxLanes], shelfG[maxLanes], shelfA[maxLanes], shelfB[maxLanes];

    // Audio stage --------------------------------------------------------------
    alignas (32) float ladder[4][maxLanes];
    alignas (32) float hp[maxLanes], shelf[maxLanes];
    alignas (32) float history[4][maxLanes];
    alignas (32) float decimator[4][maxLanes];
    alignas (32) float follower[maxLanes], followerCoef[maxLanes], satOutGain[maxLanes];

    // One block's per-sample values, [sample][lane] ------------------------------
    struct Rows
    {
        alignas (32) float mix[subBlock][maxLanes];
        alignas (32) float cutoffNote[subBlock][maxLanes];
        alignas (32) float ladderG[subBlock][maxLanes];
        alignas (32) float hpG[subBlock][maxLanes];
        alignas (32) float shelfG[subBlock][maxLanes];
        alignas (32) float shelfA[subBlock][maxLanes];
        alignas (32) float shelfB[subBlock][maxLanes];
        alignas (32) float feedbackGain[subBlock][maxLanes];
        alignas (32) float outGain[subBlock][maxLanes];
        alignas (32) float ampGain[subBlock][maxLanes];
        alignas (32) float driveOut[subBlock][maxLanes];
        alignas (32) float out[subBlock][maxLanes];
    };
    Rows rows;

    // What the lanes hand back to the voices ----------------------------------
    Synth404* const* voices = nullptr;
    int numLanes = 0;

    /** A new oscillator pitch for a lane: sets oscHz, tableIncrement, the
        pulse's increment and halves, the table fields and lastOscPitch. */
    void (*refreshOscillator) (VoiceLanes&, int lane, double oscPitch) noexcept = nullptr;
    /** A new emphasis for a lane: sets the feedback coefficients and
        lastEmphasis. */
    void (*refreshEmphasis) (VoiceLanes&, int lane, float emphasis) noexcept = nullptr;
    /** LadderFilter::coefficientOf for angles beyond its fast range. */
    float (*ladderCoefficient) (float angle) noexcept = nullptr;
};

/** The kernels: numSamples (at most subBlock) samples of numGroups groups,
    the outputs in lanes.rows.out.  Audio thread.  renderVoiceLanesAvx2 may be
    called only where voiceLanesAvx2Available() is true. */
void renderVoiceLanesSse2 (VoiceLanes& lanes, int numGroups, int numSamples) noexcept;
void renderVoiceLanesAvx2 (VoiceLanes& lanes, int numGroups, int numSamples) noexcept;

/** The exponentials of the lanes, eight at a time, for the tests.  Any
    thread.
    exp2: out[i] = exp2f (in[i]) to the bit, for every float but NaN,
    which gives infinity (the cutoff limits both to the same frequency).
    oscillatorHz: out[i] = (float) (440 exp2 ((pitch[i] - 69) / 12)) as the
    voice computes it, within a unit in the last place, for pitches within
    +-12000 semitones of 69. */
void exp2VoiceLanesSse2 (const float* in, float* out) noexcept;
void exp2VoiceLanesAvx2 (const float* in, float* out) noexcept;
void oscillatorHzVoiceLanesSse2 (const double* pitch, float* out) noexcept;
void oscillatorHzVoiceLanesAvx2 (const double* pitch, float* out) noexcept;

/** Any thread: whether the processor and the system run AVX2 code. */
bool voiceLanesAvx2Available() noexcept;

/** Any thread but the audio thread: the path to use, the best the
    processor runs unless the environment variable KEST_VOICE_LANES names
    "sse2" (or "avx2", taken only where available). */
VoiceLanes::Path chooseVoiceLanesPath();
