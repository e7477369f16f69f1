#pragma once

#include "engine/DspProcessBase.h"

#include <array>
#include <atomic>
#include <list>
#include <memory>
#include <vector>

/** Voice management: the abstract voice, the managers that turn notes into
    voice starts and releases, and the pool that owns and renders every voice.

    Every voice is at any time in exactly one list: the pool's free list or the
    list of one manager.  Voices move between lists by splicing list nodes, so
    starting, stealing and reclaiming never allocate.

    Threads: note on and off, sustain, mono changes, stop-all and rendering all
    run on the thread that processes audio (or on the owner thread while the
    engine does not process), never on two threads at once.  The one exception
    is requestMonophonic(), which any thread may call: it only stores a request
    that the audio thread applies at the start of its next block.
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

    class VoicePool;

    using VoiceList = std::list<Voice*>;

    static constexpr int numNotes = 128;

    /** Registers the manager with the pool.  Owner thread, before processing. */
    VoiceManager (VoicePool& pool, unsigned slotCount);

    /** Hands all voices, as they are, back to the pool's free list and
        unregisters.  Owner thread, while not processing. */
    virtual ~VoiceManager();

    /** Starts (or in mono retargets) the voices of a note.  A note that is
        already held is ignored.  Audio thread. */
    void noteOn (int note, float velocity);

    /** Releases the note's voices, unless the sustain pedal is down; in mono
        falls back legato to the highest lower held note.  Audio thread. */
    void noteOff (int note);

    /** The sustain pedal; releasing it releases the voices of notes no longer
        held.  Audio thread. */
    void setSustain (bool on);

    /** Switches mono at once; switching on keeps only the voices of the
        highest note.  Audio thread, or while the engine does not process. */
    void setMonophonic (bool on);

    /** Stores a mono switch for applyMonophonicRequest().  Any thread. */
    void requestMonophonic (bool on) noexcept;

    /** Applies the last stored mono request, if any.  Audio thread at the
        start of a block, or any thread while the engine does not process. */
    void applyMonophonicRequest();

    /** Empties every slot holding the voice, then stopVoice().  Same threads
        as noteOn(). */
    void detachVoice (Voice* voice);

    /** The state the note operations work with.  Audio thread. */
    bool isMonophonic() const noexcept { return mono; }
    bool isSustained() const noexcept { return sustain; }
    bool isHeld (int note) const noexcept { return note >= 0 && note < numNotes && held[(size_t) note]; }
    int getLastNote() const noexcept { return lastNote; }

    /** This manager's voices, oldest first.  Audio thread. */
    const VoiceList& getVoices() const noexcept { return voices; }

protected:
    /** Starts the voice (or retargets it when legato).  glideFrom is the pitch
        to glide from in semitones, -1 for none.  False: the voice was refused. */
    virtual bool startVoice (Voice* voice, int note, bool legato, unsigned slot, float velocity, float glideFrom) = 0;
    virtual void releaseVoice (Voice* voice, bool fastRelease) = 0;
    /** Whether startVoice() could take a new voice for the note in the slot
        now; asked before a voice is taken or stolen, so a slot that would be
        refused (a switched-off device) never costs a held note its voice.
        Must not change anything. */
    virtual bool acceptsVoice (int note, unsigned slot) { return true; }
    /** Detaches the voice from whatever it plays on. */
    virtual void stopVoice (Voice* voice) = 0;
    virtual unsigned getNumVoicesPerNote() { return 1; }

    VoicePool& getPool() const noexcept { return pool; }

private:
    friend class VoicePool;

    Voice* takeVoice();
    Voice* stealVoice();
    int highestHeldNoteBelow (int note) const noexcept;
    int highestHeldNote() const noexcept;
    bool anyHeldNoteAbove (int note) const noexcept;
    int countHeldNotes() const noexcept;
    void moveToFreeList (VoiceList::iterator position);
    void clearHeldNotes() noexcept;

    VoicePool& pool;
    VoiceList voices;
    bool mono = false;
    bool sustain = false;
    std::array<bool, numNotes> held {};
    int lastNote = -1;
    const unsigned slotCount;
    std::unique_ptr<Voice*[]> slots;
    std::unique_ptr<bool[]> slotTaken;

    static constexpr int noMonophonicRequest = -1;
    std::atomic<int> monophonicRequest { noMonophonicRequest };

    JUCE_DECLARE_NON_COPYABLE (VoiceManager)
};

