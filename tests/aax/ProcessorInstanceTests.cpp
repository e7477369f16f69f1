// Instances of the built bundle's processor, created through the description's
// creation procedure and played through its process procedure, with the host
// stand-in answering the instance's automation as a playing host does.

#include "aax/AAX_CString.h"
#include "host/HostCollection.h"
#include "host/HostController.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"
#include "host/PluginBundle.h"
#include "host/PluginInstance.h"
#include "tests/support/MidiPacket.h"
#include "tests/support/SignalMeasures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace KestHost;

namespace
{
constexpr AAX_CTypeID defaultChunkId = 0x656C636B;
constexpr AAX_CTypeID stateChunkId = 0x4B657374;
constexpr int blockSize = 512;

/** The default controller of a host parameter, as the engine maps them. */
uint8_t controllerOf (int index)
{
    return static_cast<uint8_t> (index < 88 ? index + 1 : index + 2);
}

class ProcessorInstance : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        bundle = std::make_unique<PluginBundle> (KEST_BUNDLE_PATH);
        registration = std::make_unique<HostEnvironment>();
        bundle->entryPoints().startup (&registration->hostUnknown());
        ASSERT_EQ (bundle->entryPoints().registerPlugin (&registration->hostUnknown(), &definition), AAX_SUCCESS);
    }

    static void TearDownTestSuite()
    {
        definition->Release();
        bundle->entryPoints().shutdown (nullptr);
        registration.reset();
        bundle.reset();
    }

    static std::unique_ptr<PluginInstance> makeInstance (int channels = 2)
    {
        const auto& description = static_cast<HostPluginDefinition*> (definition)->collection();
        return std::make_unique<PluginInstance> (description, 48000.0f, channels, blockSize);
    }

    /** Processes blocks, the packets given to the first one; answers the
        first channel's samples, then the second's when there is one. */
    static std::vector<float> render (PluginInstance& instance, int blocks, const std::vector<AAX_CMidiPacket>& firstBlockMidi = {})
    {
        auto& context = instance.context();
        std::vector<float> audio;
        std::vector<std::vector<float>> channels ((size_t) context.channels());
        for (int block = 0; block < blocks; ++block)
        {
            context.midiNode().clear();
            if (block == 0)
                for (auto& packet : firstBlockMidi)
                    context.midiNode().add (packet);
            context.process (blockSize);
            for (int channel = 0; channel < context.channels(); ++channel)
                channels[(size_t) channel].insert (channels[(size_t) channel].end(), context.output (channel), context.output (channel) + blockSize);
        }
        for (auto& channel : channels)
            audio.insert (audio.end(), channel.begin(), channel.end());
        return audio;
    }

    static double rms (const std::vector<float>& samples, size_t from = 0, size_t to = SIZE_MAX)
    {
        to = std::min (to, samples.size());
        double sum = 0.0;
        for (auto i = from; i < to; ++i)
            sum += (double) samples[i] * samples[i];
        return to > from ? std::sqrt (sum / (double) (to - from)) : 0.0;
    }

    /** Equal sample for sample; otherwise names the first difference. */
    static ::testing::AssertionResult sameAudio (const std::vector<float>& actual, const std::vector<float>& expected)
    {
        if (actual.size() != expected.size())
            return ::testing::AssertionFailure() << actual.size() << " samples instead of " << expected.size();
        for (size_t i = 0; i < actual.size(); ++i)
            if (actual[i] != expected[i])
                return ::testing::AssertionFailure() << "sample " << i << " is " << actual[i] << " instead of " << expected[i];
        return ::testing::AssertionSuccess();
    }

    static std::string text (const std::function<AAX_Result (AAX_IString*)>& call)
    {
        AAX_CString result;
        EXPECT_EQ (call (&result), AAX_SUCCESS);
        return result.Get();
    }

    static std::vector<std::string> automationCalls (PluginInstance& instance, const std::string& id)
    {
        std::vector<std::string> found;
        for (auto& line : instance.host().callLog())
            if (line.rfind ("automation [", 0) == 0 && line.find ("\"" + id + "\"") != std::string::npos)
                found.push_back (line.substr (line.find (']') + 2));
        return found;
    }

    static std::unique_ptr<PluginBundle> bundle;
    static std::unique_ptr<HostEnvironment> registration;
    static IACFPluginDefinition* definition;
};

std::unique_ptr<PluginBundle> ProcessorInstance::bundle;
std::unique_ptr<HostEnvironment> ProcessorInstance::registration;
IACFPluginDefinition* ProcessorInstance::definition = nullptr;

