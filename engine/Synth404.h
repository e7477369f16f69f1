#pragma once

#include "engine/LadderFilter.h"
#include "engine/VoiceLanes.h"
#include "engine/VoiceManager.h"

#include <array>
#include <atomic>
#include <cstdint>

class BandlimitedWavetableSet;
struct BandlimitedWavetable;

/** The instrument's voice: an analogue-modelled subtractive voice.

    Signal flow, once per sample at the voice's rate (the oversampled internal
    rate):

      saw (band-limited table) + pulse (trapezoid) + noise (low-passed LFSR)
        -> mix x driveIn
        -> up-sampled 4x with the Catmull-Rom table U
        -> four-pole ladder low-pass (trapezoidal one-poles) with a soft-clipped
           input; its feedback is the state-only output estimate, high-passed
           at 74 Hz and given a low shelf, scaled by the emphasis
        -> output saturator (inverting) -> decimated 4x back to the voice rate
        -> amplifier curve driven by envelope and accent -> out

    Twelve parameters are smoothed by linear 70 ms ramps; every change restarts
    the ramp of all twelve from where they stand.  Expensive functions are
    cached: the oscillator frequency and the cutoff are recomputed only when
    their note values change, the emphasis coefficients only when the smoothed
    emphasis changes, the table only when its length changes.

    render() is the reference, one voice at a time.  renderAdding() runs the
    same arithmetic for eight voices per vector register (VoiceLanes,
    VoiceLaneKernel.h) and gives the same samples: to the bit, except that
    a moving oscillator pitch (glide, FM, bend) takes its frequency from an
    exp2 within a unit in the last place of the library's.

    Threads: render, startNote, release and setSound run on the thread that
    processes audio (or the owner thread when the engine runs those calls
    directly), never on two threads at once.  The Sound setters retarget the
    attached voices, so they run on those threads too (the engine applies
    parameter changes at the start of a block, or under its callback lock
    while no audio runs).
*/
class Synth404 : public VoiceManager::Voice, private VoiceSmoothedIndex
{
public:
    /** Values as stored; the knob order differs. */
    enum tOscillatorMode : int32_t
    {
        oscillatorOff = 0,
        oscillatorSaw = 1,
        oscillatorPulse = 2,
        oscillatorNoise = 3
    };

    enum tOscillatorModulationMode : int32_t
    {
        modulationOff = 0,
        modulationFM = 1,
        modulationPWM = 2
    };

    enum tTrackingMode : int32_t
    {
        trackingOff = 0,
        trackingHalf = 1,
        trackingFull = 2
    };

    class Sound;

    /** Any thread; the first voice of the process builds the shared tables. */
    Synth404();
    /** Owner thread; the last voice of the process frees the shared tables. */
    ~Synth404() override;

    Synth404 (const Synth404&) = delete;
    Synth404& operator= (const Synth404&) = delete;

    //==========================================================================
    // VoiceManager::Voice

    /** Owner or audio thread, never while rendering: sets the voice's rate. */
    void setSampleRate (float rate) override;
    /** Audio thread: writes count samples.  Allocation-free.  The plain
        one-voice implementation; renderAdding() is the fast path for many
        voices and agrees with it sample for sample. */
    void render (float* output, int count) override;
    /** Any thread: 0 finished, 1 playing, 2 releasing, 3 releasing fast. */
    int getState() const override;
    /** Any thread: the envelope's level. */
    float getLevel() const override;
    /** Any thread: the glided pitch without tune and bend, in semitones. */
    float getCurrentPitch() const override;

    //==========================================================================
    /** Audio thread: renders numVoices voices for count samples and adds each
        voice's output, voice by voice in the order given, to left and (when
        not null) right: the same sums as rendering every voice with render()
        and adding it in turn.  The voices run in lanes of eight (see
        VoiceLanes), sixteen at a time, on the instruction set path names
        (choose it with chooseVoiceLanesPath(); AVX2 is taken only where the
        processor has it).
        The bend is read once per call.  Allocation-free. */
    static void renderAdding (Synth404* const* voices, int numVoices, float* left, float* right, int count,
                              VoiceLanes::Path path = VoiceLanes::Path::sse2);

    //==========================================================================
    // Operations of the voice controllers and the pool (audio thread)

    /** Detaches the voice from its Sound and attaches it to newSound (or to
        none); an attached voice takes over every parameter of the Sound,
        ramping from its current values. */
    void setSound (Sound* newSound);

    /** Starts (retrigger) or retargets (legato) the voice.  pitchBend is the
        controller's bend value in -1..+1, read every sample; null reads 0.
        The controller writes the played note and pitch before this call. */
    void startNote (bool retrigger, const std::atomic<float>* pitchBend, float velocity);

    /** Puts the envelope into its release stage; fast selects the 5 ms
        release. */
    void release (bool fast);

    /** The note the voice plays, in semitones (the glide goal without tune
        and bend). */
    void setPlayedNote (double semitones) noexcept   { playedNote = semitones; }
    double getPlayedNote() const noexcept            { return playedNote; }

