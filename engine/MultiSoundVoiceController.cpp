#include "engine/MultiSoundVoiceController.h"

#include <algorithm>
#include <cstdlib>

namespace
{
constexpr int playing = 1;
constexpr auto relaxed = std::memory_order_relaxed;

/** One step of the 32-bit shift register: taps 31, 29, 18 and 7. */
uint32_t stepShiftRegister (uint32_t state) noexcept
{
    const uint32_t bit = ((state >> 31) ^ (state >> 29) ^ (state >> 18) ^ (state >> 7)) & 1u;
    return (state << 1) | bit;
}
} // namespace

MultiSoundVoiceController::MultiSoundVoiceController (VoicePool& poolToUse, Synth404::Sound* soundsToUse)
    : VoiceManager (poolToUse, numDevices), sounds (soundsToUse)
{
    for (auto& enabled : deviceEnabled)
        enabled.store (true, relaxed);

    const int defaultSplitPoints[numSplitPoints] = { 32, 64, 96 };
    for (unsigned i = 0; i < numSplitPoints; ++i)
        splitPoints[i].store (defaultSplitPoints[i], relaxed);

    for (auto& device : noteDevices)
        device.store (0, relaxed);

    setRandomSeed ((uint32_t) std::rand());
}

//==============================================================================
bool MultiSoundVoiceController::setAllocationMode (tVoiceAllocationMode newMode) noexcept
{
    if (mode.load (relaxed) == newMode)
        return false;

    mode.store (newMode, relaxed);
    revolverPosition.store (0, relaxed);
    return true;
}

bool MultiSoundVoiceController::setDirection (bool down) noexcept
{
    return direction.exchange (down, relaxed) != down;
}

bool MultiSoundVoiceController::setFill (bool on) noexcept
{
    return fill.exchange (on, relaxed) != on;
}

void MultiSoundVoiceController::setDeviceEnabled (unsigned device, bool enabled) noexcept
{
    if (device < numDevices)
        deviceEnabled[device].store (enabled, relaxed);
}

bool MultiSoundVoiceController::isDeviceEnabled (unsigned device) const noexcept
{
    return device < numDevices && deviceEnabled[device].load (relaxed);
}

void MultiSoundVoiceController::setSplitPoint (unsigned index, int note) noexcept
{
    if (index < numSplitPoints)
        splitPoints[index].store (note, relaxed);
}

int MultiSoundVoiceController::getSplitPoint (unsigned index) const noexcept
{
    return index < numSplitPoints ? splitPoints[index].load (relaxed) : 0;
}

int MultiSoundVoiceController::getNoteDevice (int note) const noexcept
{
    return note >= 0 && note < numNotes ? noteDevices[(size_t) note].load (relaxed) : 0;
}

void MultiSoundVoiceController::setNoteDevice (int note, unsigned device) noexcept
{
    if (note >= 0 && note < numNotes && device < numDevices)
        noteDevices[(size_t) note].store ((int) device, relaxed);
}

unsigned MultiSoundVoiceController::getDeviceVoiceCount (unsigned device) const noexcept
{
    return device < numDevices ? deviceVoiceCounts[device] : 0;
}

unsigned MultiSoundVoiceController::getNumVoicesPerNote()
{
    return getAllocationMode() == unison ? numDevices : 1;
}

//==============================================================================
bool MultiSoundVoiceController::startVoice (Voice* voice, int note, bool legato, unsigned slot, float velocity,
                                            float glideFrom)
{
    auto* synth = dynamic_cast<Synth404*> (voice);

    if (synth == nullptr || note < 0 || note >= numNotes)
        return false;

    const auto currentMode = getAllocationMode();
    const unsigned numCandidates = buildCandidates (currentMode);

    if (numCandidates == 0)
        return false;

    const int device = chooseDevice (currentMode, note, slot, numCandidates);

    if (device < 0)
        return false;

    resetLfosIfDeviceIdle (device);

    if (legato && synth->getState() == playing)
        countOff (deviceOf (*synth));

    synth->setSound (&sounds[device]);
    ++deviceVoiceCounts[(size_t) device];
    noteDevices[(size_t) note].store (device, relaxed);

    synth->setPlayedNote (note);
    synth->setPitch (synth->getTune() + (glideFrom == -1.0f ? (double) note : (double) glideFrom));
    synth->startNote (! legato, &pitchBend, velocity);
    return true;
}

bool MultiSoundVoiceController::acceptsVoice (int note, unsigned slot)
{
    if (note < 0 || note >= numNotes)
        return false;

    switch (getAllocationMode())
    {
        case unison:
            return isDeviceEnabled (slot);

        case split:
            return isDeviceEnabled (splitDevice (note));

        case revolver:
        case random:
        case chordBlow:
        case chordGrow:
            break;
    }

    for (unsigned device = 0; device < numDevices; ++device)
        if (isDeviceEnabled (device))
            return true;

    return false;
}

void MultiSoundVoiceController::releaseVoice (Voice* voice, bool fastRelease)
{
    auto* synth = dynamic_cast<Synth404*> (voice);

    if (synth == nullptr)
        return;

    if (synth->getState() == playing)
        countOff (deviceOf (*synth));

    synth->release (fastRelease);
}

void MultiSoundVoiceController::stopVoice (Voice* voice)
{
    if (auto* synth = dynamic_cast<Synth404*> (voice))
        synth->setSound (nullptr);
}

