#pragma once

#include <juce_audio_utils/juce_audio_utils.h>

#include <array>
#include <bitset>

namespace Korvalden::GUI
{
/** The framework's on-screen keyboard, claiming exactly the computer keys
    that play notes: those presses are used here and never reach the host,
    where an unhandled key press sounds the system alert.  Every other key
    press goes on to the parents and the host.

    The computer keys' notes are played here, not by the framework: a note
    a computer key holds ends when the keyboard loses the keys' focus (its
    window loses the input focus, which the framework tells by counting
    nothing focused any longer; a modal window such as a pop-up menu, a
    dialog or a message box takes the keys; or the focus moves to a text
    field), as the key's release would, for that release goes elsewhere and
    may never come back.  A note starts only as a key goes down while the
    keyboard has the keys: a key that goes down in the program's windows
    meanwhile (a letter typed into a field, a key pressed over a message
    box) starts nothing, and neither it nor a key held as the keyboard loses
    the keys plays until it has gone up, however long it is held and
    repeats.  So a held key gives one note, and a letter typed into a field
    none; the display is asked to send a held key's repeats without a
    release before each, which the framework may take for the key going up
    on a loaded machine.  No release is missed for good: a key that the
    framework still believes held (its release went to another program's
    window, and the framework hears of it only once its windows get the
    focus back) counts as up as soon as the display has it up, and then
    starts its note again only while the display has it down.  Notes held
    by the mouse end with the mouse's release (which the keyboard gets
    wherever the focus is); notes from MIDI and from the host are never
    ended here.

    Message thread only.
*/
class BeepFreeMidiKeyboard : public juce::MidiKeyboardComponent,
                             private juce::FocusChangeListener
{
public:
    BeepFreeMidiKeyboard (juce::MidiKeyboardState& state, Orientation orientation);
    ~BeepFreeMidiKeyboard() override;

    /** True for a key in notePresses; the notes themselves are played by
        keyStateChanged. */
    bool keyPressed (const juce::KeyPress& key) override;

    /** Ends the note of every key in notePresses that went up, on the
        channel it started on, and, as a key goes down while the keyboard has
        the keys' focus, starts the note of every one that went down.  While
        the keyboard does not have the keys, holds back the keys down (see
        endKeyNotes).  True when a note started or ended.  Asks the
        display about a key held back that the framework believes down. */
    bool keyStateChanged (bool isKeyDown) override;

    /** Ends the computer keys' notes when the window lost the input focus or
        the keyboard no longer has the keys' focus; the mouse's notes stay
        until its release. */
    void focusLost (FocusChangeType) override;

    /** The framework's tick; then, while the keyboard does not have the
        keys' focus, ends the computer keys' notes and holds back the keys
        down; while it has, lets go of the held-back keys that went up. */
    void timerCallback() override;

    /** Ends every note a computer key holds, as the key's release would, and
        holds back their keys (see endKeyNotes); a key the framework believes
        down without a note then plays only while the display has it down. */
    void releaseNoteKeys();

    /** Whether the computer keys reach this keyboard: it is showing, no
        modal window blocks it, and the keyboard focus is in its window but
        not in a text field, or nowhere (the keys the window gets, also keys
        sent to it, go to the window itself). */
    bool hasKeysFocus() const;

    /** The computer keys that play notes: the first plays C of
        notePressOctave, each next one a semitone higher. */
    juce::Array<juce::KeyPress> notePresses;
    /** The octave (0..10) of the first of notePresses. */
    int notePressOctave = 5;
    /** The velocity (0..1) of the computer keys' notes. */
    float notePressVelocity = 1.0f;

private:
    /** Ends the computer keys' notes when the focus went to another window
        or a text field, or the window lost the input focus. */
    void globalFocusChanged (juce::Component* focused) override;
    /** Ends every note a computer key holds and holds back its key: the key
        plays again only once it has gone up.  holdBackEveryKeyDown (the keys
        go elsewhere in the program's windows, where the framework hears of
        them): every key down is held back too.  True when a note ended. */
    bool endKeyNotes (bool holdBackEveryKeyDown);
    /** Lets go of a held-back key the framework believes down that the
        display has up (its release went elsewhere). */
    void letGoOfKeyUpOnTheDisplay (const juce::KeyPress& press, int note);
    int noteOfPress (int index) const noexcept;
    bool isInWindow (const juce::Component&) const;

    juce::MidiKeyboardState& noteState;
    /** The channel each note a computer key holds was started on; 0: none. */
    std::array<int, 128> heldOnChannel {};
    /** The notes of keys held back: down (the framework believes) while the
        keyboard did not have the keys, and not seen up since. */
    std::bitset<128> heldBack;
    /** The notes of keys the framework believes down that the display had
        up: the belief may be stale, so they play only while the display has
        them down. */
    std::bitset<128> upOnTheDisplay;
    /** Whether the focus was in this keyboard's window when last told. */
    bool focusWasInWindow = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BeepFreeMidiKeyboard)
};
} // namespace Korvalden::GUI
