// The processor (built into this test program) against a careless or hostile
// host: null out pointers, calls outside Initialize, chunks fetched out of
// order, a host without automation, and blocks with more MIDI than fits.

#include "aax/AAX_CString.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"
#include "tests/support/MidiPacket.h"
#include "wrapper/JuceAAX_Processor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace KestHost;

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
constexpr AAX_CTypeID defaultChunkId = 0x656C636B;
constexpr AAX_CTypeID stateChunkId = AAXClasses::JuceAAX_Processor::kStateChunkID;

struct Processor
{
    explicit Processor (HostOptions options = {}, bool initialise = true) : host (options)
    {
        auto* unknown = AAXClasses::JuceAAX_Processor::Create();
        unknown->QueryInterface (IID_IAAXEffectParametersV2, reinterpret_cast<void**> (&effect));
        processor = static_cast<AAXClasses::JuceAAX_Processor*> (effect);
        if (initialise)
        {
            EXPECT_EQ (effect->Initialize (&host.hostUnknown()), AAX_SUCCESS);
        }
    }

    ~Processor()
    {
        effect->Uninitialize();
        effect->Release();
    }

    std::string valueText (const char* id)
    {
        AAX_CString text;
        EXPECT_EQ (effect->GetParameterValueString (id, &text, 8), AAX_SUCCESS);
        return text.Get();
    }

    AudioEngine& engine() { return processor->getEngine(); }

    HostEnvironment host;
    AAX_IACFEffectParameters_V2* effect = nullptr;
    AAXClasses::JuceAAX_Processor* processor = nullptr;
};

struct MidiNode final : AAX_IMIDINode
{
    AAX_CMidiStream* GetNodeBuffer() override { return &stream; }
    std::vector<AAX_CMidiPacket> packets;
    AAX_CMidiStream stream {};
};

/** Runs the process procedure for one block of the given packets; answers
    the RMS of the left channel. */
double processBlock (AAXClasses::JuceAAX_Processor* processor, std::vector<AAX_CMidiPacket> packets, int numSamples = 512)
{
    std::vector<float> left ((size_t) numSamples), right ((size_t) numSamples);
    float* outputs[] = { left.data(), right.data() };
    const int32_t length = numSamples, bypass = 0;
    MidiNode node;
    node.packets = std::move (packets);
    node.stream.mBuffer = node.packets.data();
    node.stream.mBufferSize = (uint32_t) node.packets.size();

    AAXClasses::JuceAAX_Processor::AlgorithmContext context { outputs, outputs, &length, &bypass, &node, &processor };
    void* instances[] = { &context };
    AAXClasses::JuceAAX_Processor::algorithmProcessCallback (instances, instances + 1);

    double sum = 0.0;
    for (auto sample : left)
        sum += (double) sample * sample;
    return std::sqrt (sum / numSamples);
}
} // namespace

