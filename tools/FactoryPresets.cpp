// Writes the factory presets: each sound below is the engine's defaults with
// the listed parameters changed, saved through the engine itself so the files
// are exactly what a user's save would write.
//
// Usage: kest_factory_presets OUTPUT_FOLDER
// The folder receives <category>/<name>.prs for every sound.

#include "engine/AudioEngine.h"
#include "engine/ParameterTable.h"
#include "presets/PresetFileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <map>
#include <vector>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
// Normalised values of the switch-like parameters.
constexpr float off = 0.0f, noise = 0.34f, saw = 0.67f, pulse = 1.0f;   // OscillatorMode
constexpr float noMod = 0.0f, pwm = 0.5f, fm = 1.0f;                    // OscillatorModulationMode
constexpr float trackOff = 0.0f, trackHalf = 0.5f, trackFull = 1.0f;    // Tracking
constexpr float unison = 0.0f, revolver = 0.4f;                         // Voice_Mode

/** A tuning in semitones (with cents) as the Tune knob's value. */
constexpr float semitones (float st) { return 0.5f + st / 48.0f; }

using Settings = std::map<std::string, float>;

struct Device
{
    bool on;
    Settings settings;
};

struct FactorySound
{
    const char* category;
    const char* name;
    Settings global;
    std::vector<Device> devices; // 1..4; missing devices are switched off
};

