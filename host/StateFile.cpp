#include "host/StateFile.h"

#include <juce_core/juce_core.h>

#include <stdexcept>

namespace KestHost
{
namespace
{
constexpr int magic = 0x7473484B; // "KHst" as little-endian bytes
constexpr int formatVersion = 1;
constexpr int maximumChunks = 64;

juce::File fileFor (const std::string& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}
} // namespace

void StateFile::write (const std::string& path, const std::vector<PluginInstance::Chunk>& chunks)
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

    if (! fileFor (path).replaceWithData (out.getData(), out.getDataSize()))
        throw std::runtime_error ("cannot write state file " + path);
}

std::vector<PluginInstance::Chunk> StateFile::read (const std::string& path)
{
    const auto file = fileFor (path);
    juce::MemoryBlock data;
    if (! file.existsAsFile() || ! file.loadFileAsData (data))
        throw std::runtime_error ("cannot read state file " + path);

    const auto notState = [&] { return std::runtime_error ("cannot read state file " + path + ": not a Kest state file"); };

    juce::MemoryInputStream in (data, false);
    if (in.getTotalLength() < 12 || in.readInt() != magic || in.readInt() != formatVersion)
        throw notState();
    const int count = in.readInt();
    if (count < 0 || count > maximumChunks)
        throw notState();

    std::vector<PluginInstance::Chunk> chunks;
    for (int i = 0; i < count; ++i)
    {
        if (in.getNumBytesRemaining() < 8)
            throw notState();
        PluginInstance::Chunk chunk;
        chunk.id = (AAX_CTypeID) in.readInt();
        const int size = in.readInt();
        if (size < (int) AAX_SPlugInChunkHeaderSize || size > in.getNumBytesRemaining())
            throw notState();
        chunk.record.resize ((size_t) size);
        in.read (chunk.record.data(), size);

        const auto* record = reinterpret_cast<const AAX_SPlugInChunk*> (chunk.record.data());
        if (record->fSize < 0 || AAX_SPlugInChunkHeaderSize + (size_t) record->fSize != (size_t) size)
            throw notState();
        chunks.push_back (std::move (chunk));
    }
    return chunks;
}
} // namespace KestHost
