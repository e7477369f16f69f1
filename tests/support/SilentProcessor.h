#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** The parts of a processor that a stand-in without sound has no use for:
    no audio, no programs, no state, no editor.  Base is juce::AudioProcessor
    or one of its subclasses; the stand-in adds the parameter calls it needs.
    Shared by the tests' processors and the preview tool's. */
template <typename Base>
class SilentProcessor : public Base
{
public:
    using Base::Base;

    const juce::String getName() const override { return "Silent"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    using Base::processBlock;
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}
};