/** Owns every voice of an engine and renders them: each registered manager's
    voices in turn, in chunks of at most 512 samples, each mono voice added to
    output channels 0 and 1; finished voices go back to the free list.  The
    voices reach renderVoicesAdding() in batches of up to maxBatch, so a pool
    whose voices render faster together can render a batch at once.

    Voices come from the front of the free list and return to its end, so the
    voice idle longest is reused first.
*/
class VoiceManager::VoicePool : public Korvalden::DSP::DspProcessBase
{
public:
    static constexpr int maxChunk = 512;
    static constexpr int maxBatch = 16;

    VoicePool() = default;

    /** Deletes every voice.  The managers must be gone by then.  Owner thread. */
    ~VoicePool() override;

    /** Stores the rate, stops all voices and sets every voice's rate.
        Before processing starts (never concurrently with process()). */
    void prepare (int numChannels, float sampleRate) override;

    /** Renders every manager's voices into samples startSample..endSample-1
        of channel 0 and, when present, channel 1 (added).  A buffer without
        channels receives nothing, but the voices still run on and finish.
        Audio thread. */
    void process (juce::AudioBuffer<float>& buffer, int startSample, int endSample) override;

    /** Audio thread: true while no manager holds a voice. */
    bool addsNothing() const noexcept override;

    /** Stops all voices, then grows or shrinks the free list to n voices:
        createVoices(), exchangeVoices() and deleteVoices() in one.  Owner
        thread, while the audio thread does not touch the voices. */
    void setNumberOfVoices (unsigned n);

    /** The voices the pool lacks to hold n, new and at the pool's rate.
        Allocates; call it outside any lock the audio thread waits on.  Any
        thread but the audio thread, not concurrently with prepare(). */
    VoiceList createVoices (unsigned n);

    /** Stops all voices, then moves voices between the free list and spare
        until the pool holds n (or spare runs out): surplus voices go to
        spare, missing ones come from it.  Neither allocates nor frees.  The
        audio thread, or any thread while the engine does not process (under
        the callback lock). */
    void exchangeVoices (unsigned n, VoiceList& spare);

    /** Deletes the voices of the list and empties it.  Any thread but the
        audio thread. */
    static void deleteVoices (VoiceList& list);

    /** Every voice the pool owns, playing or free.  The threads of exchangeVoices(). */
    size_t getNumVoices() const noexcept { return numVoices; }

    /** Releases (fast) and detaches every voice and returns all of them to the
        free list; clears the managers' held notes.  Audio thread, or any
        thread while the engine does not process. */
    void stopAllVoices();

    /** Applies every registered manager's stored mono request.  Same threads
        as VoiceManager::applyMonophonicRequest(). */
    void applyMonophonicRequests();

    /** Audio thread, or while the engine does not process. */
    size_t getNumFreeVoices() const noexcept { return freeVoices.size(); }
    /** The voices' rate; -1 until prepared.  Same threads as prepare(). */
    float getSampleRate() const noexcept { return sampleRate; }

protected:
    /** Makes a new voice; the pool owns it.  Owner thread. */
    virtual std::unique_ptr<Voice> createVoice() = 0;

    /** Called after every rendered chunk with its length.  Audio thread. */
    virtual void advance (unsigned numSamples) {}

    /** Renders count (at most maxChunk) samples of each of numVoices (at most
        maxBatch) voices and adds them, voice by voice in the order given, to
        left and, when not null, right.  The default renders each voice on its
        own with Voice::render().  Audio thread; must not allocate. */
    virtual void renderVoicesAdding (Voice* const* voices, int numVoices, float* left, float* right, int count);

private:
    friend class VoiceManager;

    void registerManager (VoiceManager* manager);
    void unregisterManager (VoiceManager* manager);

    VoiceList freeVoices;
    size_t numVoices = 0;
    std::vector<VoiceManager*> managers; // registration order
    float sampleRate = -1.0f;

    JUCE_DECLARE_NON_COPYABLE (VoicePool)
};
