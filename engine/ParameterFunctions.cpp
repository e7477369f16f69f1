#include "engine/ParameterFunctions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ParameterFunctions
{
namespace
{
/** printf-style text in the C locale's number format. */
template <typename... Args>
juce::String format (const char* pattern, Args... args)
{
    char text[64];
    std::snprintf (text, sizeof (text), pattern, args...);
    return juce::String (text);
}

juce::String timeText (float seconds)
{
    if (seconds >= 1.0f)
        return format ("%.2f  s", (double) seconds);
    return format ("%.0f  ms", (double) (seconds * 1000.0f));
}

float decibelTime (float v, float span, float offset)
{
    return std::pow (10.0f, (toUnit (v) * span + offset) * 0.05f - 3.0f);
}
} // namespace

float toUnit (float v) noexcept
{
    return v >= 0.0f ? (v <= 1.0f ? v : 1.0f) : 0.0f;
}

float passThrough (float v) noexcept { return toUnit (v); }

float toGlideTime (float v) noexcept
{
    return (float) std::exp ((double) (toUnit (v) * 5.0106354f - 4.6051702f));
}

float toSemitones (float v) noexcept
{
    return (float) (int) (toUnit (v) * 4800.0f - 2400.0f) * 0.01f;
}

float toLfoTime (float v) noexcept
{
    return (float) std::exp ((double) (toUnit (v) * 14.508657f - 5.2983174f));
}

float toAttackTime (float v) noexcept { return decibelTime (v, 70.15081f, 9.84919f); }
float toReleaseTime (float v) noexcept { return decibelTime (v, 71.32691f, 9.84919f); }
bool toBool (float v) noexcept { return toUnit (v) >= 0.5f; }
float toBipolar (float v) noexcept { return 2.0f * toUnit (v) - 1.0f; }
float toDecibels (float v) noexcept { return 70.0f * toUnit (v) - 60.0f; }

float toCutoffHz (float v) noexcept
{
    return (float) std::pow (10.0, (double) (3.058f * toUnit (v) + 1.3222f));
}

double toDecayTime (float knob, float sustain) noexcept
{
    const double s = std::max (0.5f, toUnit (sustain));
    const double d = toUnit (knob);
    return std::pow (10.0, ((-41.74303 * s + 77.03873) * d + (41.74303 * s + 3.35897)) * 0.05 - 3.0);
}

int toOscillatorMode (float v) noexcept
{
    v = toUnit (v);
    if (v < 1.0f / 6.0f) return 0;
    if (v < 0.5f) return 3;
    if (v < 5.0f / 6.0f) return 1;
    return 2;
}

int toOscillatorModulationMode (float v) noexcept
{
    v = toUnit (v);
    if (v < 0.25f) return 0;
    if (v < 0.75f) return 2;
    return 1;
}

int toTrackingMode (float v) noexcept
{
    v = toUnit (v);
    if (v < 0.25f) return 0;
    if (v < 0.75f) return 1;
    return 2;
}

int toVoiceAllocationMode (float v) noexcept
{
    v = toUnit (v);
    if (v < 0.1f) return 0;
    if (v < 0.3f) return 1;
    if (v < 0.5f) return 2;
    if (v < 0.7f) return 3;
    if (v < 0.9f) return 4;
    return 5;
}

float decibelsToGain (float dB) noexcept
{
    return (float) std::pow (10.0, (double) (dB * 0.05f));
}

juce::String glideTimeText (float v)
{
    auto t = toGlideTime (v);
    if (t >= 1.0f)
        return format ("%.1f  s", (double) t);
    return format ("%.2f  ms", (double) (t * 1000.0f));
}

juce::String semitoneText (float v) { return format ("%+.2f  st", (double) toSemitones (v)); }

juce::String percentText (float v) { return format ("%i%%", (int) (toUnit (v) * 100.0f + 0.5f)); }

juce::String lfoTimeText (float v)
{
    auto period = 1.0f / toLfoTime (v);
    if (period >= 1.0f)
        return format ("%.2f  s", (double) period);
    if (period >= 0.001f)
        return format ("%.1f  ms", (double) (period * 1000.0f));
    return format ("%.0f  us", (double) (period * 1000000.0f));
}

juce::String frequencyText (float v)
{
    auto f = toCutoffHz (v);
    if (f >= 1000.0f)
        return format ("%.1f  kHz", (double) (f * 0.001f));
    return format ("%.2f  Hz", (double) f);
}

juce::String attackTimeText (float v) { return timeText (toAttackTime (v)); }
juce::String decayTimeText (float v) { return timeText ((float) toDecayTime (v, 0.5f)); }
juce::String releaseTimeText (float v) { return timeText (toReleaseTime (v)); }
juce::String onOffText (float v) { return toBool (v) ? "On" : "Off"; }

juce::String oscillatorModeText (float v)
{
    static const char* const names[] = { "Off", "Saw", "Pulse", "Noise" };
    return names[toOscillatorMode (v)];
}

juce::String oscillatorModulationModeText (float v)
{
    static const char* const names[] = { "Off", "FM", "PWM" };
    return names[toOscillatorModulationMode (v)];
}

juce::String trackingModeText (float v)
{
    static const char* const names[] = { "Off", "Half", "Full" };
    return names[toTrackingMode (v)];
}

juce::String voiceAllocationModeText (float v)
{
    static const char* const names[] = { "Unison", "Split", "Revolver", "Random", "Chord (Blow)", "Chord (Grow)" };
    return names[toVoiceAllocationMode (v)];
}

juce::String voiceDirectionText (float v) { return toBool (v) ? "Down" : "Up"; }
juce::String decibelText (float v) { return format ("%.1f dB", (double) toDecibels (v)); }
juce::String emptyText (float) { return {}; }
} // namespace ParameterFunctions
