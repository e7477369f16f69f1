#pragma once

#include <juce_core/juce_core.h>

// The tooltip texts of the editor's controls.  A device control's text is
// followed by its device's suffix (deviceTooltip); the macros and the master
// volume carry theirs as they stand.  Plain data: any thread.
namespace EditorTooltips
{
    // The device knobs, in the order of EditorNames::deviceKnobs.
    constexpr const char* deviceKnobs[] {
        "changes the portamento time",
        "changes the tuning",
        "changes the pulse width",
        "changes the amount of modulation of LFO1",
        "changes the frequency of LFO1",
        "changes the filter frequency",
        "changes the strength of filter frequency modulation by the envelope",
        "changes the amount of modulation of LFO2",
        "changes the frequency of LFO2",
        "changes the filter resonance",
        "changes the total envelope level",
        "changes the envelope attack time",
        "changes the envelope decay time",
        "changes the envelope sustain level",
        "changes the envelope release time",
        "changes the amount of saturation",
    };

    constexpr const char* midiOn = "enables/disables activity";
    constexpr const char* macro = "a control that can be linked to other parameters";
    constexpr const char* masterVolume = "changes the overall Volume";

    // The switch buttons, in the order of EditorNames' switch tables.
    constexpr const char* oscillatorSwitches[] {
        "turns off the oscillator",
        "chooses noise",
        "chooses sawtooth waveform",
        "chooses pulse waveform ",
    };
    constexpr const char* lfo1Switches[] {
        "turns of modulation by LFO1",
        "turns on pulse width modulation of oscillator by LFO1",
        "turns on frequency modulation of oscillator by LFO1",
    };
    constexpr const char* trackingSwitches[] {
        "turns off keyboard tracking of the filter frequency",
        "turns on half keyboard tracking of the filter frequency",
        "turns on full keyboard tracking of the filter frequency",
    };

    constexpr const char* deviceSuffixes[] {
        " for Device ORVA", " for Device TESK", " for Device MUNE", " for Device KEST",
    };

    /** text followed by the suffix of device 1..4 (clamped into that range). */
    inline juce::String deviceTooltip (const char* text, int device)
    {
        return juce::String (text) + deviceSuffixes[juce::jlimit (1, 4, device) - 1];
    }
}
