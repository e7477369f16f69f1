// The laws a musician hears, measured from rendered audio: where the filter
// sits for a key and an envelope, how far FM and PWM reach, when glide and
// the LFOs restart, and what the sustain pedal keeps.  Each test plays the
// engine as a host does (set the sound, then play MIDI, then measure), so
// the expected values come from the instrument's documented behaviour, not
// from the code's constants.

#include "tests/support/EngineRig.h"
#include "tests/support/SignalMeasures.h"

#include <gtest/gtest.h>


using namespace SignalMeasures;
using R = EngineRig;

namespace
{
constexpr double rate = 48000.0;

/** The filter made to sing on its own: no oscillator, full emphasis, so the
    output is a near-sine at the filter's cutoff.  At cutoffs of a few kHz
    and above the ladder sings within 0.2 % of its cutoff; lower down the
    emphasis path pulls it up by a few percent, the same way at the same
    cutoff, so equal cutoffs always sing at equal frequencies. */
struct SingingFilter
{
    float frequencyKnob = 0.3f;
    float tracking = R::trackingOff;
    float envelope = 0.0f;
    float sustain = 0.5f;
    float emphasis = 1.0f;

    /** The frequency in Hz at which the filter sings for the key, measured
        over 0.25..0.5 s after the note starts. */
    double hertz (int note) const
    {
        EngineRig rig;
        rig.set (R::voiceMode, R::revolver);
        rig.setEveryDevice (R::oscillatorMode, R::oscillatorOff);
        rig.setEveryDevice (R::emphasis, emphasis);
        rig.setEveryDevice (R::frequency, frequencyKnob);
        rig.setEveryDevice (R::tracking, tracking);
        rig.setEveryDevice (R::envelope, envelope);
        rig.setEveryDevice (R::sustain, sustain);
        const auto out = rig.render (rig.samples (0.5), { R::noteOn (0, note) });
        return frequency (out, rig.samples (0.25), rig.samples (0.5), rate);
    }

    double semitonesBetween (int lowNote, int highNote) const
    {
        return noteOf (hertz (highNote)) - noteOf (hertz (lowNote));
    }
};

double semitones (double from, double to) { return 12.0 * std::log2 (to / from); }
} // namespace

//==============================================================================
TEST (FilterLaws, keyTrackingOffLeavesTheCutoffWhereTheKnobPutsIt)
{
    SingingFilter off;
    const double atPivot = off.hertz (20);
    ASSERT_GT (atPivot, 100.0);
    for (int note : { 32, 56, 92 })
        EXPECT_NEAR (semitones (atPivot, off.hertz (note)), 0.0, 0.005) << note;
}

TEST (FilterLaws, keyTrackingIsReferencedToNote20WhereEveryModeAgrees)
{
    SingingFilter off, half, full;
    half.tracking = R::trackingHalf;
    full.tracking = R::trackingFull;
    const double reference = off.hertz (20);
    EXPECT_NEAR (semitones (reference, half.hertz (20)), 0.0, 0.005);
    EXPECT_NEAR (semitones (reference, full.hertz (20)), 0.0, 0.005);
}

TEST (FilterLaws, halfTrackingMovesTheCutoffHalfAsFarAsFull)
{
    // Half tracking two octaves up gives the cutoff of Full tracking one
    // octave up: the two must sing at the same frequency.
    SingingFilter half, full;
    half.tracking = R::trackingHalf;
    full.tracking = R::trackingFull;
    for (int octaves : { 1, 2 })
    {
        const double fullHz = full.hertz (20 + 12 * octaves);
        const double halfHz = half.hertz (20 + 24 * octaves);
        EXPECT_NEAR (semitones (fullHz, halfHz), 0.0, 0.005) << octaves;
    }
}

