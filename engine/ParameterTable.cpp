#include "engine/ParameterTable.h"

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
};

const DeviceRow deviceRows[numParametersPerDevice] = {
    { "Glide", glideTimeText, 0.0f },
    { "Tune", semitoneText, 0.5f },
    { "PulseWidth", percentText, 0.0f },
    { "OscillatorMode", oscillatorModeText, 1.0f },
    { "OscillatorModulationMode", oscillatorModulationModeText, 0.5f },
    { "LFO1_Level", percentText, 0.0f },
    { "LFO1_Time", lfoTimeText, 0.0f },
    { "Frequency", frequencyText, 0.5f },
    { "Tracking", trackingModeText, 1.0f },
    { "Envelope", percentText, 0.0f },
    { "LFO2_Level", percentText, 0.0f },
    { "LFO2_Time", lfoTimeText, 0.0f },
    { "Emphasis", percentText, 0.0f },
    { "Accent", percentText, 1.0f },
    { "Attack", attackTimeText, 0.0f },
    { "Decay", decayTimeText, 0.0f },
    { "Sustain", percentText, 0.5f },
    { "Release", releaseTimeText, 0.5f },
    { "Drive", percentText, 0.0f },
    { "MidiOn", onOffText, 1.0f },
};
} // namespace

Entry getEntry (int index)
{
    jassert (index >= 0 && index < numParameters);

    if (index < firstMacro)
    {
        auto& row = deviceRows[index % numParametersPerDevice];
        return { juce::String (row.baseName) + "_" + juce::String (index / numParametersPerDevice + 1),
                 row.defaultValue, row.text };
    }

    if (index < voiceMode)
        return { "MAKRO_" + juce::String (index - firstMacro + 1), 0.0f, percentText };

    switch (index)
    {
        case voiceMode: return { "Voice_Mode", 0.0f, voiceAllocationModeText };
        case voiceDirection: return { "Voice_Direction", 0.0f, voiceDirectionText };
        case voiceFill: return { "Voice_Fill", 0.0f, onOffText };
        case monophon: return { "Monophon", 0.0f, onOffText };
        default: return { "MasterVolume", 6.0f / 7.0f, decibelText };
    }
}

int defaultControllerNumber (int index) noexcept
{
    if (index < 0 || index >= numParameters)
        return -1;
    if (index < voiceMode)
        return index + 1;
    if (index < masterVolume)
        return index + 2;
    return 89;
}

std::unique_ptr<ParameterRecord> createRecord (int index, std::unique_ptr<Korvalden::Parameter::SetValueFunctor> setter)
{
    auto entry = getEntry (index);
    return std::make_unique<ParameterRecord> (entry.name, entry.defaultValue, entry.text, std::move (setter));
}
} // namespace ParameterTable
