#include "engine/VoiceManager.h"

namespace
{
constexpr int playing = 1;
constexpr int releasing = 2;
constexpr int releasingFast = 3;

bool isReleasing (int state) noexcept { return state == releasing || state == releasingFast; }
} // namespace

VoiceManager::VoiceManager (VoicePool& poolToUse, unsigned numSlots)
    : pool (poolToUse),
      slotCount (numSlots),
      slots (new Voice*[numSlots]()),
      slotTaken (new bool[numSlots]())
{
    pool.registerManager (this);
}

VoiceManager::~VoiceManager()
{
    pool.freeVoices.splice (pool.freeVoices.end(), voices);
    pool.unregisterManager (this);
}

//==============================================================================
void VoiceManager::noteOn (int note, float velocity)
{
    if (note < 0 || note >= numNotes || held[(size_t) note])
        return;

    held[(size_t) note] = true;

    // Highest-note priority: a lower note is only marked held.
    if (mono && anyHeldNoteAbove (note))
        return;

    const int previous = countHeldNotes() >= 2 ? lastNote : -1;
    lastNote = note;

    for (unsigned slot = 0; slot < getNumVoicesPerNote() && slot < slotCount; ++slot)
    {
        const float glideFrom = (slots[slot] != nullptr && previous != -1) ? slots[slot]->getCurrentPitch()
                                                                           : (float) previous;

        if (mono)
        {
            bool retargeted = false;

            for (auto* voice : voices)
            {
                const int state = voice->getState();

                if ((state == playing || state == releasing) && voice->slot == (int) slot
                    && startVoice (voice, note, true, slot, velocity, glideFrom))
                {
                    voice->note = note;
                    slots[slot] = voice;
                    retargeted = true;
                    break;
                }
            }

            if (retargeted)
                continue;
        }

        if (! acceptsVoice (note, slot))
            continue;

        auto* voice = takeVoice();

        if (voice == nullptr)
            continue;

        if (startVoice (voice, note, false, slot, velocity, glideFrom))
        {
            voice->note = note;
            voice->slot = (int) slot;
            slots[slot] = voice;
        }
        else
        {
            // takeVoice() put it at the end of our list.
            moveToFreeList (std::prev (voices.end()));
        }
    }
}

void VoiceManager::noteOff (int note)
{
    if (note < 0 || note >= numNotes)
        return;

    held[(size_t) note] = false;

    if (sustain)
        return;

    for (auto* voice : voices)
    {
        if (voice->note != note || voice->getState() != playing)
            continue;

        if (mono)
        {
            const int low = highestHeldNoteBelow (note);

            if (low >= 0)
            {
                const auto slot = (unsigned) voice->slot;
                auto* inSlot = slot < slotCount ? slots[slot] : nullptr;
                const float glideFrom = inSlot != nullptr ? inSlot->getCurrentPitch() : (float) note;

                if (startVoice (voice, low, true, slot, 0.0f, glideFrom))
                {
                    voice->note = low;

                    if (lastNote == note)
                        lastNote = low;

                    if (slot < slotCount)
                        slots[slot] = voice;

                    continue;
                }
            }
        }

        releaseVoice (voice, false);
    }
}

void VoiceManager::setSustain (bool on)
{
    sustain = on;

    if (on)
        return;

    for (auto* voice : voices)
    {
        if (voice->getState() != playing || isHeld (voice->note))
            continue;

        if (mono)
        {
            const int low = highestHeldNoteBelow (voice->note);

            if (low >= 0 && startVoice (voice, low, true, (unsigned) voice->slot, 0.0f, -1.0f))
            {
                voice->note = low;
                continue;
            }
        }

        releaseVoice (voice, false);
    }
}

void VoiceManager::setMonophonic (bool on)
{
    mono = on;

    if (! on)
        return;

    int kept = highestHeldNote();

    if (kept < 0)
        for (auto* voice : voices)
            kept = std::max (kept, voice->note);

    if (kept < 0)
        return;

    const unsigned perNote = getNumVoicesPerNote();
    std::fill (slotTaken.get(), slotTaken.get() + slotCount, false);

    for (auto* voice : voices)
    {
        if (voice->note == kept)
        {
            const auto slot = (unsigned) voice->slot;

            // A slot of an earlier mode with more voices per note keeps sounding.
            if (slot >= perNote)
                continue;

            if (slot < slotCount && ! slotTaken[slot])
            {
                slotTaken[slot] = true;
                slots[slot] = voice;
                continue;
            }
        }

        releaseVoice (voice, true);
    }
}

void VoiceManager::requestMonophonic (bool on) noexcept
{
    monophonicRequest.store (on ? 1 : 0, std::memory_order_release);
}

void VoiceManager::applyMonophonicRequest()
{
    const int request = monophonicRequest.exchange (noMonophonicRequest, std::memory_order_acq_rel);

    if (request != noMonophonicRequest)
        setMonophonic (request != 0);
}

void VoiceManager::detachVoice (Voice* voice)
{
    for (unsigned slot = 0; slot < slotCount; ++slot)
        if (slots[slot] == voice)
            slots[slot] = nullptr;

    stopVoice (voice);
}

//==============================================================================
VoiceManager::Voice* VoiceManager::takeVoice()
{
    if (pool.freeVoices.empty())
        return stealVoice();

    voices.splice (voices.end(), pool.freeVoices, pool.freeVoices.begin());
    return voices.back();
}

VoiceManager::Voice* VoiceManager::stealVoice()
{
    VoiceManager* owner = this;
    auto candidate = voices.begin();

    if (voices.empty())
    {
        owner = nullptr;

        for (auto* manager : pool.managers)
        {
            if (! manager->voices.empty())
            {
                owner = manager;
                candidate = manager->voices.begin();
                break;
            }
        }

        if (owner == nullptr)
            return nullptr;
    }

    // The quietest releasing voice of any manager; failing that, our oldest.
    for (auto* manager : pool.managers)
    {
        for (auto it = manager->voices.begin(); it != manager->voices.end(); ++it)
        {
            if (isReleasing ((*it)->getState())
                && ((*candidate)->getLevel() > (*it)->getLevel() || (*candidate)->getState() == playing))
            {
                candidate = it;
                owner = manager;
            }
        }
    }

    // Always to the end of our list, also when it was ours: otherwise the voice
    // just retriggered would stay the oldest and be stolen again at once.
    auto* voice = *candidate;
    voices.splice (voices.end(), owner->voices, candidate);

    if (voice->getState() == playing)
        owner->releaseVoice (voice, true);

    owner->detachVoice (voice);
    return voice;
}

void VoiceManager::moveToFreeList (VoiceList::iterator position)
{
    pool.freeVoices.splice (pool.freeVoices.end(), voices, position);
}

//==============================================================================
int VoiceManager::highestHeldNoteBelow (int note) const noexcept
{
    for (int n = std::min (note, numNotes) - 1; n >= 0; --n)
        if (held[(size_t) n])
            return n;

    return -1;
}

int VoiceManager::highestHeldNote() const noexcept
{
    return highestHeldNoteBelow (numNotes);
}

bool VoiceManager::anyHeldNoteAbove (int note) const noexcept
{
    for (int n = note + 1; n < numNotes; ++n)
        if (held[(size_t) n])
            return true;

    return false;
}

int VoiceManager::countHeldNotes() const noexcept
{
    int count = 0;

    for (bool isNoteHeld : held)
        count += isNoteHeld ? 1 : 0;

    return count;
}

void VoiceManager::clearHeldNotes() noexcept
{
    held.fill (false);
}
