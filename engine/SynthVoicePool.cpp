#include "engine/SynthVoicePool.h"

std::unique_ptr<VoiceManager::Voice> SynthVoicePool::createVoice()
{
    return std::make_unique<Synth404>();
}

void SynthVoicePool::advance (unsigned numSamples)
{
    for (int i = 0; i < numSounds; ++i)
        sounds[i].advanceLfos (numSamples);
}
