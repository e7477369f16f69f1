#pragma once

#include <array>

#include "aax/AAX_CEffectParameters.h"
#include "engine/AudioEngine.h"
#include "platform/AAXMIDINode.h"

#include <juce_events/juce_events.h>

#include <memory>

namespace AAXClasses
{
/** The plug-in instance as the host sees it: the effect-parameters object
    that owns one AudioEngine and turns the host's calls into calls on it.

    The host creates it with Create (the description's procedure 0) on its
    main thread, which becomes the framework's message thread in this bundle
    and the engine's owner thread.  Parameters: "MasterBypassID" (the host's
    bypass, sent to the process procedure as a packet) and "0".."91", one per
    host parameter of the engine.  Chunks: the default chunk of the base, and
    the engine's state as the processor's own chunk beside it.

    The bundle's message loop is pumped by the host's idle calls
    (TimerWakeup) on the same main thread, so the engine's timers and
    asynchronous updates run on its owner thread.

    Threads: creation, Initialize, Uninitialize, TimerWakeup and the last
    Release on the host's main thread; parameter and chunk calls on whatever
    host thread makes them (one at a time); the process procedure on the
    host's audio thread.
*/
class JuceAAX_Processor final : public AAX_CEffectParameters,
                                private juce::AudioProcessorListener
{
public:
    /** The processing context as the description lays it out: one pointer
        per field, in field order. */
    struct AlgorithmContext
    {
        float* const* inputChannels;   // field 0
        float* const* outputChannels;  // field 1
        const int32_t* bufferLength;   // field 2
        const int32_t* bypass;         // field 3: the bypass packet
        AAX_IMIDINode* midiNode;       // field 4
        JuceAAX_Processor* const* instance; // field 5: private data, filled by ResetFieldData
    };

    /** The field that carries the instance pointer. */
    static constexpr AAX_CFieldIndex instanceField = 5;
    static constexpr AAX_CFieldIndex bypassField = 3;

    /** The processor's own chunk: the engine's state. */
    static constexpr AAX_CTypeID kStateChunkID = 0x4B657374; // 'Kest'
    static constexpr const char* kStateChunkName = "Kest Plug-in State";

    /** The longest block handed to the engine; longer host buffers are
        processed in several blocks. */
    static constexpr int maximumBlockSize = 1024;

    /** The MIDI bytes one engine block takes, reserved when the instance is
        initialised (room for four three-byte messages per sample of the
        longest block).  When a host block brings more, the engine block is
        split so that every packet is played. */
    static constexpr int midiCapacityBytes = 4 * maximumBlockSize * (int) (sizeof (int32_t) + sizeof (uint16_t) + 3);

    /** The creation procedure: a new processor with no references yet.
        Host's main thread. */
    static IACFUnknown* Create();

    /** The process procedure of every variant: processes each context from
        instances up to instancesEnd.  Host's audio thread. */
    static void algorithmProcessCallback (void* const instances[], const void* instancesEnd) noexcept;

    /** The processor behind an effect-parameters interface that a host
        handed out, when it is one of this bundle's live processors; null for
        anything else (another plug-in's object, or null).  Any thread; the
        answer stays valid while the caller holds a reference. */
    static JuceAAX_Processor* fromEffectParameters (const AAX_IACFEffectParameters* parameters);

    /** Host's main thread: makes the engine. */
    JuceAAX_Processor();
    /** Host's main thread (the last Release). */
    ~JuceAAX_Processor() override;

    //==========================================================================
    /** Creates the bypass and the engine's host parameters, registers the
        bypass packet and prepares the engine for the controller's sample rate
        and stem format.  Host's main thread. */
    AAX_Result EffectInit() override;

    /** Stops listening to the engine, then uninitialises the base.  Host's main thread. */
    AAX_Result Uninitialize() override;

    /** The host's idle call: delivers the bundle's pending messages (timers,
        asynchronous updates, command messages).  Host's main thread; from any
        other thread it does nothing. */
    AAX_Result TimerWakeup() override;

    //==========================================================================
    // Parameters: "0".."91" are answered from the engine, the bypass by the base.
    AAX_Result GetParameterName (AAX_CParamID id, AAX_IString* outName) const override;
    /** The engine's name cut to length characters; 0 or less leaves it whole. */
    AAX_Result GetParameterNameOfLength (AAX_CParamID id, AAX_IString* outName, int32_t length) const override;
    AAX_Result GetParameterDefaultNormalizedValue (AAX_CParamID id, double* outValue) const override;
    /** The engine's text for the value (clamped to 0..1), cut to maxLength
        characters when that is above 0. */
    AAX_Result GetParameterStringFromValue (AAX_CParamID id, double value, AAX_IString* outText, int32_t maxLength) const override;
    AAX_Result GetParameterNormalizedValue (AAX_CParamID id, double* outValue) const override;
    /** Sets the engine at once (clamped to 0..1) and asks the host to follow
        through the parameter object. */
    AAX_Result SetParameterNormalizedValue (AAX_CParamID id, double value) override;
    AAX_Result SetParameterNormalizedRelative (AAX_CParamID id, double delta) override;
    /** The base stores the host's value; the engine follows when it differs. */
    AAX_Result UpdateParameterNormalizedValue (AAX_CParamID id, double value, int32_t source) override;

    /** The instance field receives this processor's address; other fields
        are zeroed. */
    AAX_Result ResetFieldData (AAX_CFieldIndex field, void* data, uint32_t size) const override;

    //==========================================================================
    // Chunks: index 0 is the default chunk, index 1 the engine's state.
    AAX_Result GetNumberOfChunks (int32_t* outCount) const override;
    AAX_Result GetChunkIDFromIndex (int32_t index, AAX_CTypeID* outChunkId) const override;
    /** For the default chunk the parameter objects first take the engine's
        values, so both chunks carry the same sound. */
    AAX_Result GetChunkSize (AAX_CTypeID chunkId, uint32_t* outSize) override;
    /** The state chunk needs its size asked first, and the state unchanged
        since (AAX_ERROR_INCORRECT_CHUNK_SIZE otherwise); after one size
        request it may be fetched any number of times. */
    AAX_Result GetChunk (AAX_CTypeID chunkId, AAX_SPlugInChunk* outChunk) override;
    /** The state chunk restores the engine and then gives every parameter
        object the engine's value. */
    AAX_Result SetChunk (AAX_CTypeID chunkId, const AAX_SPlugInChunk* chunk) override;
    /** Compares against the engine's current values. */
    AAX_Result CompareActiveChunk (const AAX_SPlugInChunk* chunk, AAX_CBoolean* outIsEqual) override;

    /** The engine (tests and the editor).  Host's main thread. */
    AudioEngine& getEngine() noexcept { return *engine; }

private:
    void process (const AlgorithmContext& context);
    /** Renders the engine in blocks of at most maximumBlockSize with the MIDI
        at its positions; with bypassInput, the output is that input instead. */
    void renderEngineBlocks (float* const* outputs, int numChannels, int numSamples, const AAX_CMidiStream* midi,
                             const float* const* bypassInput);

    /** The engine index of a processor parameter identifier, or -1. */
    static int indexFromID (AAX_CParamID id) noexcept;
    /** False before Initialize and after Uninitialize: the operations by
        engine index then answer AAX_ERROR_NULL_OBJECT and change nothing. */
    bool hasParameterObject (AAX_CParamID id) const;
    void setEngineParameter (int index, float value);

    /** Gives every parameter object the engine's value (stored and posted to
        the host as the current value, without a set request). */
    void publishEngineParameters();

    // juce::AudioProcessorListener: the editor's changes and gestures, and
    // the engine's own changes (counted, and its latency told to the host).
    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override;
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override;
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override;
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override;

    juce::ScopedJuceInitialiser_GUI frameworkInitialiser;
    std::unique_ptr<AudioEngine> engine;
    bool listening = false;

    int numChannels = 2;
    std::array<std::array<float, maximumBlockSize>, 2> bypassScratch {};
    juce::MidiBuffer midiBuffer;

    /** The engine's state as it was when its size was last asked. */
    juce::MemoryBlock pendingState;
    bool pendingStateValid = false;
};
} // namespace AAXClasses
