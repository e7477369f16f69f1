// The chunk data format byte for byte, and loading damaged chunks: nothing
// is read beyond the declared data (a page the process may not read follows
// it), and a damaged chunk yields no entry it does not fully hold.

#include "aax/AAX_CChunkDataParser.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

Bytes written (const AAX_CChunkDataParser& parser)
{
    const auto size = static_cast<size_t> (parser.GetChunkDataSize());
    std::vector<char> record (AAX_SPlugInChunkHeaderSize + size + 16, '\x55');
    auto* chunk = reinterpret_cast<AAX_SPlugInChunk*> (record.data());
    EXPECT_EQ (parser.WriteChunk (chunk), AAX_SUCCESS);
    EXPECT_EQ (chunk->fSize, static_cast<int32_t> (size));
    EXPECT_EQ (record[AAX_SPlugInChunkHeaderSize + size], '\x55') << "nothing written past the data";
    return Bytes (record.begin() + AAX_SPlugInChunkHeaderSize, record.begin() + static_cast<long> (AAX_SPlugInChunkHeaderSize + size));
}

/** A chunk record whose data ends exactly where an unreadable page begins,
    so a read past the declared size stops the test with a fault. */
class GuardedChunk
{
public:
    GuardedChunk (const Bytes& data, int32_t declaredSize, int32_t version = 7)
    {
        const auto page = static_cast<size_t> (sysconf (_SC_PAGESIZE));
        const size_t needed = AAX_SPlugInChunkHeaderSize + data.size();
        length = ((needed + page - 1) / page + 1) * page;
        memory = static_cast<char*> (mmap (nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect (memory + length - page, page, PROT_NONE);

        char* start = memory + length - page - needed;
        // The record may lie at any address; it is written byte-wise.
        chunk = reinterpret_cast<AAX_SPlugInChunk*> (start);
        std::memcpy (start + offsetof (AAX_SPlugInChunk, fSize), &declaredSize, sizeof (declaredSize));
        std::memcpy (start + offsetof (AAX_SPlugInChunk, fVersion), &version, sizeof (version));
        if (! data.empty())
            std::memcpy (start + AAX_SPlugInChunkHeaderSize, data.data(), data.size());
    }

    ~GuardedChunk() { munmap (memory, length); }

    const AAX_SPlugInChunk* get() const { return chunk; }

private:
    char* memory = nullptr;
    size_t length = 0;
    AAX_SPlugInChunk* chunk = nullptr;
};

Bytes concat (std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto& part : parts)
        all.insert (all.end(), part.begin(), part.end());
    return all;
}

const Bytes head { 0x01, 0x01, 0x01, 0x01 };
const Bytes doubleSevenHalf { 'd', '_', '7', 0, 0x3F, 0xE0, 0, 0, 0, 0, 0, 0 };
const Bytes longTwelveMinusTwo { 'l', '_', '1', '2', 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFE };
} // namespace

TEST (ChunkData, EntriesAreWrittenBigEndianWithKeysAlignedTo4)
{
    AAX_CChunkDataParser parser;
    EXPECT_EQ (written (parser), head);

    parser.AddDouble ("7", 0.5);
    EXPECT_EQ (parser.GetChunkDataSize(), 16);
    EXPECT_EQ (written (parser), concat ({ head, doubleSevenHalf }));

    parser.Clear();
    parser.AddInt32 ("12", -2);
    parser.AddInt16 ("s", -2);
    parser.AddFloat ("f", 1.0f);
    parser.AddString ("abc", AAX_CString ("abc"));
    parser.AddString ("e", AAX_CString (""));
    EXPECT_EQ (written (parser), concat ({ head, longTwelveMinusTwo,
                                           { 's', '_', 's', 0, 0xFF, 0xFE, 0, 0 },
                                           { 'f', '_', 'f', 0, 0x3F, 0x80, 0, 0 },
                                           { 'r', '_', 'a', 'b', 'c', 0, 0, 0, 'a', 'b', 'c', 0 },
                                           { 'r', '_', 'e', 0, 0, 0, 0, 0 } }));
}

