#include "engine/SingleSoundVoiceController.h"

SingleSoundVoiceController::SingleSoundVoiceController (VoicePool& poolToUse, Synth404::Sound& soundToUse)
    : VoiceManager (poolToUse, 1), sound (soundToUse)
{
}

bool SingleSoundVoiceController::startVoice (Voice* voice, int note, bool legato, unsigned, float velocity,
                                             float glideFrom)
{
    if (! isEnabled())
        return false;

    bool anyPlaying = false;

    for (auto* own : getVoices())
        anyPlaying = anyPlaying || own->getState() == 1;

    if (! anyPlaying)
        sound.resetLfosIfIdle();

    auto* synth = dynamic_cast<Synth404*> (voice);

    if (synth == nullptr)
        return false;

    synth->setSound (&sound);
    synth->setPlayedNote (note);
    synth->setPitch (synth->getTune() + (glideFrom == -1.0f ? (double) note : (double) glideFrom));
    synth->startNote (! legato, &pitchBend, velocity);
    return true;
}

void SingleSoundVoiceController::releaseVoice (Voice* voice, bool fastRelease)
{
    if (auto* synth = dynamic_cast<Synth404*> (voice))
        synth->release (fastRelease);
}

void SingleSoundVoiceController::stopVoice (Voice* voice)
{
    if (auto* synth = dynamic_cast<Synth404*> (voice))
        synth->setSound (nullptr);
}
