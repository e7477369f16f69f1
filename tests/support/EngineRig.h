#pragma once

#include "engine/AudioEngine.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

/** An engine played the way a host plays it: parameters set through the
    host's set-parameter call, MIDI events at stream positions, the stream
    rendered block by block.  Everything goes through public engine
    operations, so a parameter change reaches the voices however the engine
    chooses to apply it (at once or at the start of the next block).

    Owner thread (the test's thread is the engine's owner thread). */
class EngineRig
{
public:
    /** A MIDI event at a sample position of the stream. */
    struct Event
    {
        int sample;
        juce::MidiMessage message;
    };

    static constexpr int device1 = 0, device2 = 20, device3 = 40, device4 = 60;

    // Offsets of a device's parameters (add the device's first index).
    enum DeviceParameter
    {
        glide, tune, pulseWidth, oscillatorMode, modulationMode, lfo1Level, lfo1Time, frequency,
        tracking, envelope, lfo2Level, lfo2Time, emphasis, accent, attack, decay, sustain, release,
        drive, midiOn
    };

    static constexpr int voiceMode = 88, voiceDirection = 89, voiceFill = 90, monophon = 91, masterVolume = 92;

    // Knob values that select a switch position.
    static constexpr float oscillatorOff = 0.0f, oscillatorNoise = 0.33f, oscillatorSaw = 0.66f, oscillatorPulse = 1.0f;
    static constexpr float modulationOff = 0.0f, modulationPWM = 0.5f, modulationFM = 1.0f;
    static constexpr float trackingOff = 0.0f, trackingHalf = 0.5f, trackingFull = 1.0f;
    static constexpr float unison = 0.0f, split = 0.2f, revolver = 0.4f, random = 0.6f, chordBlow = 0.8f, chordGrow = 1.0f;

    explicit EngineRig (double sampleRate = 48000.0, int blockSize = 256) : rate (sampleRate), block (blockSize)
    {
        engine.prepareToPlay (rate, block);
    }

    /** Sets one parameter as the host does. */
    void set (int index, float value) { engine.setParameter (index, value); }

    /** Sets a parameter of each of the four devices. */
    void setEveryDevice (DeviceParameter parameter, float value)
    {
        for (int device = 0; device < 4; ++device)
            set (device * 20 + parameter, value);
    }

    /** Leaves only one device switched on (0..3). */
    void soloDevice (int device)
    {
        for (int d = 0; d < 4; ++d)
            set (d * 20 + midiOn, d == device ? 1.0f : 0.0f);
    }

    /** Renders numSamples more samples of the stream in blocks of the rig's
        size (or the sizes given, repeated), the events placed at their
        stream positions (which count from the rig's first sample; an event
        beyond the rendered samples throws).  Answers channel 0. */
    std::vector<float> render (int numSamples, std::vector<Event> events = {}, std::vector<int> blockSizes = {})
    {
        if (blockSizes.empty())
            blockSizes.push_back (block);

        std::stable_sort (events.begin(), events.end(), [] (const Event& a, const Event& b) { return a.sample < b.sample; });
        std::vector<float> out;
        out.reserve ((size_t) numSamples);
        size_t next = 0;
        size_t sizeIndex = 0;

        for (int done = 0; done < numSamples;)
        {
            const int length = std::min (numSamples - done, std::max (1, blockSizes[sizeIndex++ % blockSizes.size()]));
            juce::MidiBuffer midi;
            while (next < events.size() && events[next].sample - position < done + length)
            {
                midi.addEvent (events[next].message, std::max (0, events[next].sample - position - done));
                ++next;
            }

            juce::AudioBuffer<float> buffer (2, length);
            engine.processBlock (buffer, midi);
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + length);
            done += length;
        }

        if (next != events.size())
            throw std::logic_error ("an event lies beyond the rendered stream");

        position += numSamples;
        return out;
    }

    /** Renders in blocks of the rig's size and calls probe after each block. */
    template <typename Probe>
    void renderProbing (int numSamples, Probe&& probe)
    {
        for (int done = 0; done < numSamples; done += block)
        {
            render (std::min (block, numSamples - done));
            probe (position);
        }
    }

    int samples (double seconds) const { return (int) std::lround (seconds * rate); }

    static Event noteOn (int sample, int note, int velocity = 100, int channel = 1)
    {
        return { sample, juce::MidiMessage::noteOn (channel, note, (juce::uint8) velocity) };
    }

    static Event noteOff (int sample, int note, int channel = 1)
    {
        return { sample, juce::MidiMessage::noteOff (channel, note) };
    }

    static Event controller (int sample, int number, int value, int channel = 1)
    {
        return { sample, juce::MidiMessage::controllerEvent (channel, number, value) };
    }

    AudioEngine engine;
    const double rate;
    const int block;
    int position = 0; // samples rendered so far
};

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
