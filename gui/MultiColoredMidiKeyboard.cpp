#include "gui/MultiColoredMidiKeyboard.h"

#include "engine/MultiSoundVoiceController.h"

MultiColoredMidiKeyboard::MultiColoredMidiKeyboard (juce::MidiKeyboardState& state, Orientation orientation,
                                                    const MultiSoundVoiceController* devices)
    : BeepFreeMidiKeyboard (state, orientation), noteDevices (devices), keyState (state)
{
    keyState.addListener (&noteChanges);
}

MultiColoredMidiKeyboard::~MultiColoredMidiKeyboard()
{
    keyState.removeListener (&noteChanges);
}

void MultiColoredMidiKeyboard::setKeyColour (int deviceIndex, juce::Colour colour)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    keyColours[deviceIndex] = colour;
    repaint();
}

std::optional<juce::Colour> MultiColoredMidiKeyboard::findKeyColour (int deviceIndex) const
{
    const auto found = keyColours.find (deviceIndex);
    if (found == keyColours.end())
        return std::nullopt;
    return found->second;
}

void MultiColoredMidiKeyboard::useColourOfNote (int midiNoteNumber)
{
    const auto device = noteDevices != nullptr ? noteDevices->getNoteDevice (midiNoteNumber) : 0;
    const auto colour = findKeyColour (device);
    if (! colour.has_value() || findColour (keyDownOverlayColourId) == *colour)
        return;

    // The overlay colour changes while the keys are painted: the change
    // itself must not ask for another paint, or two held keys of different
    // devices would repaint the keyboard for ever.
    const juce::ScopedValueSetter<bool> inPaint (settingKeyColour, true);
    setColour (keyDownOverlayColourId, *colour);
}

void MultiColoredMidiKeyboard::timerCallback()
{
    BeepFreeMidiKeyboard::timerCallback();
    for (int note = getRangeStart(); note <= getRangeEnd(); ++note)
        if (noteChanges.changed[(size_t) note].exchange (false, std::memory_order_relaxed))
            repaint (getRectangleForKey (note).getSmallestIntegerContainer());
    if (noteDevices == nullptr)
        return;

    // A held note can pass to another device (a receive channel changed, a
    // controller took it) without going up: only a repaint of the whole key
    // shows the new colour, not a part of it that happens to be painted.
    for (int note = getRangeStart(); note <= getRangeEnd(); ++note)
    {
        const auto device = noteDevices->getNoteDevice (note);
        auto& seen = devicesSeen[(size_t) note];
        if (seen == device)
            continue;
        seen = device;
        if (keyState.isNoteOnForChannels (getMidiChannelsToDisplay(), note))
            repaint (getRectangleForKey (note).getSmallestIntegerContainer());
    }
}

void MultiColoredMidiKeyboard::colourChanged()
{
    if (! settingKeyColour)
        BeepFreeMidiKeyboard::colourChanged();
}

void MultiColoredMidiKeyboard::resized()
{
    // Setting the width lays the keyboard out again, through this same call.
    const int keyWide = juce::jmax (1, juce::roundToInt (getKeyWidth()));
    if (getScrollButtonWidth() != keyWide)
        setScrollButtonWidth (keyWide);
    else
        BeepFreeMidiKeyboard::resized();
}

juce::String MultiColoredMidiKeyboard::getWhiteNoteText (int midiNoteNumber)
{
    if (getOrientation() != horizontalKeyboard)
        return BeepFreeMidiKeyboard::getWhiteNoteText (midiNoteNumber);

    // The only children are the two scroll buttons.
    const auto keyStart = getKeyStartPosition (midiNoteNumber);
    const juce::Range<float> key (keyStart, keyStart + getKeyWidth());
    for (auto* button : getChildren())
        if (button->isVisible()
            && key.intersects ({ (float) button->getX(), (float) button->getRight() }))
            return {};

    return BeepFreeMidiKeyboard::getWhiteNoteText (midiNoteNumber);
}

void MultiColoredMidiKeyboard::drawWhiteNote (int midiNoteNumber, juce::Graphics& g, juce::Rectangle<float> area,
                                              bool isDown, bool isOver, juce::Colour lineColour, juce::Colour textColour)
{
    if (isDown)
        useColourOfNote (midiNoteNumber);
    BeepFreeMidiKeyboard::drawWhiteNote (midiNoteNumber, g, area, isDown, isOver, lineColour, textColour);
}

void MultiColoredMidiKeyboard::drawBlackNote (int midiNoteNumber, juce::Graphics& g, juce::Rectangle<float> area,
                                              bool isDown, bool isOver, juce::Colour noteFillColour)
{
    if (isDown)
        useColourOfNote (midiNoteNumber);
    BeepFreeMidiKeyboard::drawBlackNote (midiNoteNumber, g, area, isDown, isOver, noteFillColour);
}
