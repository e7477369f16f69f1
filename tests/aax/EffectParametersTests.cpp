// The effect-parameters base as the host drives it: identifiers, the
// automation round trip, the change count, the bypass packet, the default
// chunk, teardown, and failures returned rather than thrown.

#include "aax/AAX_CBinaryDisplayDelegate.h"
#include "aax/AAX_CBinaryTaperDelegate.h"
#include "aax/AAX_CEffectParameters.h"
#include "aax/AAX_CLinearTaperDelegate.h"
#include "aax/AAX_CNumberDisplayDelegate.h"
#include "aax/AAX_CPacketHandler.h"
#include "aax/AAX_CParameter.h"
#include "host/HostController.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

using namespace KestHost;

namespace
{
/** Three float parameters "0".."2" and the master bypass on field 3, as the
    processor makes them; optionally a packet on field 9 that needs no
    parameter. */
class TestEffect final : public AAX_CEffectParameters
{
public:
    bool withFreePacket = false;

    AAX_Result EffectInit() override
    {
        auto* bypass = new AAX_CParameter<bool> (kMasterBypassID, AAX_CString ("Master Bypass"), false, AAX_CBinaryTaperDelegate<bool>(),
                                                 AAX_CBinaryDisplayDelegate<bool> ("bypass", "on"), true);
        bypass->SetNumberOfSteps (2);
        bypass->SetType (AAX_eParameterType_Discrete);
        mParameterManager.AddParameter (bypass);
        mPacketDispatcher.RegisterPacket (kMasterBypassID, 3, AAX_CPacketHandler<AAX_CPacketDispatcher> (&mPacketDispatcher, &AAX_CPacketDispatcher::GenerateSingleValuePacket));

        const char* names[] = { "Frequency\nFreq\nF", "Tune_1", "Drive_1" };
        for (int i = 0; i < 3; ++i)
        {
            auto* parameter = new AAX_CParameter<float> (std::to_string (i).c_str(), AAX_CString (names[i]), 0.5f,
                                                         AAX_CLinearTaperDelegate<float, 0> (0.0f, 1.0f), AAX_CNumberDisplayDelegate<float, 3u, 0u>(), true);
            if (i == 0)
                parameter->AddShortenedName (AAX_CString (names[i]));
            mParameterManager.AddParameter (parameter);
        }

        if (withFreePacket)
            mPacketDispatcher.RegisterPacket ("free", 9, AAX_CPacketHandler<TestEffect> (this, &TestEffect::fillFree));
        return AAX_SUCCESS;
    }

    void countOwnChange() { ++mNumPlugInChanges; }

private:
    AAX_Result fillFree (AAX_CPacket& packet)
    {
        packet.SetSize (4);
        packet.ResizeAndGetPayload (4);
        return AAX_SUCCESS;
    }
};

/** One instance as the host holds it: created, queried, initialised, and
    released at the end. */
struct Instance
{
    HostEnvironment environment;
    TestEffect* effect = new TestEffect;
    AAX_IACFEffectParameters* host = nullptr;

    explicit Instance (bool withFreePacket = false)
    {
        effect->withFreePacket = withFreePacket;
        effect->QueryInterface (IID_IAAXEffectParametersV2, reinterpret_cast<void**> (&host));
        EXPECT_EQ (host->Initialize (&environment.hostUnknown()), AAX_SUCCESS);
        environment.clearLog();
    }

    ~Instance()
    {
        host->Uninitialize();
        host->Release();
    }

    /** The host's answer to a set request: it reports the value back. */
    void hostConfirms (const char* id, double value) { EXPECT_EQ (host->UpdateParameterNormalizedValue (id, value, 0), AAX_SUCCESS); }

    double value (const char* id)
    {
        double v = -1.0;
        EXPECT_EQ (host->GetParameterNormalizedValue (id, &v), AAX_SUCCESS);
        return v;
    }

    int32_t changes()
    {
        int32_t count = -1;
        host->GetNumberOfChanges (&count);
        return count;
    }

    std::vector<HostController::PostedPacket> packets()
    {
        return dynamic_cast<HostController*> (environment.find ("controller"))->postedPackets();
    }

