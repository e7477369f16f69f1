#pragma once

#include "engine/ApplicationPropertiesUser.h"
#include "gui/PreferencesLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class AudioEngine;

/** The options dialog: the receive channels of the global controller and of
    the four devices, the MIDI controller of every parameter and of the
    sustain pedal (the "MIDI" page), the number of voices and the CPU-warning
    switch (the "General" page), built from the "OptionsDialog" layout.

    Every change acts at once on the engine and on the dialog's own settings
    object, which writes it to the user's settings file 10 s after the last
    change and when the dialog goes; there is no cancel.  A write that fails
    is told through the engine's preset manager ("Write Error" while the
    editor is open).  "OKButton" closes with result 1, the close button and
    Escape (with any modifier) with 0.

    A voice-count change is handed to the engine's worker
    (AudioEngine::requestNumberOfVoices), so the dialog never waits for the
    voices to stop and may close while the change is still under way.

    The editor opens it with open(), keeps the returned SafePointer, and
    deletes the dialog through it when the editor itself goes.

    Message thread only.
*/
class PreferencesDialog : public juce::DialogWindow,
                          public juce::Button::Listener,
                          public juce::ComboBox::Listener,
                          public juce::Slider::Listener
{
public:
    /** What the dialog tells the open editor; either may be empty. */
    struct EditorCallbacks
    {
        /** A receive channel was chosen (any slot): -1 for "Omni"/"Off", else 1..16.
            The editor's keyboard plays on it. */
        std::function<void (int channel)> receiveChannelChosen;
        /** The CPU-warning switch changed. */
        std::function<void (bool on)> cpuWarningSwitched;
    };

    /** Builds the whole window from the layout, showing the current settings
        and the engine's voice count without applying anything.  Whatever the
        layout lacks is skipped.  The dialog is not on the desktop yet. */
    PreferencesDialog (AudioEngine& engine, EditorCallbacks callbacks = {});
    ~PreferencesDialog() override;

    /** Creates a dialog, puts it on the desktop centred over centreAround (the
        main display when null), where the window manager keeps it in front
        of centreAround's window, and runs it modally without blocking.  As
        it closes, the keyboard focus goes back where it was when it opened
        (else to centreAround's window), so held computer keys play on
        without a click.  The dialog deletes itself when it closes, after
        calling closed (may be empty) with the modal result; closed is also
        called, with 0, when the dialog is deleted through the pointer.
        closed runs after the dialog is gone and possibly after its opener
        too: it must reach the opener through a SafePointer, never a plain
        pointer.  Returns the dialog. */
    static juce::Component::SafePointer<PreferencesDialog> open (AudioEngine& engine,
                                                                 EditorCallbacks callbacks,
                                                                 juce::Component* centreAround,
                                                                 std::function<void (int result)> closed = {});

    /** The dialog's settings object (its unsaved changes included). */
    juce::PropertySet& getSettings() noexcept { return settings; }

    //==============================================================================
    /** Escape with any modifiers closes like the close button; other keys are not used. */
    bool keyPressed (const juce::KeyPress& key) override;
    /** Ends the modal state with 0. */
    void closeButtonPressed() override;

    /** "OKButton" ends the modal state with 1. */
    void buttonClicked (juce::Button* button) override;
    /** "EnableCPUWarn": stores the switch and tells the editor when it changed. */
    void buttonStateChanged (juce::Button* button) override;
    /** A receive-channel, controller or sustain combo: stores and applies the choice. */
    void comboBoxChanged (juce::ComboBox* comboBox) override;
    /** "NumberOfVoices": asks the engine for the count (truncated); a count
        the engine refuses puts the slider back on the engine's count. */
    void sliderValueChanged (juce::Slider* slider) override;

    /** The settings keys of the receive slots 0..4 ("MIDIReceiveChannel", "...1".."...4"). */
    static juce::String receiveChannelKey (int slot);
    /** The settings key of a parameter's controller: "MIDICC_" and the parameter's name. */
    static juce::String controllerKey (int parameterIndex);

private:
    juce::Component* getPage (int tabIndex) const;
    void fillMidiChannelCombo (juce::Component* page, int slot);
    void fillControllerCombo (juce::Component* page, const juce::String& comboName, const juce::String& key,
                              int defaultController);
    void applyReceiveChannel (juce::ComboBox* comboBox, int slot);
    void setUpGeneralPage (juce::Component& page);

    Korvalden::Misc::ApplicationPropertiesUser settings { "Kest" };
    AudioEngine& engine;
    PreferencesLookAndFeel lookAndFeel;
    EditorCallbacks editorCallbacks;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PreferencesDialog)
};
