#include "host/DemoSequence.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <initializer_list>

namespace KestHost
{
namespace
{
constexpr int channel = 1;

// Host parameter indexes (device d owns 20d .. 20d + 19).
constexpr int oscillatorMode = 3;
constexpr int tune = 1;
constexpr int frequency = 7;
constexpr int emphasis = 12;
constexpr int voiceMode = 88;

// Controller values that select an allocation mode or an oscillator.
constexpr int unison = 0;
constexpr int split = 25;
constexpr int revolver = 51;
constexpr int random = 76;
constexpr int chordGrow = 127;
constexpr int sawOscillator = 85;

class Writer
{
public:
    explicit Writer (juce::MidiMessageSequence& target) : sequence (target) {}

    void controller (double time, int parameterIndex, int value)
    {
        add (juce::MidiMessage::controllerEvent (channel, DemoSequence::controllerFor (parameterIndex), value), time);
    }

    void note (double time, double length, int number, int velocity = 100)
    {
        add (juce::MidiMessage::noteOn (channel, number, (juce::uint8) velocity), time);
        add (juce::MidiMessage::noteOff (channel, number), time + length);
    }

    void notes (double time, double length, std::initializer_list<int> numbers)
    {
        for (auto number : numbers)
            note (time, length, number);
    }

private:
    void add (juce::MidiMessage message, double time)
    {
        message.setTimeStamp (time);
        sequence.addEvent (message);
    }

    juce::MidiMessageSequence& sequence;
};
} // namespace

int DemoSequence::controllerFor (int parameterIndex)
{
    return parameterIndex < voiceMode ? parameterIndex + 1 : parameterIndex + 2;
}

juce::MidiMessageSequence DemoSequence::create()
{
    juce::MidiMessageSequence sequence;
    Writer demo (sequence);

    // ORVA keeps its pulse; TESK saws; MUNE saws an octave down; KEST is a
    // brighter, resonant pulse.
    demo.controller (0.0, 20 + oscillatorMode, sawOscillator);
    demo.controller (0.0, 40 + oscillatorMode, sawOscillator);
    demo.controller (0.0, 40 + tune, 32);
    demo.controller (0.0, 60 + frequency, 90);
    demo.controller (0.0, 60 + emphasis, 70);

    // Unison: every note on all four devices.
    demo.controller (0.0, voiceMode, unison);
    double time = 0.1;
    for (int number : { 60, 64, 67, 72 })
    {
        demo.note (time, 0.8, number);
        time += 0.9;
    }

    // Revolver: an arpeggio handed from device to device.
    time = 4.0;
    demo.controller (time, voiceMode, revolver);
    for (int number : { 48, 55, 60, 64, 67, 72, 67, 64 })
    {
        demo.note (time + 0.05, 0.22, number);
        time += 0.25;
    }

    // Chord (Grow): four-note chords, sixteen voices at once.
    time = 6.5;
    demo.controller (time, voiceMode, chordGrow);
    demo.notes (time + 0.05, 1.4, { 48, 52, 55, 59 });
    demo.notes (time + 1.55, 1.4, { 53, 57, 60, 64 });

    // Split: bass below, melody above the split points.
    time = 9.8;
    demo.controller (time, voiceMode, split);
    demo.note (time + 0.05, 2.8, 36);
    for (int number : { 72, 76, 79, 84, 79, 76 })
    {
        demo.note (time + 0.05, 0.4, number);
        time += 0.45;
    }

    // Random: the devices picked by chance.
    time = 13.0;
    demo.controller (time, voiceMode, random);
    for (int number : { 60, 62, 64, 67, 69, 72, 69, 67 })
    {
        demo.note (time + 0.05, 0.22, number);
        time += 0.25;
    }

    sequence.updateMatchedPairs();
    return sequence;
}
} // namespace KestHost