    std::vector<char> chunk()
    {
        uint32_t size = 0;
        EXPECT_EQ (host->GetChunkSize (AAX_CEffectParameters::kDefaultChunkID, &size), AAX_SUCCESS);
        std::vector<char> record (AAX_SPlugInChunkHeaderSize + size);
        auto* header = reinterpret_cast<AAX_SPlugInChunk*> (record.data());
        header->fChunkID = AAX_CEffectParameters::kDefaultChunkID;
        EXPECT_EQ (host->GetChunk (AAX_CEffectParameters::kDefaultChunkID, header), AAX_SUCCESS);
        return record;
    }
};

const AAX_SPlugInChunk* asChunk (const std::vector<char>& record)
{
    return reinterpret_cast<const AAX_SPlugInChunk*> (record.data());
}

std::string text (const AAX_CString& string) { return string.Get(); }
} // namespace

TEST (EffectParameters, AnswersBothInterfaceIdentifiersAndTheLastReleaseDeletesIt)
{
    const auto before = CACFUnknown::GetActiveObjectCount();
    auto* effect = new TestEffect;
    void* v1 = nullptr;
    void* v2 = nullptr;
    void* other = nullptr;
    EXPECT_EQ (effect->QueryInterface (IID_IAAXEffectParametersV1, &v1), AAX_SUCCESS);
    EXPECT_EQ (effect->QueryInterface (IID_IAAXEffectParametersV2, &v2), AAX_SUCCESS);
    EXPECT_EQ (effect->QueryInterface (IID_IAAXControllerV1, &other), ACF_E_NOINTERFACE);
    EXPECT_EQ (v1, v2);
    EXPECT_EQ (v1, static_cast<AAX_IACFEffectParameters*> (effect));
    EXPECT_EQ (CACFUnknown::GetActiveObjectCount(), before + 1);
    static_cast<IACFUnknown*> (v1)->Release();
    static_cast<IACFUnknown*> (v2)->Release();
    EXPECT_EQ (CACFUnknown::GetActiveObjectCount(), before);
}