TEST (HostileHost, EveryOperationWithANullOutPointerAnswersTheNullObjectError)
{
    Processor p;
    auto& e = *p.effect;
    AAX_CString text ("1");

    for (const char* id : { "7", "MasterBypassID", "unknown" })
    {
        SCOPED_TRACE (id);
        EXPECT_EQ (e.GetParameterIsAutomatable (id, nullptr), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterNumberOfSteps (id, nullptr), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterName (id, nullptr), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterNameOfLength (id, nullptr, 4), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterDefaultNormalizedValue (id, nullptr), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterType (id, nullptr), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterOrientation (id, nullptr), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameter (id, nullptr), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterIndex (id, nullptr), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterValueInfo (id, 0, nullptr), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterValueFromString (id, nullptr, text), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterStringFromValue (id, 0.5, nullptr, 8), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterValueString (id, nullptr, 8), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterNormalizedValue (id, nullptr), AAX_ERROR_NULL_OBJECT);
    }

    EXPECT_EQ (e.GetNumberOfParameters (nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (e.GetMasterBypassParameter (nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (e.GetParameterIDFromIndex (3, nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (e.GetNumberOfChunks (nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (e.GetChunkIDFromIndex (0, nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (e.GetChunkIDFromIndex (1, nullptr), AAX_ERROR_NULL_OBJECT);
    for (auto chunkId : { defaultChunkId, stateChunkId, (AAX_CTypeID) 1 })
    {
        EXPECT_EQ (e.GetChunkSize (chunkId, nullptr), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetChunk (chunkId, nullptr), AAX_ERROR_NULL_OBJECT);
    }
    EXPECT_EQ (e.CompareActiveChunk (nullptr, nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (e.GetNumberOfChanges (nullptr), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (e.ResetFieldData (5, nullptr, 8), AAX_ERROR_NULL_OBJECT);

    // Nothing was changed on the way.
    double value = -1.0;
    EXPECT_EQ (e.GetParameterNormalizedValue ("7", &value), AAX_SUCCESS);
    EXPECT_EQ (value, (double) p.engine().getParameterDefaultValue (7));
}

TEST (HostileHost, OutsideInitializeTheOperationsByEngineIndexAnswerNullObjectAndChangeNothing)
{
    Processor p ({}, false);
    auto& e = *p.effect;
    const float before = p.engine().getParameter (5);

    const auto expectRefused = [&]
    {
        AAX_CString text;
        double value = -1.0;
        EXPECT_EQ (e.GetParameterName ("5", &text), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterNameOfLength ("5", &text, 4), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterStringFromValue ("5", 0.5, &text, 8), AAX_ERROR_NULL_OBJECT);
        EXPECT_TRUE (text.Empty());
        EXPECT_EQ (e.GetParameterDefaultNormalizedValue ("5", &value), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.GetParameterNormalizedValue ("5", &value), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (value, -1.0);
        EXPECT_EQ (e.SetParameterNormalizedValue ("5", 0.9), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.SetParameterNormalizedRelative ("5", 0.2), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (e.UpdateParameterNormalizedValue ("5", 0.9, 0), AAX_ERROR_NULL_OBJECT);
        EXPECT_EQ (p.engine().getParameter (5), before);
    };

    expectRefused();
    ASSERT_EQ (e.Initialize (&p.host.hostUnknown()), AAX_SUCCESS);
    double value = -1.0;
    EXPECT_EQ (e.GetParameterNormalizedValue ("5", &value), AAX_SUCCESS);
    ASSERT_EQ (e.Uninitialize(), AAX_SUCCESS);
    expectRefused();
}

TEST (HostileHost, BlocksBeforeInitializeAreSilentAndTheInstancePlaysOnceInitialised)
{
    Processor p ({}, false);
    EXPECT_EQ (processBlock (p.processor, { midiPacket (0, 0x90, 60, 110) }), 0.0);
    EXPECT_EQ (processBlock (p.processor, {}), 0.0);

    ASSERT_EQ (p.effect->Initialize (&p.host.hostUnknown()), AAX_SUCCESS);
    processBlock (p.processor, { midiPacket (0, 0x90, 60, 110) });
    EXPECT_GT (processBlock (p.processor, {}), 0.01);
}

TEST (HostileHost, ASampleRateThatIsNotAPositiveNumberPlaysAtTheDefaultRate)
{
    for (float rate : { std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(), 0.0f, -44100.0f })
    {
        HostOptions options;
        options.sampleRate = rate;
        Processor p (options);
        processBlock (p.processor, { midiPacket (0, 0x90, 60, 110) });
        EXPECT_GT (processBlock (p.processor, {}), 0.01) << rate;
        EXPECT_FLOAT_EQ (p.engine().getSound (0).getSampleRate(), 48000.0f) << rate;
    }
}

TEST (HostileHost, ARateNoHostUsesPlaysAtTheDefaultRateAndTheRangeAHostUsesIsTaken)
{
    const struct
    {
        float hostRate, played;
    } cases[] = { { 0.1f, 48000.0f }, { 0.001f, 48000.0f }, { 7999.0f, 48000.0f }, { 1.1e6f, 48000.0f },
                  { 8000.0f, 8000.0f }, { 1.0e6f, 1.0e6f } };
    for (auto& c : cases)
    {
        SCOPED_TRACE (c.hostRate);
        HostOptions options;
        options.sampleRate = c.hostRate;
        Processor p (options);
        ASSERT_FLOAT_EQ (p.engine().getSound (0).getSampleRate(), c.played);
        processBlock (p.processor, { midiPacket (0, 0x90, 60, 110) });
        EXPECT_GT (processBlock (p.processor, {}), 0.01);
    }
}

TEST (HostileHost, WithoutTheHostsAutomationParameterObjectsStoreValuesAtOnce)
{
    HostOptions options;
    options.offerAutomationDelegate = false;
    Processor p (options);

    double value = -1.0;
    EXPECT_EQ (p.effect->SetParameterNormalizedValue ("MasterBypassID", 1.0), AAX_SUCCESS);
    EXPECT_EQ (p.effect->GetParameterNormalizedValue ("MasterBypassID", &value), AAX_SUCCESS);
    EXPECT_EQ (value, 1.0);

    for (int index = 0; index < 92; ++index)
    {
        const auto id = std::to_string (index);
        EXPECT_EQ (p.effect->SetParameterNormalizedValue (id.c_str(), 0.25), AAX_SUCCESS);
        EXPECT_EQ (p.valueText (id.c_str()), "0.250") << id;
        EXPECT_EQ (p.engine().getParameter (index), 0.25f) << id;
    }
}

TEST (HostileHost, TheStateChunkIsFetchedAgainAfterOneSizeRequestAndAChangedStateIsRefused)
{
    Processor p;
    auto& e = *p.effect;

    uint32_t size = 0;
    ASSERT_EQ (e.GetChunkSize (stateChunkId, &size), AAX_SUCCESS);

    constexpr size_t guardBytes = 64;
    std::vector<uint8_t> first;
    for (int fetch = 0; fetch < 3; ++fetch)
    {
        std::vector<uint8_t> memory (AAX_SPlugInChunkHeaderSize + size + guardBytes, 0xAB);
        ASSERT_EQ (e.GetChunk (stateChunkId, reinterpret_cast<AAX_SPlugInChunk*> (memory.data())), AAX_SUCCESS) << fetch;
        for (size_t i = memory.size() - guardBytes; i < memory.size(); ++i)
            ASSERT_EQ (memory[i], 0xAB);
        if (fetch == 0)
            first = memory;
        EXPECT_EQ (memory, first);
    }

    // A value changed after the size was told: the host's record would not
    // hold the new state, so nothing is written until it asks again.
    p.engine().setParameter (3, 0.123456f);
    std::vector<uint8_t> memory (AAX_SPlugInChunkHeaderSize + size + guardBytes, 0xAB);
    EXPECT_EQ (e.GetChunk (stateChunkId, reinterpret_cast<AAX_SPlugInChunk*> (memory.data())), AAX_ERROR_INCORRECT_CHUNK_SIZE);
    EXPECT_EQ (memory, std::vector<uint8_t> (memory.size(), 0xAB));

    ASSERT_EQ (e.GetChunkSize (stateChunkId, &size), AAX_SUCCESS);
    memory.assign (AAX_SPlugInChunkHeaderSize + size, 0);
    EXPECT_EQ (e.GetChunk (stateChunkId, reinterpret_cast<AAX_SPlugInChunk*> (memory.data())), AAX_SUCCESS);
}

TEST (HostileHost, AfterAStateChunkEveryValueTextIsTheEnginesAndAChangeIsCounted)
{
    Processor source;
    for (int index = 0; index < 92; ++index)
        source.engine().setParameter (index, (float) ((index * 37) % 100) / 100.0f);
    uint32_t size = 0;
    ASSERT_EQ (source.effect->GetChunkSize (stateChunkId, &size), AAX_SUCCESS);
    std::vector<uint8_t> memory (AAX_SPlugInChunkHeaderSize + size);
    auto* record = reinterpret_cast<AAX_SPlugInChunk*> (memory.data());
    ASSERT_EQ (source.effect->GetChunk (stateChunkId, record), AAX_SUCCESS);

    Processor target;
    int32_t changesBefore = 0, changesAfter = 0;
    target.effect->GetNumberOfChanges (&changesBefore);
    ASSERT_EQ (target.effect->SetChunk (stateChunkId, record), AAX_SUCCESS);
    target.effect->GetNumberOfChanges (&changesAfter);
    EXPECT_GT (changesAfter, changesBefore);

    for (int index = 0; index < 92; ++index)
    {
        const auto id = std::to_string (index);
        EXPECT_EQ (target.valueText (id.c_str()), juce::String (target.engine().getParameter (index), 3).toStdString()) << id;
        EXPECT_EQ (target.engine().getParameter (index), source.engine().getParameter (index)) << id;
    }
}

TEST (HostileHost, TenThousandEventsInOneBlockAreAllPlayedSoTheLastNoteEnds)
{
    Processor p;
    std::vector<AAX_CMidiPacket> dense { midiPacket (0, 0x90, 60, 110) };
    while (dense.size() < 9999)
        dense.push_back (midiPacket ((uint32_t) (dense.size() % 100), 0xB0, 110, (uint8_t) (dense.size() % 128)));
    dense.push_back (midiPacket (100, 0x80, 60, 0));

    processBlock (p.processor, dense);
    double level = 1.0;
    for (int block = 0; block < 80; ++block) // far longer than the release
        level = processBlock (p.processor, {});
    EXPECT_LT (level, 1e-5) << "the note-off, the block's last event, was lost";

    // The same note held, as a check that the block plays at all.
    processBlock (p.processor, { midiPacket (0, 0x90, 60, 110) });
    EXPECT_GT (processBlock (p.processor, {}), 0.01);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
