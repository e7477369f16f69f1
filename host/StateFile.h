#pragma once

#include "host/PluginInstance.h"

#include <string>
#include <vector>

namespace KestHost
{
class ReplacingFile;

/** The plug-in's chunks as the host keeps them between runs: the file holds
    "KHst", a format version, the number of chunks, then for each its
    identifier, the size of its record and the record (header and data), all
    numbers little-endian.  Main thread. */
class StateFile
{
public:
    StateFile() = delete;

    /** Writes the chunks into file and commits it.  Throws
        std::runtime_error naming the file and why; the target is then left
        as it was. */
    static void write (ReplacingFile& file, const std::vector<PluginInstance::Chunk>& chunks);

    /** Throws std::runtime_error naming the file and what is wrong when it
        cannot be read or is not a complete state file (truncated, a chunk
        size that does not match, a chunk identifier given twice); never
        reads past its end. */
    static std::vector<PluginInstance::Chunk> read (const std::string& path);

    /** Restores chunks read from the file at path, each of which the
        instance must keep.  Throws std::runtime_error naming the file and the
        chunk that is not the instance's or that it refused. */
    static void restore (PluginInstance& instance, const std::vector<PluginInstance::Chunk>& chunks, const std::string& path);
};
} // namespace KestHost
