#pragma once

#include <juce_core/juce_core.h>

/** The mappings from a parameter's normalised value (0..1) to its target's
    own value, and the texts that displays show for a normalised value.

    Every mapping and text takes any float: the value is first limited to
    0..1, and NaN counts as 0.  Arithmetic is single precision; exp and the
    master-volume power are taken in double precision of the
    single-precision argument.  The enumerated mappings return the
    enumeration's numeric value (see the target's enum).  Every function is
    pure and may be called on any thread; the text functions allocate and
    therefore never run on the audio thread.
*/
namespace ParameterFunctions
{
/** v limited to 0..1; NaN gives 0. */
float toUnit (float v) noexcept;

// Mappings.
float passThrough (float v) noexcept;      ///< limited to 0..1
float toGlideTime (float v) noexcept;      ///< seconds, 0.01 x 150^v
float toSemitones (float v) noexcept;      ///< -24 .. +24, whole cents, truncated toward zero
float toLfoTime (float v) noexcept;        ///< LFO rate in Hz, 0.005 x 2,000,000^v
float toAttackTime (float v) noexcept;     ///< seconds
float toReleaseTime (float v) noexcept;    ///< seconds
bool toBool (float v) noexcept;            ///< v >= 0.5
float toBipolar (float v) noexcept;        ///< 2v - 1
float toDecibels (float v) noexcept;       ///< 70v - 60
float toCutoffHz (float v) noexcept;       ///< the filter's cutoff knob in Hz, 21 Hz .. 24 kHz
/** The decay time in seconds for the decay knob and the sustain level;
    a sustain below 0.5 counts as 0.5. */
double toDecayTime (float knob, float sustain) noexcept;
int toOscillatorMode (float v) noexcept;            ///< 0 Off, 3 Noise, 1 Saw, 2 Pulse (by rising v)
int toOscillatorModulationMode (float v) noexcept;  ///< 0 Off, 2 PWM, 1 FM (by rising v)
int toTrackingMode (float v) noexcept;              ///< 0 Off, 1 Half, 2 Full
int toVoiceAllocationMode (float v) noexcept;       ///< 0 Unison .. 5 Chord (Grow)

/** The master volume's linear gain for a level in dB. */
float decibelsToGain (float dB) noexcept;

// Value texts.
juce::String glideTimeText (float v);
juce::String semitoneText (float v);
juce::String percentText (float v);
juce::String lfoTimeText (float v);
juce::String frequencyText (float v);
juce::String attackTimeText (float v);
juce::String decayTimeText (float v);
juce::String releaseTimeText (float v);
juce::String onOffText (float v);
juce::String oscillatorModeText (float v);
juce::String oscillatorModulationModeText (float v);
juce::String trackingModeText (float v);
juce::String voiceAllocationModeText (float v);
juce::String voiceDirectionText (float v);
juce::String decibelText (float v);
juce::String emptyText (float v);
} // namespace ParameterFunctions
