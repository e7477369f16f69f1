#include "engine/AudioEngine.h"

#include <algorithm>

// What passes between the engine and its open editor: commands, the
// overwrite question, and the values the audio thread publishes for the LEDs.
//
// The host may restore a state or a preset on any thread, and the editor may
// be deleted meanwhile on the message thread.  So the engine never calls the
// editor from those threads: it queues a call on the message thread that
// reaches the editor through a safe pointer, and a call that finds the
// editor gone does nothing.

namespace
{
    // The safe pointer is only copied here: whether its editor still exists
    // is asked on the message thread, where the editor is deleted.
    void deliverAsync (juce::Component::SafePointer<juce::Component> target, std::vector<int> commands)
    {
        if (commands.empty())
            return;

        juce::MessageManager::callAsync ([target, commands = std::move (commands)] {
            for (int command : commands)
                if (auto* editor = target.getComponent())
                    editor->handleCommandMessage (command);
        });
    }

    std::vector<int> viewCommands (const bool (&switches)[5])
    {
        std::vector<int> commands;
        int command = AudioEngine::editorFirstViewCommand;
        for (bool on : switches)
        {
            commands.push_back (on ? command : command + 1);
            command += 2;
        }
        return commands;
    }
}

void AudioEngine::setCommandTarget (juce::Component* editor)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    const juce::SpinLock::ScopedLockType lock (commandTargetLock);
    commandTarget = editor;
}

void AudioEngine::postViewCommands (juce::Component& editor) const
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    const bool switches[] { showTooltips, showParameterLinks, showValueLabels, showKeyboard, showPresetManager };
    for (int command : viewCommands (switches))
        editor.postCommandMessage (command);
}

juce::Component::SafePointer<juce::Component> AudioEngine::getCommandTarget()
{
    const juce::SpinLock::ScopedLockType lock (commandTargetLock);
    // On the message thread the framework's own record of the editor holds.
    if (juce::MessageManager::existsAndIsCurrentThread())
        commandTarget = getActiveEditor();
    return commandTarget;
}

void AudioEngine::postToEditor (int command)
{
    deliverAsync (getCommandTarget(), { command });
}

void AudioEngine::postViewCommandsToEditor()
{
    const bool switches[] { showTooltips, showParameterLinks, showValueLabels, showKeyboard, showPresetManager };
    deliverAsync (getCommandTarget(), viewCommands (switches));
}

void AudioEngine::handlePresetOverwriteRequest (PresetOverwriteRequest* request)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (request == nullptr)
        return;

    // With no editor to ask, both presets are kept.
    if (auto* question = dynamic_cast<OverwriteQuestion*> (getActiveEditor()))
        question->askOverwritePreset (request);
    else
        request->answer (false);
}

//==============================================================================
void AudioEngine::publishDeviceIndicators() noexcept
{
    for (int device = 0; device < ParameterTable::numDevices; ++device)
    {
        const auto& sound = sounds[(size_t) device];
        bool gate = false;
        float drive = 0.0f;
        for (int i = 0; i < sound.getNumVoices(); ++i)
        {
            if (auto* voice = sound.getVoice (i))
            {
                gate = gate || voice->getState() == 1;
                drive = std::max (drive, voice->getOutputFollower());
            }
        }

        auto& published = deviceIndicators[(size_t) device];
        published.gate.store (gate, std::memory_order_relaxed);
        published.gliding.store (isGliding (device), std::memory_order_relaxed);
        published.driveLevel.store (drive, std::memory_order_relaxed);
    }
}

void AudioEngine::clearDeviceIndicators() noexcept
{
    for (auto& published : deviceIndicators)
    {
        published.gate.store (false, std::memory_order_relaxed);
        published.gliding.store (false, std::memory_order_relaxed);
        published.driveLevel.store (0.0f, std::memory_order_relaxed);
    }
}

AudioEngine::DeviceIndicators AudioEngine::getDeviceIndicators (int device) const noexcept
{
    if (device < 0 || device >= ParameterTable::numDevices)
        return {};

    const auto& published = deviceIndicators[(size_t) device];
    return { published.gate.load (std::memory_order_relaxed), published.gliding.load (std::memory_order_relaxed),
             published.driveLevel.load (std::memory_order_relaxed) };
}