TEST (ChunkData, WrittenDataLoadsBackToTheSameValues)
{
    AAX_CChunkDataParser writer;
    writer.AddDouble ("0", 0.123456789);
    writer.AddInt32 ("MasterBypassID", 1);
    writer.AddString ("name", AAX_CString ("Lead"));
    writer.AddInt16 ("s", -300);
    const auto data = written (writer);

    AAX_CChunkDataParser reader;
    const GuardedChunk chunk (data, static_cast<int32_t> (data.size()), 3);
    reader.LoadChunk (chunk.get());
    EXPECT_EQ (reader.GetChunkVersion(), 3);

    double d = 0;
    int32_t i = 0;
    int16_t s = 0;
    AAX_CString text;
    EXPECT_TRUE (reader.FindDouble ("0", &d));
    EXPECT_EQ (d, 0.123456789);
    EXPECT_TRUE (reader.FindInt32 ("MasterBypassID", &i));
    EXPECT_EQ (i, 1);
    EXPECT_TRUE (reader.FindString ("name", &text));
    EXPECT_STREQ (text.Get(), "Lead");
    EXPECT_TRUE (reader.FindInt16 ("s", &s));
    EXPECT_EQ (s, -300);
    EXPECT_FALSE (reader.FindDouble ("MasterBypassID", &d)) << "an entry of another type is not found";
}

TEST (ChunkData, TruncatedDataLoadsOnlyWholeEntriesAndNeverReadsPastIt)
{
    const auto full = concat ({ head, doubleSevenHalf, longTwelveMinusTwo, { 'r', '_', 'x', 0, 'a', 'b', 'c', 0 } });

    // Every cut inside the data: the data ends at the guard page each time.
    for (size_t cut = 0; cut < full.size(); ++cut)
    {
        const Bytes data (full.begin(), full.begin() + static_cast<long> (cut));
        const GuardedChunk chunk (data, static_cast<int32_t> (cut));
        AAX_CChunkDataParser parser;
        parser.LoadChunk (chunk.get());

        size_t expectedEntries = 0;
        if (cut >= 16)
            expectedEntries = 1;
        if (cut >= 28)
            expectedEntries = 2;
        EXPECT_EQ (parser.GetEntries().size(), expectedEntries) << "cut at " << cut;

        double d = 0;
        EXPECT_EQ (parser.FindDouble ("7", &d), cut >= 16) << "cut at " << cut;
    }
}

TEST (ChunkData, CorruptHeadsAndSizesLoadNothing)
{
    const auto valid = concat ({ head, doubleSevenHalf });
    auto wrongHead = valid;
    wrongHead[3] = 0x02;

    struct Case
    {
        Bytes data;
        int32_t declaredSize;
    };
    const Case cases[] = { { wrongHead, 16 }, { head, 4 }, { Bytes {}, -5 }, { Bytes {}, std::numeric_limits<int32_t>::min() } };
    for (const auto& c : cases)
    {
        const GuardedChunk chunk (c.data, c.declaredSize, 9);
        AAX_CChunkDataParser parser;
        parser.AddDouble ("old", 1.0);
        parser.LoadChunk (chunk.get());
        EXPECT_TRUE (parser.IsEmpty()) << "declared size " << c.declaredSize;
        EXPECT_EQ (parser.GetChunkVersion(), 9) << "the version is taken even from a chunk that loads nothing";
    }
}

TEST (ChunkData, KeysWithoutTerminatorOrWithOverlongNamesStayWithinTheData)
{
    // A key that runs to the end of the data without its NUL.
    const auto unterminated = concat ({ head, Bytes (12, 'd') });
    {
        const GuardedChunk chunk (unterminated, static_cast<int32_t> (unterminated.size()));
        AAX_CChunkDataParser parser;
        parser.LoadChunk (chunk.get());
        EXPECT_TRUE (parser.IsEmpty());
    }

    // A 300-character name: the key is read as its first 255 characters, and
    // reading continues after its real terminator.
    Bytes longKey { 'l', '_' };
    longKey.insert (longKey.end(), 298, 'n');
    longKey.push_back (0);
    while (longKey.size() % 4 != 0)
        longKey.push_back (0);
    const auto data = concat ({ head, longKey, { 0, 0, 0, 5 }, doubleSevenHalf });
    const GuardedChunk chunk (data, static_cast<int32_t> (data.size()));
    AAX_CChunkDataParser parser;
    parser.LoadChunk (chunk.get());

    ASSERT_EQ (parser.GetEntries().size(), 2u);
    EXPECT_EQ (parser.GetEntries()[0].mName.Length(), 253u);
    double d = 0;
    EXPECT_TRUE (parser.FindDouble ("7", &d));
    EXPECT_EQ (d, 0.5);
}

