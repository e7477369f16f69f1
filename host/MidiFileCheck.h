#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace KestHost
{
/** The structure of a standard MIDI file checked before it is read, so that
    a damaged file is refused with what is wrong instead of being read in
    part: the header, the time division and every track the header claims.
    Any thread. */
class MidiFileCheck
{
public:
    MidiFileCheck() = delete;

    /** What is wrong with the bytes as a standard MIDI file, or empty.  On
        success, tracks holds a six-byte header and the track chunks alone
        (chunks of other kinds and bytes after the last track left out). */
    static std::string check (const uint8_t* data, size_t size, std::vector<uint8_t>& tracks);
};
} // namespace KestHost
