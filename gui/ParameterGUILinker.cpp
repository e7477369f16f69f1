#include "gui/ParameterGUILinker.h"

// The processor is reached through the framework's index-based parameter API.
JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace Korvalden::Parameter
{
namespace
{
float valueOfControl (juce::Component* control)
{
    if (auto* slider = dynamic_cast<juce::Slider*> (control))
        return (float) slider->getValue();

    if (auto* button = dynamic_cast<juce::Button*> (control))
        return button->getToggleState() ? 1.0f : 0.0f;

    return 0.0f;
}
} // namespace

ParameterGUILinker::ParameterGUILinker (AudioProcessorWithParameterDirtyCheck* processorToUse)
    : processor (processorToUse)
{
    JUCE_ASSERT_MESSAGE_THREAD
    jassert (processor != nullptr);
    startTimer (pollIntervalMs);
}

ParameterGUILinker::~ParameterGUILinker()
{
    stopTimer();
    controls.clear();
    controlsByIndex.clear();
    callbacksByIndex.clear();
}

void ParameterGUILinker::addControl (juce::Component* control, int index)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (control == nullptr)
        return;

    controlsByIndex.emplace (index, control);
    controls[control] = index;

    if (auto* slider = dynamic_cast<juce::Slider*> (control))
    {
        slider->addListener (this);
        slider->setDoubleClickReturnValue (true, processor->getParameterDefaultValue (index));
    }
    else if (auto* button = dynamic_cast<juce::Button*> (control))
    {
        button->addListener (this); // the listener list ignores a second add
    }

    updateControl (control, index);
}

void ParameterGUILinker::addCallback (ParameterChangeCallback* callback, int index)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (callback == nullptr)
        return;

    callbacksByIndex.emplace (index, callback); // after any equal index
    callback->parameterChanged (index, processor->getParameter (index));
}

void ParameterGUILinker::updateControl (juce::Component* control, int index)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (auto* slider = dynamic_cast<juce::Slider*> (control))
        slider->setValue (processor->getParameter (index), juce::dontSendNotification);
    else if (auto* button = dynamic_cast<juce::Button*> (control))
        button->setToggleState (processor->getParameter (index) >= 0.5f, juce::dontSendNotification);
    else if (auto* label = dynamic_cast<juce::Label*> (control))
        label->setText (processor->getParameterText (index), juce::dontSendNotification);
}

void ParameterGUILinker::controlValueChanged (juce::Component* control)
{
    JUCE_ASSERT_MESSAGE_THREAD
    const auto found = controls.find (control);
    if (found == controls.end())
        return;

    const int index = found->second;
    const float value = valueOfControl (control);

    if (isHostParameter (index))
        processor->setParameterNotifyingHost (index, value);
    else
        processor->setParameter (index, value); // the master volume: the host is not told

    const auto range = controlsByIndex.equal_range (index);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second != control)
            updateControl (it->second, index);

    const auto callbacks = callbacksByIndex.equal_range (index);
    for (auto it = callbacks.first; it != callbacks.second; ++it)
        it->second->parameterChanged (index, value);
}

void ParameterGUILinker::sliderValueChanged (juce::Slider* slider)
{
    controlValueChanged (slider);
}

void ParameterGUILinker::sliderDragStarted (juce::Slider* slider)
{
    const auto found = controls.find (slider);
    if (found != controls.end() && isHostParameter (found->second))
        processor->beginParameterChangeGesture (found->second);
}

void ParameterGUILinker::sliderDragEnded (juce::Slider* slider)
{
    const auto found = controls.find (slider);
    if (found != controls.end() && isHostParameter (found->second))
        processor->endParameterChangeGesture (found->second);
}

void ParameterGUILinker::buttonClicked (juce::Button* button)
{
    const auto found = controls.find (button);
    if (found == controls.end())
        return;

    const int index = found->second;
    if (! isHostParameter (index))
    {
        controlValueChanged (button);
        return;
    }

    processor->beginParameterChangeGesture (index);
    controlValueChanged (button);
    processor->endParameterChangeGesture (index);
}

void ParameterGUILinker::timerCallback()
{
    JUCE_ASSERT_MESSAGE_THREAD
    const int count = processor->getTotalNumParameters();

    for (int index = 0; index < count; ++index)
    {
        // The flag is cleared before the value is read: a writer stores the
        // value first, so a change is either shown now or flagged again.
        if (! processor->isParameterDirty (index))
            continue;

        const auto range = controlsByIndex.equal_range (index);
        for (auto it = range.first; it != range.second; ++it)
            updateControl (it->second, index);

        const auto callbacks = callbacksByIndex.equal_range (index);
        for (auto it = callbacks.first; it != callbacks.second; ++it)
            it->second->parameterChanged (index, processor->getParameter (index));
    }
}

bool ParameterGUILinker::isHostParameter (int index)
{
    return index < processor->getNumParameters();
}
} // namespace Korvalden::Parameter

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
