#include "engine/OversampledDspProcess.h"
#include "engine/Synth404.h"
#include "tools/VoiceRenderProcess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
/** One voice on one Sound at a given voice rate (host rate = half of it). */
struct SingleVoice
{
    Synth404::Sound sound;
    Synth404 voice;
    std::atomic<float> bend { 0.0f };
    float rate;

    explicit SingleVoice (float voiceRate, float hostRate = 0.0f) : rate (voiceRate)
    {
        voice.setSampleRate (voiceRate);
        VoiceRenderProcess::applyDefaults (sound, hostRate > 0.0f ? hostRate : voiceRate / 2.0f);
        sound.setFrequency (1.0f);
    }

    void start (int note, float velocity = 1.0f)
    {
        voice.setSound (&sound);
        voice.startNote (true, &bend, velocity);
        voice.setPlayedNote (note);
        voice.setPitch (voice.getTune() + note);
    }

    std::vector<float> render (int count)
    {
        std::vector<float> out ((size_t) count);
        for (int done = 0; done < count; done += 512)
            voice.render (out.data() + done, std::min (512, count - done));
        return out;
    }

    /** Samples until the level first reaches the threshold (rendered one by one). */
    int samplesUntilLevel (double threshold, int limit)
    {
        float sample;
        for (int n = 1; n <= limit; ++n)
        {
            voice.render (&sample, 1);
            if (voice.getLevel() >= threshold)
                return n;
        }
        return -1;
    }
};

double peak (const std::vector<float>& x, size_t from, size_t to)
{
    double m = 0.0;
    for (size_t i = from; i < to; ++i)
        m = std::max (m, (double) std::fabs (x[i]));
    return m;
}
} // namespace

TEST (Synth404, note69SoundsAt440HzWithinATenthOfACent)
{
    SingleVoice v (88200.0f);
    v.start (69);
    const auto out = v.render (88200 * 2);

    // The inverted sawtooth jumps up once per cycle: time its upward zero
    // crossings (linearly interpolated) over the second second.
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (size_t i = 88200; i + 1 < out.size(); ++i)
    {
        if (out[i] < 0.0f && out[i + 1] >= 0.0f)
        {
            const double t = (double) i + out[i] / (out[i] - out[i + 1]);
            if (first < 0.0)
                first = t;
            last = t;
            ++crossings;
        }
    }
    ASSERT_GT (crossings, 400);
    const double hz = (crossings - 1) / ((last - first) / 88200.0);
    EXPECT_NEAR (1200.0 * std::log2 (hz / 440.0), 0.0, 0.1) << hz;
}

TEST (Synth404, outputIsInvertedAgainstTheRisingSawtooth)
{
    SingleVoice v (88200.0f);
    v.start (33); // 55 Hz: long ramps between the edges
    const auto out = v.render (88200);
    int falling = 0, rising = 0;
    for (size_t i = 44100; i + 1 < out.size(); ++i)
        (out[i + 1] < out[i] ? falling : rising)++;
    // The table sawtooth rises for almost the whole cycle; the voice output falls.
    EXPECT_GT (falling, 9 * rising);
}

TEST (Synth404, envelopeReachesFullLevelAtTheAttackTime)
{
    for (float attack : { 0.01f, 0.5f, 2.0f })
    {
        SingleVoice v (88200.0f);
        v.sound.setAttack (attack);
        v.start (60);
        const int n = v.samplesUntilLevel (1.0, 88200 * 3);
        EXPECT_NEAR (n / 88200.0, attack, attack * 0.005 + 2.0 / 88200.0) << attack;
        EXPECT_EQ (v.voice.getState(), 1);
    }
}

TEST (Synth404, decayTimeFollowsTheDecayKnobAndIsLengthenedByHighSustain)
{
    // (sustain, decay knob, expected time constant in seconds)
    const double cases[][3] = { { 0.5, 0.0, 0.0163 }, { 0.5, 0.5, 0.41 }, { 0.2, 0.5, 0.41 },
                                { 1.0, 0.0, 0.18 }, { 1.0, 0.5, 1.37 }, { 0.8, 1.0, 10.47 } };
    for (const auto& c : cases)
    {
        const float rate = 88200.0f;
        SingleVoice v (rate);
        v.sound.setSustain ((float) c[0]);
        v.sound.setDecay ((float) c[1]);
        v.start (60);
        ASSERT_GT (v.samplesUntilLevel (1.0, 88200), 0);
        const double sustainLevel = c[0] * 0.944444;
        const double start = v.voice.getLevel() - sustainLevel;
        // After one time constant the distance to the sustain level is 1/e.
        const int samples = (int) std::lround (c[2] * rate);
        v.render (samples);
        const double ratio = (v.voice.getLevel() - sustainLevel) / start;
        EXPECT_NEAR (ratio, std::exp (-1.0), 0.01) << c[0] << " " << c[1];
    }
}

