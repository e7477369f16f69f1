#pragma once

#include "engine/ParameterRecord.h"

/** The parameter index layout, names, value texts and defaults.

    Device d (0..3) owns indexes 20d .. 20d + 19 in the order of DeviceParameter;
    80..87 are the macros, 88..91 the voice settings, 92 the master volume
    (not shown to the host).  This table is the one place these facts live;
    the engine adds the setters that bind each index to its target.
*/
namespace ParameterTable
{
constexpr int numDevices = 4;
constexpr int numParametersPerDevice = 20;
constexpr int numMacros = 8;
constexpr int firstMacro = 80;
constexpr int voiceMode = 88;
constexpr int voiceDirection = 89;
constexpr int voiceFill = 90;
constexpr int monophon = 91;
constexpr int masterVolume = 92;
constexpr int numHostParameters = 92;
constexpr int numParameters = 93;
constexpr int numReceiveSlots = 5;

/** k: the position of a parameter inside its device's block. */
enum DeviceParameter
{
    Glide, Tune, PulseWidth, OscillatorMode, OscillatorModulationMode, LFO1_Level, LFO1_Time,
    Frequency, Tracking, Envelope, LFO2_Level, LFO2_Time, Emphasis, Accent, Attack, Decay,
    Sustain, Release, Drive, MidiOn
};

constexpr int deviceIndex (int device, DeviceParameter k) noexcept { return device * numParametersPerDevice + k; }

struct Entry
{
    juce::String name;
    float defaultValue;
    ParameterRecord::TextFunction text;
};

/** The entry of a parameter index 0..92; the index must be valid.  Any thread. */
Entry getEntry (int index);

/** The controller that drives a parameter when the user's settings name
    none: 1..88 for 0..87, 90..93 for the voice settings, 89 for the master
    volume; -1 outside 0..92.  Any thread. */
int defaultControllerNumber (int index) noexcept;

/** The sustain pedal's controller when the user's settings name none. */
constexpr int defaultSustainPedalController = 64;

/** The record's name, default and text for index 0..92, without a setter. */
std::unique_ptr<ParameterRecord> createRecord (int index, std::unique_ptr<Korvalden::Parameter::SetValueFunctor> setter);
} // namespace ParameterTable
