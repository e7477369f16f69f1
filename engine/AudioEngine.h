#pragma once

#include "engine/FunctionCallPostponer.h"
#include "engine/MidiControlProcessor.h"
#include "engine/MidiMapping.h"
#include "engine/MidiMappingRegistry.h"
#include "engine/MultiSoundVoiceController.h"
#include "engine/OversampledDspProcess.h"
#include "engine/AudioProcessorWithParameterDirtyCheck.h"
#include "engine/AudioThreadLoad.h"
#include "engine/ParameterRecord.h"
#include "engine/ParameterTable.h"
#include "engine/SingleSoundVoiceController.h"
#include "engine/Synth404.h"
#include "engine/SynthVoicePool.h"
#include "engine/VoiceCountChanger.h"
#include "linking/ParameterLinkManager.h"
#include "presets/PresetManager.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

/** The plug-in's audio processor: owns the parameter records and everything
    that makes sound, renders blocks from MIDI and keeps the editor's state.

    Threads: the constructor, the destructor and createEditor run on the owner
    thread (the host's main thread, which is the message thread).  The host's
    parameter calls may come from any thread.  prepareToPlay runs before
    processing starts or resumes; processBlock runs on the audio thread under
    the processor's callback lock.

    Parameter changes keep their value in the record at once; what they do
    to the sounds and voices happens on the audio thread at the start of its
    next block.  While no audio runs (see isProcessingInRealTime) the caller
    applies them itself, under the callback lock.

    The index-based parameter calls are the framework's legacy interface,
    which the host layer drives.
*/
class AudioEngine : public Korvalden::Parameter::AudioProcessorWithParameterDirtyCheck,
                    public juce::MidiKeyboardStateListener,
                    private Korvalden::Misc::PresetManager::PresetClient,
                    private ParameterLinkManager::Listener
{
public:
    /** The pool of Synth404 voices that the oversampler runs. */
    using VoicePool = SynthVoicePool;

    /** The most voices the pool may hold. */
    static constexpr unsigned int maxNumberOfVoices = (unsigned int) Synth404::Sound::maxVoices;

    /** Owner thread. */
    AudioEngine();
    /** Owner thread. */
    ~AudioEngine() override;

    //==============================================================================
    // juce::AudioProcessor
    const juce::String getName() const override;
    /** The sample rates a host can really use.  Below them the oversampling
        factor (and its buffers) would grow without bound; above them no
        audio interface runs. */
    static constexpr double lowestSampleRate = 8000.0, highestSampleRate = 1.0e6;
    /** Whether a prepare takes this rate.  Any thread. */
    static bool isUsableSampleRate (double rate) noexcept { return rate >= lowestSampleRate && rate <= highestSampleRate; }

    /** Before processing starts or resumes.  A sample rate that is not
        usable (isUsableSampleRate) is ignored.  Stops every voice: after a
        prepare no key is held, so no voice may sound on.  Waits for a
        voice-count change that another thread is making. */
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    /** After processing has stopped: the engine no longer counts as
        processing in real time, and pending parameter changes apply at once. */
    void releaseResources() override;
    /** Audio thread, under the callback lock (the host's wrapper holds it
        around every block).  Takes no blocking lock and allocates nothing.
        Exact silence until a prepare has given a valid rate. */
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    /** Owner thread.  The editor panel, already sent the view commands of the
        five view switches. */
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;

    /** Any thread.  92: the master volume is not a host parameter. */
    int getNumParameters() override;
    /** Any thread.  Empty outside 0..92. */
    const juce::String getParameterName (int index) override;
    /** Any thread.  0.0 outside 0..92. */
    float getParameter (int index) override;
    /** Any thread (allocates).  Empty outside 0..92. */
    const juce::String getParameterText (int index) override;
    /** Any thread.  0.0 outside 0..92. */
    float getParameterDefaultValue (int index) override;
    /** Any thread.  Stores the value as given, sets the dirty flag and marks
        the preset modified (0..91 only); the setter gets the value limited to
        0..1 on the audio thread at the start of the next block, or at once
        while no audio runs or when called from the audio thread.  The voice
        settings (88..91) reach the voice controllers at once on any thread,
        so the editor reads back what was just set.  Ignored outside 0..92
        and for a value that is not a finite number. */
    void setParameter (int index, float value) override;
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    bool silenceInProducesSilenceOut() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    //==============================================================================
    // Presets
    /** Fills the block with the current sound as a "KEST_Preset" element.  Message thread. */
    void writePresetState (juce::MemoryBlock& out) override;
    /** Applies a preset block.  A block that is not XML, or whose root is
        not a preset, changes nothing and answers false.  Values are clamped
        to 0..1 and a value that is not a finite number keeps the current one;
        they reach the voices as setParameter's do.  No preset mark, no host
        notification per parameter.  Message thread. */
    bool readPresetState (const juce::MemoryBlock& in) override;
    /** "New Preset". */
    juce::String getDefaultPresetName() override;
    /** Asked through the editor; with none open the answer is "no" at once
        (both presets are kept).  Message thread. */
    void handlePresetOverwriteRequest (PresetOverwriteRequest* request) override;

    /** The preset browser's model, for the editor and the host.  Message thread. */
    Korvalden::Misc::PresetManager& getPresetManager() noexcept { return presetManager; }
    /** <user's Application Support>/Korvalden/Kest.Favorites.xml */
    static juce::File getFavoritesFile();

    //==============================================================================
    // AudioProcessorWithParameterDirtyCheck
    /** Any thread.  Returns the record's dirty flag and clears it; false outside. */
    bool isParameterDirty (int index) override;
    /** 93: the records that have a value and a dirty flag. */
    int getTotalNumParameters() override;

    //==============================================================================
    // juce::MidiKeyboardStateListener: the notes of the on-screen keyboard.
    // While the host processes in real time, notes from the owner thread
    // reach the voices at the start of the next block, through a queue that
    // allocates nothing and takes no lock; otherwise they play at once under
    // the callback lock.  The host's own notes never pass through here.
    void handleNoteOn (juce::MidiKeyboardState* source, int midiChannel, int midiNoteNumber, float velocity) override;
    void handleNoteOff (juce::MidiKeyboardState* source, int midiChannel, int midiNoteNumber, float velocity) override;

    /** Shows the notes the host holds on the keyboard state (for the
        on-screen keyboard) without playing them again.  A timer of the
        engine calls it every 30 ms.  Message thread. */
    void updateKeyboardDisplay();

    /** Keyboard notes that may wait for the audio thread at once without
        allocating.  Notes wait only while blocks keep arriving (at most 90 ms
        apart), far less time than a player needs for 512; more are kept all
        the same, at the cost of an allocation on the owner thread. */
    static constexpr int reservedDeferredCalls = 512;

    //==============================================================================
    /** Whether a voice of the device still glides towards its note.  Audio
        thread, or any thread while nothing processes (it walks the voices). */
    bool isGliding (int device) const;
    /** The mean of the device's first or second LFO over the last 0.1 s. */
    float getLfoDisplayValue (int device, bool second) const;

    /** The four device sounds, the global controller and the device controllers. */
    Synth404::Sound& getSound (int device) noexcept { return sounds[(size_t) device]; }
    MultiSoundVoiceController& getGlobalController() noexcept { return globalController; }
    SingleSoundVoiceController& getDeviceController (int device) noexcept { return *deviceControllers[(size_t) device]; }
    /** The on-screen keyboard's state: its notes, and the host's shown on
        it (see updateKeyboardDisplay).  The audio thread never touches it.
        Message thread. */
    juce::MidiKeyboardState& getKeyboardState() noexcept { return keyboardState; }
    VoicePool& getVoicePool() noexcept { return voicePool.getInner(); }

    /** The link model of the parameters (the editor's knobs and link overlay). */
    ParameterLinkManager& getLinkManager() noexcept { return linkManager; }

    //==============================================================================
    // Setters that the parameter records call (through the parameter table):
    // on the audio thread, or under the callback lock while no audio runs.
    /** Voice settings of the global controller.  Any thread: they only store
        atomics and ask the voices for a mono change, which the audio thread
        applies (at once here while no audio runs). */
    void setVoiceAllocationMode (MultiSoundVoiceController::tVoiceAllocationMode mode);
    void setMonophonic (bool on);
    /** The Monophon switch as set (the chord modes play polyphonically whatever it says).  Any thread. */
    bool isMonophonic() const noexcept { return monophonic.load(); }
    bool setVoiceDirection (bool down);
    bool setVoiceFill (bool on);
    /** Whether a device (0..3) plays notes. */
    void setMidiOn (int device, bool on);

    /** The master volume in dB; the gain ramps to it over 10 ms. */
    void setMasterVolume (float decibels);

    //==============================================================================
    // MIDI settings (owner thread: the constructor and the options dialog).
    /** Slot 0 is the global channel (1..16, anything else omni), slots 1..4
        the devices (1..16, anything else off).  Replaces the slot's pitch-bend
        and sustain mappings; for slot 0 with rebuild, every parameter's
        controller moves to the new channel.  A slot above 4 is ignored. */
    void setReceiveChannel (unsigned int slot, int channel, bool rebuild);
    /** The controller that drives a parameter on the global channel; 128 or
        more (also -1 from the settings file) leaves it without one.  An index
        above 92 is ignored. */
    void setParameterCC (unsigned int index, unsigned int controllerNumber);
    /** The sustain-pedal controller of every receive slot. */
    void setSustainPedalCC (unsigned int controllerNumber);

    /** Changes the number of voices: builds the new voices first, stops every
        voice, swaps the voices in under a short hold of the callback lock and
        deletes the old ones afterwards.  The current count, 0, or a count
        above maxNumberOfVoices (also one that came from a negative number),
        does nothing.  Any thread but the audio thread (the owner thread, the
        host's thread that restores the state, or the engine's voice-count
        worker, see requestNumberOfVoices); a call waits for a change that
        another thread is making. */
    void setNumberOfVoices (unsigned int count);
    int getNumberOfVoices() const noexcept { return numberOfVoices.load(); }

    /** Asks for a number of voices without waiting for the voices to stop:
        setNumberOfVoices runs on a worker thread of the engine, so the
        change completes even when the asker goes away first.  Requests made
        while one runs are merged into the latest.  A count below 1 or above
        maxNumberOfVoices is refused: false, and nothing changes.  Owner thread. */
    bool requestNumberOfVoices (int count);
    /** The count last asked for while it waits, else the current count.  Any thread. */
    int getRequestedNumberOfVoices() const noexcept;
    /** Waits until every requested count is in effect, at most timeoutMs;
        true when none is left.  Any thread but the audio thread. */
    bool waitForNumberOfVoicesRequests (int timeoutMs) const { return voiceCountChanger.waitUntilIdle (timeoutMs); }

    /** Stops every voice.  While the host processes in real time the audio
        thread does it at the start of its next block (waited for at most
        5000 ms, or until blocks stop arriving); otherwise it happens at once
        under the callback lock.  Any thread. */
    void stopAllVoices();

    /** The receive channel of a slot (0 = omni or off). Any thread. */
    int getReceiveChannel (unsigned int slot) const noexcept;
    /** The controller number mapped to a parameter, or -1 when none.  Owner thread. */
    int getParameterCC (unsigned int index) const noexcept;
    unsigned int getSustainPedalCC() const noexcept { return sustainPedalCC; }

    //==============================================================================
    /** Whether the current preset is marked as modified.  Any thread. */
    bool isPresetModified() const noexcept { return presetManager.isPresetModified(); }
    /** Clears the modified mark (a preset was loaded or saved).  Owner thread. */
    void clearPresetModified()
    {
        jassert (isOwnerThread());
        presetManager.setPresetUnmodified (true);
    }

    /** The thread that constructed the engine. */
    juce::Thread::ThreadID getOwnerThread() const noexcept { return ownerThread; }
    bool isOwnerThread() const noexcept { return juce::Thread::getCurrentThreadId() == ownerThread; }

    /** Whether the host processes in real time: prepared, not released, not
        suspended, not rendering offline, and a block arrived within the last
        four block lengths (50 to 90 ms).  Any thread. */
    bool isProcessingInRealTime() const noexcept;

    /** The level meters: squared peak level of each output channel, decaying
        over 150 ms, and the remaining samples of each clip indicator.  Written
        by the audio thread, read by the editor. */
    static constexpr int meterChannels = 2;
    float getMeterLevel (int channel) const noexcept;
    int getClipHoldSamples (int channel) const noexcept;

    /** The master gain reached by the last rendered sample (linear).  Audio
        thread; other threads only when processing has stopped. */
    float getCurrentGain() const noexcept { return currentGain; }

    // The editor's five view switches, travelling with the plug-in state.
    // Written by the editor and by the state reader (on the host's thread).
    std::atomic<bool> showTooltips { true };
    std::atomic<bool> showParameterLinks { false };
    std::atomic<bool> showValueLabels { false };
    std::atomic<bool> showKeyboard { true };
    std::atomic<bool> showPresetManager { true };

    /** Commands posted to the editor: re-read the voice settings; the view
        switches from 3 on, two per switch in the order above (the first of
        each pair for on). */
    static constexpr int editorResyncVoiceSettings = 2;
    static constexpr int editorFirstViewCommand = 3;

    /** Posts the five view commands for the current switches to the editor.
        Message thread. */
    void postViewCommands (juce::Component& editor) const;

    //==============================================================================
    // The open editor
    /** An editor that can ask the user whether a preset may be overwritten.
        The engine hands it each request; the editor answers it exactly once. */
    class OverwriteQuestion
    {
    public:
        virtual ~OverwriteQuestion() = default;
        /** Message thread. */
        virtual void askOverwritePreset (Korvalden::Misc::PresetManager::PresetClient::PresetOverwriteRequest* request) = 0;
    };

    /** The component that receives the engine's commands (the open editor),
        or null; the message thread's posts refresh it from the framework's
        active editor.  Commands reach it on the message thread through a
        safe pointer, so one posted while it goes is dropped.  Message thread. */
    void setCommandTarget (juce::Component* editor);

    /** What a device's LEDs show besides its LFOs. */
    struct DeviceIndicators
    {
        bool gate = false;          ///< some voice of the device plays a held note
        bool gliding = false;       ///< some voice of the device still glides
        float driveLevel = 0.0f;    ///< the largest level entering a voice's drive stage
    };
    /** As the audio thread published them at the end of its last block; all
        clear outside 0..3 and before the first block.  Any thread. */
    DeviceIndicators getDeviceIndicators (int device) const noexcept;

    /** How busy the audio thread is: the time processBlock takes against the
        block's duration, smoothed over about 0.3 s; 0..1, and 0 after a
        prepare or a release.  Any thread. */
    float getAudioThreadLoad() const noexcept { return audioThreadLoad.get(); }
    /** Makes the measured load read load until the next block moves it, so
        a test can show the editor a load without spending the time.  Any thread. */
    void setAudioThreadLoadForTesting (float load) noexcept { audioThreadLoad.reset (load); }


private:
    /** Posts a command to the open editor, if any, through the message
        queue and the editor's safe pointer.  Any thread. */
    void postToEditor (int command);
    /** The same for the five view commands of the current switches. */
    void postViewCommandsToEditor();
    /** The editor to post to, as a safe pointer.  Any thread. */
    juce::Component::SafePointer<juce::Component> getCommandTarget();
    /** Audio thread, at the end of each block: each device's gate, glide and
        drive state for the editor's LEDs. */
    void publishDeviceIndicators() noexcept;
    void clearDeviceIndicators() noexcept;
    void markPresetModified();
    /** Has play run for a note of the on-screen keyboard: at once where no
        block renders meanwhile, else queued for the audio thread. */
    template <typename... Args>
    void playKeyboardNote (void (AudioEngine::*play) (int, Args...), int midiChannel, Args... args);
    /** A keyboard note reaches the voice controllers.  Audio thread, or under the callback lock. */
    void playKeyboardNoteOn (int midiChannel, int note, float velocity);
    void playKeyboardNoteOff (int midiChannel, int note);
    /** True while a plug-in state's own links are read: its saved modified
        mark stands. */
    std::atomic<bool> restoringStateLinks { false };
    /** The preset items of the plug-in state: "BrowserState", "Preset" and
        "ActiveUserFolder" written; all four restored. */
    void writePresetStateItems (juce::XmlElement& state);
    void restorePresetStateItems (const juce::XmlElement& state, bool modified, bool hasOwnSound);
    /** Whether the calling thread runs this or another engine's processBlock. */
    static bool isInsideAudioCallback() noexcept;
    /** Marks the time of a block's start or end, and returns it.  Audio thread. */
    std::int64_t noteBlockArrived() noexcept;
    /** Whether a call must go through the postponer: it comes from the owner
        thread, outside the audio callback, while the host processes in real time. */
    bool mustDeferToAudioThread() const noexcept;
    /** Makes the pending parameter setters run: at once on the audio thread,
        left to the next block while the host processes in real time, at
        once under the callback lock otherwise. */
    void applyParameterChanges();
    /** Runs every pending parameter setter.  Audio thread, or under the callback lock. */
    void applyPendingParameters();
    /** Stores a value for the voices the way applyParameterChanges() applies it. */
    void storeParameter (int index, float value);
    void applyEffectiveMonophonic();
    /** Serves the stop requests made so far, if any.  Audio thread, or under the callback lock. */
    void serveStopRequest();
    /** Whether the stop request with that number has been served.  Any thread. */
    bool isStopServed (std::uint32_t request) const noexcept;
    template <typename Call>
    void routeNote (int midiChannel, Call&& call);
    /** Starts the note on the controllers of its channel; one that a device
        plays on its own channel is shown in that device's colour.  Audio
        thread, or under the callback lock. */
    void startRoutedNote (int midiChannel, int note, float velocity);
    /** A link changed: the preset is marked modified.  Any thread that changes links. */
    void parameterLinksChanged() override;
    std::unique_ptr<juce::XmlElement> createPresetElement();
    /** Applies a preset element (or the links and split points of another
        root); the links come from linkFallback when sound has none. */
    void applySound (const juce::XmlElement& sound, const juce::XmlElement& linkFallback);
    /** applySound, then the editor's resyncs around the host's update.  The
        thread that reads the preset or state. */
    void applySoundAndTellEditor (const juce::XmlElement& sound, const juce::XmlElement& linkFallback);
    /** Stores a value read from a preset or state: clamped to 0..1, ignored when not finite. */
    void storeValueFromFile (int index, double value);
    /** A note, or all notes off, from the host: straight to the voice
        controllers, and noted for the keyboard display.  Audio thread. */
    void playHostNote (const juce::uint8* data, int numBytes);
    /** No note is on any more.  Under the callback lock. */
    void forgetHeldNotes() noexcept;
    /** The keyboard state keeps every note given to it for a host that asks
        for them back, which this engine never does; they are dropped as they
        come so that its storage never grows on the message thread. */
    void dropKeptKeyboardEvents();
    /** A block before any valid prepare: silence, with the block's parameter changes.  Audio thread. */
    void processBlockWithoutRate (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi);
    void renderSegment (juce::AudioBuffer<float>& buffer, int start, int end);
    void applyMasterGain (juce::AudioBuffer<float>& buffer, int start, int numSamples);
    void updateMeters (const juce::AudioBuffer<float>& buffer);

    using MappingPointer = std::unique_ptr<Korvalden::Parameter::MidiMapping>;

    void readSettings();
    bool isReceiveSlotActive (unsigned int slot) const noexcept;
    void replaceMapping (MappingPointer& mapping, MappingPointer replacement);
    void removeAllMappings();

    juce::MidiKeyboardState keyboardState;
    juce::MidiBuffer noKeyboardEvents;

    /** The notes that are on at the voices, from the host and from the
        on-screen keyboard: one bit per channel for every note.  Written on
        the audio thread or under the callback lock; the display reads the
        host's.  hostNotesShown is what the keyboard state was last given of
        them (message thread). */
    static constexpr int numNotes = 128;
    std::array<std::atomic<std::uint16_t>, numNotes> hostNotesHeld {};
    std::array<std::atomic<std::uint16_t>, numNotes> keyboardNotesOn {};
    std::array<std::uint16_t, numNotes> hostNotesShown {};

    MidiMappingRegistry midiMappings;
    MidiControlProcessor::RpnStates rpnStates {};
    MidiControlProcessor midiControl { midiMappings, rpnStates };

    std::array<std::atomic<unsigned int>, ParameterTable::numReceiveSlots> receiveChannels {};
    unsigned int sustainPedalCC = 64;

    /** The gain the master volume asks for and the number of changes so far.
        One word, so the audio thread never sees a new gain without knowing
        that it must ramp to it. */
    struct GainRequest
    {
        float targetGain;
        std::uint32_t changeCount;
    };
    static_assert (std::atomic<GainRequest>::is_always_lock_free);
    std::atomic<GainRequest> gainRequest { GainRequest { 1.0f, 0 } };

    // Audio thread (and the volume setter before any rate is known).
    float currentGain = 1.0f;
    std::uint32_t gainChangesSeen = 0;
    unsigned int gainRampSamplesLeft = 0;

    std::atomic<bool> monophonic { false };
    std::atomic<int> numberOfVoices { 16 };

    std::vector<std::unique_ptr<ParameterRecord>> parameters;
    std::vector<std::unique_ptr<ParameterRecord>> pitchBendRecords;
    std::vector<std::unique_ptr<ParameterRecord>> sustainPedalRecords;

    ParameterLinkManager linkManager { *this };

    std::array<Synth404::Sound, ParameterTable::numDevices> sounds;
    Korvalden::DSP::OversampledDspProcess<VoicePool> voicePool { sounds.data() };
    MultiSoundVoiceController globalController { voicePool.getInner(), sounds.data() };
    std::array<std::unique_ptr<SingleSoundVoiceController>, ParameterTable::numDevices> deviceControllers;

    std::array<MappingPointer, ParameterTable::numParameters> parameterMappings;
    std::array<MappingPointer, ParameterTable::numReceiveSlots> pitchBendMappings;
    std::array<MappingPointer, ParameterTable::numReceiveSlots> sustainPedalMappings;

    float meterDecay = 0.0f;
    std::array<std::atomic<float>, meterChannels> meterLevels {};
    int clipHoldLength = 0;
    std::array<std::atomic<int>, meterChannels> clipHoldSamples {};

    Korvalden::Misc::PresetManager presetManager { this, getName() };
    juce::Thread::ThreadID ownerThread = nullptr;
    Korvalden::Misc::FunctionCallPostponer postponer { reservedDeferredCalls };
    /** Stop requests made, and the number of the last one served. */
    std::atomic<std::uint32_t> stopRequests { 0 }, stopsServed { 0 };
    std::atomic<bool> prepared { false };

    /** When the last block began or ended (steady clock, ns; 0: none since
        the last prepare or release) and for how long no block may arrive
        before the engine counts as not processing (ms): four block lengths,
        50 to 90 ms. */
    std::atomic<std::int64_t> lastBlockTime { 0 };
    std::atomic<double> idleAfterMs { 20.0 };

    /** The host rate given by the last prepare; 0 until then. */
    std::atomic<float> sampleRate { 0.0f };

    struct PublishedIndicators
    {
        std::atomic<bool> gate { false }, gliding { false };
        std::atomic<float> driveLevel { 0.0f };
    };
    std::array<PublishedIndicators, ParameterTable::numDevices> deviceIndicators;

    AudioThreadLoad audioThreadLoad;

    // Written on the message thread, copied by any thread that posts.
    juce::SpinLock commandTargetLock;
    juce::Component::SafePointer<juce::Component> commandTarget;

    /** Calls updateKeyboardDisplay on the message thread. */
    struct KeyboardDisplayTimer final : juce::Timer
    {
        explicit KeyboardDisplayTimer (AudioEngine& owner) : engine (owner) {}
        void timerCallback() override { engine.updateKeyboardDisplay(); }
        AudioEngine& engine;
    };
    KeyboardDisplayTimer keyboardDisplayTimer { *this };

    /** Held through a voice-count change and through a prepare's work on
        the voices: none of them overlaps another. */
    juce::CriticalSection voiceCountChangeLock;
    // Last, so it finishes a running change before anything else goes.
    VoiceCountChanger voiceCountChanger { [this] (unsigned int count) { setNumberOfVoices (count); } };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioEngine)
};
