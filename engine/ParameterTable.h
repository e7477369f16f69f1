#pragma once

#include "engine/ParameterRecord.h"

class AudioEngine;

/** The parameter index layout and, for every index, the facts of its
    parameter: name, default, value text, what it sets in the engine (with
    its mapping) and the controller that drives it by default.

    Device d (0..3) owns indexes 20d .. 20d + 19 in the order of DeviceParameter;
    80..87 are the macros, 88..91 the voice settings, 92 the master volume
    (not shown to the host).  This table is the one place these facts live.
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
    /** Maps a value (0..1) and hands it to its target in the engine; device
        is the parameter's device (0..3), or -1 outside the device blocks.
        Runs where parameter setters run (see ParameterRecord). */
    using Apply = void (*) (AudioEngine& engine, int device, float value);

    juce::String name;
    float defaultValue;
    ParameterRecord::TextFunction text;
    Apply apply;
    /** The controller number on the global channel when the settings file names none. */
    int defaultController;
    /** apply only stores settings that any thread may write (the voice
        settings): it runs as soon as the value is set, wherever that is. */
    bool appliesAnywhere = false;
};

/** The entry of a parameter index 0..92; the index must be valid.  Any thread. */
Entry getEntry (int index);

/** The sustain pedal's controller when the user's settings name none. */
constexpr int defaultSustainPedalController = 64;

/** The record of index 0..92, whose setter applies the value to the engine. */
std::unique_ptr<ParameterRecord> createRecord (int index, AudioEngine& engine);
} // namespace ParameterTable
