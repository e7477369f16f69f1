#include "editor/MainControlPanel.h"

#include "editor/AboutBox.h"
#include "editor/EditorComponentNames.h"
#include "editor/OptionsDialogOpener.h"
#include "gui/KestMessageBox.h"

// The buttons that act once per click, and the preset-overwrite question.
namespace
{
    namespace N = EditorNames;

    struct VoiceSwitch
    {
        const char* name;
        int parameter;
    };
    constexpr VoiceSwitch voiceSwitches[] { { N::directionButton, 89 }, { N::fillButton, 90 }, { N::monophonButton, 91 } };

    constexpr int overwriteButton = 1;
    constexpr int keepBothButton = 3;
}

void MainControlPanel::buttonClicked (juce::Button* button)
{
    if (button == nullptr)
        return;

    const auto& name = button->getName();
    if (name == N::logoButtonMaker)
    {
        showAboutBox();
        return;
    }
    if (name == N::logoButtonProduct || name == N::settingsButton)
    {
        openOptionsDialog();
        return;
    }
    for (auto& voiceSwitch : voiceSwitches)
    {
        if (name == voiceSwitch.name)
        {
            setVoiceParameter (voiceSwitch.parameter, button->getToggleState() ? 1.0f : 0.0f);
            return;
        }
    }
    if (name == N::saveButton)
        engine.getPresetManager().savePreset();
}

void MainControlPanel::setVoiceParameter (int parameterIndex, std::optional<float> value)
{
    // The engine's parameters are the framework's index-based ones.
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    engine.beginParameterChangeGesture (parameterIndex);
    if (value.has_value())
        engine.setParameterNotifyingHost (parameterIndex, *value);
    engine.endParameterChangeGesture (parameterIndex);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void MainControlPanel::showAboutBox()
{
    // The box deletes itself when dismissed, or goes with the panel's children.
    (new AboutBox())->showModal (this, nullptr);
}

void MainControlPanel::openOptionsDialog()
{
    // One dialog at a time: a second click brings the open one forward.
    if (auto* open = optionsDialog.getComponent())
    {
        open->toFront (true);
        return;
    }

    // The dialog may outlive neither the panel nor its callbacks' target.
    juce::Component::SafePointer<MainControlPanel> self (this);
    OptionsDialogOpener::Request request { engine, *this,
        [self] (int channel) { if (self != nullptr) self->setKeyboardMidiChannel (channel); },
        [self] (bool on) { if (self != nullptr) self->setCpuWarningEnabled (on); } };
    optionsDialog = OptionsDialogOpener::open (request);
}

//==============================================================================
void MainControlPanel::askOverwritePreset (PresetOverwriteRequest* request)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (request == nullptr)
        return;

    auto* box = new KestMessageBox();
    box->title = "Rename Preset";
    box->text = "The Preset \"" + request->getPresetName() + "\" already exists.\n\n"
                "Do you want to overwrite it with the current preset data?";
    box->addButton (overwriteButton, "Overwrite");
    box->addButton (keepBothButton, "Keep Both");

    // The callback holds the answer, not the panel; the panel's destructor
    // answers an open question with false at once.
    auto pending = std::make_shared<PendingOverwriteAnswer>();
    pending->request = request;
    openQuestions.erase (std::remove_if (openQuestions.begin(), openQuestions.end(), [] (auto& q) { return q.expired(); }),
                         openQuestions.end());
    openQuestions.push_back (pending);
    box->showModal (this, new PresetOverwriteCallback (std::move (pending)));
}

void MainControlPanel::PendingOverwriteAnswer::give (bool overwrite)
{
    if (auto* r = std::exchange (request, nullptr))
        r->answer (overwrite);
}

MainControlPanel::PresetOverwriteCallback::~PresetOverwriteCallback()
{
    pending->give (false);
}

void MainControlPanel::PresetOverwriteCallback::modalStateFinished (int result)
{
    pending->give (result == overwriteButton);
}
