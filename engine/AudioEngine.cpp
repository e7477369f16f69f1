#include "engine/AudioEngine.h"

#include "engine/ParameterFunctions.h"

#include <cmath>

using namespace ParameterTable;

namespace
{
bool isParameterIndex (int index) noexcept { return index >= 0 && index < numParameters; }
} // namespace

AudioEngine::AudioEngine()
    : AudioProcessorWithParameterDirtyCheck (
          BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    using Korvalden::Parameter::makeAdaptor;
    using ParameterFunctions::emptyText;

    for (int device = 0; device < numDevices; ++device)
    {
        deviceControllers[(size_t) device] = std::make_unique<SingleSoundVoiceController> (voicePool.getInner(), sounds[(size_t) device]);
        deviceControllers[(size_t) device]->setEnabled (false); // until the MidiOn defaults enable them
    }

    ownerThread = juce::Thread::getCurrentThreadId();
    voicePool.getInner().setNumberOfVoices ((unsigned int) numberOfVoices.load());
    keyboardState.addListener (this);

    parameters.reserve (numParameters);
    for (int index = 0; index < numParameters; ++index)
        parameters.push_back (createRecord (index, *this));

    auto bipolar = [] (float v) { return ParameterFunctions::toBipolar (v); };
    auto toBool = [] (float v) { return ParameterFunctions::toBool (v); };

    pitchBendRecords.push_back (std::make_unique<ParameterRecord> (
        "PitchBend", 0.5f, emptyText, makeAdaptor (&globalController, &MultiSoundVoiceController::setPitchBend, +bipolar)));
    for (auto& controller : deviceControllers)
        pitchBendRecords.push_back (std::make_unique<ParameterRecord> (
            "PitchBend", 0.5f, emptyText, makeAdaptor (controller.get(), &SingleSoundVoiceController::setPitchBend, +bipolar)));

    sustainPedalRecords.push_back (std::make_unique<ParameterRecord> (
        "SustainPedal", 0.0f, emptyText, makeAdaptor (static_cast<VoiceManager*> (&globalController), &VoiceManager::setSustain, +toBool)));
    for (auto& controller : deviceControllers)
        sustainPedalRecords.push_back (std::make_unique<ParameterRecord> (
            "SustainPedal", 0.0f, emptyText, makeAdaptor (static_cast<VoiceManager*> (controller.get()), &VoiceManager::setSustain, +toBool)));

    readSettings();

    {
        const juce::ScopedLock linkLock (linkManager.getLock());
        for (int macro = 0; macro < numMacros; ++macro)
            linkManager.getLinkEntry (firstMacro + macro).name = "MAKRO " + juce::String (macro + 1);
    }
    linkManager.notifyListeners();

    // Every default goes through the host path, so every setter runs once and
    // every dirty flag is set for the editor's first poll.
    for (int index = 0; index < numParameters; ++index)
        setParameter (index, getParameterDefaultValue (index));

    voicePool.setMinimumSampleRate (88200.0f);

    presetManager.loadFavorites (getFavoritesFile());
    presetManager.selectPresetByPath ({});

    linkManager.addListener (this);

    if (juce::MessageManager::getInstanceWithoutCreating() != nullptr)
        keyboardDisplayTimer.startTimer (30);
}

AudioEngine::~AudioEngine()
{
    jassert (isOwnerThread());
    keyboardDisplayTimer.stopTimer();
    linkManager.removeListener (this);
    keyboardState.removeListener (this);
    presetManager.saveFavorites (getFavoritesFile(), Korvalden::Misc::PresetManager::FavoritesSave::atClose);
    removeAllMappings();
}

//==============================================================================
const juce::String AudioEngine::getName() const { return "Kest"; }
double AudioEngine::getTailLengthSeconds() const { return 0.0; }
bool AudioEngine::acceptsMidi() const { return true; }
bool AudioEngine::producesMidi() const { return false; }
bool AudioEngine::silenceInProducesSilenceOut() const { return false; }

// createEditor and hasEditor live with the editor (editor/AudioEngineEditor.cpp).

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

const juce::String AudioEngine::getInputChannelName (int channelIndex) const { return juce::String (channelIndex + 1); }
const juce::String AudioEngine::getOutputChannelName (int channelIndex) const { return juce::String (channelIndex + 1); }
bool AudioEngine::isInputChannelStereoPair (int) const { return false; }
bool AudioEngine::isOutputChannelStereoPair (int index) const { return index < 2; }

int AudioEngine::getNumParameters() { return numHostParameters; }

const juce::String AudioEngine::getParameterName (int index)
{
    return isParameterIndex (index) ? parameters[(size_t) index]->name : juce::String();
}

float AudioEngine::getParameter (int index)
{
    return isParameterIndex (index) ? parameters[(size_t) index]->getValue() : 0.0f;
}

const juce::String AudioEngine::getParameterText (int index)
{
    return isParameterIndex (index) ? parameters[(size_t) index]->getText() : juce::String();
}

float AudioEngine::getParameterDefaultValue (int index)
{
    return isParameterIndex (index) ? parameters[(size_t) index]->defaultValue : 0.0f;
}

void AudioEngine::setParameter (int index, float value)
{
    if (! isParameterIndex (index) || ! std::isfinite (value))
        return;

    storeParameter (index, value);
    applyParameterChanges();

    if (index < numHostParameters)
        markPresetModified();
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE

int AudioEngine::getNumPrograms() { return 0; }
int AudioEngine::getCurrentProgram() { return 0; }
void AudioEngine::setCurrentProgram (int) {}
const juce::String AudioEngine::getProgramName (int) { return {}; }
void AudioEngine::changeProgramName (int, const juce::String&) {}

bool AudioEngine::isParameterDirty (int index)
{
    return isParameterIndex (index) && parameters[(size_t) index]->testAndClearDirty();
}

int AudioEngine::getTotalNumParameters() { return numParameters; }

void AudioEngine::parameterLinksChanged()
{
    if (! restoringStateLinks)
        markPresetModified();
}

void AudioEngine::markPresetModified()
{
    markCurrentPresetModified();
}

//==============================================================================
void AudioEngine::storeParameter (int index, float value)
{
    parameters[(size_t) index]->storeForLater (value);
}

void AudioEngine::applyPendingParameters()
{
    for (auto& record : parameters)
        record->applyPending();
}

void AudioEngine::applyParameterChanges()
{
    if (isInsideAudioCallback())
    {
        applyPendingParameters();
        return;
    }

    // The audio thread applies them at the start of its next block.
    if (isProcessingInRealTime())
        return;

    const juce::ScopedLock lock (getCallbackLock());
    applyPendingParameters();
}

void AudioEngine::setMasterVolume (float decibels)
{
    const float target = ParameterFunctions::decibelsToGain (decibels);

    // The audio thread starts a 10 ms ramp when it sees the count change.
    auto request = gainRequest.load();
    while (! gainRequest.compare_exchange_weak (request, GainRequest { target, request.changeCount + 1 }))
    {
    }

    // Before the host gives a rate there is nothing to ramp over: a state
    // restored then must not start with a ramp from the old gain.
    if (sampleRate.load() <= 0.0f)
        currentGain = target;
}

float AudioEngine::getMeterLevel (int channel) const noexcept
{
    return channel >= 0 && channel < meterChannels ? meterLevels[(size_t) channel].load (std::memory_order_relaxed) : 0.0f;
}

int AudioEngine::getClipHoldSamples (int channel) const noexcept
{
    return channel >= 0 && channel < meterChannels ? clipHoldSamples[(size_t) channel].load (std::memory_order_relaxed) : 0;
}
