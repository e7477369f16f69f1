#pragma once

#include "aax/AAX_CString.h"
#include "platform/AAXHostInterfaces.h"

#include <vector>

/** A flat list of named, typed values written into and read from the data
    of a plug-in chunk.

    Data layout: the head word 01 01 01 01, then per entry a key (type
    letter, "_", name, NUL, zero bytes up to a multiple of 4) and its value:
    "f_" float and "l_" int32 in 4 bytes, "d_" double in 8, "s_" int16 in the
    first 2 of 4, all most significant byte first; "r_" text, NUL, zero bytes
    up to a multiple of 4.

    Reading never goes beyond the chunk's declared data size; a truncated
    last entry is dropped.  Lookups by name start after the last entry found,
    so reading back in written order costs one comparison per entry.

    No lock: one chunk call at a time.
*/
class AAX_CChunkDataParser
{
public:
    enum EntryType : int32_t
    {
        kNoType = 0,
        kFloatType = 1,
        kLongType = 2,
        kDoubleType = 3,
        kShortType = 4,
        kStringType = 5
    };

    struct Entry
    {
        int32_t mDataType = kNoType;
        AAX_CString mName;
        uint64_t mValue = 0; // the bits of the float, int32, double or int16
        AAX_CString mStringValue;
    };

    static constexpr uint32_t kHeadWord = 0x01010101u;
    static constexpr int32_t kMaxKeyLength = 255;

    AAX_CChunkDataParser();
    virtual ~AAX_CChunkDataParser();

    /** Removes every entry; the version and the last found index become -1. */
    void Clear();
    bool IsEmpty() const;

    /** Appends an entry; a name already present gets a second entry. */
    void AddFloat (const char* name, float value);
    void AddInt32 (const char* name, int32_t value);
    void AddDouble (const char* name, double value);
    void AddInt16 (const char* name, int16_t value);
    void AddString (const char* name, const AAX_CString& value);

    /** True and the value when the next entry of that name has that type;
        otherwise false with the output untouched. */
    bool FindFloat (const char* name, float* outValue);
    bool FindInt32 (const char* name, int32_t* outValue);
    bool FindDouble (const char* name, double* outValue);
    bool FindInt16 (const char* name, int16_t* outValue);
    bool FindString (const char* name, AAX_IString* outValue);

    /** Replaces the value of the next double entry of that name. */
    bool ReplaceDouble (const char* name, double value);

    /** The index of the next entry of that name (cyclically after the last
        one found), or -1. */
    int32_t FindName (const AAX_CString& name);

    /** The number of data bytes WriteChunk writes; 4 for an empty parser. */
    int32_t GetChunkDataSize() const;

    /** Writes the size field and the data; no other header field.  The
        record must hold GetChunkDataSize data bytes.  AAX_SUCCESS. */
    int32_t WriteChunk (AAX_SPlugInChunk* chunk) const;

    /** Replaces the entries with those in the record's data and takes its
        version.  A record too short or with another head word loads nothing. */
    void LoadChunk (const AAX_SPlugInChunk* chunk);

    int32_t GetChunkVersion() const noexcept { return mChunkVersion; }
    const std::vector<Entry>& GetEntries() const noexcept { return mDataValues; }

    /** Rounds position up to a multiple of 4, stores and returns it. */
    static int32_t RoundUpTo4 (int32_t& position);

private:
    int32_t mLastFoundIndex = -1;
    int32_t mChunkVersion = -1;
    std::vector<Entry> mDataValues;
};
