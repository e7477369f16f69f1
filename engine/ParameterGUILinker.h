#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace Korvalden::Parameter
{
/** Binds editor controls to processor parameters by index (message thread). */
class ParameterGUILinker
{
public:
    /** Hears of a parameter change (index, normalised value). */
    class ParameterChangeCallback
    {
    public:
        virtual ~ParameterChangeCallback() = default;
        virtual void parameterChanged (int index, float value) = 0;
    };

    /** The processor base that the linker polls: a test-and-clear of each
        parameter's dirty flag and the number of records that have one. */
    class AudioProcessorWithParameterDirtyCheck : public juce::AudioProcessor
    {
    public:
        using juce::AudioProcessor::AudioProcessor;

        /** Returns the parameter's dirty flag and clears it; false outside.  Any thread. */
        virtual bool isParameterDirty (int index) = 0;

        /** The number of parameter indexes that have a value and a dirty flag. */
        virtual int getTotalNumParameters() = 0;
    };
};
} // namespace Korvalden::Parameter
