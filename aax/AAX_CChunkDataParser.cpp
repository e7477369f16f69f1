#include "aax/AAX_CChunkDataParser.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace
{
uint32_t valueSize (int32_t type)
{
    switch (type)
    {
        case AAX_CChunkDataParser::kFloatType:
        case AAX_CChunkDataParser::kLongType:
        case AAX_CChunkDataParser::kShortType:
            return 4;
        case AAX_CChunkDataParser::kDoubleType:
            return 8;
        default:
            return 0;
    }
}

char typeLetter (int32_t type)
{
    static constexpr char letters[] = { '\0', 'f', 'l', 'd', 's', 'r' };
    return type > 0 && type <= AAX_CChunkDataParser::kStringType ? letters[type] : '\0';
}

int32_t typeOfLetter (char letter)
{
    for (int32_t type = AAX_CChunkDataParser::kFloatType; type <= AAX_CChunkDataParser::kStringType; ++type)
        if (typeLetter (type) == letter)
            return type;
    return AAX_CChunkDataParser::kNoType;
}

uint32_t roundedUpTo4 (uint32_t position)
{
    return (position + 3u) & ~3u;
}

void writeBigEndian (char* destination, uint64_t bits, uint32_t byteCount)
{
    for (uint32_t i = 0; i < byteCount; ++i)
        destination[i] = static_cast<char> ((bits >> (8u * (byteCount - 1u - i))) & 0xFFu);
}

uint64_t readBigEndian (const char* source, uint32_t byteCount)
{
    uint64_t bits = 0;
    for (uint32_t i = 0; i < byteCount; ++i)
        bits = (bits << 8u) | static_cast<unsigned char> (source[i]);
    return bits;
}

/** The end of the NUL-terminated text at position, or nullptr when the data
    ends first. */
const char* findTerminator (const char* data, uint32_t position, uint32_t size)
{
    return static_cast<const char*> (std::memchr (data + position, '\0', size - position));
}

template <typename Value>
uint64_t bitsOf (Value value)
{
    typename std::conditional<sizeof (Value) == 8, uint64_t, uint32_t>::type bits = 0;
    static_assert (sizeof (Value) == sizeof (bits), "float and double are IEEE-754");
    std::memcpy (&bits, &value, sizeof (value));
    return bits;
}

template <typename Value>
Value valueOf (uint64_t bits)
{
    typename std::conditional<sizeof (Value) == 8, uint64_t, uint32_t>::type narrowed = static_cast<decltype (narrowed)> (bits);
    Value value;
    std::memcpy (&value, &narrowed, sizeof (value));
    return value;
}
} // namespace

AAX_CChunkDataParser::AAX_CChunkDataParser() = default;
AAX_CChunkDataParser::~AAX_CChunkDataParser() = default;

void AAX_CChunkDataParser::Clear()
{
    mDataValues.clear();
    mLastFoundIndex = -1;
    mChunkVersion = -1;
}

bool AAX_CChunkDataParser::IsEmpty() const
{
    return mDataValues.empty();
}

void AAX_CChunkDataParser::AddFloat (const char* name, float value)
{
    mDataValues.push_back ({ kFloatType, AAX_CString (name), bitsOf (value), {} });
}

void AAX_CChunkDataParser::AddInt32 (const char* name, int32_t value)
{
    mDataValues.push_back ({ kLongType, AAX_CString (name), static_cast<uint32_t> (value), {} });
}

void AAX_CChunkDataParser::AddDouble (const char* name, double value)
{
    mDataValues.push_back ({ kDoubleType, AAX_CString (name), bitsOf (value), {} });
}

void AAX_CChunkDataParser::AddInt16 (const char* name, int16_t value)
{
    mDataValues.push_back ({ kShortType, AAX_CString (name), static_cast<uint16_t> (value), {} });
}

void AAX_CChunkDataParser::AddString (const char* name, const AAX_CString& value)
{
    mDataValues.push_back ({ kStringType, AAX_CString (name), 0, value });
}

int32_t AAX_CChunkDataParser::FindName (const AAX_CString& name)
{
    const auto count = static_cast<int32_t> (mDataValues.size());
    if (mLastFoundIndex >= count - 1)
        mLastFoundIndex = -1;

    auto matches = [&] (int32_t index) { return std::strcmp (mDataValues[static_cast<size_t> (index)].mName.Get(), name.Get()) == 0; };

    for (int32_t i = mLastFoundIndex + 1; i < count; ++i)
        if (matches (i))
            return mLastFoundIndex = i;
    for (int32_t i = 0; i <= mLastFoundIndex; ++i)
        if (matches (i))
            return mLastFoundIndex = i;
    return -1;
}

namespace
{
template <typename Parser>
const AAX_CChunkDataParser::Entry* findTyped (Parser& parser, const char* name, int32_t type)
{
    if (name == nullptr)
        return nullptr;
    const auto index = parser.FindName (AAX_CString (name));
    if (index < 0)
        return nullptr;
    const auto& entry = parser.GetEntries()[static_cast<size_t> (index)];
    return entry.mDataType == type ? &entry : nullptr;
}
} // namespace

bool AAX_CChunkDataParser::FindFloat (const char* name, float* outValue)
{
    const auto* entry = findTyped (*this, name, kFloatType);
    if (entry != nullptr)
        *outValue = valueOf<float> (entry->mValue);
    return entry != nullptr;
}

bool AAX_CChunkDataParser::FindInt32 (const char* name, int32_t* outValue)
{
    const auto* entry = findTyped (*this, name, kLongType);
    if (entry != nullptr)
        *outValue = static_cast<int32_t> (static_cast<uint32_t> (entry->mValue));
    return entry != nullptr;
}

