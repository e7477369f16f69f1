#include "engine/VoiceManager.h"

#include "engine/Synth404.h"

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

    // Synth404 voices are rendered in batches (several voices per SIMD
    // register); every voice is still added in list order, and the finished
    // ones go back to the free list in that order.
    struct Pending
    {
        VoiceManager* manager;
        VoiceList::iterator position;
    };
    constexpr int maxBatch = 16;
    Pending pending[maxBatch];
    Synth404* batch[maxBatch];
    int batchSize = 0;

    while (startSample < endSample)
    {
        const int chunk = std::min (maxChunk, endSample - startSample);
        float* left = buffer.getWritePointer (0, startSample);
        float* right = stereo ? buffer.getWritePointer (1, startSample) : nullptr;

        auto reclaimIfFinished = [this] (VoiceManager* manager, VoiceList::iterator position)
        {
            auto* voice = *position;

            if (voice->getState() == 0)
            {
                freeVoices.splice (freeVoices.end(), manager->voices, position);
                manager->detachVoice (voice);
            }
        };

        auto flushBatch = [&]
        {
            if (batchSize == 0)
                return;

            Synth404::renderAdding (batch, batchSize, left, right, chunk);

            for (int i = 0; i < batchSize; ++i)
                reclaimIfFinished (pending[i].manager, pending[i].position);

            batchSize = 0;
        };

        for (auto* manager : managers)
        {
            auto& list = manager->voices;

            for (auto it = list.begin(); it != list.end();)
            {
                auto* voice = *it;
                auto next = std::next (it);

                if (auto* synth = dynamic_cast<Synth404*> (voice))
                {
                    batch[batchSize] = synth;
                    pending[batchSize] = { manager, it };

                    if (++batchSize == maxBatch)
                        flushBatch();
                }
                else
                {
                    flushBatch();
                    voice->render (scratch, chunk);
                    buffer.addFrom (0, startSample, scratch, chunk);

                    if (stereo)
                        buffer.addFrom (1, startSample, scratch, chunk);

                    reclaimIfFinished (manager, it);
                }

                it = next;
            }
        }

        flushBatch();
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
