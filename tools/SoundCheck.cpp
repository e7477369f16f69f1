// The sound check: renders single Synth404 voices through the oversampler at
// a 48 kHz host rate and writes each to a 24-bit WAV file, so a person can
// listen to the oscillators, the filter and the envelopes.
//
// Usage: kest_soundcheck [output folder]   (default: the current folder)

#include "engine/OversampledDspProcess.h"
#include "tools/VoiceRenderProcess.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>
#include <iostream>

namespace
{
constexpr float hostRate = 48000.0f;

struct Check
{
    const char* name;
    std::function<void (Synth404::Sound&)> setUp;
    int note;
    float velocity;
    double holdSeconds;
    double tailSeconds;
};

bool renderCheck (const Check& check, const juce::File& folder)
{
    Synth404::Sound sound;
    Korvalden::DSP::OversampledDspProcess<VoiceRenderProcess> process (sound, 1);
    process.setMinimumSampleRate (88200.0f);
    process.prepare (2, hostRate);
    VoiceRenderProcess::applyDefaults (sound, hostRate);
    check.setUp (sound);

    auto& voices = process.getInner();
    const int holdSamples = (int) (check.holdSeconds * hostRate);
    const int totalSamples = holdSamples + (int) (check.tailSeconds * hostRate);
    juce::AudioBuffer<float> output (2, totalSamples);
    output.clear();

    voices.startVoice (0, check.note, check.velocity);
    constexpr int block = 256;
    for (int start = 0; start < totalSamples; start += block)
    {
        if (start <= holdSamples && holdSamples < start + block)
            voices.releaseVoice (0);
        process.process (output, start, std::min (totalSamples, start + block));
    }

    const auto file = folder.getChildFile (juce::String (check.name) + ".wav");
    file.deleteFile();
    std::unique_ptr<juce::OutputStream> stream (file.createOutputStream());
    if (stream == nullptr)
        return false;
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (stream.get(), hostRate, 2, 24, {}, 0));
    if (writer == nullptr)
        return false;
    stream.release(); // the writer owns the stream now
    const bool written = writer->writeFromAudioSampleBuffer (output, 0, totalSamples);
    std::cout << file.getFullPathName() << "  peak " << output.getMagnitude (0, totalSamples) << "\n";
    return written;
}
} // namespace

int main (int argc, char** argv)
{
    const juce::File folder = argc > 1 ? juce::File::getCurrentWorkingDirectory().getChildFile (argv[1])
                                       : juce::File::getCurrentWorkingDirectory();
    if (! folder.createDirectory())
    {
        std::cerr << "cannot create " << folder.getFullPathName() << "\n";
        return 1;
    }

    using S = Synth404;
    const Check checks[] = {
        { "saw_open", [] (S::Sound& s) { s.setFrequency (1.0f); }, 45, 1.0f, 1.5, 0.5 },
        { "saw_bright_high", [] (S::Sound& s) { s.setFrequency (1.0f); }, 93, 1.0f, 1.5, 0.5 },
        { "pulse_square", [] (S::Sound& s) {
              s.setOscillatorMode (S::oscillatorPulse); s.setOscillatorModulationMode (S::modulationOff);
              s.setFrequency (1.0f); }, 45, 1.0f, 1.5, 0.5 },
        { "pulse_pwm", [] (S::Sound& s) {
              s.setOscillatorMode (S::oscillatorPulse); s.setPulseWidth (0.3f);
              s.setLfo1Level (0.5f); s.setLfo1Time (0.5f); s.setFrequency (1.0f); }, 45, 1.0f, 3.0, 0.5 },
        { "noise", [] (S::Sound& s) { s.setOscillatorMode (S::oscillatorNoise); s.setFrequency (1.0f); },
          60, 1.0f, 1.5, 0.5 },
        { "filter_envelope_sweep", [] (S::Sound& s) {
              s.setFrequency (0.1f); s.setEnvelope (0.4f); s.setDecay (0.5f); s.setSustain (0.0f);
              s.setEmphasis (0.6f); }, 36, 1.0f, 2.0, 0.5 },
        { "filter_lfo_sweep_resonant", [] (S::Sound& s) {
              s.setFrequency (0.3f); s.setLfo2Level (0.5f); s.setLfo2Time (0.25f); s.setEmphasis (0.9f); },
          36, 1.0f, 4.0, 0.5 },
        { "filter_drive", [] (S::Sound& s) { s.setFrequency (0.4f); s.setEmphasis (0.5f); s.setDrive (0.8f); },
          40, 1.0f, 1.5, 0.5 },
        { "envelope_slow_attack", [] (S::Sound& s) { s.setFrequency (0.8f); s.setAttack (1.0f); },
          52, 1.0f, 2.0, 1.0 },
        { "envelope_pluck", [] (S::Sound& s) {
              s.setFrequency (0.8f); s.setDecay (0.3f); s.setSustain (0.0f); s.setRelease (0.05f); },
          52, 1.0f, 1.5, 0.5 },
        { "envelope_long_release", [] (S::Sound& s) { s.setFrequency (0.8f); s.setRelease (2.0f); },
          52, 1.0f, 1.0, 3.0 },
    };

    bool ok = true;
    for (const auto& check : checks)
        ok = renderCheck (check, folder) && ok;
    return ok ? 0 : 1;
}