    /** The current glided pitch in semitones, tune and bend included. */
    void setPitch (double semitones) noexcept        { pitch = semitones; }
    double getPitch() const noexcept                 { return pitch; }

    /** Any thread: the tune offset copied from the Sound, in semitones. */
    float getTune() const noexcept                   { return tune; }
    /** Any thread: the bend value (-1..+1) the voice reads; 0 when none. */
    float getPitchBend() const noexcept;
    /** Any thread: the Sound the voice is attached to, or null. */
    Sound* getSound() const noexcept                 { return sound; }
    /** Any thread: the filtered signal's magnitude, followed with 20 ms. */
    float getOutputFollower() const noexcept         { return outputFollowerShared.load (std::memory_order_relaxed); }

    //==========================================================================
    /** One device's sound parameters, its two LFO phases (shared by its
        voices) and the voices attached to it.

        The voice list is a fixed-capacity array that is never reallocated, so
        setter threads and the editor may walk it while the audio thread
        attaches and detaches voices. */
    class Sound
    {
    public:
        static constexpr int maxVoices = 1024;

        Sound();

        Sound (const Sound&) = delete;
        Sound& operator= (const Sound&) = delete;

        // Setters: each takes the mapped parameter value, stores it and
        // updates every attached voice.  The thread that renders the voices
        // (see the class comment).  Levels and knobs are limited to 0..1.
        void setGlide (float seconds);
        void setTune (float semitones);
        void setPulseWidth (float width);
        void setOscillatorMode (tOscillatorMode mode);
        void setOscillatorModulationMode (tOscillatorModulationMode mode);
        void setLfo1Level (float level);
        void setLfo1Time (float hertz);
        void setFrequency (float knob);
        void setTracking (tTrackingMode mode);
        void setEnvelope (float amount);
        void setLfo2Level (float level);
        void setLfo2Time (float hertz);
        void setEmphasis (float amount);
        void setAccent (float amount);
        void setAttack (float seconds);
        void setDecay (float knob);
        void setSustain (float level);
        void setRelease (float seconds);
        void setDrive (float amount);

        /** The thread that prepares the engine: stores the host rate, from
            which the LFO increments are computed (re-apply the LFO times
            afterwards). */
        void setSampleRate (float hostRate) noexcept   { sampleRate = hostRate; }
        float getSampleRate() const noexcept           { return sampleRate; }

        /** Audio thread: restarts both LFOs at phase 0.5 when no attached
            voice is playing. */
        void resetLfosIfIdle();

        /** Audio thread: advances both LFO phases by numSamples rendered
            samples, wrapped into -1..1. */
        void advanceLfos (unsigned numSamples);

        /** Any thread: LFO phases (-1..1) and increments per rendered
            sample. */
        float getLfo1Phase() const noexcept      { return lfo1Phase.load (std::memory_order_relaxed); }
        float getLfo2Phase() const noexcept      { return lfo2Phase.load (std::memory_order_relaxed); }
        float getLfo1Increment() const noexcept  { return lfo1Increment.load (std::memory_order_relaxed); }
        float getLfo2Increment() const noexcept  { return lfo2Increment.load (std::memory_order_relaxed); }

        /** Any thread: the attached voices in order of attachment.  A reader
            on another thread may see an entry that is being removed as null;
            skip nulls. */
        int getNumVoices() const noexcept        { return numVoices.load (std::memory_order_acquire); }
        Synth404* getVoice (int index) const noexcept;

        /** Any thread: the parameter values as stored. */
        float getGlide() const noexcept          { return glide; }
        float getTune() const noexcept           { return tune; }
        float getPulseWidth() const noexcept     { return pulseWidth; }
        float getLfo1Level() const noexcept      { return lfo1Level; }
        float getFrequency() const noexcept      { return frequency; }
        float getEnvelope() const noexcept       { return envelope; }
        float getLfo2Level() const noexcept      { return lfo2Level; }
        float getEmphasis() const noexcept       { return emphasis; }
        float getAccent() const noexcept         { return accent; }
        float getAttack() const noexcept         { return attack; }
        float getDecay() const noexcept          { return decay; }
        float getSustain() const noexcept        { return sustain; }
        float getRelease() const noexcept        { return release; }
        float getDrive() const noexcept          { return drive; }
        tOscillatorMode getOscillatorMode() const noexcept                     { return oscillatorMode; }
        tOscillatorModulationMode getOscillatorModulationMode() const noexcept { return modulationMode; }
        tTrackingMode getTracking() const noexcept                             { return tracking; }

    private:
        friend class Synth404;

        /** Appends the voice unless present (false when the array is full). */
        bool addVoice (Synth404* voice);
        /** Removes the voice if present; order of the others kept. */
        void removeVoice (Synth404* voice);

        template <typename Function>
        void forEachVoiceFromLast (Function&& function);

