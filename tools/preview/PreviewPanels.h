#pragma once

#include <juce_audio_utils/juce_audio_utils.h>

#include <memory>

/** A root component with a layout of the resource folder applied to it, for
    the layout sheets to walk.  The editor's layout places a keyboard that
    only the editor makes, so one is made here first; every other child the
    layout names is created by the layout loader (plain components for the
    children the editor makes in code). */
struct LaidOutPanel
{
    juce::MidiKeyboardState keyboardState;
    juce::Component root;
    std::unique_ptr<juce::MidiKeyboardComponent> keyboard;     // leaves root before root goes
    bool applied = false;

    /** The bounds of a descendant in the root's coordinates. */
    juce::Rectangle<int> boundsInRoot (const juce::Component& child) const;
};

std::unique_ptr<LaidOutPanel> layOutPanel (const juce::String& layoutName);