TEST (FilterLaws, fullTrackingShiftsTheCutoffAnOctavePerOctaveAndHalfByHalfAnOctave)
{
    // Measured high up, where the filter sings at its cutoff.
    SingingFilter half, full;
    half.frequencyKnob = full.frequencyKnob = 0.62f; // about 1.6 kHz at note 20
    half.tracking = R::trackingHalf;
    full.tracking = R::trackingFull;
    EXPECT_NEAR (full.semitonesBetween (20, 32), 12.0, 0.15);
    EXPECT_NEAR (full.semitonesBetween (32, 44), 12.0, 0.15);
    EXPECT_NEAR (half.semitonesBetween (20, 44), 12.0, 0.15);
    EXPECT_NEAR (half.semitonesBetween (44, 56), 6.0, 0.1);
}

TEST (FilterLaws, theEnvelopeMovesTheCutoffBy200SemitonesTimesAmountTimesItsLevel)
{
    // At sustain 0.5 the envelope settles at 0.5 x 0.944444 - 0.1 = 0.372222
    // of full scale; an amount of 12 / (200 x 0.372222) lifts the cutoff by
    // exactly an octave, the same cutoff as Full tracking one octave up.
    const double sustainedEnvelope = 0.5 * 0.944444 - 0.1;
    SingingFilter swept;
    swept.envelope = (float) (12.0 / (200.0 * sustainedEnvelope));
    SingingFilter tracked;
    tracked.tracking = R::trackingFull;
    EXPECT_NEAR (semitones (tracked.hertz (32), swept.hertz (20)), 0.0, 0.01);

    // Twice the amount, two octaves.
    swept.envelope *= 2.0f;
    EXPECT_NEAR (semitones (tracked.hertz (44), swept.hertz (20)), 0.0, 0.01);
}

TEST (FilterLaws, frequencyAtFullOpensTheFilterTo16kHzAndNoFurther)
{
    SingingFilter open;
    open.frequencyKnob = 1.0f;
    EXPECT_NEAR (open.hertz (60), 16000.0, 16000.0 * 0.002);

    // The ceiling holds against tracking and the envelope too.
    open.tracking = R::trackingFull;
    open.envelope = 1.0f;
    EXPECT_NEAR (open.hertz (100), 16000.0, 16000.0 * 0.002);

    SingingFilter nearlyOpen;
    nearlyOpen.frequencyKnob = 0.9f; // about 11 kHz
    EXPECT_LT (nearlyOpen.hertz (60), 12000.0);
}

//==============================================================================
namespace
{
// Knob positions by the knobs' laws: an LFO time knob v gives
// exp(14.508657 v - 5.2983174) Hz (0.005 Hz .. 10 kHz), a glide knob
// 0.01 x 150^v seconds.
constexpr float lfoHalfHertz = 0.3174084f;
constexpr float lfoQuarterHertz = 0.2696337f;
constexpr float glideFifthOfASecond = 0.5978747f;

/** A saw on every device through an open filter, no tracking. */
void brightSaw (EngineRig& rig)
{
    rig.setEveryDevice (R::oscillatorMode, R::oscillatorSaw);
    rig.setEveryDevice (R::frequency, 1.0f);
    rig.setEveryDevice (R::tracking, R::trackingOff);
}
} // namespace

TEST (OscillatorLaws, fmSwingsThePitch28SemitonesEachWayAtFullLfoLevel)
{
    // LFO 1 at a quarter level: +-7 semitones around the note.  The LFO runs
    // at twice its knob's rate (internal rate / host rate), 1 Hz here.
    EngineRig rig;
    rig.set (R::voiceMode, R::revolver);
    brightSaw (rig);
    rig.setEveryDevice (R::modulationMode, R::modulationFM);
    rig.setEveryDevice (R::lfo1Level, 0.25f);
    rig.setEveryDevice (R::lfo1Time, lfoHalfHertz);
    const auto out = rig.render (rig.samples (1.6), { R::noteOn (0, 69) });

    double lowest = 1000.0, highest = -1000.0;
    for (const auto& cycle : cycles (out, rig.samples (0.1), rig.samples (1.6), rate))
    {
        lowest = std::min (lowest, noteOf (cycle.hertz));
        highest = std::max (highest, noteOf (cycle.hertz));
    }
    EXPECT_NEAR (highest, 69.0 + 7.0, 0.1);
    EXPECT_NEAR (lowest, 69.0 - 7.0, 0.1);
}

