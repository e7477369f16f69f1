#pragma once

#include "host/PluginInstance.h"

#include <string>
#include <vector>

namespace KestHost
{
/** The plug-in's chunks as the host keeps them between runs: the file holds
    "KHst", a format version, the number of chunks, then for each its
    identifier, the size of its record and the record (header and data), all
    numbers little-endian.  Main thread. */
class StateFile
{
public:
    StateFile() = delete;

    /** Throws std::runtime_error when the file cannot be written. */
    static void write (const std::string& path, const std::vector<PluginInstance::Chunk>& chunks);

    /** Throws std::runtime_error when the file is missing, unreadable or not
        a complete state file; never reads past its end. */
    static std::vector<PluginInstance::Chunk> read (const std::string& path);
};
} // namespace KestHost
