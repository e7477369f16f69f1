#include "editor/MainControlPanel.h"

#include "gui/MessageBox.h"
#include "gui/MultiColoredMidiKeyboard.h"

// Value labels that flash and fade, painting, and the keys typed into the panel.
namespace
{
    constexpr juce::uint32 backgroundColour = 0xFFCECECE;
}

void MainControlPanel::labelTextChanged (juce::Label* label)
{
    const auto entry = valueLabelFaders.find (label);
    if (entry == valueLabelFaders.end())
        return;

    // Every change restarts the fade from full opacity, so a knob being
    // turned keeps its label visible until half a second after it stops.
    auto& fader = *entry->second;
    fader.stopTimer();
    fader.alpha = 1.0f;
    fader.applyAlpha();
    if (! fader.pinned)
        fader.startTimer (Korvalden::GUI::AlphaFader::tickIntervalMs);
}

void MainControlPanel::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (backgroundColour));
}

bool MainControlPanel::isMessageBoxShown() const
{
    // Walked each time: the framework reports a removed child only while the
    // panel is on screen.
    for (auto* child : getChildren())
        if (dynamic_cast<Korvalden::GUI::MessageBox*> (child) != nullptr)
            return true;
    return false;
}

bool MainControlPanel::keyPressed (const juce::KeyPress& key)
{
    if (presetTree != nullptr && presetTree->keyPressed (key))
        return true;
    return keyboard != nullptr && keyboard->keyPressed (key);
}

bool MainControlPanel::keyStateChanged (bool isKeyDown)
{
    return keyboard != nullptr && keyboard->keyStateChanged (isKeyDown);
}