const std::vector<AAX_CMidiPacket> chord {
    midiPacket (64, 0x90, 48, 100), midiPacket (64, 0x90, 55, 100),
    midiPacket (64, 0x90, 60, 100), midiPacket (64, 0x90, 64, 100),
};
} // namespace

TEST_F (ProcessorInstance, ShowsTheBypassAndTheEnginesNinetyTwoParameters)
{
    auto instance = makeInstance();
    auto& effect = instance->effect();

    int32_t count = 0;
    effect.GetNumberOfParameters (&count);
    EXPECT_EQ (count, 93);
    EXPECT_EQ (text ([&] (AAX_IString* s) { return effect.GetParameterIDFromIndex (0, s); }), "MasterBypassID");
    EXPECT_EQ (text ([&] (AAX_IString* s) { return effect.GetParameterIDFromIndex (92, s); }), "91");
    EXPECT_EQ (text ([&] (AAX_IString* s) { return effect.GetMasterBypassParameter (s); }), "MasterBypassID");

    EXPECT_EQ (text ([&] (AAX_IString* s) { return effect.GetParameterName ("88", s); }), "Voice_Mode");
    EXPECT_EQ (text ([&] (AAX_IString* s) { return effect.GetParameterNameOfLength ("0", s, 4); }), "Glid");
    EXPECT_EQ (text ([&] (AAX_IString* s) { return effect.GetParameterNameOfLength ("0", s, 0); }), "Glide_1");
    EXPECT_EQ (text ([&] (AAX_IString* s) { return effect.GetParameterValueString ("1", s, 8); }), "0.500");
    EXPECT_EQ (text ([&] (AAX_IString* s) { return effect.GetParameterValueString ("MasterBypassID", s, 8); }), "bypass");
    EXPECT_EQ (text ([&] (AAX_IString* s) { return effect.GetParameterStringFromValue ("88", 0.4, s, 32); }), "Revolver");

    double value = -1.0;
    EXPECT_EQ (effect.GetParameterDefaultNormalizedValue ("1", &value), AAX_SUCCESS);
    EXPECT_EQ (value, 0.5);
    int32_t steps = 0;
    effect.GetParameterNumberOfSteps ("MasterBypassID", &steps);
    EXPECT_EQ (steps, 2);
    effect.GetParameterNumberOfSteps ("5", &steps);
    EXPECT_EQ (steps, 2147483647);

    EXPECT_EQ (effect.GetParameterNormalizedValue ("92", &value), AAX_ERROR_INVALID_PARAMETER_ID) << "the master volume is not a host parameter";
    EXPECT_EQ (effect.GetParameterNormalizedValue ("07", &value), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (automationCalls (*instance, "91").front(), "RegisterParameter \"91\"");
}

TEST_F (ProcessorInstance, PlaysTheMidiNodesNotesFromTheirSampleAndIsSilentWithout)
{
    for (int channels : { 1, 2 })
    {
        auto instance = makeInstance (channels);
        const auto quiet = render (*instance, 4);
        EXPECT_EQ (rms (quiet), 0.0) << channels << " channels";

        const auto played = render (*instance, 8, { midiPacket (300, 0x90, 60, 110) });
        const size_t perChannel = 8 * blockSize;
        for (int channel = 0; channel < channels; ++channel)
        {
            const auto offset = (size_t) channel * perChannel;
            EXPECT_EQ (rms (played, offset, offset + 300), 0.0) << "nothing before the note's sample";
            EXPECT_GT (rms (played, offset + blockSize, offset + perChannel), 0.01) << "channel " << channel;
        }
    }
}

TEST_F (ProcessorInstance, HostBufferLongerThanTheEnginesBlockPlaysLikeShortBlocks)
{
    const auto& description = static_cast<HostPluginDefinition*> (definition)->collection();
    PluginInstance longBlocks (description, 48000.0f, 2, 4096);
    auto shortBlocks = makeInstance();

    longBlocks.context().midiNode().add (midiPacket (2000, 0x90, 60, 110));
    longBlocks.context().process (4096);
    std::vector<float> expected (longBlocks.context().output (0), longBlocks.context().output (0) + 4096);

    std::vector<float> actual;
    for (int block = 0; block < 8; ++block)
    {
        auto& context = shortBlocks->context();
        context.midiNode().clear();
        if (block == 3)
            context.midiNode().add (midiPacket (2000 - 3 * blockSize, 0x90, 60, 110));
        context.process (blockSize);
        actual.insert (actual.end(), context.output (0), context.output (0) + blockSize);
    }
    EXPECT_GT (rms (expected), 0.01);
    EXPECT_TRUE (sameAudio (actual, expected));
}

TEST_F (ProcessorInstance, BypassPassesTheHostsInputThroughAndPlaysNothing)
{
    auto instance = makeInstance();
    EXPECT_EQ (instance->setParameter ("MasterBypassID", 1.0), AAX_SUCCESS);

    auto* controller = dynamic_cast<HostController*> (instance->host().find ("controller"));
    ASSERT_NE (controller, nullptr);
    auto* packet = controller->postedPacket (3);
    ASSERT_NE (packet, nullptr);
    int32_t posted = 0;
    ASSERT_EQ (packet->size(), sizeof (posted));
    std::memcpy (&posted, packet->data(), sizeof (posted));
    EXPECT_EQ (posted, 1);
    EXPECT_EQ (text ([&] (AAX_IString* s) { return instance->effect().GetParameterValueString ("MasterBypassID", s, 8); }), "on");

    auto& context = instance->context();
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < blockSize; ++i)
            context.input (channel)[i] = 0.001f * (float) (i % 100) * (channel == 0 ? 1.0f : -1.0f);

    for (int block = 0; block < 4; ++block)
    {
        context.midiNode().clear();
        if (block == 0)
            context.midiNode().add (midiPacket (0, 0x90, 60, 110));
        context.process (blockSize);
        for (int channel = 0; channel < 2; ++channel)
            EXPECT_EQ (0, std::memcmp (context.output (channel), context.input (channel), sizeof (float) * blockSize));
    }

    instance->setParameter ("MasterBypassID", 0.0);
    const auto played = render (*instance, 6, { midiPacket (0, 0x90, 64, 110) });
    EXPECT_GT (rms (played, blockSize, 6 * blockSize), 0.01) << "the note after the bypass plays";
}

