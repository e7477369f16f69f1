#pragma once

#include "gui/BeepFreeMidiKeyboard.h"

#include <array>
#include <atomic>
#include <map>
#include <optional>

class MultiSoundVoiceController;

/** The on-screen keyboard that draws every held key in the colour of the
    device playing it.  Which device plays a note comes from the global voice
    controller's note table (which also records the notes a device plays on
    its own receive channel); the colour of each device index is set by the
    owner.  A held key whose device has no colour keeps the key-down overlay
    colour last used.  A held key whose note passes to another device while
    it is held is drawn again whole in the new device's colour at the next
    tick of the keyboard's timer (the framework redraws a key only when it
    goes up or down).  So is every key that went up or down since the last
    tick: the framework compares a key with its state at its own last tick,
    not with what the last paint drew, and a key pressed and released again
    between two ticks (while the window painted late) would stay drawn in
    the state the paint found.

    Its scroll buttons are one key wide.  The framework lays the lowest
    visible key under the lower button; a button of the key's width hides
    that key whole instead of leaving a sliver of it, and the next key
    starts at the button's edge.

    Message thread only.  The note table is read without a lock while the
    audio thread writes it; the keyboard state may tell of notes on any
    thread.
*/
class MultiColoredMidiKeyboard : public Korvalden::GUI::BeepFreeMidiKeyboard
{
public:
    /** noteDevices: not owned, must outlive the keyboard; null colours every
        held key as device 0. */
    MultiColoredMidiKeyboard (juce::MidiKeyboardState& state, Orientation orientation,
                              const MultiSoundVoiceController* noteDevices);
    ~MultiColoredMidiKeyboard() override;

    /** Inserts or replaces the colour of a device index. */
    void setKeyColour (int deviceIndex, juce::Colour colour);
    /** The colour of a device index, if one was set. */
    std::optional<juce::Colour> findKeyColour (int deviceIndex) const;

    void drawWhiteNote (int midiNoteNumber, juce::Graphics&, juce::Rectangle<float> area,
                        bool isDown, bool isOver, juce::Colour lineColour, juce::Colour textColour) override;
    void drawBlackNote (int midiNoteNumber, juce::Graphics&, juce::Rectangle<float> area,
                        bool isDown, bool isOver, juce::Colour noteFillColour) override;
    void colourChanged() override;
    /** Keeps the scroll buttons as wide as a key, then lays the keys out. */
    void resized() override;
    /** The octave label, except on a key whose start a scroll button covers:
        the button would leave a cut-off fragment of it showing. */
    juce::String getWhiteNoteText (int midiNoteNumber) override;
    /** The framework's key updates, then the keys that went up or down
        since the last tick and the held keys whose device changed are drawn
        again. */
    void timerCallback() override;

private:
    /** Marks the notes the keyboard state turns on or off, on whatever
        thread it does so (the audio thread's incoming notes too). */
    struct NoteChanges final : juce::MidiKeyboardState::Listener
    {
        void handleNoteOn (juce::MidiKeyboardState*, int, int note, float) override { mark (note); }
        void handleNoteOff (juce::MidiKeyboardState*, int, int note, float) override { mark (note); }
        void mark (int note)
        {
            if (note >= 0 && note < 128)
                changed[(size_t) note].store (true, std::memory_order_relaxed);
        }
        std::array<std::atomic<bool>, 128> changed {};
    };

    void useColourOfNote (int midiNoteNumber);

    std::map<int, juce::Colour> keyColours;
    const MultiSoundVoiceController* noteDevices;
    juce::MidiKeyboardState& keyState;
    /** The device of each note when the timer last looked. */
    std::array<int, 128> devicesSeen {};
    NoteChanges noteChanges;
    bool settingKeyColour = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MultiColoredMidiKeyboard)
};
