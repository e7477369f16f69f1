#include "editor/MainControlPanel.h"

#include "editor/EditorComponentNames.h"
#include "editor/SplitPointSlider.h"

// The voice-mode combo, the split slider and the voice parameters 88..91.
// Every change asks for a resync (command 2), which reads the engine back
// into the combo, the voice switches and the split slider.
namespace
{
    namespace N = EditorNames;
    constexpr int voiceModeParameter = 88;
    constexpr int numVoiceModes = 6;
}

void MainControlPanel::comboBoxChanged (juce::ComboBox* comboBox)
{
    if (comboBox == nullptr)
        return;

    // Item n selects mode n - 1; the engine reads the value with thresholds
    // halfway between these steps.
    const int id = comboBox->getSelectedId();
    std::optional<float> value;
    if (id >= 1 && id <= numVoiceModes)
        value = (float) (id - 1) / (float) (numVoiceModes - 1);
    setVoiceParameter (voiceModeParameter, value);

    if (auto* split = findChildAs<juce::Slider> (N::splitPointSlider))
        split->setVisible (engine.getGlobalController().getAllocationMode() == MultiSoundVoiceController::split);

    postCommandMessage (AudioEngine::editorResyncVoiceSettings);
}

void MainControlPanel::sliderValueChanged (juce::Slider* slider)
{
    if (slider == nullptr || slider->getName() != N::splitPointSlider || ! SplitPointSlider::hasThreeThumbs (*slider))
        return;

    // Only the user's moves reach the engine: a resync shows the points
    // without notifying, so thumbs that only show points stored out of order
    // or beyond the keyboard never rewrite them.
    SplitPointSlider::writeMovedThumbs (*slider, engine.getGlobalController());
}

void MainControlPanel::parameterChanged (int, float)
{
    postCommandMessage (AudioEngine::editorResyncVoiceSettings);
}
