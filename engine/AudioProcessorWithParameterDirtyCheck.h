#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace Korvalden::Parameter
{
/** A processor whose parameters carry a dirty flag: set whenever a value is
    stored, so that an editor can poll for changes made elsewhere (automation,
    mapped MIDI, presets, linked knobs). */
class AudioProcessorWithParameterDirtyCheck : public juce::AudioProcessor
{
public:
    using juce::AudioProcessor::AudioProcessor;

    /** Returns the parameter's dirty flag and clears it; false outside.  Any thread. */
    virtual bool isParameterDirty (int index) = 0;

    /** The number of parameter indexes that have a value and a dirty flag.  Any thread. */
    virtual int getTotalNumParameters() = 0;
};
} // namespace Korvalden::Parameter
