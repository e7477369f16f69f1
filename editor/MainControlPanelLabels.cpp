#include "editor/MainControlPanel.h"

#include "gui/MessageBox.h"
#include "gui/MultiColoredMidiKeyboard.h"

// Value labels that flash and fade, painting, the link overlay's place in
// it, and the keys typed into the panel.
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

void MainControlPanel::paintOverChildren (juce::Graphics& g)
{
    // No link overlay over an open message box.
    if (! isMessageBoxShown())
        paintLinkOverlay (g);
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

void MainControlPanel::childrenChanged()
{
    // A box that opens or closes changes what goes over the children.
    if (areLinksShown())
        repaint();
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