TEST (Synth404, aSustainOfZeroKeepsTheVoicePlayingAndReleaseFinishesIt)
{
    SingleVoice v (88200.0f);
    v.sound.setSustain (0.0f);
    v.start (60);
    v.render (88200 * 2);
    EXPECT_EQ (v.voice.getState(), 1);
    v.voice.release (true);
    EXPECT_EQ (v.voice.getState(), 0); // level below 0.1 already: finished
    v.start (60);
    v.render (100); // still in the attack
    v.voice.release (false);
    EXPECT_EQ (v.voice.getState(), 2);
    v.voice.release (true);
    EXPECT_EQ (v.voice.getState(), 3);
    v.render (88200);
    EXPECT_EQ (v.voice.getState(), 0);
}

TEST (Synth404, parameterChangesRampOver70Milliseconds)
{
    // At 88.2 kHz a ramp is truncate(0.07 x 88200) = 6174 samples: switching
    // the oscillator off fades the sawtooth to nothing in exactly that time.
    SingleVoice v (88200.0f);
    v.start (93);
    v.render (8820);
    v.sound.setOscillatorMode (Synth404::oscillatorOff);
    const auto out = v.render (10000);
    size_t lastAudible = 0;
    for (size_t i = 0; i < out.size(); ++i)
        if (std::fabs (out[i]) > 1e-4f)
            lastAudible = i;
    EXPECT_GE (lastAudible, 6174u - 80u);
    EXPECT_LE (lastAudible, 6174u + 4u);
    EXPECT_GT (peak (out, 3000, 3100), 0.02); // halfway the fade is still loud
}

TEST (Synth404, pulseIsSilentWhenTheDutyCycleReachesOne)
{
    auto pulsePeak = [] (float width) {
        SingleVoice v (88200.0f);
        v.sound.setOscillatorMode (Synth404::oscillatorPulse);
        v.sound.setOscillatorModulationMode (Synth404::modulationOff);
        v.sound.setPulseWidth (width);
        v.start (57);
        const auto out = v.render (44100);
        return peak (out, 22050, 44100);
    };
    EXPECT_GT (pulsePeak (0.0f), 0.05);
    EXPECT_GT (pulsePeak (0.8f), 0.01);
    EXPECT_LT (pulsePeak (0.84f), 1e-5); // 0.84 x 1.2 = 1.008: d >= 1
    EXPECT_LT (pulsePeak (1.0f), 1e-5);
}

TEST (Synth404, noiseSoundsAndOscillatorOffIsPracticallySilent)
{
    SingleVoice noise (88200.0f);
    noise.sound.setOscillatorMode (Synth404::oscillatorNoise);
    noise.start (60);
    const auto loud = noise.render (44100);
    EXPECT_GT (peak (loud, 22050, 44100), 0.05);

    SingleVoice off (88200.0f);
    off.sound.setOscillatorMode (Synth404::oscillatorOff);
    off.start (60);
    const auto quiet = off.render (44100);
    EXPECT_LT (peak (quiet, 0, 44100), 1e-6);
    EXPECT_EQ (off.voice.getState(), 1);
}

TEST (Synth404, aVoiceNeverStartedReadsNoBend)
{
    Synth404 voice;
    EXPECT_EQ (voice.getPitchBend(), 0.0f);
    EXPECT_FLOAT_EQ (voice.getCurrentPitch(), 40.0f);
    EXPECT_EQ (voice.getState(), 0);

    SingleVoice v (88200.0f);
    v.bend = 0.5f;
    v.start (60);
    EXPECT_FLOAT_EQ (v.voice.getPitchBend(), 0.5f);
    v.render (88200); // the glide reaches the bent pitch
    EXPECT_NEAR (v.voice.getPitch(), 61.0, 1e-3);
    EXPECT_NEAR (v.voice.getCurrentPitch(), 60.0f, 1e-3);
}

TEST (Synth404, legatoStartKeepsTheEnvelopeRunning)
{
    SingleVoice v (88200.0f);
    v.sound.setAttack (1.0f);
    v.start (60);
    v.render (22050);
    const float level = v.voice.getLevel();
    v.voice.startNote (false, &v.bend, 1.0f);
    EXPECT_EQ (v.voice.getLevel(), level);
    EXPECT_EQ (v.voice.getState(), 1);

    // A release interrupted without retrigger and with velocity 0 is legato too.
    v.voice.release (false);
    v.voice.startNote (false, &v.bend, 0.0f);
    EXPECT_EQ (v.voice.getState(), 2);
}

TEST (Synth404, aVoiceMovedToANewRateFiltersLikeAVoiceMadeAtThatRate)
{
    // A steady cutoff and emphasis (no envelope, LFO or tracking), so nothing
    // but the rate change can make the voice recompute its filter.
    auto setUp = [] (SingleVoice& v) {
        v.sound.setFrequency (0.45f);
        v.sound.setEmphasis (0.6f);
        v.sound.setTracking (Synth404::trackingOff);
    };

    SingleVoice moved (88200.0f);
    setUp (moved);
    moved.start (48);
    moved.render (4410);
    moved.voice.setSampleRate (96000.0f);
    moved.sound.setSampleRate (48000.0f);
    moved.start (48);

    SingleVoice fresh (96000.0f);
    setUp (fresh);
    fresh.start (48);

    const auto a = moved.render (9600);
    const auto b = fresh.render (9600);
    ASSERT_GT (peak (b, 4800, 9600), 0.02);
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ (a[i], b[i]) << i;
}