TEST_F (ProcessorInstance, ANoteReleasedWhileBypassedDoesNotHangAfterTheBypass)
{
    auto instance = makeInstance();
    const auto held = render (*instance, 4, { midiPacket (0, 0x90, 60, 110) });
    ASSERT_GT (rms (held, blockSize, 4 * blockSize), 0.01);

    instance->setParameter ("MasterBypassID", 1.0);
    render (*instance, 1, { midiPacket (0, 0x80, 60, 0) });
    render (*instance, 60); // far longer than the release

    instance->setParameter ("MasterBypassID", 0.0);
    const auto after = render (*instance, 4);
    EXPECT_LT (rms (after), 1e-5) << "the note released during the bypass still sounds";
}

TEST_F (ProcessorInstance, HostSetsGoThroughTouchRequestReleaseAndReachTheEngine)
{
    auto instance = makeInstance();
    instance->host().clearLog();

    EXPECT_EQ (instance->setParameter ("88", 0.4), AAX_SUCCESS);
    const std::vector<std::string> expected {
        "PostTouchRequest \"88\"",
        "PostSetValueRequest \"88\" 0.400000",
        "PostReleaseRequest \"88\"",
        "PostCurrentValue \"88\" 0.400000",
    };
    EXPECT_EQ (automationCalls (*instance, "88"), expected);
    EXPECT_NEAR (instance->parameter ("88"), 0.4, 1e-7);
    EXPECT_EQ (text ([&] (AAX_IString* s) { return instance->effect().GetParameterValueString ("88", s, 8); }), "0.400");

    int32_t changes = 0;
    instance->effect().GetNumberOfChanges (&changes);
    EXPECT_GE (changes, 1);

    EXPECT_EQ (instance->effect().SetParameterNormalizedRelative ("88", 0.9), AAX_SUCCESS);
    instance->answerAutomation();
    EXPECT_EQ (instance->parameter ("88"), 1.0) << "relative steps stop at the top";
}

