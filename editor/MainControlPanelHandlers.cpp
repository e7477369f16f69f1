#include "editor/MainControlPanel.h"

#include "engine/AudioEngine.h"

// The panel's answers to its controls, to the engine's commands and to its timer.
void MainControlPanel::buttonClicked (juce::Button*) {}
void MainControlPanel::buttonStateChanged (juce::Button*) {}
void MainControlPanel::comboBoxChanged (juce::ComboBox*) {}
void MainControlPanel::sliderValueChanged (juce::Slider*) {}
void MainControlPanel::labelTextChanged (juce::Label*) {}
void MainControlPanel::handleCommandMessage (int) {}
void MainControlPanel::timerCallback() {}

void MainControlPanel::parameterChanged (int, float)
{
    postCommandMessage (AudioEngine::editorResyncVoiceSettings);
}