TEST (Synth404Sound, voicesAreKeptInAttachOrderWithoutDuplicates)
{
    Synth404::Sound sound, other;
    Synth404 a, b, c;
    a.setSound (&sound);
    b.setSound (&sound);
    c.setSound (&sound);
    a.setSound (&sound);
    ASSERT_EQ (sound.getNumVoices(), 3);
    EXPECT_EQ (sound.getVoice (0), &b);
    EXPECT_EQ (sound.getVoice (1), &c);
    EXPECT_EQ (sound.getVoice (2), &a);

    c.setSound (&other);
    ASSERT_EQ (sound.getNumVoices(), 2);
    EXPECT_EQ (sound.getVoice (0), &b);
    EXPECT_EQ (sound.getVoice (1), &a);
    EXPECT_EQ (sound.getVoice (2), nullptr);
    EXPECT_EQ (other.getVoice (0), &c);

    b.setSound (nullptr);
    b.setSound (nullptr); // detaching an absent voice changes nothing
    EXPECT_EQ (sound.getNumVoices(), 1);
    EXPECT_EQ (b.getSound(), nullptr);
}

TEST (Synth404Sound, lfoPhasesWrapForAnyIncrementAndRestartWhenIdle)
{
    Synth404::Sound sound;
    sound.setSampleRate (8000.0f);
    sound.setLfo1Time (10000.0f); // 2.5 per sample: one subtraction is not enough
    sound.setLfo2Time (1e30f);
    sound.advanceLfos (512);
    EXPECT_GE (sound.getLfo1Phase(), -1.0f);
    EXPECT_LE (sound.getLfo1Phase(), 1.0f);
    EXPECT_GE (sound.getLfo2Phase(), -1.0f);
    EXPECT_LE (sound.getLfo2Phase(), 1.0f);

    sound.setLfo1Time (1.0f); // 2 / 8000 per sample
    sound.resetLfosIfIdle();
    EXPECT_EQ (sound.getLfo1Phase(), 0.5f);
    sound.advanceLfos (4000); // 0.5 + 1.0 = 1.5 wraps to -0.5
    EXPECT_NEAR (sound.getLfo1Phase(), -0.5f, 1e-5);

    Synth404 voice;
    voice.setSampleRate (88200.0f);
    voice.setSound (&sound);
    voice.startNote (true, nullptr, 1.0f);
    sound.resetLfosIfIdle(); // a playing voice keeps the phase
    EXPECT_NEAR (sound.getLfo1Phase(), -0.5f, 1e-5);
}

TEST (Synth404Sound, lfoRunsAtTheInternalOverHostRateTimesItsKnob)
{
    // A 1 Hz LFO 2 sweeping the cutoff: count the cycles of the output's
    // loudness over four seconds.  At 44.1 kHz the voices run at 88.2 kHz, so
    // the LFO completes 2 cycles per second; at 96 kHz it completes 1.
    auto cyclesPerSecond = [] (float hostRate) {
        Synth404::Sound sound;
        Korvalden::DSP::OversampledDspProcess<VoiceRenderProcess> process (sound, 1);
        process.setMinimumSampleRate (88200.0f);
        process.prepare (2, hostRate);
        VoiceRenderProcess::applyDefaults (sound, hostRate);
        sound.setFrequency (0.4f);
        sound.setTracking (Synth404::trackingOff);
        sound.setLfo2Level (0.5f);
        sound.setLfo2Time (1.0f);
        process.getInner().startVoice (0, 45, 1.0f);

        const int total = (int) (4 * hostRate);
        juce::AudioBuffer<float> buffer (2, total);
        buffer.clear();
        for (int start = 0; start < total; start += 480)
            process.process (buffer, start, std::min (total, start + 480));

        const int window = (int) (hostRate * 0.02f);
        std::vector<double> loudness;
        for (int start = 0; start + window <= total; start += window)
            loudness.push_back (buffer.getRMSLevel (0, start, window));
        const double mid = (*std::max_element (loudness.begin(), loudness.end())
                            + *std::min_element (loudness.begin(), loudness.end())) / 2.0;
        int upward = 0;
        bool above = loudness[0] > mid;
        for (double l : loudness)
        {
            if (! above && l > mid * 1.1) { above = true; ++upward; }
            else if (above && l < mid * 0.9) above = false;
        }
        return upward / 4.0;
    };
    EXPECT_NEAR (cyclesPerSecond (44100.0f), 2.0, 0.25);
    EXPECT_NEAR (cyclesPerSecond (96000.0f), 1.0, 0.25);
}