TEST_F (ProcessorInstance, OffersTheDefaultChunkAndTheEnginesStateChunk)
{
    auto instance = makeInstance();
    auto& effect = instance->effect();

    int32_t count = 0;
    effect.GetNumberOfChunks (&count);
    ASSERT_EQ (count, 2);
    AAX_CTypeID id = 0;
    effect.GetChunkIDFromIndex (0, &id);
    EXPECT_EQ (id, defaultChunkId);
    effect.GetChunkIDFromIndex (1, &id);
    EXPECT_EQ (id, stateChunkId);
    EXPECT_EQ (effect.GetChunkIDFromIndex (2, &id), AAX_ERROR_INVALID_CHUNK_INDEX);

    std::vector<uint8_t> memory (AAX_SPlugInChunkHeaderSize + 65536);
    auto* record = reinterpret_cast<AAX_SPlugInChunk*> (memory.data());
    EXPECT_EQ (effect.GetChunk (stateChunkId, record), AAX_ERROR_INCORRECT_CHUNK_SIZE) << "the size is asked first";

    uint32_t size = 0;
    ASSERT_EQ (effect.GetChunkSize (stateChunkId, &size), AAX_SUCCESS);
    ASSERT_GT (size, 0u);
    ASSERT_LE (size, 65536u);
    ASSERT_EQ (effect.GetChunk (stateChunkId, record), AAX_SUCCESS);
    EXPECT_EQ (record->fSize, (int32_t) size);
    EXPECT_STREQ (record->fName, "Kest Plug-in State");
    const std::string xml (record->fData, record->fData + size);
    EXPECT_NE (xml.find ("KEST_Plugin_State"), std::string::npos);

    auto broken = *record;
    broken.fSize = -1;
    EXPECT_EQ (effect.SetChunk (stateChunkId, &broken), AAX_ERROR_INCORRECT_CHUNK_SIZE);
}

// The sound is set by MIDI controllers (which the host never hears of) and by
// host automation, both chunks are saved, and a new instance restores them in
// either order: it must play exactly what the first one plays.
TEST_F (ProcessorInstance, ChunksRestoreTheSameSoundInANewInstanceInEitherOrder)
{
    const std::vector<AAX_CMidiPacket> soundByControllers {
        midiPacket (0, 0xB0, controllerOf (88), 51),  // Voice_Mode: Revolver
        midiPacket (0, 0xB0, controllerOf (3), 85),   // OscillatorMode_1: saw
        midiPacket (0, 0xB0, controllerOf (7), 30),   // Frequency_1
        midiPacket (0, 0xB0, controllerOf (27), 90),  // Frequency_2
        midiPacket (0, 0xB0, controllerOf (16), 20),  // Sustain_1
    };

    auto original = makeInstance();
    render (*original, 1, soundByControllers);
    original->setParameter ("41", 0.75); // Tune_3
    const auto chunks = original->saveChunks();
    ASSERT_EQ (chunks.size(), 2u);
    const auto expected = render (*original, 24, chord);
    ASSERT_GT (rms (expected), 0.01);

    const auto restoredAndPlayed = [&] (std::vector<size_t> order)
    {
        auto instance = makeInstance();
        for (auto index : order)
            EXPECT_EQ (instance->restoreChunk (chunks[index]), AAX_SUCCESS);
        EXPECT_NEAR (instance->parameter ("88"), 51.0 / 127.0, 1e-6);
        EXPECT_EQ (instance->parameter ("41"), 0.75);

        AAX_CBoolean equal = 0;
        instance->effect().CompareActiveChunk (reinterpret_cast<const AAX_SPlugInChunk*> (chunks[0].record.data()), &equal);
        EXPECT_EQ (equal, 1) << "the restored instance matches the saved default chunk";

        render (*instance, 1);
        return render (*instance, 24, chord);
    };

    EXPECT_TRUE (sameAudio (restoredAndPlayed ({ 0, 1 }), expected)) << "default chunk, then the state";
    EXPECT_TRUE (sameAudio (restoredAndPlayed ({ 1, 0 }), expected)) << "the state, then the default chunk";

    auto fresh = makeInstance();
    render (*fresh, 1);
    EXPECT_FALSE (sameAudio (render (*fresh, 24, chord), expected)) << "without the chunks the sound differs";
}

