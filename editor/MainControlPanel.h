#pragma once

#include "editor/FindChildAs.h"
#include "engine/AudioEngine.h"
#include "gui/ParameterGUILinker.h"
#include "gui/AlphaFader.h"
#include "gui/ImageStrip.h"
#include "gui/KESTLookAndFeel.h"
#include "gui/LevelMeterDisplay.h"
#include "linking/ParameterClipboard.h"
#include "linking/ParameterLinkEditor.h"
#include "platform/PendingWindowEvents.h"
#include "presets/PresetManager.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class MultiColoredMidiKeyboard;

namespace Korvalden::GUI
{
class AlphaMaskImageButton;
}

/** The plug-in's editor: the one window in which the instrument is played
    and edited.

    The constructor builds the whole panel in one pass: it creates every
    child that needs code of its own under its component name (knobs,
    switches, keyboard, LEDs, meters, image buttons), applies the layout
    "MainControlPanel", which sizes the panel, places those children by name
    and creates the plain widgets, and then finds the plain widgets by name
    and wires them.  A child the layout lacks skips only the step that needs it.

    The work is split by concern over several files: construction, bindings
    of knobs and switches, indicators and tool buttons, link targets, and the
    handlers of the controls.

    Everything here runs on the message thread; the engine outlives the panel.
*/
class MainControlPanel : public juce::AudioProcessorEditor,
                         public juce::Button::Listener,
                         public juce::ComboBox::Listener,
                         public juce::Slider::Listener,
                         public juce::Label::Listener,
                         public Korvalden::Misc::PresetManager::ControlButtonSet,
                         public Korvalden::Parameter::ParameterGUILinker::ParameterChangeCallback,
                         public juce::Timer,
                         public AudioEngine::OverwriteQuestion
{
public:
    using PresetOverwriteRequest = Korvalden::Misc::PresetManager::PresetClient::PresetOverwriteRequest;

    /** Builds the panel for the engine.  Message thread. */
    explicit MainControlPanel (AudioEngine& engine);
    /** Stops the timer, deletes the faders, then the children, then the
        owned look-and-feels.  Message thread. */
    ~MainControlPanel() override;

    /** The first direct child named name, as a T; null when there is none or
        it is not a T.  Never looks below the direct children.  Message thread. */
    template <typename T>
    static T* findChildAs (juce::Component* parent, const juce::String& name)   { return ::findChildAs<T> (parent, name); }

    template <typename T>
    T* findChildAs (const juce::String& name)   { return findChildAs<T> (this, name); }

    /** Sets the on-screen keyboard's channel: 1..16 plays and shows that
        channel, anything else plays channel 1 and shows all sixteen.
        Nothing happens without a keyboard child.  Message thread. */
    void setKeyboardMidiChannel (int channel);

    /** The value labels' faders, one per label; owned by the panel. */
    const std::map<juce::Label*, Korvalden::GUI::AlphaFader*>& getValueLabelFaders() const noexcept { return valueLabelFaders; }

    /** The link overlay, with the panel's knobs, devices and modules as its targets. */
    ParameterLinkEditor& getLinkEditor() noexcept { return linkEditor; }

    /** The binding of the panel's controls to the engine's parameters. */
    Korvalden::Parameter::ParameterGUILinker& getParameterLinker() noexcept { return parameterLinker; }

    /** Whether the settings ask for the CPU warning: read at construction,
        switched by the options dialog.  Message thread. */
    bool isCpuWarningEnabled() const noexcept { return cpuWarningEnabled; }

    /** The audio thread's load from which "CPUWarnDisplay" shows, and below
        which it goes again; likewise "CPUOverDisplay".  The gaps keep a load
        that hovers at a threshold from making the icons flicker. */
    static constexpr float cpuWarnShowLoad = 0.70f, cpuWarnHideLoad = 0.65f;
    static constexpr float cpuOverShowLoad = 0.90f, cpuOverHideLoad = 0.85f;

    /** The panel's own timer interval: the LEDs and the CPU displays. */
    static constexpr int ledTimerIntervalMs = 50;

    /** The voice parameters the panel follows itself (mode, direction, fill, monophonic). */
    static constexpr int firstVoiceParameter = 88;
    static constexpr int numVoiceParameters = 4;

    //==============================================================================
    // Handlers of the controls (the panel listens to its own buttons, labels,
    // the voice-mode combo and the split slider).  Message thread.
    void buttonClicked (juce::Button*) override;
    void buttonStateChanged (juce::Button*) override;
    void comboBoxChanged (juce::ComboBox*) override;
    void sliderValueChanged (juce::Slider*) override;
    void labelTextChanged (juce::Label*) override;
    void handleCommandMessage (int commandId) override;
    /** The preset bar lent to the preset manager: 0 reload, 1 previous,
        2 next; null for any other index (the manager's save slot stays empty). */
    juce::Button* getControlButton (int index) override;
    /** The label that shows the current preset's name; null when the layout has none. */
    juce::Label* getPresetNameLabel() override;
    void timerCallback() override;
    /** Registered for the voice parameters only: posts the resync command.
        Any thread the binding layer calls from; posting is its only effect. */
    void parameterChanged (int index, float value) override;

    //==============================================================================
    // View switches (the five toggles, mirrored by the engine's flags).
    // Message thread.
    /** Copies the five toggles into the engine's flags; a missing toggle counts
        as its default (tooltips, value labels, keyboard, tree on; links off). */
    void storeViewState();
    /** On: one tooltip window (700 ms) owned by the panel; off: none. */
    void setTooltipsEnabled (bool on);
    /** The editor ends at the tree's right edge when shown, at its left edge
        when hidden; nothing without a tree. */
    void setPresetTreeVisible (bool visible);
    /** The editor ends at the keyboard's bottom when shown and 10 pixels below
        its top when hidden; the tree takes the same height. */
    void setKeyboardVisible (bool visible);
    /** Pinned: every value label opaque and held; otherwise all vanish at once
        and flash again on their next change. */
    void setValueLabelsVisible (bool pinned);
    juce::TooltipWindow* getTooltipWindow() const noexcept { return tooltipWindow.get(); }
    bool areLinksShown() const noexcept { return linkEditor.areLinksVisible(); }

    //==============================================================================
    /** Asks the user whether the request's preset may be overwritten; returns
        at once, and the request is answered once when the question closes:
        true only for "Overwrite".  Deleting the editor meanwhile answers false.
        Message thread. */
    void askOverwritePreset (PresetOverwriteRequest* request) override;

    /** An open question's answer, given at most once. */
    struct PendingOverwriteAnswer
    {
        PresetOverwriteRequest* request = nullptr;
        /** Answers the request unless it was answered already. */
        void give (bool overwrite);
    };

    /** Gives the answer when the question closes, owned by the modal manager;
        answers false if it goes unanswered. */
    class PresetOverwriteCallback : public juce::ModalComponentManager::Callback
    {
    public:
        explicit PresetOverwriteCallback (std::shared_ptr<PendingOverwriteAnswer> answer) : pending (std::move (answer)) {}
        ~PresetOverwriteCallback() override;
        void modalStateFinished (int result) override;

    private:
        std::shared_ptr<PendingOverwriteAnswer> pending;
    };

    /** Whether a message box (about box, overwrite question) is on the panel. */
    bool isMessageBoxShown() const;
    /** The open options dialog, or null.  Message thread. */
    juce::Component* getOptionsDialog() const noexcept { return optionsDialog.getComponent(); }

    //==============================================================================
    void paint (juce::Graphics&) override;
    /** The preset tree first, then the keyboard. */
    bool keyPressed (const juce::KeyPress&) override;
    bool keyStateChanged (bool isKeyDown) override;

private:
    /** One use of the resource manager for the panel's lifetime. */
    struct ResourceUse
    {
        ResourceUse();
        ~ResourceUse();
        JUCE_DECLARE_NON_COPYABLE (ResourceUse)
    };

    // Construction steps, in the order the constructor runs them.
    void createKeyboard();
    void createKnobs();
    void createMasterVolume();
    void createSwitchGroups();
    void createMidiOnButtons();
    void createLeds();
    void createPresetTree();
    void createMeters();
    void createToolButtons();
    void applyLayout();
    void wireLayoutChildren();
    void setPresetTreeHeaders();
    void registerLinkTargets();
    void registerVoiceParameterCallbacks();
    void hideUnusedLayoutChildren();

    // Helpers of the construction.
    /** What every knob of the panel shares. */
    struct KnobContext
    {
        MainControlPanel* panel;
        ParameterLinkManager* linkManager;
        juce::Image linkBackground;
    };

    void addKnobWithValueLabel (const KnobContext& context, const juce::String& name, int parameterIndex,
                                Korvalden::GUI::ImageStrip& strip, juce::Colour colour, const juce::String& tooltip);
    /** Takes the bounds of a link-target placeholder and deletes it; false when there is none. */
    bool takePlaceholder (const juce::String& name, juce::Rectangle<int>& bounds);
    void addMidiOnButton (const juce::String& name, int parameterIndex, juce::Colour colour, const juce::String& tooltip);
    /** A tool button; a voice switch (leftButtonOnly) takes no right press. */
    Korvalden::GUI::AlphaMaskImageButton* addAlphaImageButton (const juce::String& name, juce::Colour colour, bool togglesOnClick,
                                                               bool leftButtonOnly);
    void addValueLabelFader (juce::Label& label);
    void addOnTop (juce::Component& child);

    // Behaviour helpers.
    void resyncVoiceControls();
    void setViewSwitch (int command);
    /** Sets a voice parameter inside a host gesture; no value still sends the gesture. */
    void setVoiceParameter (int parameterIndex, std::optional<float> value);
    void showAboutBox();
    void openOptionsDialog();
    void updateLeds();
    /** Shows the CPU displays for the engine's load while the warning is on;
        hides both while it is off. */
    void updateCpuDisplays();
    /** The options dialog switched the warning: takes effect at once. */
    void setCpuWarningEnabled (bool on);
    // The link overlay.
    void setLinksVisible (bool visible);
    /** The layer the overlay paints on, over every child made so far. */
    void addLinkOverlayLayer();
    void refreshLinkOverlay();

    AudioEngine& engine;
    // A press the framework read while asking the server something is handed
    // on at once, for the editor's windows and the dialogs it opens.
    juce::SharedResourcePointer<Korvalden::Platform::PendingWindowEvents> pendingWindowEvents;
    ResourceUse resourceUse;
    Korvalden::Parameter::ParameterGUILinker parameterLinker;
    std::unique_ptr<juce::TooltipWindow> tooltipWindow;
    KESTLookAndFeel::Ptr sharedLookAndFeel;
    juce::Component* cpuWarnDisplay = nullptr;
    juce::Component* cpuOverDisplay = nullptr;
    bool cpuWarningEnabled = true;
    juce::Component::SafePointer<juce::Component> optionsDialog;
    std::vector<std::weak_ptr<PendingOverwriteAnswer>> openQuestions;
    juce::Component* presetTree = nullptr;
    MultiColoredMidiKeyboard* keyboard = nullptr;
    ParameterLinkEditor linkEditor;
    std::vector<Korvalden::GUI::ImageStrip> deviceKnobStrips;
    std::unique_ptr<Korvalden::GUI::ImageStrip> macroKnobStrip;
    std::vector<std::unique_ptr<juce::LookAndFeel>> ownedLookAndFeels;
    std::map<juce::Label*, Korvalden::GUI::AlphaFader*> valueLabelFaders;
    ParameterClipboard clipboard;
    Korvalden::GUI::LevelMeterDisplay::SourceOf<AudioEngine> meterLevels;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainControlPanel)
};
