#pragma once

/** Voice management: the abstract voice, the managers that turn notes into
    voice starts and releases, and the pool that owns and renders every voice.
*/
class VoiceManager
{
public:
    /** One voice.  The audio thread renders it; its manager and the pool move
        it between lists.  States: 0 finished, 1 playing (attack, decay or
        sustain), 2 releasing, 3 releasing fast. */
    class Voice
    {
    public:
        virtual ~Voice() = default;

        virtual void setSampleRate (float sampleRate) = 0;
        /** Writes (does not add) count samples. */
        virtual void render (float* output, int count) = 0;
        virtual int getState() const = 0;
        virtual float getLevel() const = 0;
        /** The current (glided) pitch in semitones. */
        virtual float getCurrentPitch() const = 0;

        int note = -1;
        int slot = 0;
    };
};