const std::vector<FactorySound>& sounds()
{
    static const std::vector<FactorySound> table {
        // ---------------------------------------------------------------- Bass
        { "Bass", "Deep Round", { { "Voice_Mode", unison }, { "Monophon", 1 } },
          { { true, { { "OscillatorMode", saw }, { "Frequency", 0.30f }, { "Envelope", 0.35f }, { "Emphasis", 0.25f },
                      { "Decay", 0.45f }, { "Sustain", 0.55f }, { "Release", 0.25f }, { "Tracking", trackHalf } } },
            { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.5f }, { "Tune", semitones (-12) }, { "Frequency", 0.25f },
                      { "Envelope", 0.2f }, { "Decay", 0.45f }, { "Sustain", 0.6f }, { "Release", 0.25f } } } } },
        { "Bass", "Acid Line", { { "Voice_Mode", unison }, { "Monophon", 1 } },
          { { true, { { "OscillatorMode", saw }, { "Frequency", 0.32f }, { "Envelope", 0.6f }, { "Emphasis", 0.72f },
                      { "Decay", 0.35f }, { "Sustain", 0.35f }, { "Release", 0.2f }, { "Glide", 0.35f }, { "Drive", 0.5f },
                      { "Tracking", trackFull } } } } },
        { "Bass", "Pulse Pluck", { { "Voice_Mode", revolver } },
          { { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.3f }, { "Frequency", 0.32f }, { "Envelope", 0.5f },
                      { "Emphasis", 0.3f }, { "Decay", 0.35f }, { "Sustain", 0.15f }, { "Release", 0.22f } } },
            { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.3f }, { "Frequency", 0.32f }, { "Envelope", 0.5f },
                      { "Emphasis", 0.3f }, { "Decay", 0.35f }, { "Sustain", 0.15f }, { "Release", 0.22f } } } } },
        { "Bass", "Sub Octaves", { { "Voice_Mode", unison }, { "Monophon", 1 } },
          { { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.0f }, { "Frequency", 0.28f }, { "Sustain", 0.8f },
                      { "Release", 0.2f } } },
            { true, { { "OscillatorMode", saw }, { "Tune", semitones (-12) }, { "Frequency", 0.24f }, { "Envelope", 0.25f },
                      { "Decay", 0.35f }, { "Sustain", 0.5f }, { "Release", 0.2f } } } } },
        // ---------------------------------------------------------------- Lead
        { "Lead", "Bright Saw", { { "Voice_Mode", unison }, { "Monophon", 1 } },
          { { true, { { "OscillatorMode", saw }, { "Tune", semitones (-0.07f) }, { "Frequency", 0.55f }, { "Envelope", 0.2f },
                      { "Emphasis", 0.2f }, { "Decay", 0.5f }, { "Sustain", 0.7f }, { "Release", 0.3f }, { "Glide", 0.25f },
                      { "LFO1_Level", 0.01f }, { "LFO1_Time", 0.45f }, { "OscillatorModulationMode", fm } } },
            { true, { { "OscillatorMode", saw }, { "Tune", semitones (0.07f) }, { "Frequency", 0.55f }, { "Envelope", 0.2f },
                      { "Emphasis", 0.2f }, { "Decay", 0.5f }, { "Sustain", 0.7f }, { "Release", 0.3f }, { "Glide", 0.25f } } } } },
        { "Lead", "Square Whistle", { { "Voice_Mode", unison }, { "Monophon", 1 } },
          { { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.0f }, { "Tune", semitones (12) }, { "Frequency", 0.6f },
                      { "Emphasis", 0.35f }, { "Attack", 0.25f }, { "Sustain", 0.8f }, { "Release", 0.35f },
                      { "OscillatorModulationMode", fm }, { "LFO1_Level", 0.012f }, { "LFO1_Time", 0.44f } } } } },
        { "Lead", "Fifth Stack", { { "Voice_Mode", unison }, { "Monophon", 1 } },
          { { true, { { "OscillatorMode", saw }, { "Frequency", 0.45f }, { "Envelope", 0.3f }, { "Emphasis", 0.3f },
                      { "Decay", 0.4f }, { "Sustain", 0.6f }, { "Release", 0.3f } } },
            { true, { { "OscillatorMode", saw }, { "Tune", semitones (7.03f) }, { "Frequency", 0.45f }, { "Envelope", 0.3f },
                      { "Emphasis", 0.3f }, { "Decay", 0.4f }, { "Sustain", 0.6f }, { "Release", 0.3f } } } } },
        { "Lead", "Howling Unison", { { "Voice_Mode", unison }, { "Monophon", 1 } },
          { { true, { { "OscillatorMode", saw }, { "Frequency", 0.5f }, { "Envelope", 0.35f }, { "Emphasis", 0.6f },
                      { "Drive", 0.7f }, { "Decay", 0.45f }, { "Sustain", 0.6f }, { "Release", 0.25f }, { "Glide", 0.3f },
                      { "LFO2_Level", 0.05f }, { "LFO2_Time", 0.42f } } } } },
        // ----------------------------------------------------------------- Pad
        { "Pad", "Warm Strings", { { "Voice_Mode", revolver } },
          { { true, { { "OscillatorMode", saw }, { "Frequency", 0.45f }, { "Attack", 0.6f }, { "Sustain", 0.8f }, { "Release", 0.68f },
                      { "OscillatorModulationMode", fm }, { "LFO1_Level", 0.006f }, { "LFO1_Time", 0.42f } } },
            { true, { { "OscillatorMode", saw }, { "Tune", semitones (0.08f) }, { "Frequency", 0.45f }, { "Attack", 0.6f },
                      { "Sustain", 0.8f }, { "Release", 0.68f } } },
            { true, { { "OscillatorMode", saw }, { "Tune", semitones (-0.08f) }, { "Frequency", 0.45f }, { "Attack", 0.6f },
                      { "Sustain", 0.8f }, { "Release", 0.68f } } },
            { true, { { "OscillatorMode", saw }, { "Tune", semitones (0.04f) }, { "Frequency", 0.45f }, { "Attack", 0.6f },
                      { "Sustain", 0.8f }, { "Release", 0.68f } } } } },
        { "Pad", "Slow Sweep", { { "Voice_Mode", revolver } },
          { { true, { { "OscillatorMode", pulse }, { "OscillatorModulationMode", pwm }, { "LFO1_Level", 0.3f }, { "LFO1_Time", 0.3f },
                      { "Frequency", 0.3f }, { "Emphasis", 0.45f }, { "LFO2_Level", 0.12f }, { "LFO2_Time", 0.22f },
                      { "Attack", 0.65f }, { "Sustain", 0.85f }, { "Release", 0.7f } } },
            { true, { { "OscillatorMode", pulse }, { "OscillatorModulationMode", pwm }, { "LFO1_Level", 0.3f }, { "LFO1_Time", 0.32f },
                      { "Frequency", 0.3f }, { "Emphasis", 0.45f }, { "LFO2_Level", 0.12f }, { "LFO2_Time", 0.23f },
                      { "Attack", 0.65f }, { "Sustain", 0.85f }, { "Release", 0.7f } } } } },
        { "Pad", "Soft Choir", { { "Voice_Mode", revolver } },
          { { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.2f }, { "Frequency", 0.38f }, { "Emphasis", 0.15f },
                      { "Attack", 0.55f }, { "Sustain", 0.75f }, { "Release", 0.65f }, { "OscillatorModulationMode", fm },
                      { "LFO1_Level", 0.008f }, { "LFO1_Time", 0.43f } } },
            { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.2f }, { "Tune", semitones (0.1f) }, { "Frequency", 0.38f },
                      { "Emphasis", 0.15f }, { "Attack", 0.55f }, { "Sustain", 0.75f }, { "Release", 0.65f } } } } },
        // ---------------------------------------------------------------- Keys
        { "Keys", "Electric Piano", { { "Voice_Mode", revolver } },
          { { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.0f }, { "Frequency", 0.35f }, { "Envelope", 0.35f },
                      { "Decay", 0.55f }, { "Sustain", 0.0f }, { "Release", 0.4f }, { "Tracking", trackFull } } },
            { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.0f }, { "Frequency", 0.35f }, { "Envelope", 0.35f },
                      { "Decay", 0.55f }, { "Sustain", 0.0f }, { "Release", 0.4f }, { "Tracking", trackFull } } } } },
        { "Keys", "Organ", { { "Voice_Mode", unison } },
          { { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.0f }, { "Frequency", 0.6f }, { "Accent", 0.8f }, { "Attack", 0.12f }, { "Sustain", 0.6f },
                      { "Release", 0.2f } } },
            { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.0f }, { "Tune", semitones (12) }, { "Frequency", 0.6f },
                      { "Accent", 0.8f }, { "Attack", 0.12f }, { "Sustain", 0.45f }, { "Release", 0.2f } } },
            { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.0f }, { "Tune", semitones (19) }, { "Frequency", 0.6f },
                      { "Accent", 0.8f }, { "Attack", 0.12f }, { "Sustain", 0.35f }, { "Release", 0.2f } } } } },
        { "Keys", "Funk Pluck", { { "Voice_Mode", revolver } },
          { { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.6f }, { "Frequency", 0.5f }, { "Envelope", 0.45f },
                      { "Emphasis", 0.35f }, { "Decay", 0.4f }, { "Sustain", 0.1f }, { "Release", 0.2f }, { "Tracking", trackFull } } },
            { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.6f }, { "Frequency", 0.5f }, { "Envelope", 0.45f },
                      { "Emphasis", 0.35f }, { "Decay", 0.4f }, { "Sustain", 0.1f }, { "Release", 0.2f }, { "Tracking", trackFull } } } } },
        { "Keys", "Glass Bells", { { "Voice_Mode", revolver } },
          { { true, { { "OscillatorMode", saw }, { "Frequency", 0.6f }, { "Emphasis", 0.8f }, { "Tracking", trackFull },
                      { "Decay", 0.7f }, { "Sustain", 0.0f }, { "Release", 0.6f } } },
            { true, { { "OscillatorMode", saw }, { "Tune", semitones (12.05f) }, { "Frequency", 0.6f }, { "Emphasis", 0.8f },
                      { "Tracking", trackFull }, { "Decay", 0.65f }, { "Sustain", 0.0f }, { "Release", 0.6f } } } } },
        // ------------------------------------------------------------- Effects
        { "Effects", "Wind", { { "Voice_Mode", revolver } },
          { { true, { { "OscillatorMode", noise }, { "Frequency", 0.45f }, { "Emphasis", 0.6f }, { "LFO2_Level", 0.15f },
                      { "LFO2_Time", 0.25f }, { "Attack", 0.6f }, { "Sustain", 0.9f }, { "Release", 0.7f }, { "Tracking", trackHalf } } },
            { true, { { "OscillatorMode", noise }, { "Frequency", 0.5f }, { "Emphasis", 0.6f }, { "LFO2_Level", 0.15f },
                      { "LFO2_Time", 0.27f }, { "Attack", 0.6f }, { "Sustain", 0.9f }, { "Release", 0.7f }, { "Tracking", trackHalf } } } } },
        { "Effects", "Laser Drop", { { "Voice_Mode", revolver } },
          { { true, { { "OscillatorMode", saw }, { "Tune", semitones (24) }, { "Glide", 0.5f }, { "Frequency", 0.45f },
                      { "Envelope", 0.6f }, { "Emphasis", 0.6f }, { "Decay", 0.5f }, { "Sustain", 0.3f }, { "Release", 0.3f },
                      { "OscillatorModulationMode", fm }, { "LFO1_Level", 0.2f }, { "LFO1_Time", 0.2f } } } } },
        { "Effects", "Robot Chatter", { { "Voice_Mode", revolver } },
          { { true, { { "OscillatorMode", pulse }, { "PulseWidth", 0.4f }, { "OscillatorModulationMode", fm }, { "LFO1_Level", 0.08f },
                      { "LFO1_Time", 0.5f }, { "Frequency", 0.35f }, { "Emphasis", 0.5f }, { "LFO2_Level", 0.1f },
                      { "LFO2_Time", 0.48f }, { "Sustain", 0.8f }, { "Release", 0.3f } } } } },
    };
    return table;
}

