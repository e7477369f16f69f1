#include "engine/ParameterTable.h"

#include "engine/AudioEngine.h"
#include "engine/ParameterFunctions.h"

namespace ParameterTable
{
namespace
{
using namespace ParameterFunctions;

struct DeviceRow
{
    const char* baseName;
    ParameterRecord::TextFunction text;
    float defaultValue;
    Entry::Apply apply;
};

const DeviceRow deviceRows[numParametersPerDevice] = {
    { "Glide", glideTimeText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setGlide (toGlideTime (v)); } },
    { "Tune", semitoneText, 0.5f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setTune (toSemitones (v)); } },
    { "PulseWidth", percentText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setPulseWidth (v); } },
    { "OscillatorMode", oscillatorModeText, 1.0f,
      [] (AudioEngine& e, int d, float v) { e.getSound (d).setOscillatorMode ((Synth404::tOscillatorMode) toOscillatorMode (v)); } },
    { "OscillatorModulationMode", oscillatorModulationModeText, 0.5f,
      [] (AudioEngine& e, int d, float v) { e.getSound (d).setOscillatorModulationMode ((Synth404::tOscillatorModulationMode) toOscillatorModulationMode (v)); } },
    { "LFO1_Level", percentText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setLfo1Level (v); } },
    { "LFO1_Time", lfoTimeText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setLfo1Time (toLfoTime (v)); } },
    { "Frequency", frequencyText, 0.5f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setFrequency (v); } },
    { "Tracking", trackingModeText, 1.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setTracking ((Synth404::tTrackingMode) toTrackingMode (v)); } },
    { "Envelope", percentText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setEnvelope (v); } },
    { "LFO2_Level", percentText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setLfo2Level (v); } },
    { "LFO2_Time", lfoTimeText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setLfo2Time (toLfoTime (v)); } },
    { "Emphasis", percentText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setEmphasis (v); } },
    { "Accent", percentText, 1.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setAccent (v); } },
    { "Attack", attackTimeText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setAttack (toAttackTime (v)); } },
    { "Decay", decayTimeText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setDecay (v); } },
    { "Sustain", percentText, 0.5f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setSustain (v); } },
    { "Release", releaseTimeText, 0.5f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setRelease (toReleaseTime (v)); } },
    { "Drive", percentText, 0.0f, [] (AudioEngine& e, int d, float v) { e.getSound (d).setDrive (v); } },
    { "MidiOn", onOffText, 1.0f, [] (AudioEngine& e, int d, float v) { e.setMidiOn (d, toBool (v)); } },
};

class TableSetter final : public Korvalden::Parameter::SetValueFunctor
{
public:
    TableSetter (AudioEngine& engineToUse, int deviceToUse, Entry::Apply applyToUse) noexcept
        : engine (engineToUse), device (deviceToUse), apply (applyToUse)
    {
    }

    void operator() (float value) override { apply (engine, device, value); }

private:
    AudioEngine& engine;
    const int device;
    const Entry::Apply apply;
};
} // namespace

Entry getEntry (int index)
{
    jassert (index >= 0 && index < numParameters);

    if (index < firstMacro)
    {
        auto& row = deviceRows[index % numParametersPerDevice];
        return { juce::String (row.baseName) + "_" + juce::String (index / numParametersPerDevice + 1),
                 row.defaultValue, row.text, row.apply, index + 1 };
    }

    if (index < voiceMode)
        return { "MAKRO_" + juce::String (index - firstMacro + 1), 0.0f, percentText,
                 [] (AudioEngine&, int, float) {}, // the macros have no sound of their own
                 index + 1 };

    switch (index)
    {
        case voiceMode:
            return { "Voice_Mode", 0.0f, voiceAllocationModeText,
                     [] (AudioEngine& e, int, float v) { e.setVoiceAllocationMode ((MultiSoundVoiceController::tVoiceAllocationMode) toVoiceAllocationMode (v)); },
                     90, true };
        case voiceDirection:
            return { "Voice_Direction", 0.0f, voiceDirectionText, [] (AudioEngine& e, int, float v) { e.setVoiceDirection (toBool (v)); }, 91, true };
        case voiceFill:
            return { "Voice_Fill", 0.0f, onOffText, [] (AudioEngine& e, int, float v) { e.setVoiceFill (toBool (v)); }, 92, true };
        case monophon:
            return { "Monophon", 0.0f, onOffText, [] (AudioEngine& e, int, float v) { e.setMonophonic (toBool (v)); }, 93, true };
        default:
            return { "MasterVolume", 6.0f / 7.0f, decibelText, [] (AudioEngine& e, int, float v) { e.setMasterVolume (toDecibels (v)); }, 89 };
    }
}

std::unique_ptr<ParameterRecord> createRecord (int index, AudioEngine& engine)
{
    auto entry = getEntry (index);
    const int device = index < firstMacro ? index / numParametersPerDevice : -1;
    return std::make_unique<ParameterRecord> (entry.name, entry.defaultValue, entry.text,
                                              std::make_unique<TableSetter> (engine, device, entry.apply), entry.appliesAnywhere);
}
} // namespace ParameterTable