TEST (EffectParameters, IdentifiersIndexesAndNames)
{
    Instance instance;
    auto* host = instance.host;
    int32_t count = 0, index = 7, steps = 0, type = -1;
    AAX_CString string ("unchanged");

    EXPECT_EQ (host->GetNumberOfParameters (&count), AAX_SUCCESS);
    EXPECT_EQ (count, 4);
    EXPECT_EQ (host->GetMasterBypassParameter (&string), AAX_SUCCESS);
    EXPECT_EQ (text (string), "MasterBypassID");
    EXPECT_EQ (host->GetParameterIndex ("2", &index), AAX_SUCCESS);
    EXPECT_EQ (index, 3);
    EXPECT_EQ (host->GetParameterIndex ("nope", &index), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (index, -1);
    EXPECT_EQ (host->GetParameterIDFromIndex (1, &string), AAX_SUCCESS);
    EXPECT_EQ (text (string), "0");
    EXPECT_EQ (host->GetParameterIDFromIndex (4, &string), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (text (string), "");

    EXPECT_EQ (host->GetParameterNumberOfSteps ("1", &steps), AAX_SUCCESS);
    EXPECT_EQ (steps, 128);
    EXPECT_EQ (host->GetParameterType ("MasterBypassID", &type), AAX_SUCCESS);
    EXPECT_EQ (type, AAX_eParameterType_Discrete);
    EXPECT_EQ (host->GetParameterNumberOfSteps (nullptr, &steps), AAX_ERROR_INVALID_PARAMETER_ID);

    EXPECT_EQ (host->GetParameterNameOfLength ("0", &string, 5), AAX_SUCCESS);
    EXPECT_EQ (text (string), "Freq");
    EXPECT_EQ (host->GetParameterNameOfLength ("0", &string, 20), AAX_SUCCESS);
    EXPECT_EQ (text (string), "Frequency");
    EXPECT_EQ (host->GetParameterNameOfLength ("0", &string, 0), AAX_SUCCESS);
    EXPECT_EQ (text (string), "Frequency\nFreq\nF");
    EXPECT_EQ (host->GetParameterName ("nope", &string), AAX_SUCCESS);
    EXPECT_EQ (text (string), "");
}

TEST (EffectParameters, ValueTextsAndTextToValue)
{
    Instance instance;
    auto* host = instance.host;
    AAX_CString string;
    double value = 0;

    EXPECT_EQ (host->GetParameterValueString ("1", &string, 0), AAX_SUCCESS);
    EXPECT_EQ (text (string), "0.500");
    EXPECT_EQ (host->GetParameterValueString ("1", &string, 3), AAX_SUCCESS);
    EXPECT_EQ (text (string), "0.5");
    EXPECT_EQ (host->GetParameterStringFromValue ("1", 1.0, &string, -4), AAX_SUCCESS);
    EXPECT_EQ (text (string), "1.000");
    EXPECT_EQ (host->GetParameterValueString ("MasterBypassID", &string, 2), AAX_SUCCESS);
    EXPECT_EQ (text (string), "bypass");

    EXPECT_EQ (host->GetParameterValueFromString ("2", &value, AAX_CString ("0.75")), AAX_SUCCESS);
    EXPECT_EQ (value, 0.75);
    EXPECT_EQ (host->GetParameterValueFromString ("2", &value, AAX_CString ("loud")), AAX_ERROR_INVALID_STRING_CONVERSION);
    EXPECT_EQ (host->GetParameterValueFromString ("MasterBypassID", &value, AAX_CString ("on")), AAX_SUCCESS);
    EXPECT_EQ (value, 1.0);
}

TEST (EffectParameters, ASetGoesToTheHostAndOnlyItsUpdateStoresAndCountsTheChange)
{
    Instance instance;
    EXPECT_EQ (instance.changes(), 0);

    EXPECT_EQ (instance.host->SetParameterNormalizedValue ("1", 0.25), AAX_SUCCESS);
    EXPECT_EQ (instance.environment.callLog(), (std::vector<std::string> {
                                                   "automation [7] PostTouchRequest \"1\"",
                                                   "automation [5] PostSetValueRequest \"1\" 0.250000",
                                                   "automation [8] PostReleaseRequest \"1\"",
                                               }));
    EXPECT_EQ (instance.value ("1"), 0.5);
    EXPECT_EQ (instance.changes(), 0) << "a set request is not a change";

    instance.hostConfirms ("1", 0.25);
    EXPECT_EQ (instance.value ("1"), 0.25);
    EXPECT_EQ (instance.changes(), 1);
    instance.hostConfirms ("1", 0.25);
    EXPECT_EQ (instance.changes(), 2) << "every host update counts";
    instance.effect->countOwnChange();
    EXPECT_EQ (instance.changes(), 3);

    EXPECT_EQ (instance.host->UpdateParameterNormalizedValue ("nope", 0.1, 0), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (instance.changes(), 3);

    instance.environment.clearLog();
    EXPECT_EQ (instance.host->SetParameterNormalizedRelative ("1", 2.0), AAX_SUCCESS);
    EXPECT_EQ (instance.environment.callLog().at (1), "automation [5] PostSetValueRequest \"1\" 1.000000");
    EXPECT_EQ (instance.host->UpdateParameterNormalizedRelative ("1", -0.05), AAX_SUCCESS);
    EXPECT_EQ (static_cast<float> (instance.value ("1")), 0.2f);
    EXPECT_EQ (instance.host->SetParameterNormalizedRelative ("nope", 0.1), AAX_ERROR_INVALID_PARAMETER_ID);
}

TEST (EffectParameters, BypassReachesItsFieldAsAnInt32OncePerChange)
{
    Instance instance;
    EXPECT_EQ (instance.host->GenerateCoefficients(), AAX_SUCCESS);
    EXPECT_EQ (instance.host->GenerateCoefficients(), AAX_SUCCESS);
    instance.hostConfirms ("MasterBypassID", 1.0);
    instance.hostConfirms ("2", 0.9); // no packet of its own
    EXPECT_EQ (instance.host->GenerateCoefficients(), AAX_SUCCESS);
    EXPECT_EQ (instance.host->GenerateCoefficients(), AAX_SUCCESS);

    const auto packets = instance.packets();
    ASSERT_EQ (packets.size(), 2u) << "the first request posts the new packet, then one post per change";
    EXPECT_EQ (packets[0].field, 3u);
    EXPECT_EQ (packets[0].payload, (std::vector<unsigned char> { 0, 0, 0, 0 }));
    int32_t state = 0;
    ASSERT_EQ (packets[1].payload.size(), 4u);
    std::memcpy (&state, packets[1].payload.data(), 4);
    EXPECT_EQ (state, 1);
}

TEST (EffectParameters, DefaultChunkHoldsEveryParameterButTheBypass)
{
    Instance instance;
    instance.hostConfirms ("1", 0.25);
    const auto record = instance.chunk();
    const auto* chunk = asChunk (record);

    EXPECT_EQ (chunk->fVersion, -1);
    char expectedName[32] = {};
    std::strcpy (expectedName, "Complete Controls State");
    EXPECT_EQ (std::memcmp (chunk->fName, expectedName, 32), 0);

    const unsigned char expectedData[] = {
        1, 1, 1, 1,
        'd', '_', '0', 0, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0,
        'd', '_', '1', 0, 0x3F, 0xD0, 0, 0, 0, 0, 0, 0,
        'd', '_', '2', 0, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0,
    };
    ASSERT_EQ (chunk->fSize, static_cast<int32_t> (sizeof (expectedData)));
    EXPECT_EQ (std::memcmp (chunk->fData, expectedData, sizeof (expectedData)), 0);
}

TEST (EffectParameters, GetChunkNeedsTheCurrentSizeFirst)
{
    Instance instance;
    std::vector<char> record (AAX_SPlugInChunkHeaderSize + 64);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*> (record.data());
    EXPECT_EQ (instance.host->GetChunk (AAX_CEffectParameters::kDefaultChunkID, chunk), AAX_ERROR_INCORRECT_CHUNK_SIZE);
    uint32_t size = 0;
    EXPECT_EQ (instance.host->GetChunkSize (AAX_CEffectParameters::kDefaultChunkID, &size), AAX_SUCCESS);
    instance.hostConfirms ("0", 0.9);
    EXPECT_EQ (instance.host->GetChunk (AAX_CEffectParameters::kDefaultChunkID, chunk), AAX_SUCCESS) << "values never change the size";
    EXPECT_EQ (instance.host->GetChunkSize (0x12345678, &size), AAX_ERROR_INVALID_CHUNK_ID);
    EXPECT_EQ (size, 0u);

    int32_t chunks = 0;
    AAX_CTypeID id = 1;
    EXPECT_EQ (instance.host->GetNumberOfChunks (&chunks), AAX_SUCCESS);
    EXPECT_EQ (chunks, 1);
    EXPECT_EQ (instance.host->GetChunkIDFromIndex (1, &id), AAX_ERROR_INVALID_CHUNK_INDEX);
    EXPECT_EQ (id, 0u);
}

TEST (EffectParameters, ChunkRestoresValuesExactlyInANewInstanceAndComparesEntryByEntry)
{
    std::vector<char> saved;
    {
        Instance original;
        original.hostConfirms ("0", 0.123456f);
        original.hostConfirms ("2", 1.0);
        original.hostConfirms ("MasterBypassID", 1.0);
        saved = original.chunk();

        AAX_CBoolean equal = 0;
        EXPECT_EQ (original.host->CompareActiveChunk (asChunk (saved), &equal), AAX_SUCCESS);
        EXPECT_EQ (equal, 1);
        original.hostConfirms ("2", 0.5);
        EXPECT_EQ (original.host->CompareActiveChunk (asChunk (saved), &equal), AAX_SUCCESS);
        EXPECT_EQ (equal, 0);
        original.hostConfirms ("MasterBypassID", 0.0);
        original.hostConfirms ("2", 1.0);
        EXPECT_EQ (original.host->CompareActiveChunk (asChunk (saved), &equal), AAX_SUCCESS);
        EXPECT_EQ (equal, 1) << "the bypass is not compared";

        auto otherRecord = saved;
        reinterpret_cast<AAX_SPlugInChunk*> (otherRecord.data())->fChunkID = 0x4B657374;
        original.hostConfirms ("2", 0.0);
        EXPECT_EQ (original.host->CompareActiveChunk (asChunk (otherRecord), &equal), AAX_SUCCESS);
        EXPECT_EQ (equal, 1) << "any other chunk compares equal";
    }

    Instance restored;
    EXPECT_EQ (restored.host->SetChunk (AAX_CEffectParameters::kDefaultChunkID, asChunk (saved)), AAX_SUCCESS);
    // Without automation the values would be stored at once; with it the
    // host is asked, and confirms what it was asked.
    for (const auto& line : restored.environment.callLog())
        if (line.find ("PostSetValueRequest") != std::string::npos)
        {
            const auto first = line.find ('"') + 1;
            const auto id = line.substr (first, line.find ('"', first) - first);
            restored.hostConfirms (id.c_str(), std::stod (line.substr (line.rfind (' ') + 1)));
        }
    EXPECT_EQ (static_cast<float> (restored.value ("0")), 0.123456f);
    EXPECT_EQ (restored.value ("2"), 1.0);
    EXPECT_EQ (restored.value ("MasterBypassID"), 0.0) << "the bypass is not restored from the chunk";

    AAX_CBoolean equal = 0;
    EXPECT_EQ (restored.host->CompareActiveChunk (asChunk (saved), &equal), AAX_SUCCESS);
    EXPECT_EQ (equal, 1);
    EXPECT_EQ (restored.host->SetChunk (0x4B657374, asChunk (saved)), AAX_ERROR_INVALID_CHUNK_ID);
}

TEST (EffectParameters, ADamagedChunkChangesNothingAndComparesUnequal)
{
    Instance instance;
    auto record = instance.chunk();
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*> (record.data());
    chunk->fData[0] = 7;
    instance.environment.clearLog();
    EXPECT_EQ (instance.host->SetChunk (AAX_CEffectParameters::kDefaultChunkID, chunk), AAX_SUCCESS);
    EXPECT_TRUE (instance.environment.callLog().empty());
    AAX_CBoolean equal = 1;
    EXPECT_EQ (instance.host->CompareActiveChunk (chunk, &equal), AAX_SUCCESS);
    EXPECT_EQ (equal, 0);
}

TEST (EffectParameters, UninitializeLetsGoOfTheHostAndLaterCallsFindNothing)
{
    Instance instance (true);
    auto* effect = instance.effect;
    EXPECT_NE (effect->Controller(), nullptr);
    EXPECT_EQ (instance.host->Uninitialize(), AAX_SUCCESS);

    EXPECT_EQ (effect->Controller(), nullptr);
    EXPECT_EQ (effect->Transport(), nullptr);
    EXPECT_FALSE (effect->IsParameterTouched ("1"));
    for (const char* label : { "controller", "automation", "transport" })
    {
        auto* object = instance.environment.find (label);
        ASSERT_NE (object, nullptr) << label;
        EXPECT_EQ (object->referenceCount(), object->referencesHeldByHost()) << label << " still held by the plug-in";
    }

    instance.environment.clearLog();
    EXPECT_EQ (instance.host->GenerateCoefficients(), AAX_ERROR_NULL_OBJECT) << "a due packet finds no controller";
    int32_t count = -1;
    instance.host->GetNumberOfParameters (&count);
    EXPECT_EQ (count, 0);
    EXPECT_EQ (instance.host->SetParameterNormalizedValue ("1", 0.3), AAX_ERROR_INVALID_PARAMETER_ID);
    EXPECT_EQ (instance.host->Uninitialize(), AAX_SUCCESS);
    EXPECT_TRUE (instance.environment.callLog().empty());
}

TEST (EffectParameters, ASecondInitializeIsRefusedAndChangesNothing)
{
    Instance instance;
    int32_t before = -1;
    instance.host->GetNumberOfParameters (&before);

    HostEnvironment otherHost;
    EXPECT_EQ (instance.host->Initialize (&otherHost.hostUnknown()), ACF_E_UNEXPECTED);

    int32_t after = -1;
    instance.host->GetNumberOfParameters (&after);
    EXPECT_EQ (after, before);
    EXPECT_EQ (otherHost.find ("controller"), nullptr) << "the second host was never asked for anything";

    // Set requests still reach the first host's automation.
    EXPECT_EQ (instance.host->SetParameterNormalizedValue ("1", 0.25), AAX_SUCCESS);
    instance.hostConfirms ("1", 0.25);
    EXPECT_DOUBLE_EQ (instance.value ("1"), 0.25);
}

TEST (EffectParameters, AFailureInsideAnOperationIsReturnedNotThrown)
{
    struct ThrowingDisplay final : AAX_IDisplayDelegate<float>
    {
        ThrowingDisplay* Clone() const override { return new ThrowingDisplay; }
        bool ValueToString (float, AAX_CString*) const override { throw std::runtime_error ("no text"); }
        bool ValueToString (float, int32_t, AAX_CString*) const override { throw std::bad_alloc(); }
        bool StringToValue (const AAX_CString&, float*) const override { throw 42; }
    };

    Instance instance;
    ThrowingDisplay display;
    EXPECT_EQ (instance.effect->SetDisplayDelegate ("1", display), AAX_SUCCESS);

    AAX_CString string;
    double value = 0;
    EXPECT_EQ (instance.host->GetParameterValueString ("1", &string, 4), ACF_E_UNEXPECTED);
    EXPECT_EQ (instance.host->GetParameterStringFromValue ("1", 0.5, &string, 0), ACF_E_UNEXPECTED);
    EXPECT_EQ (instance.host->GetParameterValueFromString ("1", &value, AAX_CString ("0.5")), ACF_E_UNEXPECTED);
    EXPECT_EQ (instance.host->GetParameterValueString ("2", &string, 0), AAX_SUCCESS) << "other parameters are unaffected";
}

namespace
{
/** Two float parameters "0" and "1"; the subclass may leave one out of the
    default chunk at any time, which changes the chunk's size. */
class ShrinkingEffect final : public AAX_CEffectParameters
{
public:
    AAX_Result EffectInit() override
    {
        for (const char* id : { "0", "1" })
            mParameterManager.AddParameter (new AAX_CParameter<float> (id, AAX_CString (id), 0.5f, AAX_CLinearTaperDelegate<float, 0> (0.0f, 1.0f),
                                                                        AAX_CNumberDisplayDelegate<float, 3u, 0u>(), true));
        return AAX_SUCCESS;
    }

    void leaveOutOfChunk (const char* id) { FilterParameterIDOnSave (id); }
};
} // namespace

TEST (EffectParameters, AChunkWhoseSizeChangedSinceItWasAskedIsRefusedUntilAskedAgainAndNothingIsWritten)
{
    HostEnvironment environment;
    auto* effect = new ShrinkingEffect;
    AAX_IACFEffectParameters* host = nullptr;
    effect->QueryInterface (IID_IAAXEffectParametersV2, reinterpret_cast<void**> (&host));
    ASSERT_EQ (host->Initialize (&environment.hostUnknown()), AAX_SUCCESS);

    uint32_t size = 0;
    ASSERT_EQ (host->GetChunkSize (AAX_CEffectParameters::kDefaultChunkID, &size), AAX_SUCCESS);
    EXPECT_EQ (size, 4u + 2u * 12u);

    // The chunk shrank since its size was told: refused, the record untouched, as often as asked.
    effect->leaveOutOfChunk ("1");
    std::vector<char> record (AAX_SPlugInChunkHeaderSize + size, '\x5A');
    const auto untouched = record;
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        EXPECT_EQ (host->GetChunk (AAX_CEffectParameters::kDefaultChunkID, reinterpret_cast<AAX_SPlugInChunk*> (record.data())),
                   AAX_ERROR_INCORRECT_CHUNK_SIZE);
        EXPECT_EQ (record, untouched);
    }

    // Asked again, the new size is told and the chunk is written with it.
    ASSERT_EQ (host->GetChunkSize (AAX_CEffectParameters::kDefaultChunkID, &size), AAX_SUCCESS);
    EXPECT_EQ (size, 4u + 12u);
    EXPECT_EQ (host->GetChunk (AAX_CEffectParameters::kDefaultChunkID, reinterpret_cast<AAX_SPlugInChunk*> (record.data())), AAX_SUCCESS);
    EXPECT_EQ (reinterpret_cast<AAX_SPlugInChunk*> (record.data())->fSize, 16);

    host->Uninitialize();
    host->Release();
}

namespace
{
/** A float "f", a two-state "b" and a double "d" parameter, all in the default chunk. */
class TypedEffect final : public AAX_CEffectParameters
{
public:
    AAX_Result EffectInit() override
    {
        mParameterManager.AddParameter (new AAX_CParameter<float> ("f", AAX_CString ("f"), 0.5f, AAX_CLinearTaperDelegate<float, 0> (0.0f, 1.0f),
                                                                    AAX_CNumberDisplayDelegate<float, 3u, 0u>(), true));
        mParameterManager.AddParameter (new AAX_CParameter<bool> ("b", AAX_CString ("b"), false, AAX_CBinaryTaperDelegate<bool>(),
                                                                   AAX_CBinaryDisplayDelegate<bool> ("off", "on"), true));
        mParameterManager.AddParameter (new AAX_CParameter<double> ("d", AAX_CString ("d"), 0.5, AAX_CLinearTaperDelegate<double, 0> (0.0, 1.0),
                                                                     AAX_CNumberDisplayDelegate<double, 3u, 0u>(), true));
        return AAX_SUCCESS;
    }

    void setChangeCount (int32_t count) { mNumPlugInChanges = count; }
};

/** The position of the value of the entry with this key in a chunk record. */
size_t valueOffset (const std::vector<char>& record, const std::string& key)
{
    const std::string data (record.begin() + AAX_SPlugInChunkHeaderSize, record.end());
    const auto at = data.find (key + '\0');
    EXPECT_NE (at, std::string::npos) << key;
    return AAX_SPlugInChunkHeaderSize + ((at + key.size() + 1 + 3) & ~size_t (3));
}

void putBigEndian (std::vector<char>& record, size_t offset, uint64_t bits, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        record[offset + (size_t) i] = (char) (bits >> (8 * (bytes - 1 - i)));
}

uint64_t doubleBits (double value)
{
    uint64_t bits = 0;
    std::memcpy (&bits, &value, sizeof (bits));
    return bits;
}
} // namespace

TEST (EffectParameters, TwoStateEntriesReadAsNonZeroDoublesCompareAtFloatPrecisionAndANegativeCountIsNotReported)
{
    HostEnvironment environment;
    auto* effect = new TypedEffect;
    AAX_IACFEffectParameters* host = nullptr;
    effect->QueryInterface (IID_IAAXEffectParametersV2, reinterpret_cast<void**> (&host));
    ASSERT_EQ (host->Initialize (&environment.hostUnknown()), AAX_SUCCESS);
    ASSERT_EQ (host->UpdateParameterNormalizedValue ("b", 1.0, 0), AAX_SUCCESS);
    ASSERT_EQ (host->UpdateParameterNormalizedValue ("d", 0.1, 0), AAX_SUCCESS);

    uint32_t size = 0;
    ASSERT_EQ (host->GetChunkSize (AAX_CEffectParameters::kDefaultChunkID, &size), AAX_SUCCESS);
    std::vector<char> record (AAX_SPlugInChunkHeaderSize + size);
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*> (record.data());
    chunk->fChunkID = AAX_CEffectParameters::kDefaultChunkID;
    ASSERT_EQ (host->GetChunk (AAX_CEffectParameters::kDefaultChunkID, chunk), AAX_SUCCESS);
    const auto twoState = valueOffset (record, "l_b");
    const auto number = valueOffset (record, "d_d");
    const auto compare = [&]
    {
        AAX_CBoolean equal = 7;
        EXPECT_EQ (host->CompareActiveChunk (chunk, &equal), AAX_SUCCESS);
        return equal;
    };
    EXPECT_EQ (compare(), 1);

    // Any non-zero integer is on: it compares equal to on and sets on.
    putBigEndian (record, twoState, 2, 4);
    EXPECT_EQ (compare(), 1);
    putBigEndian (record, twoState, 0xFFFFFFFF, 4);
    EXPECT_EQ (compare(), 1);
    putBigEndian (record, twoState, 0, 4);
    EXPECT_EQ (compare(), 0);
    putBigEndian (record, twoState, 2, 4);

    // A double that differs only beyond float precision compares equal; one that differs within it does not.
    putBigEndian (record, number, doubleBits (0.1 + 1.0e-12), 8);
    EXPECT_EQ (compare(), 1);
    putBigEndian (record, number, doubleBits (0.1001), 8);
    EXPECT_EQ (compare(), 0);

    // Restoring takes the two-state value as on and the double as written (the host confirms each request).
    ASSERT_EQ (host->UpdateParameterNormalizedValue ("b", 0.0, 0), AAX_SUCCESS);
    EXPECT_EQ (host->SetChunk (AAX_CEffectParameters::kDefaultChunkID, chunk), AAX_SUCCESS);
    for (const auto& line : environment.callLog())
        if (line.find ("PostSetValueRequest") != std::string::npos)
        {
            const auto first = line.find ('"') + 1;
            const auto id = line.substr (first, line.find ('"', first) - first);
            host->UpdateParameterNormalizedValue (id.c_str(), std::stod (line.substr (line.rfind (' ') + 1)), 0);
        }
    double value = -1.0;
    EXPECT_EQ (host->GetParameterNormalizedValue ("b", &value), AAX_SUCCESS);
    EXPECT_EQ (value, 1.0);

    // A change count that went negative is not reported: the out value stays.
    effect->setChangeCount (-3);
    int32_t changes = 42;
    EXPECT_EQ (host->GetNumberOfChanges (&changes), AAX_SUCCESS);
    EXPECT_EQ (changes, 42);

    host->Uninitialize();
    host->Release();
}

namespace
{
/** A parameter without a name and one whose shortened name offers two lines
    of three letters; no master bypass. */
class NamesEffect final : public AAX_CEffectParameters
{
public:
    AAX_Result EffectInit() override
    {
        mParameterManager.AddParameter (new AAX_CParameter<float> ("e", AAX_CString (""), 0.5f, AAX_CLinearTaperDelegate<float, 0> (0.0f, 1.0f),
                                                                    AAX_CNumberDisplayDelegate<float, 3u, 0u>(), true));
        auto* lines = new AAX_CParameter<float> ("t", AAX_CString ("Abcdefgh"), 0.5f, AAX_CLinearTaperDelegate<float, 0> (0.0f, 1.0f),
                                                 AAX_CNumberDisplayDelegate<float, 3u, 0u>(), false);
        lines->AddShortenedName (AAX_CString ("Abc\nXyz\nQ"));
        mParameterManager.AddParameter (lines);
        return AAX_SUCCESS;
    }
};
} // namespace

TEST (EffectParameters, UnknownIdentifiersAndUnansweredQuestionsGiveTheirCodesAndNeutralAnswers)
{
    HostEnvironment environment;
    auto* effect = new NamesEffect;
    AAX_IACFEffectParameters* host = nullptr;
    effect->QueryInterface (IID_IAAXEffectParametersV2, reinterpret_cast<void**> (&host));
    ASSERT_EQ (host->Initialize (&environment.hostUnknown()), AAX_SUCCESS);

    for (const char* unknown : { "x", "", "MasterBypassID", "0" })
    {
        SCOPED_TRACE (unknown);
        AAX_CBoolean automatable = 1;
        EXPECT_EQ (host->GetParameterIsAutomatable (unknown, &automatable), AAX_ERROR_INVALID_PARAMETER_ID);
        EXPECT_EQ (automatable, 0);
        AAX_IParameter* parameter = reinterpret_cast<AAX_IParameter*> (0x1);
        EXPECT_EQ (effect->GetParameter (unknown, &parameter), AAX_ERROR_INVALID_PARAMETER_ID);
        EXPECT_EQ (parameter, nullptr);
    }

    // Known, but not automatable: answered false, with success.
    AAX_CBoolean automatable = 1;
    EXPECT_EQ (host->GetParameterIsAutomatable ("t", &automatable), AAX_SUCCESS);
    EXPECT_EQ (automatable, 0);

    // No master bypass: its identifier is the empty text.
    AAX_CString bypass ("unset");
    EXPECT_EQ (host->GetMasterBypassParameter (&bypass), AAX_SUCCESS);
    EXPECT_STREQ (bypass.Get(), "");

    // Value information is never given: the out value is 0 all the same.
    int32_t info = 99;
    EXPECT_EQ (host->GetParameterValueInfo ("t", 0, &info), AAX_ERROR_UNIMPLEMENTED);
    EXPECT_EQ (info, 0);

    // Of two lines of the longest fitting length, the first; a name that is empty leaves the answer as it was.
    AAX_CString name ("kept");
    EXPECT_EQ (host->GetParameterNameOfLength ("t", &name, 3), AAX_SUCCESS);
    EXPECT_STREQ (name.Get(), "Abc");
    EXPECT_EQ (host->GetParameterNameOfLength ("t", &name, 1), AAX_SUCCESS);
    EXPECT_STREQ (name.Get(), "Q");
    name = "kept";
    EXPECT_EQ (host->GetParameterNameOfLength ("e", &name, 3), AAX_SUCCESS);
    EXPECT_STREQ (name.Get(), "kept");

    host->Uninitialize();
    host->Release();
}