/** The engine reads and writes files of its user: point it at a scratch home. */
juce::File isolateFromTheUser()
{
    auto scratch = juce::File::getSpecialLocation (juce::File::tempDirectory)
                       .getChildFile ("kest-factory-" + juce::String (juce::Random::getSystemRandom().nextInt64()));
    scratch.createDirectory();
    ::setenv ("HOME", scratch.getFullPathName().toRawUTF8(), 1);
    ::setenv ("XDG_DATA_HOME", scratch.getChildFile ("data").getFullPathName().toRawUTF8(), 1);
    ::setenv ("XDG_DATA_DIRS", scratch.getChildFile ("shared").getFullPathName().toRawUTF8(), 1);
    return scratch;
}

bool writeSound (const FactorySound& sound, const juce::File& folder)
{
    std::map<std::string, int> indexOf;
    for (int index = 0; index < ParameterTable::numHostParameters; ++index)
        indexOf[ParameterTable::getEntry (index).name.toStdString()] = index;

    AudioEngine engine;
    auto set = [&] (const std::string& name, float value) {
        auto found = indexOf.find (name);
        if (found == indexOf.end())
        {
            std::cerr << "unknown parameter " << name << " in " << sound.name << "\n";
            return false;
        }
        engine.setParameter (found->second, value);
        return true;
    };

    bool ok = true;
    for (auto& [name, value] : sound.global)
        ok = set (name, value) && ok;

    for (int device = 0; device < ParameterTable::numDevices; ++device)
    {
        const auto suffix = "_" + std::to_string (device + 1);
        const bool present = device < (int) sound.devices.size() && sound.devices[(size_t) device].on;
        ok = set ("MidiOn" + suffix, present ? 1.0f : 0.0f) && ok;
        if (present)
            for (auto& [name, value] : sound.devices[(size_t) device].settings)
                ok = set (name + suffix, value) && ok;
    }

    juce::MemoryBlock block;
    engine.writePresetState (block);
    auto file = folder.getChildFile (sound.category).getChildFile (juce::String (sound.name) + ".prs");
    if (! ok || ! file.getParentDirectory().createDirectory().wasOk())
        return false;
    if (! Korvalden::Misc::PresetFileSystem::writeAtomically (file, block.getData(), block.getSize()))
    {
        std::cerr << "kest_factory_presets: " << file.getFullPathName() << ": " << Korvalden::Misc::PresetFileSystem::describeWriteFailure (file, errno) << "\n";
        return false;
    }
    return true;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: kest_factory_presets OUTPUT_FOLDER\n";
        return 2;
    }

    const juce::File output (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    const auto scratch = isolateFromTheUser();
    bool ok = true;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        for (auto& sound : sounds())
            if (! writeSound (sound, output))
            {
                std::cerr << "kest_factory_presets: could not write " << sound.category << "/" << sound.name << "\n";
                ok = false;
            }
    }
    scratch.deleteRecursively();
    return ok ? 0 : 1;
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