//==============================================================================
unsigned MultiSoundVoiceController::buildCandidates (tVoiceAllocationMode currentMode) noexcept
{
    const bool fillActive = fill.load (relaxed) && (currentMode == revolver || currentMode == random);
    unsigned fewest = ~0u;

    if (fillActive)
        for (unsigned device = 0; device < numDevices; ++device)
            if (isDeviceEnabled (device))
                fewest = std::min (fewest, deviceVoiceCounts[device]);

    unsigned count = 0;

    for (unsigned device = 0; device < numDevices; ++device)
        if (isDeviceEnabled (device) && (! fillActive || deviceVoiceCounts[device] == fewest))
            candidates[count++] = device;

    return count;
}

int MultiSoundVoiceController::chooseDevice (tVoiceAllocationMode currentMode, int note, unsigned slot,
                                             unsigned numCandidates) noexcept
{
    switch (currentMode)
    {
        case unison:
            return slot < numDevices && isDeviceEnabled (slot) ? (int) slot : -1;

        case split:
        {
            // A disabled zone stays silent; no other device takes the note.
            const unsigned device = splitDevice (note);
            return isDeviceEnabled (device) ? (int) device : -1;
        }

        case revolver:
            return chooseRevolverDevice (numCandidates);

        case random:
            return chooseRandomDevice (numCandidates);

        case chordBlow:
        case chordGrow:
            return distributeChord (currentMode, note, numCandidates);
    }

    return -1;
}

unsigned MultiSoundVoiceController::splitDevice (int note) const noexcept
{
    // The zone of the first split point above the note; a note on a point
    // belongs to the zone above it.
    for (unsigned i = 0; i < numSplitPoints; ++i)
        if (getSplitPoint (i) > note)
            return i;

    return numSplitPoints;
}

int MultiSoundVoiceController::chooseRevolverDevice (unsigned numCandidates) noexcept
{
    const unsigned step = getDirection() ? numDevices - 1 : 1;

    // Candidates are never empty here, so one round finds one.
    for (unsigned attempt = 0; attempt < numDevices; ++attempt)
    {
        const unsigned position = revolverPosition.load (relaxed) % numDevices;
        revolverPosition.store ((position + step) % numDevices, relaxed);

        if (isCandidate (position, numCandidates))
            return (int) position;
    }

    return (int) candidates[0];
}

int MultiSoundVoiceController::chooseRandomDevice (unsigned numCandidates) noexcept
{
    for (unsigned i = 0; i < numDevices; ++i)
        randomState = stepShiftRegister (randomState);

    return (int) candidates[randomState % numCandidates];
}

int MultiSoundVoiceController::distributeChord (tVoiceAllocationMode currentMode, int newNote, unsigned numCandidates)
{
    int heldCount = 0;

    for (int note = 0; note < numNotes; ++note)
        heldCount += isHeld (note) ? 1 : 0;

    const int n = (int) numCandidates;
    const int perGroup = heldCount / n;
    const int largerGroups = heldCount % n;
    const int notesInLargerGroups = largerGroups * (perGroup + 1);
    const bool down = getDirection();
    int chosen = (int) candidates[0];
    int index = 0;

    for (int note = 0; note < numNotes; ++note)
    {
        if (! isHeld (note))
            continue;

        int group;

        if (currentMode == chordGrow)
            group = index % n;
        else if (index < notesInLargerGroups)
            group = index / (perGroup + 1);
        else
            group = largerGroups + (index - notesInLargerGroups) / perGroup;

        const int device = (int) candidates[(size_t) (down ? n - 1 - group : group)];
        ++index;

        if (note == newNote)
        {
            chosen = device;
            continue;
        }

        for (auto* voice : getVoices())
        {
            auto* synth = dynamic_cast<Synth404*> (voice);

            if (synth != nullptr && voice->note == note && synth->getState() == playing && deviceOf (*synth) != device)
                moveVoice (*synth, device);
        }
    }

    return chosen;
}

void MultiSoundVoiceController::moveVoice (Synth404& voice, int device)
{
    const int from = deviceOf (voice);

    if (from == device)
        return;

    countOff (from);
    ++deviceVoiceCounts[(size_t) device];
    // The voice keeps sounding; its parameters ramp to the new Sound's values.
    voice.setSound (&sounds[device]);

    if (voice.note >= 0 && voice.note < numNotes)
        noteDevices[(size_t) voice.note].store (device, relaxed);
}

void MultiSoundVoiceController::resetLfosIfDeviceIdle (int device)
{
    auto* sound = &sounds[device];

    for (auto* voice : getVoices())
    {
        auto* synth = dynamic_cast<Synth404*> (voice);

        if (synth != nullptr && synth->getSound() == sound && synth->getState() == playing)
            return;
    }

    sound->resetLfosIfIdle();
}

bool MultiSoundVoiceController::isCandidate (unsigned device, unsigned numCandidates) const noexcept
{
    return std::find (candidates.begin(), candidates.begin() + numCandidates, device) != candidates.begin() + numCandidates;
}

int MultiSoundVoiceController::deviceOf (const Synth404& voice) const noexcept
{
    for (unsigned device = 0; device < numDevices; ++device)
        if (voice.getSound() == &sounds[device])
            return (int) device;

    return -1;
}

void MultiSoundVoiceController::countOff (int device) noexcept
{
    if (device >= 0 && deviceVoiceCounts[(size_t) device] > 0)
        --deviceVoiceCounts[(size_t) device];
}
