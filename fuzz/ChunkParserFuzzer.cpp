#include "aax/AAX_CChunkDataParser.h"
#include "fuzz/FuzzSupport.h"

#include <vector>

// A chunk's data as the host hands it back: the input is the data after the
// record's header.  What the parser loads, it writes and loads again unchanged.

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    initialiseFuzzTarget();
    return 0;
}

namespace
{
std::vector<char> recordOf (const void* data, size_t size)
{
    std::vector<char> record (AAX_SPlugInChunkHeaderSize + size + 1);
    const auto declared = (int32_t) size;
    std::memcpy (record.data() + offsetof (AAX_SPlugInChunk, fSize), &declared, sizeof (declared));
    std::memcpy (record.data() + AAX_SPlugInChunkHeaderSize, data, size);
    return record;
}

bool sameEntries (const AAX_CChunkDataParser& a, const AAX_CChunkDataParser& b)
{
    std::vector<const AAX_CChunkDataParser::Entry*> left, right;
    for (auto& entry : a.GetEntries())
        if (entry.mDataType != AAX_CChunkDataParser::kNoType)
            left.push_back (&entry);
    for (auto& entry : b.GetEntries())
        right.push_back (&entry);
    if (left.size() != right.size())
        return false;
    for (size_t i = 0; i < left.size(); ++i)
        if (left[i]->mDataType != right[i]->mDataType || left[i]->mName != right[i]->mName
            || left[i]->mValue != right[i]->mValue || left[i]->mStringValue != right[i]->mStringValue)
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;

    auto record = recordOf (data, size);
    AAX_CChunkDataParser parser;
    parser.LoadChunk (reinterpret_cast<const AAX_SPlugInChunk*> (record.data()));

    float f = 0;
    int32_t l = 0;
    AAX_CString s;
    (void) parser.FindFloat ("Glide_1", &f);
    (void) parser.FindInt32 ("NumberOfVoices", &l);
    (void) parser.FindString ("Name", &s);

    std::vector<char> written (AAX_SPlugInChunkHeaderSize + (size_t) parser.GetChunkDataSize());
    parser.WriteChunk (reinterpret_cast<AAX_SPlugInChunk*> (written.data()));

    AAX_CChunkDataParser reloaded;
    reloaded.LoadChunk (reinterpret_cast<const AAX_SPlugInChunk*> (written.data()));
    KEST_FUZZ_CHECK (sameEntries (parser, reloaded));
    return 0;
}
