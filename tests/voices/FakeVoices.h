#pragma once

#include "engine/VoiceManager.h"

#include <algorithm>
#include <vector>

/** A voice that writes a constant, records its chunk lengths and finishes
    when told to; its state and level are set by the test or FakeManager. */
class FakeVoice : public VoiceManager::Voice
{
public:
    void setSampleRate (float rate) override { sampleRate = rate; }

    void render (float* output, int count) override
    {
        chunks.push_back (count);
        std::fill (output, output + count, value);

        if (samplesUntilFinished >= 0)
        {
            samplesUntilFinished -= count;

            if (samplesUntilFinished <= 0)
                state = 0;
        }
    }

    int getState() const override { return state; }
    float getLevel() const override { return level; }
    float getCurrentPitch() const override { return pitch; }

    int state = 0;
    float level = 0.0f;
    float pitch = 0.0f;
    float value = 0.0f;
    float sampleRate = -1.0f;
    int samplesUntilFinished = -1;
    std::vector<int> chunks;
};

/** A pool of FakeVoices that remembers every voice it made and every advance. */
class FakePool : public VoiceManager::VoicePool
{
public:
    std::vector<FakeVoice*> created;
    std::vector<unsigned> advances;

protected:
    std::unique_ptr<VoiceManager::Voice> createVoice() override
    {
        auto voice = std::make_unique<FakeVoice>();
        created.push_back (voice.get());
        return voice;
    }

    void advance (unsigned numSamples) override { advances.push_back (numSamples); }
};

/** A manager that accepts every voice and records each call. */
class FakeManager : public VoiceManager
{
public:
    struct Start
    {
        FakeVoice* voice;
        int note;
        bool legato;
        unsigned slot;
        float velocity;
        float glideFrom;
    };

    struct Release
    {
        FakeVoice* voice;
        bool fast;
    };

    FakeManager (VoicePool& pool, unsigned slotCount = 1) : VoiceManager (pool, slotCount) {}

    /** The notes of this manager's voices, oldest first. */
    std::vector<int> notes() const
    {
        std::vector<int> result;
        for (auto* voice : getVoices())
            result.push_back (voice->note);
        return result;
    }

    std::vector<FakeVoice*> voiceList() const
    {
        std::vector<FakeVoice*> result;
        for (auto* voice : getVoices())
            result.push_back (static_cast<FakeVoice*> (voice));
        return result;
    }

    std::vector<Start> starts;
    std::vector<Release> releases;
    std::vector<FakeVoice*> stops;
    unsigned voicesPerNote = 1;

protected:
    bool startVoice (Voice* voice, int note, bool legato, unsigned slot, float velocity, float glideFrom) override
    {
        auto* fake = static_cast<FakeVoice*> (voice);
        starts.push_back ({ fake, note, legato, slot, velocity, glideFrom });

        fake->state = 1;
        fake->level = 1.0f;
        fake->pitch = (float) note;
        return true;
    }

    void releaseVoice (Voice* voice, bool fast) override
    {
        auto* fake = static_cast<FakeVoice*> (voice);
        releases.push_back ({ fake, fast });
        fake->state = fast ? 3 : 2;
    }

    void stopVoice (Voice* voice) override { stops.push_back (static_cast<FakeVoice*> (voice)); }

    unsigned getNumVoicesPerNote() override { return voicesPerNote; }
};