TEST (ChunkData, UnknownTypeLettersGiveUntypedEntriesAndReadingGoesOn)
{
    const auto data = concat ({ head, { 'x', '_', 'a', 0 }, doubleSevenHalf });
    const GuardedChunk chunk (data, static_cast<int32_t> (data.size()));
    AAX_CChunkDataParser parser;
    parser.LoadChunk (chunk.get());
    ASSERT_EQ (parser.GetEntries().size(), 2u);
    EXPECT_EQ (parser.GetEntries()[0].mDataType, AAX_CChunkDataParser::kNoType);
    double d = 0;
    EXPECT_FALSE (parser.FindDouble ("a", &d));
    EXPECT_TRUE (parser.FindDouble ("7", &d));
}

TEST (ChunkData, LookupsContinueAfterTheLastFoundEntryCyclically)
{
    AAX_CChunkDataParser parser;
    parser.AddInt32 ("same", 1);
    parser.AddDouble ("other", 0.0);
    parser.AddInt32 ("same", 2);

    int32_t value = 0;
    std::vector<int32_t> found;
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_TRUE (parser.FindInt32 ("same", &value));
        found.push_back (value);
    }
    EXPECT_EQ (found, (std::vector<int32_t> { 1, 2, 1 }));
    EXPECT_EQ (parser.FindName (AAX_CString ("missing")), -1);
}

TEST (ChunkData, ANameLookedUpAgainIsFoundAgainWhereverItStands)
{
    AAX_CChunkDataParser parser;
    parser.AddInt32 ("first", 1);
    parser.AddDouble ("middle", 0.5);
    parser.AddInt32 ("last", 3);

    // The same name twice in a row, at the start, in the middle and at the end.
    for (const char* name : { "first", "middle", "last", "middle", "first" })
    {
        SCOPED_TRACE (name);
        const auto index = parser.FindName (AAX_CString (name));
        EXPECT_GE (index, 0);
        EXPECT_EQ (parser.FindName (AAX_CString (name)), index);
    }

    // A typed find that fails on the type still leaves the entry findable.
    int32_t wrongType = -7;
    double value = 0.0;
    EXPECT_FALSE (parser.FindInt32 ("middle", &wrongType));
    EXPECT_EQ (wrongType, -7);
    EXPECT_TRUE (parser.FindDouble ("middle", &value));
    EXPECT_EQ (value, 0.5);

    // A missing name finds nothing and the next lookup still finds its entry.
    EXPECT_EQ (parser.FindName (AAX_CString ("none")), -1);
    int32_t first = 0;
    EXPECT_TRUE (parser.FindInt32 ("first", &first));
    EXPECT_TRUE (parser.FindInt32 ("first", &first));
    EXPECT_EQ (first, 1);
}

TEST (ChunkData, AKeyWhoseTerminatorEndsTheDataOffTheFourByteGridYieldsNoEntry)
{
    // Each key's NUL is the last byte of the data, and the next multiple of 4
    // lies beyond it: no value can follow, and nothing past the data is read.
    for (const Bytes& key : { Bytes { 'r', '_', 0 }, Bytes { 'r', '_', 'a', 'b', 0 }, Bytes { 'd', '_', 'a', 'b', 'c', 'd', 0 },
                              Bytes { 's', '_', 0 }, Bytes { 'f', '_', 'x', 'y', 'z', 0 } })
    {
        const auto data = concat ({ head, doubleSevenHalf, key });
        SCOPED_TRACE (std::string (key.begin(), key.end() - 1));
        const GuardedChunk chunk (data, static_cast<int32_t> (data.size()));
        AAX_CChunkDataParser parser;
        parser.LoadChunk (chunk.get());
        ASSERT_EQ (parser.GetEntries().size(), 1u);
        double d = 0;
        EXPECT_TRUE (parser.FindDouble ("7", &d));
        EXPECT_EQ (d, 0.5);
    }
}