// A host restores states on its own thread while its audio thread plays: the
// voices a restore resizes are swapped between two blocks, never during one.
TEST_F (ProcessorInstance, StatesRestoredWhileTheAudioThreadProcessesLeaveAnInstanceThatPlays)
{
    auto instance = makeInstance();
    const auto chunks = instance->saveChunks();
    ASSERT_EQ (chunks.size(), 2u);

    // The state chunk with 8 voices or 16 (written as "08" to keep its length).
    auto withVoices = [&] (const char* count)
    {
        auto record = chunks[1].record;
        const std::string from = "NumberOfVoices=\"16\"";
        const auto data = std::string (record.begin(), record.end());
        const auto at = data.find (from);
        EXPECT_NE (at, std::string::npos);
        if (at != std::string::npos)
            std::memcpy (record.data() + at + from.size() - 3, count, 2);
        return record;
    };
    const std::vector<uint8_t> states[] { withVoices ("08"), withVoices ("16") };

    std::atomic<bool> playing { true };
    std::atomic<int> nonFinite { 0 };
    std::thread audio ([&]
    {
        auto& context = instance->context();
        for (int block = 0; playing.load(); ++block)
        {
            context.midiNode().clear();
            if (block % 8 == 0)
                for (auto& packet : chord)
                    context.midiNode().add (packet);
            context.process (blockSize);
            for (int channel = 0; channel < context.channels(); ++channel)
                for (int i = 0; i < blockSize; ++i)
                    if (! std::isfinite (context.output (channel)[i]))
                        ++nonFinite;
        }
    });

    for (int round = 0; round < 10; ++round)
        EXPECT_EQ (instance->effect().SetChunk (stateChunkId, reinterpret_cast<const AAX_SPlugInChunk*> (states[round % 2].data())),
                   AAX_SUCCESS);
    playing = false;
    audio.join();

    EXPECT_EQ (nonFinite.load(), 0);
    const auto saved = instance->saveChunks();
    ASSERT_EQ (saved.size(), 2u);
    EXPECT_NE (std::string (saved[1].record.begin(), saved[1].record.end()).find ("NumberOfVoices=\"16\""), std::string::npos);
    render (*instance, 8); // what was held fades
    EXPECT_GT (rms (render (*instance, 4, chord)), 0.01);
}

TEST_F (ProcessorInstance, ANoteSoundsFromItsSampleOnAndBesideEveryEngineBlockSplit)
{
    // The wrapper hands the engine blocks of at most 1024 samples.  A note at
    // stream sample N, in host buffers of any size, must sound exactly like
    // the note at sample 0, N samples later.
    constexpr int heard = 6000;
    const auto& description = static_cast<HostPluginDefinition*> (definition)->collection();
    auto playAt = [&] (int start, int bufferSize) {
        PluginInstance instance (description, 48000.0f, 1, bufferSize);
        auto& context = instance.context();
        std::vector<float> out;
        for (int position = 0; position < start + heard; position += bufferSize)
        {
            const int n = std::min (bufferSize, start + heard - position);
            context.midiNode().clear();
            if (start >= position && start < position + n)
                context.midiNode().add (midiPacket ((uint32_t) (start - position), 0x90, 57, 100));
            if (start + 3000 >= position && start + 3000 < position + n)
                context.midiNode().add (midiPacket ((uint32_t) (start + 3000 - position), 0x80, 57, 0));
            context.process (n);
            out.insert (out.end(), context.output (0), context.output (0) + n);
        }
        return out;
    };

    const auto reference = playAt (0, 64);
    const double loudest = SignalMeasures::peak (reference, 0, heard);
    ASSERT_GT (loudest, 0.05);
    const double tolerance = 1e-4 * loudest; // float noise, far below one sample of shift
    ASSERT_GT (SignalMeasures::maxDifference (reference, 1, reference, 0, heard), 100 * tolerance);

    for (int start : { 1, 1023, 1024, 1025, 2048, 3071, 3072, 4095, 4096, 5000 })
    {
        for (int bufferSize : { 4096, 3000, 1024, 1 })
        {
            const auto out = playAt (start, bufferSize);
            EXPECT_EQ (SignalMeasures::peak (out, 0, start), 0.0) << "sound before the note at " << start << ", buffers of " << bufferSize;
            EXPECT_LE (SignalMeasures::maxDifference (out, start, reference, 0, heard), tolerance)
                << "note at " << start << ", buffers of " << bufferSize;
        }
    }
}

TEST_F (ProcessorInstance, TextsOfValuesOutsideTheRangeAreTheTextsOfTheNearestEnd)
{
    auto instance = makeInstance();
    auto& effect = instance->effect();
    auto textOf = [&] (const char* id, double value)
    {
        return text ([&] (AAX_IString* s) { return effect.GetParameterStringFromValue (id, value, s, 32); });
    };

    EXPECT_EQ (textOf ("13", std::nan ("")), "0%");
    EXPECT_EQ (textOf ("13", 1.0e300), "100%");
    EXPECT_EQ (textOf ("1", -std::numeric_limits<double>::infinity()), "-24.00  st");
    EXPECT_EQ (textOf ("88", std::nan ("")), "Unison");
}

