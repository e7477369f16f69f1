#pragma once

#include "engine/AudioProcessorWithParameterDirtyCheck.h"
#include "engine/ParameterChangeCallback.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <map>

namespace Korvalden::Parameter
{
/** Binds editor controls to processor parameters by index.

    Sliders and buttons write their values to the processor (host parameters
    inside change gestures, any other index through the processor's own setter
    without telling the host); every other control and callback of the same
    index follows at once.  A 25 ms poll of the processor's dirty flags picks up
    changes made elsewhere (automation, mapped MIDI, presets, linked knobs).

    The linker owns neither its controls nor its callbacks: the editor deletes
    them before the linker.  Everything here runs on the message thread.
*/
class ParameterGUILinker : public juce::Slider::Listener,
                           public juce::Button::Listener,
                           public juce::Timer
{
public:
    using ParameterChangeCallback = Korvalden::Parameter::ParameterChangeCallback;
    using AudioProcessorWithParameterDirtyCheck = Korvalden::Parameter::AudioProcessorWithParameterDirtyCheck;

    /** Keeps the processor (not owned) and starts the 25 ms poll.  Message thread. */
    explicit ParameterGUILinker (AudioProcessorWithParameterDirtyCheck* processorToUse);

    /** Stops the poll.  The controls are gone by now, so it does not detach from them.  Message thread. */
    ~ParameterGUILinker() override;

    /** Binds a control to an index and shows the current value.  A control has
        one index; binding it again moves it but keeps the old entry in the
        per-index list.  Sliders also return to the parameter's default on
        double-click.  Message thread. */
    void addControl (juce::Component* control, int index);

    /** Registers a callback for an index (after those already there) and calls
        it at once with the current value.  Message thread. */
    void addCallback (ParameterChangeCallback* callback, int index);

    /** Shows the processor's value of index on a slider, button or label
        without sending any notification.  Message thread. */
    void updateControl (juce::Component* control, int index);

    /** Writes a bound control's value to the processor and brings every other
        control and callback of its index in step.  Message thread. */
    void controlValueChanged (juce::Component* control);

    /** Message thread (the framework's listener and timer calls). */
    void sliderValueChanged (juce::Slider* slider) override;
    void sliderDragStarted (juce::Slider* slider) override;
    void sliderDragEnded (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;

    /** The dirty poll: refreshes the controls and callbacks of every index whose flag was set. */
    void timerCallback() override;

    static constexpr int pollIntervalMs = 25;

private:
    bool isHostParameter (int index);

    std::map<juce::Component*, int> controls;
    std::multimap<int, juce::Component*> controlsByIndex;
    std::multimap<int, ParameterChangeCallback*> callbacksByIndex;
    AudioProcessorWithParameterDirtyCheck* processor;

    JUCE_DECLARE_NON_COPYABLE (ParameterGUILinker)
};
} // namespace Korvalden::Parameter
