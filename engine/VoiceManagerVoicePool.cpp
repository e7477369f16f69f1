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
    const int numChannels = buffer.getNumChannels();
    const bool stereo = numChannels >= 2;

    // A buffer without channels still lets the voices run on (and finish) in
    // time; their output goes nowhere.
    float discard[maxChunk];

    // Voices are rendered in batches; every voice is still added in list
    // order, and the finished ones go back to the free list in that order.
    struct Pending
    {
        VoiceManager* manager;
        VoiceList::iterator position;
    };
    Pending pending[maxBatch];
    Voice* batch[maxBatch];
    int batchSize = 0;

    while (startSample < endSample)
    {
        const int chunk = std::min (maxChunk, endSample - startSample);
        float* left = discard;

        if (numChannels > 0)
            left = buffer.getWritePointer (0, startSample);
        else
            std::fill (discard, discard + chunk, 0.0f);

        float* right = stereo ? buffer.getWritePointer (1, startSample) : nullptr;

        auto flushBatch = [&]
        {
            if (batchSize == 0)
                return;

            renderVoicesAdding (batch, batchSize, left, right, chunk);

            for (int i = 0; i < batchSize; ++i)
            {
                auto* manager = pending[i].manager;
                auto position = pending[i].position;
                auto* voice = *position;

                if (voice->getState() == 0)
                {
                    freeVoices.splice (freeVoices.end(), manager->voices, position);
                    manager->detachVoice (voice);
                }
            }

            batchSize = 0;
        };

        for (auto* manager : managers)
        {
            auto& list = manager->voices;

            for (auto it = list.begin(); it != list.end();)
            {
                auto next = std::next (it);

                batch[batchSize] = *it;
                pending[batchSize] = { manager, it };

                if (++batchSize == maxBatch)
                    flushBatch();

                it = next;
            }
        }

        flushBatch();
        advance ((unsigned) chunk);
        startSample += chunk;
    }
}

bool VoiceManager::VoicePool::addsNothing() const noexcept
{
    for (const auto* manager : managers)
        if (! manager->voices.empty())
            return false;
    return true;
}

void VoiceManager::VoicePool::renderVoicesAdding (Voice* const* voices, int numVoices, float* left, float* right, int count)
{
    float scratch[maxChunk];

    for (int i = 0; i < numVoices; ++i)
    {
        voices[i]->render (scratch, count);
        juce::FloatVectorOperations::add (left, scratch, count);

        if (right != nullptr)
            juce::FloatVectorOperations::add (right, scratch, count);
    }
}

void VoiceManager::VoicePool::setNumberOfVoices (unsigned n)
{
    auto spare = createVoices (n);
    exchangeVoices (n, spare);
    deleteVoices (spare);
}

VoiceManager::VoiceList VoiceManager::VoicePool::createVoices (unsigned n)
{
    VoiceList created;

    for (size_t count = numVoices; count < n; ++count)
    {
        auto voice = createVoice();

        if (sampleRate != -1.0f)
            voice->setSampleRate (sampleRate);

        created.push_back (voice.release());
    }

    return created;
}

void VoiceManager::VoicePool::exchangeVoices (unsigned n, VoiceList& spare)
{
    stopAllVoices();

    while (freeVoices.size() > n)
        spare.splice (spare.end(), freeVoices, std::prev (freeVoices.end()));

    while (freeVoices.size() < n && ! spare.empty())
        freeVoices.splice (freeVoices.end(), spare, spare.begin());

    numVoices = freeVoices.size();
}

void VoiceManager::VoicePool::deleteVoices (VoiceList& list)
{
    for (auto* voice : list)
        delete voice;
    list.clear();
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
