#pragma once

namespace juce
{
class MidiMessageSequence;
}

namespace KestHost
{
/** The short piece that `kest-host render` plays without a MIDI file: the
    four devices set apart by their controllers (oscillator, tune, filter),
    then phrases in Unison, Revolver, Chord (Grow), Split and Random, the
    allocation mode switched by the Voice_Mode controller.  It relies on the
    engine's default controller numbers.  Times in seconds. */
class DemoSequence
{
public:
    DemoSequence() = delete;

    static juce::MidiMessageSequence create();

    /** The default controller number of a host parameter index. */
    static int controllerFor (int parameterIndex);
};
} // namespace KestHost
