#include "gui/BeepFreeMidiKeyboard.h"

namespace Korvalden::GUI
{
BeepFreeMidiKeyboard::BeepFreeMidiKeyboard (juce::MidiKeyboardState& state, Orientation orientation)
    : juce::MidiKeyboardComponent (state, orientation)
{
}

bool BeepFreeMidiKeyboard::keyPressed (const juce::KeyPress& key)
{
    return notePresses.contains (key);
}
} // namespace Korvalden::GUI
