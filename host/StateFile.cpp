#include "host/StateFile.h"

#include "host/ReplacingFile.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace KestHost
{
namespace
{
constexpr int magic = 0x7473484B; // "KHst" as little-endian bytes
constexpr int formatVersion = 1;
constexpr int maximumChunks = 64;
constexpr juce::int64 maximumFileBytes = 64 * 1024 * 1024;
/** A chunk identifier as its four characters where they are printable. */
std::string chunkName (AAX_CTypeID id)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        const auto character = (char) ((id >> shift) & 0xff);
        if (character < 0x20 || character > 0x7e)
        {
            char hex[16];
            std::snprintf (hex, sizeof (hex), "0x%08X", (unsigned) id);
            return hex;
        }
        text += character;
    }
    return "'" + text + "'";
}
} // namespace

void StateFile::write (ReplacingFile& file, const std::vector<PluginInstance::Chunk>& chunks)
{
    juce::MemoryOutputStream out;
    out.writeInt (magic);
    out.writeInt (formatVersion);
    out.writeInt ((int) chunks.size());
    for (auto& chunk : chunks)
    {
        out.writeInt ((int) chunk.id);
        out.writeInt ((int) chunk.record.size());
        out.write (chunk.record.data(), chunk.record.size());
    }
    file.write (out.getData(), out.getDataSize());
    file.commit();
}

std::vector<PluginInstance::Chunk> StateFile::read (const std::string& path)
{
    const auto failure = [&path] (const std::string& why) { return std::runtime_error ("cannot read state file " + path + ": " + why); };

    juce::FileInputStream stream (juce::File::getCurrentWorkingDirectory().getChildFile (path));
    if (! stream.openedOk())
        throw failure (stream.getStatus().getErrorMessage().toStdString());
    juce::MemoryBlock data;
    if ((juce::int64) stream.readIntoMemoryBlock (data, maximumFileBytes + 1) > maximumFileBytes)
        throw failure ("it is larger than any state file");

    juce::MemoryInputStream in (data, false);
    if (in.getTotalLength() < 12 || in.readInt() != magic)
        throw failure ("not a Kest state file (it does not begin with \"KHst\" and a chunk count)");
    if (const auto version = in.readInt(); version != formatVersion)
        throw failure ("its format version " + std::to_string (version) + " is not one this host reads (" + std::to_string (formatVersion) + ")");
    const int count = in.readInt();
    if (count < 0 || count > maximumChunks)
        throw failure ("it claims " + std::to_string (count) + " chunks; a state holds at most " + std::to_string (maximumChunks));

    std::vector<PluginInstance::Chunk> chunks;
    for (int i = 0; i < count; ++i)
    {
        const auto where = "chunk " + std::to_string (i + 1) + " of " + std::to_string (count);
        if (in.getNumBytesRemaining() < 8)
            throw failure ("it is truncated before " + where);
        PluginInstance::Chunk chunk;
        chunk.id = (AAX_CTypeID) in.readInt();
        const int size = in.readInt();
        if (size < (int) AAX_SPlugInChunkHeaderSize || size > in.getNumBytesRemaining())
            throw failure (where + " is truncated or has a size (" + std::to_string (size) + " bytes) that does not fit the file");
        chunk.record.resize ((size_t) size);
        in.read (chunk.record.data(), size);

        // The record's own header is read byte-wise: the vector's data need
        // not be aligned for the record type.
        int32_t recordSize = 0;
        std::memcpy (&recordSize, chunk.record.data() + offsetof (AAX_SPlugInChunk, fSize), sizeof (recordSize));
        if (recordSize < 0 || AAX_SPlugInChunkHeaderSize + (size_t) recordSize != (size_t) size)
            throw failure (where + " holds a record whose own size (" + std::to_string (recordSize) + " bytes) does not match");
        AAX_CTypeID recordId = 0;
        std::memcpy (&recordId, chunk.record.data() + offsetof (AAX_SPlugInChunk, fChunkID), sizeof (recordId));
        if (recordId != chunk.id)
            throw failure (where + " holds a record of another chunk");
        for (auto& earlier : chunks)
            if (earlier.id == chunk.id)
                throw failure (where + " repeats the identifier of an earlier chunk");
        chunks.push_back (std::move (chunk));
    }
    if (in.getNumBytesRemaining() > 0)
        throw failure ("it holds " + std::to_string (in.getNumBytesRemaining()) + " bytes after its last chunk");
    return chunks;
}
void StateFile::restore (PluginInstance& instance, const std::vector<PluginInstance::Chunk>& state, const std::string& path)
{
    std::vector<AAX_CTypeID> known;
    std::string knownNames;
    for (auto& chunk : instance.saveChunks())
    {
        known.push_back (chunk.id);
        knownNames += (knownNames.empty() ? "" : ", ") + chunkName (chunk.id);
    }

    const auto failure = [&path] (const std::string& why) { return std::runtime_error ("cannot use state file " + path + ": " + why); };
    for (auto& chunk : state)
        if (std::find (known.begin(), known.end(), chunk.id) == known.end())
            throw failure ("its chunk " + chunkName (chunk.id) + " is not one this plug-in keeps (" + knownNames + ")");

    for (auto& chunk : state)
        if (const auto restored = instance.restoreChunk (chunk); restored != AAX_SUCCESS)
            throw failure ("the plug-in refused its chunk " + chunkName (chunk.id) + " as damaged or not its own (result "
                           + std::to_string (restored) + ")");
}
} // namespace KestHost
