#include "PreviewEditor.h"

#include <cstdlib>

FreshDataFolder::FreshDataFolder (const std::function<void (const juce::File&)>& fill)
    : folder (juce::File::createTempFile ("kest-preview-data"))
{
    if (const char* old = std::getenv ("XDG_DATA_HOME"))
    {
        previous = old;
        hadPrevious = true;
    }
    folder.createDirectory();
    setenv ("XDG_DATA_HOME", folder.getFullPathName().toRawUTF8(), 1);
    if (fill)
        fill (folder);
}

FreshDataFolder::~FreshDataFolder()
{
    if (hadPrevious)
        setenv ("XDG_DATA_HOME", previous.toRawUTF8(), 1);
    else
        unsetenv ("XDG_DATA_HOME");
    folder.deleteRecursively();
}

PreviewEditor::PreviewEditor (const std::function<void (const juce::File&)>& fillDataFolder)
    : data (fillDataFolder)
{
    engine.prepareToPlay (48000.0, 256);
    panel.reset (dynamic_cast<MainControlPanel*> (engine.createEditorIfNeeded()));
    run (150);
}

PreviewEditor::~PreviewEditor()
{
    panel.reset();
}

void PreviewEditor::run (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

void PreviewEditor::hold (std::initializer_list<int> notes)
{
    const int global = engine.getReceiveChannel (0);
    const int channel = global >= 1 && global <= 16 ? global : 1;

    juce::AudioBuffer<float> buffer (2, 256);
    for (int block = 0; block < 48000 / 5 / 256; ++block)
    {
        juce::MidiBuffer midi;
        if (block == 0)
            for (int note : notes)
                midi.addEvent (juce::MidiMessage::noteOn (channel, note, (juce::uint8) 100), 0);
        const juce::ScopedLock lock (engine.getCallbackLock());
        engine.processBlock (buffer, midi);
    }
}

juce::Image PreviewEditor::snapshot (const PreviewContext& context, juce::Rectangle<int> area) const
{
    if (panel == nullptr)
        return {};
    return panel->createComponentSnapshot (area.isEmpty() ? panel->getLocalBounds() : area, true, context.scale);
}

bool PreviewEditor::write (const PreviewContext& context, const juce::String& name) const
{
    return panel != nullptr && context.writePng (context.scaledName (name), snapshot (context));
}