TEST (OscillatorLaws, pwmSwingsTheDutyCycle40PercentEachWayAtFullLfoLevel)
{
    // LFO 1 at half level around a square: the duty cycle runs from 30 % to
    // 70 %.  The output is inverted: the pulse's high part is its low part.
    EngineRig rig;
    rig.set (R::voiceMode, R::revolver);
    rig.setEveryDevice (R::oscillatorMode, R::oscillatorPulse);
    rig.setEveryDevice (R::pulseWidth, 0.0f);
    rig.setEveryDevice (R::frequency, 1.0f);
    rig.setEveryDevice (R::tracking, R::trackingOff);
    rig.setEveryDevice (R::modulationMode, R::modulationPWM);
    rig.setEveryDevice (R::lfo1Level, 0.5f);
    rig.setEveryDevice (R::lfo1Time, lfoHalfHertz);
    const auto out = rig.render (rig.samples (1.6), { R::noteOn (0, 45) });

    double lowest = 1.0, highest = 0.0;
    for (const auto& cycle : cycles (out, rig.samples (0.1), rig.samples (1.6), rate))
    {
        // The pulse is high where the output is below the middle between its
        // two levels: the share of one period spent there is the duty cycle.
        const int first = (int) std::floor (cycle.start), last = (int) std::ceil (cycle.end);
        double top = -1.0, bottom = 1.0;
        for (int i = first; i <= last; ++i)
        {
            top = std::max (top, (double) out[(size_t) i]);
            bottom = std::min (bottom, (double) out[(size_t) i]);
        }
        const double duty = timeBelow (out, cycle.start, cycle.end, 0.5 * (top + bottom)) / (cycle.end - cycle.start);
        lowest = std::min (lowest, duty);
        highest = std::max (highest, duty);
    }
    EXPECT_NEAR (lowest, 0.3, 0.005);
    EXPECT_NEAR (highest, 0.7, 0.005);
}

//==============================================================================
namespace
{
/** One voice per note, bright saws, a 200 ms glide and a quick release. */
EngineRig& gliding (EngineRig& rig)
{
    rig.set (R::voiceMode, R::revolver);
    brightSaw (rig);
    rig.setEveryDevice (R::frequency, 0.7f);
    rig.setEveryDevice (R::glide, glideFifthOfASecond);
    rig.setEveryDevice (R::release, 0.0f);
    return rig;
}
} // namespace

TEST (PlayingLaws, aNoteGlidesOnlyFromANoteStillHeld)
{
    const int second = 14400; // 0.3 s

    // Detached: the first key is up 50 ms before the second goes down.
    EngineRig detached;
    gliding (detached);
    auto out = detached.render (detached.samples (0.6), { R::noteOn (0, 72), R::noteOff (12000, 72), R::noteOn (second, 84) });
    EXPECT_NEAR (pitch (out, second + 480, second + 1920, rate), 84.0, 0.1) << "a detached note starts on its pitch";

    // Overlapping: the second key goes down before the first comes up.
    EngineRig legato;
    gliding (legato);
    out = legato.render (legato.samples (0.6), { R::noteOn (0, 72), R::noteOn (second, 84), R::noteOff (second, 72) });
    EXPECT_LT (pitch (out, second + 480, second + 1920, rate), 76.0) << "a legato note starts near the held note";

    // The glide closes the gap with the glide time as its time constant.
    const int oneTimeConstant = second + legato.samples (0.2);
    EXPECT_NEAR (pitch (out, oneTimeConstant - 480, oneTimeConstant + 480, rate), 84.0 - 12.0 / std::exp (1.0), 0.15);
}