bool AAX_CChunkDataParser::FindDouble (const char* name, double* outValue)
{
    const auto* entry = findTyped (*this, name, kDoubleType);
    if (entry != nullptr)
        *outValue = valueOf<double> (entry->mValue);
    return entry != nullptr;
}

bool AAX_CChunkDataParser::FindInt16 (const char* name, int16_t* outValue)
{
    const auto* entry = findTyped (*this, name, kShortType);
    if (entry != nullptr)
        *outValue = static_cast<int16_t> (static_cast<uint16_t> (entry->mValue));
    return entry != nullptr;
}

bool AAX_CChunkDataParser::FindString (const char* name, AAX_IString* outValue)
{
    const auto* entry = findTyped (*this, name, kStringType);
    if (entry != nullptr)
        outValue->Set (entry->mStringValue.Get());
    return entry != nullptr;
}

bool AAX_CChunkDataParser::ReplaceDouble (const char* name, double value)
{
    const auto* entry = findTyped (*this, name, kDoubleType);
    if (entry == nullptr)
        return false;
    mDataValues[static_cast<size_t> (entry - mDataValues.data())].mValue = bitsOf (value);
    return true;
}

// Entries of no type (read from malformed data) have no letter to write,
// so they are neither counted nor written.
int32_t AAX_CChunkDataParser::GetChunkDataSize() const
{
    uint32_t size = 4;
    for (const auto& entry : mDataValues)
    {
        if (entry.mDataType == kNoType)
            continue;
        size += roundedUpTo4 (entry.mName.Length() + 3u);
        size += entry.mDataType == kStringType ? roundedUpTo4 (entry.mStringValue.Length() + 1u) : valueSize (entry.mDataType);
    }
    return static_cast<int32_t> (size);
}

int32_t AAX_CChunkDataParser::WriteChunk (AAX_SPlugInChunk* chunk) const
{
    const auto size = static_cast<uint32_t> (GetChunkDataSize());
    chunk->fSize = static_cast<int32_t> (size);

    char* data = chunk->fData;
    std::memset (data, 0, size);
    writeBigEndian (data, kHeadWord, 4);

    uint32_t position = 4;
    for (const auto& entry : mDataValues)
    {
        if (entry.mDataType == kNoType)
            continue;

        data[position] = typeLetter (entry.mDataType);
        data[position + 1] = '_';
        std::memcpy (data + position + 2, entry.mName.Get(), entry.mName.Length());
        position = roundedUpTo4 (position + entry.mName.Length() + 3u);

        if (entry.mDataType == kStringType)
        {
            std::memcpy (data + position, entry.mStringValue.Get(), entry.mStringValue.Length());
            position += roundedUpTo4 (entry.mStringValue.Length() + 1u);
        }
        else if (entry.mDataType == kShortType)
        {
            writeBigEndian (data + position, entry.mValue, 2);
            position += 4;
        }
        else
        {
            writeBigEndian (data + position, entry.mValue, valueSize (entry.mDataType));
            position += valueSize (entry.mDataType);
        }
    }
    return AAX_SUCCESS;
}

void AAX_CChunkDataParser::LoadChunk (const AAX_SPlugInChunk* chunk)
{
    Clear();
    if (chunk == nullptr)
        return;
    // The host's record is read byte-wise: nothing promises its alignment.
    const auto* record = reinterpret_cast<const char*> (chunk);
    int32_t declaredSize = 0;
    std::memcpy (&mChunkVersion, record + offsetof (AAX_SPlugInChunk, fVersion), sizeof (int32_t));
    std::memcpy (&declaredSize, record + offsetof (AAX_SPlugInChunk, fSize), sizeof (int32_t));

    if (declaredSize < 5)
        return;
    const auto size = static_cast<uint32_t> (declaredSize);
    const char* data = record + offsetof (AAX_SPlugInChunk, fData);
    if (readBigEndian (data, 4) != kHeadWord)
        return;

    // Every read below stays within [0, size); an entry cut off by the end of
    // the data is dropped and reading stops.
    uint32_t position = 4;
    while (position < size)
    {
        const char* keyEnd = findTerminator (data, position, size);
        if (keyEnd == nullptr)
            return;

        const auto keyLength = std::min (static_cast<uint32_t> (keyEnd - (data + position)), static_cast<uint32_t> (kMaxKeyLength));
        const std::string key (data + position, keyLength);
        position = roundedUpTo4 (static_cast<uint32_t> (keyEnd - data) + 1u);

        Entry entry;
        entry.mDataType = key.empty() ? kNoType : typeOfLetter (key[0]);
        entry.mName = key.size() > 2 ? key.c_str() + 2 : "";

        if (entry.mDataType == kStringType)
        {
            if (position >= size)
                return;
            const char* textEnd = findTerminator (data, position, size);
            if (textEnd == nullptr)
                return;
            entry.mStringValue = data + position;
            position = roundedUpTo4 (static_cast<uint32_t> (textEnd - data) + 1u);
        }
        else if (entry.mDataType != kNoType)
        {
            const auto bytes = valueSize (entry.mDataType);
            if (position > size || size - position < bytes)
                return;
            entry.mValue = readBigEndian (data + position, entry.mDataType == kShortType ? 2 : bytes);
            position += bytes;
        }

        mDataValues.push_back (std::move (entry));
    }
}

int32_t AAX_CChunkDataParser::RoundUpTo4 (int32_t& position)
{
    position = (position + 3) & ~3;
    return position;
}
