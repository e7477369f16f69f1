#include "host/MidiFileCheck.h"

#include <cstring>

namespace KestHost
{
namespace
{
uint32_t bigEndian32 (const uint8_t* bytes)
{
    return ((uint32_t) bytes[0] << 24) | ((uint32_t) bytes[1] << 16) | ((uint32_t) bytes[2] << 8) | bytes[3];
}

uint16_t bigEndian16 (const uint8_t* bytes)
{
    return (uint16_t) (((unsigned) bytes[0] << 8) | bytes[1]);
}

bool isChunk (const uint8_t* bytes, const char* name)
{
    return std::memcmp (bytes, name, 4) == 0;
}

/** Where the header chunk starts: at the beginning, or inside a RIFF
    wrapper's first words. */
size_t findHeader (const uint8_t* data, size_t size)
{
    if (size >= 4 && isChunk (data, "MThd"))
        return 0;
    if (size >= 4 && isChunk (data, "RIFF"))
        for (size_t offset = 4; offset + 4 <= size && offset <= 32; offset += 4)
            if (isChunk (data + offset, "MThd"))
                return offset;
    return size;
}
} // namespace

std::string MidiFileCheck::check (const uint8_t* data, size_t size, std::vector<uint8_t>& tracks)
{
    const auto header = findHeader (data, size);
    if (header == size)
        return "not a standard MIDI file (it does not begin with an MThd header)";
    if (size - header < 14)
        return "its header is truncated";

    const auto headerLength = bigEndian32 (data + header + 4);
    if (headerLength < 6)
        return "its header is too short (" + std::to_string (headerLength) + " bytes, at least 6 are needed)";
    if (headerLength > size - header - 8)
        return "its header is truncated";

    const uint8_t* fields = data + header + 8;
    const auto format = bigEndian16 (fields);
    const auto claimedTracks = bigEndian16 (fields + 2);
    const auto division = bigEndian16 (fields + 4);
    if (format > 2)
        return "its format " + std::to_string (format) + " is unknown (0, 1 and 2 are standard)";
    if (claimedTracks == 0)
        return "its header claims no tracks";
    if (format == 0 && claimedTracks != 1)
        return "its header claims " + std::to_string (claimedTracks) + " tracks, but a format-0 file holds exactly one";
    if (division == 0)
        return "its time division is 0 ticks per quarter note";
    if ((division & 0x8000) != 0)
    {
        const int framesPerSecond = -(int) (int8_t) (division >> 8);
        const int ticksPerFrame = division & 0xff;
        if ((framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30) || ticksPerFrame == 0)
            return "its time division (" + std::to_string (framesPerSecond) + " frames per second, " + std::to_string (ticksPerFrame)
                   + " ticks per frame) is not a valid SMPTE division";
    }

    tracks.assign ({ 'M', 'T', 'h', 'd', 0, 0, 0, 6 });
    tracks.insert (tracks.end(), fields, fields + 6);

    size_t position = header + 8 + headerLength;
    int found = 0;
    while (found < claimedTracks)
    {
        if (size - position < 8)
            return "its header claims " + std::to_string (claimedTracks) + " tracks, but the file holds only " + std::to_string (found);
        const auto* chunk = data + position;
        const auto length = bigEndian32 (chunk + 4);
        const bool isTrack = isChunk (chunk, "MTrk");
        if (length > size - position - 8)
            return (isTrack ? "track " + std::to_string (found + 1) : std::string ("a chunk after track ") + std::to_string (found))
                   + " is truncated: it claims " + std::to_string (length) + " bytes, but only " + std::to_string (size - position - 8)
                   + " remain";
        if (isTrack)
        {
            tracks.insert (tracks.end(), chunk, chunk + 8 + length);
            ++found;
        }
        position += 8 + (size_t) length;
    }

    if (size - position >= 8 && isChunk (data + position, "MTrk"))
        return "the file holds more tracks than the " + std::to_string (claimedTracks) + " its header claims";
    return {};
}
} // namespace KestHost
