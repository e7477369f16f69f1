#include "engine/SynthVoicePool.h"

std::unique_ptr<VoiceManager::Voice> SynthVoicePool::createVoice()
{
    return std::make_unique<Synth404>();
}

void SynthVoicePool::prepare (int numChannels, float sampleRate)
{
    VoiceManager::VoicePool::prepare (numChannels, sampleRate);
    lanesPath = chooseVoiceLanesPath();
}

void SynthVoicePool::advance (unsigned numSamples)
{
    for (int i = 0; i < numSounds; ++i)
        sounds[i].advanceLfos (numSamples);
}

void SynthVoicePool::renderVoicesAdding (VoiceManager::Voice* const* voices, int numVoices, float* left, float* right, int count)
{
    jassert (numVoices <= maxBatch);

    Synth404* synths[maxBatch];

    for (int i = 0; i < numVoices; ++i)
        synths[i] = static_cast<Synth404*> (voices[i]);

    Synth404::renderAdding (synths, numVoices, left, right, count, lanesPath);
}
