#include "engine/VoiceManager.h"

#include <algorithm>

VoiceManager::VoicePool::~VoicePool()
{
    jassert (managers.empty());

    for (auto* voice : freeVoices)
        delete voice;
}

void VoiceManager::VoicePool::prepare (int, float newSampleRate)
{
    sampleRate = newSampleRate;
    stopAllVoices();

    for (auto* voice : freeVoices)
        voice->setSampleRate (sampleRate);
}

void VoiceManager::VoicePool::process (juce::AudioBuffer<float>& buffer, int startSample, int endSample)
{
    float scratch[maxChunk];
    const bool stereo = buffer.getNumChannels() >= 2;

    while (startSample < endSample)
    {
        const int chunk = std::min (maxChunk, endSample - startSample);

        for (auto* manager : managers)
        {
            auto& list = manager->voices;

            for (auto it = list.begin(); it != list.end();)
            {
                auto* voice = *it;
                auto next = std::next (it);

                voice->render (scratch, chunk);
                buffer.addFrom (0, startSample, scratch, chunk);

                if (stereo)
                    buffer.addFrom (1, startSample, scratch, chunk);

                if (voice->getState() == 0)
                {
                    freeVoices.splice (freeVoices.end(), list, it);
                    manager->detachVoice (voice);
                }

                it = next;
            }
        }

        advance ((unsigned) chunk);
        startSample += chunk;
    }
}

void VoiceManager::VoicePool::setNumberOfVoices (unsigned n)
{
    stopAllVoices();

    while (freeVoices.size() > n)
    {
        delete freeVoices.back();
        freeVoices.pop_back();
    }

    while (freeVoices.size() < n)
    {
        auto voice = createVoice();

        if (sampleRate != -1.0f)
            voice->setSampleRate (sampleRate);

        freeVoices.push_back (voice.release());
    }
}

void VoiceManager::VoicePool::stopAllVoices()
{
    for (auto* manager : managers)
    {
        for (auto* voice : manager->voices)
        {
            if (voice->getState() == 1)
                manager->releaseVoice (voice, true);

            manager->detachVoice (voice);
        }

        freeVoices.splice (freeVoices.end(), manager->voices);
        manager->clearHeldNotes();
    }
}

void VoiceManager::VoicePool::applyMonophonicRequests()
{
    for (auto* manager : managers)
        manager->applyMonophonicRequest();
}

void VoiceManager::VoicePool::registerManager (VoiceManager* manager)
{
    managers.push_back (manager);
}

void VoiceManager::VoicePool::unregisterManager (VoiceManager* manager)
{
    managers.erase (std::remove (managers.begin(), managers.end(), manager), managers.end());
}