// Every chunk call the instance refuses answers its code, writes nothing
// into the host's record and leaves both chunks bit-identical.
TEST_F (ProcessorInstance, RefusedChunkCallsAnswerTheirCodesAndChangeNothing)
{
    auto instance = makeInstance();
    auto& effect = instance->effect();
    ASSERT_EQ (instance->setParameter ("5", 0.3), AAX_SUCCESS);
    ASSERT_EQ (instance->setParameter ("88", 0.45), AAX_SUCCESS);
    const auto before = instance->saveChunks();
    ASSERT_EQ (before.size(), 2u);
    const auto unchanged = [&]
    {
        const auto now = instance->saveChunks();
        return now.size() == before.size() && now[0].record == before[0].record && now[1].record == before[1].record;
    };

    for (const int32_t index : { -1, 2, 3, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max() })
    {
        SCOPED_TRACE (index);
        AAX_CTypeID id = 0x11111111;
        EXPECT_EQ (effect.GetChunkIDFromIndex (index, &id), AAX_ERROR_INVALID_CHUNK_INDEX);
        EXPECT_EQ (id, 0u);
    }

    std::vector<uint8_t> memory (AAX_SPlugInChunkHeaderSize + 65536, 0x5A);
    const auto untouched = memory;
    auto* record = reinterpret_cast<AAX_SPlugInChunk*> (memory.data());
    for (const AAX_CTypeID otherId : { 0u, 0x4B657375u, 0x656C636Au, 0xFFFFFFFFu })
    {
        SCOPED_TRACE (otherId);
        uint32_t size = 77;
        EXPECT_EQ (effect.GetChunkSize (otherId, &size), AAX_ERROR_INVALID_CHUNK_ID);
        EXPECT_EQ (size, 0u);
        EXPECT_EQ (effect.GetChunk (otherId, record), AAX_ERROR_INVALID_CHUNK_ID);
        EXPECT_EQ (memory, untouched);

        for (auto& chunk : before)
        {
            auto foreign = chunk;
            reinterpret_cast<AAX_SPlugInChunk*> (foreign.record.data())->fChunkID = otherId;
            EXPECT_EQ (effect.SetChunk (otherId, reinterpret_cast<const AAX_SPlugInChunk*> (foreign.record.data())), AAX_ERROR_INVALID_CHUNK_ID);
        }
        EXPECT_TRUE (unchanged());
    }

    // A state record whose size is negative is refused unseen.
    ASSERT_EQ (instance->setParameter ("5", 0.9), AAX_SUCCESS);
    const auto changed = instance->saveChunks();
    ASSERT_EQ (instance->setParameter ("5", 0.3), AAX_SUCCESS);
    ASSERT_TRUE (unchanged());
    auto negative = changed[1];
    reinterpret_cast<AAX_SPlugInChunk*> (negative.record.data())->fSize = -1;
    EXPECT_EQ (effect.SetChunk (stateChunkId, reinterpret_cast<const AAX_SPlugInChunk*> (negative.record.data())), AAX_ERROR_INCORRECT_CHUNK_SIZE);
    EXPECT_TRUE (unchanged());
    EXPECT_FLOAT_EQ ((float) instance->parameter ("5"), 0.3f);
}

// A controller moves a parameter without the host hearing of it: the
// default chunk saved before then no longer matches the sound, and one
// saved after it does.
TEST_F (ProcessorInstance, TheDefaultChunkComparesAgainstTheSoundAsControllersLeftIt)
{
    auto instance = makeInstance();
    auto& effect = instance->effect();
    const auto before = instance->saveChunks();
    const auto* savedBefore = reinterpret_cast<const AAX_SPlugInChunk*> (before[0].record.data());

    AAX_CBoolean equal = 0;
    ASSERT_EQ (effect.CompareActiveChunk (savedBefore, &equal), AAX_SUCCESS);
    EXPECT_EQ (equal, 1);

    render (*instance, 1, { midiPacket (0, 0xB0, controllerOf (12), 100) }); // Emphasis_1
    equal = 1;
    ASSERT_EQ (effect.CompareActiveChunk (savedBefore, &equal), AAX_SUCCESS);
    EXPECT_EQ (equal, 0);

    const auto after = instance->saveChunks();
    equal = 0;
    ASSERT_EQ (effect.CompareActiveChunk (reinterpret_cast<const AAX_SPlugInChunk*> (after[0].record.data()), &equal), AAX_SUCCESS);
    EXPECT_EQ (equal, 1);
}