        float glide = 0, tune = 0, pulseWidth = 0, lfo1Level = 0, frequency = 0, envelope = 0,
              lfo2Level = 0, emphasis = 0, accent = 0, attack = 0, decay = 0, sustain = 0,
              release = 0, drive = 0;
        tOscillatorMode oscillatorMode = oscillatorSaw;
        tOscillatorModulationMode modulationMode = modulationOff;
        tTrackingMode tracking = trackingOff;
        float sampleRate = 1.0f;
        std::atomic<float> lfo1Phase { 0.5f }, lfo1Increment { 0.0f };
        std::atomic<float> lfo2Phase { 0.5f }, lfo2Increment { 0.0f };

        std::array<std::atomic<Synth404*>, maxVoices> voices {};
        std::atomic<int> numVoices { 0 };
    };

private:
    friend class Sound;

    /** What render carries from sample to sample within one call: the
        Sound's LFO phases copied at its start and the caches of the
        pitch-to-frequency conversions (empty at its start). */
    struct RenderLocals
    {
        float lfo1Phase, lfo1Increment, lfo2Phase, lfo2Increment;
        double lastOscPitch;
        float lastCNote, oscHz, cHz, pulseRisingHalf, pulseFallingHalf;
    };

    /** One sample's values that the filter and output stages take from the
        control stage; the filter coefficients are in filter. */
    struct SampleControls
    {
        float mix, outGain, ampGain, driveOut, cutoffNote;
    };

    void beginRender (RenderLocals& locals) const noexcept;
    /** Smoothing, envelope, LFOs, pitch, oscillators, mix, cutoff note,
        emphasis and the amplifier curve of one sample. */
    SampleControls stepControls (RenderLocals& locals) noexcept;
    /** The cutoff in Hz and the ladder coefficient for a cutoff note (cached;
        depends on nothing else of the sample, so a block's coefficients can
        be computed after its control steps).  Returns filter.ladderG. */
    float stepCutoff (RenderLocals& locals, float cutoffNote) noexcept;
    /** History, up-sampling, filter, output saturator, down-sampling, output
        follower and output gain of one sample. */
    float stepAudio (const SampleControls& controls) noexcept;

    /** A new oscillator pitch: frequency, table and the pulse's slopes. */
    void setOscillatorPitch (RenderLocals& locals, double oscPitch) noexcept;
    /** A new smoothed emphasis: the feedback path's coefficients. */
    void setEmphasisCoefficients (float emphasis) noexcept;

    /** renderAdding's moves between the voice and its lane. */
    void copyToLane (VoiceLanes& lanes, int lane) const noexcept;
    void copyFromLane (const VoiceLanes& lanes, int lane, int lastRow) noexcept;
    static void fillSilentLane (VoiceLanes& lanes, int lane) noexcept;
    static constexpr int maxAloneSamples = 512;
    static void renderAddingAlone (Synth404& voice, float* left, float* right, int count) noexcept;
    static void refreshLaneOscillator (VoiceLanes& lanes, int lane, double oscPitch) noexcept;
    static void refreshLaneEmphasis (VoiceLanes& lanes, int lane, float emphasis) noexcept;

    void retarget (int index, float value);
    void stepRamp() noexcept;
    void jumpToTargets() noexcept;
    void clearFilterAndResampler() noexcept;
    void selectTable (float increment) noexcept;

    void updateGlide();
    void updateAttack();
    void updateRelease();
    void updateTracking();
    void updatePulseWidth();
    void updateOscillatorMode();
    void updateLfo1Level();
    void updateLfo2Level();
    void updateEnvelopeAmount();
    void updateEmphasis();
    void updateCutoff();
    void updateAccent();
    void updateDecaySustain();
    void updateSustainLevel();
    void updateDrive();

    float sampleRate = 1.0f;
    float rampStep = 0;
    uint32_t rampLength = 1;
    uint32_t rampLeft = 0;
    std::array<float, numSmoothed> current {}, increment {}, target {};

    uint32_t envState = 2;
    double attackCoef = 0, decayCoef = 0, releaseCoef = 0, fastReleaseCoef = 0;
    double sustainLevel = 0, level = 0;
    bool fastRelease = false;
    double playedNote = 40.0;
    const std::atomic<float>* pitchBend = nullptr;
    double glideCoef = 0;
    double pitch = 40.0;
    float tune = 0;
    int32_t modulationMode = modulationOff;

    float tablePhase = 0, tableIncrement = 0;
    const BandlimitedWavetableSet* tables = nullptr;
    const BandlimitedWavetable* table = nullptr;
    float pulsePhase = 0;
    uint32_t noiseState = 1;
    float noiseG = 0, noiseInv = 0, noiseG2 = 0, noiseZ = 0;
    float trackFactor = 0;
    float cutoffHz = -1.0f, lastEmphasis = -1.0f;
    float overRate = 1.0f;
    float piOverRate = 3.14159265358979f; // pi / overRate: the cutoff angle per hertz
    LadderFilter filter;
    std::array<float, 4> history {}, decimator {};
    float satInGain = 0.35481337f, satOutGain = 2.3173945f;
    float accentFactor = 0, velocitySquared = 0;
    float outputFollower = 0, outputFollowerCoef = 0;
    std::atomic<float> outputFollowerShared { 0.0f };
    Sound* sound = nullptr;
};
