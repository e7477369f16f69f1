#include "editor/MainControlPanel.h"
#include "engine/AudioEngine.h"

// The engine's editor lives with the editor code, so the engine's own files
// stay free of the GUI.
juce::AudioProcessorEditor* AudioEngine::createEditor()
{
    jassert (isOwnerThread());

    auto* panel = new MainControlPanel (*this);
    setCommandTarget (panel);
    postViewCommands (*panel);
    return panel;
}

bool AudioEngine::hasEditor() const { return true; }
