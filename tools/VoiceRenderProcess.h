#pragma once

#include "engine/DspProcessBase.h"
#include "engine/Synth404.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

/** A small stand-in for the voice pool, used by the sound check, the tests
    and the benchmark: it owns a fixed set of Synth404 voices playing one
    Sound, renders them in chunks of at most 512 samples, adds each mono voice
    to channels 0 and 1 and advances the Sound's LFOs after every chunk. */
class VoiceRenderProcess : public Korvalden::DSP::DspProcessBase
{
public:
    static constexpr int maxChunk = 512;

    /** Owner thread. */
    VoiceRenderProcess (Synth404::Sound& soundToPlay, int numVoices) : sound (soundToPlay)
    {
        for (int i = 0; i < numVoices; ++i)
            voices.push_back (std::make_unique<Synth404>());
    }

    /** Preparing thread. */
    void prepare (int, float sampleRate) override
    {
        rate = sampleRate;
        for (auto& voice : voices)
            voice->setSampleRate (sampleRate);
    }

    /** Audio thread, allocation-free. */
    void process (juce::AudioBuffer<float>& buffer, int startSample, int endSample) override
    {
        while (startSample < endSample)
        {
            const int chunk = std::min (endSample - startSample, maxChunk);
            for (auto& voice : voices)
            {
                if (voice->getSound() == nullptr)
                    continue;
                voice->render (scratch.data(), chunk);
                for (int ch = 0; ch < std::min (2, buffer.getNumChannels()); ++ch)
                    buffer.addFrom (ch, startSample, scratch.data(), chunk);
            }
            sound.advanceLfos ((unsigned) chunk);
            startSample += chunk;
        }
    }

    /** Audio or owner thread: attaches voice i to the Sound and starts the
        note as a voice controller does (no glide). */
    void startVoice (int index, int note, float velocity, bool retrigger = true)
    {
        auto& voice = *voices[(size_t) index];
        sound.resetLfosIfIdle();
        voice.setSound (&sound);
        voice.startNote (retrigger, &bend, velocity);
        voice.note = note;
        voice.setPlayedNote (note);
        voice.setPitch (voice.getTune() + note);
    }

    void releaseVoice (int index, bool fast = false) { voices[(size_t) index]->release (fast); }

    /** Any thread that sets parameters: gives the Sound the host rate and
        the mapped default value of every parameter of a device. */
    static void applyDefaults (Synth404::Sound& s, float hostRate)
    {
        s.setSampleRate (hostRate);
        s.setGlide (0.01f);
        s.setTune (0.0f);
        s.setPulseWidth (0.0f);
        s.setOscillatorMode (Synth404::oscillatorSaw);
        s.setOscillatorModulationMode (Synth404::modulationPWM);
        s.setLfo1Level (0.0f);
        s.setLfo1Time (0.005f);
        s.setFrequency (0.5f);
        s.setTracking (Synth404::trackingHalf);
        s.setEnvelope (0.0f);
        s.setLfo2Level (0.0f);
        s.setLfo2Time (0.005f);
        s.setEmphasis (0.0f);
        s.setAccent (1.0f);
        s.setAttack (0.0031080f);
        s.setDecay (0.0f);
        s.setSustain (0.5f);
        s.setRelease (0.18866f);
        s.setDrive (0.0f);
    }

    Synth404& getVoice (int index) { return *voices[(size_t) index]; }
    int getNumVoices() const { return (int) voices.size(); }
    float getSampleRate() const { return rate; }

    std::atomic<float> bend { 0.0f };

private:
    Synth404::Sound& sound;
    std::vector<std::unique_ptr<Synth404>> voices;
    std::array<float, maxChunk> scratch {};
    float rate = 0.0f;
};