TEST (PlayingLaws, liftingTheSustainPedalKeepsNotesWhoseKeysAreStillDown)
{
    auto setUp = [] (EngineRig& rig) {
        rig.set (R::voiceMode, R::revolver);
        brightSaw (rig);
        rig.setEveryDevice (R::frequency, 0.6f);
        rig.setEveryDevice (R::release, 0.0f);
    };

    EngineRig alone;
    setUp (alone);
    const auto reference = alone.render (alone.samples (1.0), { R::noteOn (0, 60) });

    // Key 60 stays down throughout; 67 is played under the pedal.
    EngineRig pedal;
    setUp (pedal);
    const auto out = pedal.render (pedal.samples (1.0), { R::noteOn (0, 60), R::controller (4800, 64, 127),
                                                           R::noteOn (9600, 67), R::noteOff (14400, 67),
                                                           R::controller (28800, 64, 0) });

    EXPECT_GT (rms (out, 19200, 28800), 1.2 * rms (reference, 19200, 28800)) << "the pedal holds the released key";

    const int after = pedal.samples (0.8);
    EXPECT_NEAR (pitch (out, after, after + 4800, rate), 60.0, 0.05) << "only the held key sounds on";
    EXPECT_NEAR (rms (out, after, after + 4800), rms (reference, after, after + 4800), 0.05 * rms (reference, after, after + 4800));
}

TEST (PlayingLaws, lfosRestartOnlyWhenNoVoiceOfTheDevicePlays)
{
    // ORVA alone, FM from a slow LFO 1 (0.5 Hz: its peak 0.5 s after a
    // restart).  The first note, 120, sits far above the filter and is not
    // heard; the second, 60, shows where the LFO stands.
    auto setUp = [] (EngineRig& rig) {
        rig.soloDevice (0);
        rig.set (R::voiceMode, R::revolver);
        rig.setEveryDevice (R::oscillatorMode, R::oscillatorSaw);
        rig.setEveryDevice (R::frequency, 0.55f);
        rig.setEveryDevice (R::tracking, R::trackingOff);
        rig.setEveryDevice (R::modulationMode, R::modulationFM);
        rig.setEveryDevice (R::lfo1Level, 0.25f);
        rig.setEveryDevice (R::lfo1Time, lfoQuarterHertz);
        rig.setEveryDevice (R::release, 1.0f);
    };
    const int start = 20400;                       // 0.425 s after the first note
    const int from = start + 2880, to = start + 4320; // 60..90 ms after the second

    // The first note still plays: the LFO runs on and stands near its peak.
    EngineRig playing;
    setUp (playing);
    auto out = playing.render (playing.samples (0.6), { R::noteOn (0, 120), R::noteOn (start, 60) });
    EXPECT_GT (pitch (out, from, to, rate), 60.0 + 6.0) << "no restart while a voice plays";

    // The first note plays through the global channel, the second comes on
    // ORVA's own channel: the LFO belongs to the device, so it runs on.
    EngineRig ownChannel;
    setUp (ownChannel);
    ownChannel.engine.setReceiveChannel (0, 1, false);
    ownChannel.engine.setReceiveChannel (1, 2, false);
    out = ownChannel.render (ownChannel.samples (0.6), { R::noteOn (0, 120), R::noteOn (start, 60, 100, 2) });
    EXPECT_GT (pitch (out, from, to, rate), 60.0 + 6.0) << "no restart while another controller's voice plays";

    // The first note only releases: the second note restarts the LFO, which
    // has risen 15 % of its swing after 75 ms.
    EngineRig releasing;
    setUp (releasing);
    out = releasing.render (releasing.samples (0.6), { R::noteOn (0, 120), R::noteOff (14400, 120), R::noteOn (start, 60) });
    EXPECT_NEAR (pitch (out, from, to, rate), 60.0 + 0.15 * 7.0, 0.3) << "restart while voices only release";
}
