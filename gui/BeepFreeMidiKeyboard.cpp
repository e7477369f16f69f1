#include "gui/BeepFreeMidiKeyboard.h"

#include "platform/DisplayInput.h"

#include <utility>

namespace Korvalden::GUI
{
BeepFreeMidiKeyboard::BeepFreeMidiKeyboard (juce::MidiKeyboardState& state, Orientation orientation)
    : juce::MidiKeyboardComponent (state, orientation), noteState (state)
{
    juce::Desktop::getInstance().addFocusChangeListener (this);
    // A key's release ends its note: the display sends none with its repeats.
    Korvalden::Platform::sendKeyRepeatsAsPressesAlone();
}

BeepFreeMidiKeyboard::~BeepFreeMidiKeyboard()
{
    juce::Desktop::getInstance().removeFocusChangeListener (this);
}

bool BeepFreeMidiKeyboard::keyPressed (const juce::KeyPress& key)
{
    return notePresses.contains (key);
}

int BeepFreeMidiKeyboard::noteOfPress (int index) const noexcept
{
    const auto note = 12 * notePressOctave + index;
    return juce::isPositiveAndBelow (note, 128) ? note : -1;
}

bool BeepFreeMidiKeyboard::keyStateChanged (bool isKeyDown)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    // Where the keys go elsewhere (a text field, a message box), a key that
    // goes down is theirs, and the ends of its presses reach here too.  A
    // note starts only as a key goes down: a key down without a note as
    // another goes up went down where the keys went.
    const bool hasKeys = hasKeysFocus();
    bool used = ! hasKeys && endKeyNotes (true);

    for (int i = 0; i < notePresses.size(); ++i)
    {
        const auto note = noteOfPress (i);
        if (note < 0)
            continue;

        auto& channel = heldOnChannel[(size_t) note];
        const auto& press = notePresses.getReference (i);
        if (! press.isCurrentlyDown())
        {
            heldBack.reset ((size_t) note);
            upOnTheDisplay.reset ((size_t) note);
            if (channel != 0)
            {
                noteState.noteOff (std::exchange (channel, 0), note, 0.0f);
                used = true;
            }
            continue;
        }

        if (! hasKeys || ! isKeyDown || channel != 0)
            continue;
        if (heldBack[(size_t) note])
        {
            letGoOfKeyUpOnTheDisplay (press, note);
            continue;
        }
        // The framework may still count a key down whose release went to
        // another program's window: the display knows better.
        if (upOnTheDisplay[(size_t) note])
        {
            if (! Korvalden::Platform::characterKeyIsDownOnTheDisplay ((juce::juce_wchar) press.getKeyCode()))
                continue;
            upOnTheDisplay.reset ((size_t) note);
        }
        channel = getMidiChannel();
        noteState.noteOn (channel, note, notePressVelocity);
        used = true;
    }
    return used;
}

bool BeepFreeMidiKeyboard::endKeyNotes (bool holdBackEveryKeyDown)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    bool ended = false;
    for (int i = 0; i < notePresses.size(); ++i)
    {
        const auto note = noteOfPress (i);
        if (note < 0)
            continue;

        auto& channel = heldOnChannel[(size_t) note];
        const auto& press = notePresses.getReference (i);
        if (channel != 0)
        {
            heldBack.set ((size_t) note);
            noteState.noteOff (std::exchange (channel, 0), note, 0.0f);
            ended = true;
        }
        else if (heldBack[(size_t) note] || ! press.isCurrentlyDown())
        {
            continue;
        }
        else if (! holdBackEveryKeyDown)
        {
            // Down, as far as the framework knows, where another window had
            // the keys: the display tells whether it is.
            upOnTheDisplay.set ((size_t) note);
        }
        else if (! upOnTheDisplay[(size_t) note]
                 || Korvalden::Platform::characterKeyIsDownOnTheDisplay ((juce::juce_wchar) press.getKeyCode()))
        {
            upOnTheDisplay.reset ((size_t) note);
            heldBack.set ((size_t) note);
        }
    }
    return ended;
}

void BeepFreeMidiKeyboard::releaseNoteKeys()
{
    endKeyNotes (false);
}

void BeepFreeMidiKeyboard::letGoOfKeyUpOnTheDisplay (const juce::KeyPress& press, int note)
{
    if (Korvalden::Platform::characterKeyIsDownOnTheDisplay ((juce::juce_wchar) press.getKeyCode()))
        return;
    heldBack.reset ((size_t) note);
    upOnTheDisplay.set ((size_t) note);
}

void BeepFreeMidiKeyboard::focusLost (FocusChangeType)
{
    // Not the framework's reset, which also ends the notes the mouse holds;
    // and a click on another control of the window leaves the keys playing.
    // With nothing focused now, the window lost the input focus.
    if (juce::Component::getCurrentlyFocusedComponent() == nullptr || ! hasKeysFocus())
        releaseNoteKeys();
}

void BeepFreeMidiKeyboard::globalFocusChanged (juce::Component* focused)
{
    // The framework counts nothing focused once the window lost the input
    // focus; nothing focused from the start is the window's own keys.
    const bool lost = focused == nullptr ? focusWasInWindow : ! hasKeysFocus();
    focusWasInWindow = focused != nullptr && isInWindow (*focused);
    if (lost)
        releaseNoteKeys();
}

void BeepFreeMidiKeyboard::timerCallback()
{
    juce::MidiKeyboardComponent::timerCallback();
    // A modal window (a menu too) takes the keys without taking the focus.
    if (! hasKeysFocus())
    {
        endKeyNotes (true);
        return;
    }

    // A held-back key whose release went to another window, or to nothing
    // that told the keyboard, plays again at its next press.
    if (heldBack.none())
        return;
    for (int i = 0; i < notePresses.size(); ++i)
    {
        const auto note = noteOfPress (i);
        if (note < 0 || ! heldBack[(size_t) note])
            continue;
        const auto& press = notePresses.getReference (i);
        if (! press.isCurrentlyDown())
            heldBack.reset ((size_t) note);
        else
            letGoOfKeyUpOnTheDisplay (press, note);
    }
}

bool BeepFreeMidiKeyboard::isInWindow (const juce::Component& component) const
{
    auto* window = getTopLevelComponent();
    return &component == window || window->isParentOf (&component);
}

bool BeepFreeMidiKeyboard::hasKeysFocus() const
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (! isShowing() || isCurrentlyBlockedByAnotherModalComponent())
        return false;

    // Nothing focused: the keys the window gets go to the window itself.
    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    if (focused == nullptr)
        return true;
    if (! isInWindow (*focused))
        return false;

    // A text field takes typed keys; its parents see only their releases.
    for (auto* c = focused; c != nullptr && c != getTopLevelComponent(); c = c->getParentComponent())
        if (dynamic_cast<const juce::TextEditor*> (c) != nullptr)
            return false;
    return true;
}
} // namespace Korvalden::GUI
