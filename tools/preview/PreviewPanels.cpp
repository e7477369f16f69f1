#include "PreviewPanels.h"

#include "editor/EditorComponentNames.h"
#include "gui/ResourceManager.h"

juce::Rectangle<int> LaidOutPanel::boundsInRoot (const juce::Component& child) const
{
    return root.getLocalArea (&child, child.getLocalBounds());
}

std::unique_ptr<LaidOutPanel> layOutPanel (const juce::String& layoutName)
{
    auto panel = std::make_unique<LaidOutPanel>();
    if (layoutName == EditorNames::mainLayout)
    {
        panel->keyboard = std::make_unique<juce::MidiKeyboardComponent> (panel->keyboardState,
                                                                         juce::MidiKeyboardComponent::horizontalKeyboard);
        panel->keyboard->setName (EditorNames::keyboard);
        panel->root.addAndMakeVisible (*panel->keyboard);
    }
    panel->applied = Korvalden::Resources::ResourceManager::applyComponentLayout (&panel->root, layoutName);
    return panel;
}
