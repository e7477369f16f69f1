#pragma once

#include <juce_audio_utils/juce_audio_utils.h>

namespace Korvalden::GUI
{
/** The framework's on-screen keyboard, claiming exactly the computer keys
    that play notes: those presses are used here and never reach the host,
    where an unhandled key press sounds the system alert.  Every other key
    press goes on to the parents and the host.  Message thread only. */
class BeepFreeMidiKeyboard : public juce::MidiKeyboardComponent
{
public:
    BeepFreeMidiKeyboard (juce::MidiKeyboardState& state, Orientation orientation);

    /** True for a key in notePresses; the notes themselves are played by
        the framework's key-state handling. */
    bool keyPressed (const juce::KeyPress& key) override;

    /** The computer keys that play notes, the same ones the owner gives the
        framework's key map. */
    juce::Array<juce::KeyPress> notePresses;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BeepFreeMidiKeyboard)
};
} // namespace Korvalden::GUI
