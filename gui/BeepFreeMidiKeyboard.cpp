#include "gui/BeepFreeMidiKeyboard.h"

#include "platform/DisplayInput.h"

#include <algorithm>
#include <utility>

namespace Korvalden::GUI
{
BeepFreeMidiKeyboard::BeepFreeMidiKeyboard (juce::MidiKeyboardState& state, Orientation orientation)
    : juce::MidiKeyboardComponent (state, orientation), noteState (state)
{
    juce::Desktop::getInstance().addFocusChangeListener (this);
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

bool BeepFreeMidiKeyboard::keyStateChanged (bool)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    bool used = false;
    for (int i = 0; i < notePresses.size(); ++i)
    {
        const auto note = noteOfPress (i);
        if (note < 0)
            continue;

        auto& channel = heldOnChannel[(size_t) note];
        const auto& press = notePresses.getReference (i);
        if (press.isCurrentlyDown())
        {
            // The framework may still count a key down whose release went
            // to another program's window: the display knows better.
            if (channel == 0 && (! releaseMaybeMissed[(size_t) note]
                                 || Korvalden::Platform::characterKeyIsDownOnTheDisplay ((juce::juce_wchar) press.getKeyCode())))
            {
                releaseMaybeMissed.reset ((size_t) note);
                channel = getMidiChannel();
                noteState.noteOn (channel, note, notePressVelocity);
                used = true;
            }
        }
        else
        {
            releaseMaybeMissed.reset ((size_t) note);
            if (channel != 0)
            {
                noteState.noteOff (std::exchange (channel, 0), note, 0.0f);
                used = true;
            }
        }
    }
    return used;
}

void BeepFreeMidiKeyboard::releaseNoteKeys()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    for (int i = 0; i < notePresses.size(); ++i)
    {
        const auto note = noteOfPress (i);
        if (note < 0)
            continue;

        auto& channel = heldOnChannel[(size_t) note];
        if (channel != 0 || notePresses.getReference (i).isCurrentlyDown())
            releaseMaybeMissed.set ((size_t) note);
        if (channel != 0)
            noteState.noteOff (std::exchange (channel, 0), note, 0.0f);
    }
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
    const bool keyHoldsNote = std::any_of (heldOnChannel.begin(), heldOnChannel.end(), [] (int channel) { return channel != 0; });
    if (keyHoldsNote && ! hasKeysFocus())
        releaseNoteKeys();
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
