// What the host stand-in takes and refuses before anything is played: the
// ends of every option's range, the structure of a standard MIDI file, the
// structure of a state file and the shapes of WAV file it writes.  A refusal
// names what is wrong and changes nothing: the option keeps its default, no
// file appears and an existing target keeps its bytes.

#include "HostProgram.h"
#include "host/EditorCommand.h"
#include "host/MidiFileCheck.h"
#include "host/RenderCommand.h"
#include "host/StateFile.h"
#include "host/WavFileWriter.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <cstddef>
#include <cstring>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace KestHost;

namespace
{
/** The options after parsing arguments over the defaults. */
struct ParsedOptions
{
    RenderOptions options;
    bool taken = false;
    std::string error;
};

ParsedOptions parseRender (const std::vector<std::string>& arguments)
{
    ParsedOptions parsed;
    parsed.taken = parsed.options.parse (arguments, parsed.error);
    return parsed;
}

void appendBigEndian (std::vector<uint8_t>& bytes, uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        bytes.push_back ((uint8_t) (value >> (8 * i)));
}

/** A standard MIDI file: a header of the given length (6 or more) and the
    chunks given, each as its four-letter kind and body. */
std::vector<uint8_t> midiFile (int format, int tracks, int division, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks,
                               uint32_t headerLength = 6)
{
    std::vector<uint8_t> bytes { 'M', 'T', 'h', 'd' };
    appendBigEndian (bytes, headerLength, 4);
    appendBigEndian (bytes, (uint32_t) format, 2);
    appendBigEndian (bytes, (uint32_t) tracks, 2);
    appendBigEndian (bytes, (uint32_t) division, 2);
    bytes.resize (bytes.size() + headerLength - 6, 0);
    for (auto& [kind, body] : chunks)
    {
        bytes.insert (bytes.end(), kind.begin(), kind.end());
        appendBigEndian (bytes, (uint32_t) body.size(), 4);
        bytes.insert (bytes.end(), body.begin(), body.end());
    }
    return bytes;
}

const std::vector<uint8_t> noteTrack { 0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00 };

void appendLittleEndian (std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back ((uint8_t) (value >> (8 * i)));
}

/** One chunk of a state file: its identifier, the size of its record and
    the record (a header naming the chunk and dataSize bytes of data). */
void appendStateChunk (std::vector<uint8_t>& bytes, uint32_t id, uint32_t dataSize, int32_t recordSizeField)
{
    appendLittleEndian (bytes, id);
    appendLittleEndian (bytes, (uint32_t) AAX_SPlugInChunkHeaderSize + dataSize);
    std::vector<uint8_t> record (AAX_SPlugInChunkHeaderSize + dataSize, 0);
    std::memcpy (record.data() + offsetof (AAX_SPlugInChunk, fSize), &recordSizeField, sizeof (recordSizeField));
    std::memcpy (record.data() + offsetof (AAX_SPlugInChunk, fChunkID), &id, sizeof (id));
    bytes.insert (bytes.end(), record.begin(), record.end());
}

std::vector<uint8_t> stateFileHead (uint32_t chunkCount)
{
    std::vector<uint8_t> bytes { 'K', 'H', 's', 't' };
    appendLittleEndian (bytes, 1);
    appendLittleEndian (bytes, chunkCount);
    return bytes;
}

constexpr uint32_t stateChunk = 0x4B657374;  // 'Kest'
constexpr uint32_t defaultChunk = 0x656C636B; // 'elck'
} // namespace

TEST (HostOptionRanges, BothEndsOfEveryRangeAreTakenAndAValueBeyondKeepsTheDefault)
{
    const struct
    {
        std::vector<std::string> arguments;
        int rate, block, channels, bits;
        double maxSeconds;
    } taken[] = {
        { { "--rate", "8000" }, 8000, 512, 2, 24, 3600.0 },
        { { "--rate", "384000" }, 384000, 512, 2, 24, 3600.0 },
        { { "--block", "1" }, 48000, 1, 2, 24, 3600.0 },
        { { "--block", "8192" }, 48000, 8192, 2, 24, 3600.0 },
        { { "--channels", "1" }, 48000, 512, 1, 24, 3600.0 },
        { { "--channels", "2" }, 48000, 512, 2, 24, 3600.0 },
        { { "--bits", "16" }, 48000, 512, 2, 16, 3600.0 },
        { { "--bits", "32" }, 48000, 512, 2, 32, 3600.0 },
        { { "--max-seconds", "0.001" }, 48000, 512, 2, 24, 0.001 },
        { { "--max-seconds", "86400" }, 48000, 512, 2, 24, 86400.0 },
        { { "--max-seconds", "2.5" }, 48000, 512, 2, 24, 2.5 },
        { { "--rate", "44100", "--block", "64", "--channels", "1", "--bits", "16", "--max-seconds", "10" }, 44100, 64, 1, 16, 10.0 },
    };
    for (auto& c : taken)
    {
        std::string line;
        for (auto& argument : c.arguments)
            line += argument + " ";
        SCOPED_TRACE (line);
        const auto parsed = parseRender (c.arguments);
        EXPECT_TRUE (parsed.taken);
        EXPECT_EQ (parsed.error, "");
        EXPECT_EQ (parsed.options.sampleRate, c.rate);
        EXPECT_EQ (parsed.options.blockSize, c.block);
        EXPECT_EQ (parsed.options.channels, c.channels);
        EXPECT_EQ (parsed.options.bitsPerSample, c.bits);
        EXPECT_EQ (parsed.options.maxSeconds, c.maxSeconds);
    }

    const std::vector<std::string> refused[] = {
        { "--rate", "7999" },     { "--rate", "384001" },        { "--rate", " 48000" },      { "--rate", "+48000" },
        { "--rate", "" },         { "--rate", "99999999999999999999" },
        { "--block", "0" },       { "--block", "8193" },         { "--block", "-1" },
        { "--channels", "0" },    { "--channels", "02" },        { "--channels", "1.0" },
        { "--bits", "8" },        { "--bits", "0" },             { "--bits", "16 " },
        { "--max-seconds", "0" }, { "--max-seconds", "0.0009" }, { "--max-seconds", "86400.5" },
        { "--max-seconds", "-1" }, { "--max-seconds", "1e3" },   { "--max-seconds", "1.2.3" },
        { "--max-seconds", "." },
    };
    for (auto& arguments : refused)
    {
        SCOPED_TRACE (arguments[0] + " \"" + arguments[1] + "\"");
        const auto parsed = parseRender (arguments);
        EXPECT_FALSE (parsed.taken);
        EXPECT_EQ (parsed.error.rfind (arguments[0] + " \"" + arguments[1] + "\" is not allowed: give ", 0), 0u) << parsed.error;
        EXPECT_EQ (parsed.options.sampleRate, 48000);
        EXPECT_EQ (parsed.options.blockSize, 512);
        EXPECT_EQ (parsed.options.channels, 2);
        EXPECT_EQ (parsed.options.bitsPerSample, 24);
        EXPECT_EQ (parsed.options.maxSeconds, 3600.0);
    }
}

TEST (HostOptionRanges, TheEditorsSnapshotDelayTakesBothEndsAndNeedsASnapshot)
{
    const auto parseEditor = [] (const std::vector<std::string>& arguments, EditorOptions& options)
    {
        std::string error;
        options.parse (arguments, error);
        return error;
    };

    for (const auto& [text, seconds] : { std::pair<const char*, double> { "0", 0.0 }, { "3600", 3600.0 }, { "0.25", 0.25 } })
    {
        SCOPED_TRACE (text);
        EditorOptions options;
        EXPECT_EQ (parseEditor ({ "--snapshot", "a.png", "--after", text }, options), "");
        EXPECT_EQ (options.snapshotDelay, seconds);
    }

    for (const char* text : { "3600.5", "-1", "1e2", "", "nan" })
    {
        SCOPED_TRACE (text);
        EditorOptions options;
        EXPECT_EQ (parseEditor ({ "--snapshot", "a.png", "--after", text }, options),
                   "--after \"" + std::string (text) + "\" is not allowed: give a number of seconds from 0 to 3600");
        EXPECT_EQ (options.snapshotDelay, EditorOptions::defaultSnapshotDelay);
    }

    EditorOptions withoutSnapshot;
    EXPECT_EQ (parseEditor ({ "--after", "2" }, withoutSnapshot), "--after needs --snapshot: it is how long the window plays before the snapshot");
}

TEST (MidiFileStructure, EveryDamageIsNamedAndWellFormedVariantsAreTaken)
{
    auto headerOnly = midiFile (0, 1, 480, {});
    headerOnly.resize (13);
    auto cutHeader = midiFile (0, 1, 480, { { "MTrk", noteTrack } }, 6);
    cutHeader[7] = 40; // claims a 40-byte header in a 32-byte file

    const struct
    {
        std::vector<uint8_t> bytes;
        std::string problem;
    } refused[] = {
        { {}, "not a standard MIDI file (it does not begin with an MThd header)" },
        { { 'R', 'I', 'F', 'F', 0, 0, 0, 0 }, "not a standard MIDI file (it does not begin with an MThd header)" },
        { headerOnly, "its header is truncated" },
        { cutHeader, "its header is truncated" },
        { midiFile (0, 1, 480, { { "MTrk", noteTrack } }, 5), "its header is too short (5 bytes, at least 6 are needed)" },
        { midiFile (3, 1, 480, { { "MTrk", noteTrack } }), "its format 3 is unknown (0, 1 and 2 are standard)" },
        { midiFile (1, 0, 480, { { "MTrk", noteTrack } }), "its header claims no tracks" },
        { midiFile (2, 2, 480, { { "MTrk", noteTrack } }), "its header claims 2 tracks, but the file holds only 1" },
        { midiFile (1, 2, 480, { { "MTrk", noteTrack }, { "XFIH", std::vector<uint8_t> (4) } }),
          "its header claims 2 tracks, but the file holds only 1" },
        { midiFile (0, 1, 0xE800, { { "MTrk", noteTrack } }), "its time division (24 frames per second, 0 ticks per frame) is not a valid SMPTE division" },
        { midiFile (0, 1, 0xE440, { { "MTrk", noteTrack } }), "its time division (28 frames per second, 64 ticks per frame) is not a valid SMPTE division" },
    };
    for (auto& c : refused)
    {
        SCOPED_TRACE (c.problem);
        std::vector<uint8_t> tracks;
        EXPECT_EQ (MidiFileCheck::check (c.bytes.data(), c.bytes.size(), tracks), c.problem);
    }

    // A chunk of another kind that claims more than the file holds, after the first track.
    auto cutForeign = midiFile (1, 2, 480, { { "MTrk", noteTrack }, { "XFIH", std::vector<uint8_t> (4) } });
    cutForeign.resize (cutForeign.size() - 2);
    std::vector<uint8_t> ignored;
    EXPECT_EQ (MidiFileCheck::check (cutForeign.data(), cutForeign.size(), ignored),
               "a chunk after track 1 is truncated: it claims 4 bytes, but only 2 remain");

    // Taken: every valid SMPTE rate, a longer header, a RIFF wrapper, chunks of
    // other kinds between the tracks and bytes after the last one.  The
    // tracks come out behind a six-byte header, without the rest.
    const auto expectTaken = [] (const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& expectedTracks)
    {
        std::vector<uint8_t> tracks;
        EXPECT_EQ (MidiFileCheck::check (bytes.data(), bytes.size(), tracks), "");
        EXPECT_EQ (tracks, expectedTracks);
    };
    for (int framesPerSecond : { 24, 25, 29, 30 })
    {
        SCOPED_TRACE (framesPerSecond);
        const int division = ((256 - framesPerSecond) << 8) | 40;
        expectTaken (midiFile (0, 1, division, { { "MTrk", noteTrack } }), midiFile (0, 1, division, { { "MTrk", noteTrack } }));
    }

    const auto plain = midiFile (1, 2, 96, { { "MTrk", noteTrack }, { "MTrk", noteTrack } });
    expectTaken (midiFile (1, 2, 96, { { "MTrk", noteTrack }, { "XFIH", { 1, 2, 3 } }, { "MTrk", noteTrack } }, 10), plain);

    auto trailing = plain;
    trailing.insert (trailing.end(), { 'J', 'U', 'N', 'K', 0, 0 });
    expectTaken (trailing, plain);

    std::vector<uint8_t> riff { 'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 0, 0, 0, 0 };
    riff.insert (riff.end(), plain.begin(), plain.end());
    expectTaken (riff, plain);
}

TEST (StateFileStructure, EveryDamageIsNamedAndAWellFormedFileIsReadWhole)
{
    const ScratchFolder scratch ("kest-state-structure");
    ASSERT_TRUE (scratch.wasCreated());
    const auto path = scratch.getChildFile ("state.kstate").getFullPathName().toStdString();
    const auto readProblem = [&path]() -> std::string
    {
        try
        {
            StateFile::read (path);
        }
        catch (const std::runtime_error& e)
        {
            return e.what();
        }
        return "read without complaint";
    };
    const auto readFailure = [&path, &readProblem] (const std::vector<uint8_t>& bytes)
    {
        HostProgram::writeBytes (juce::File (path), bytes);
        return readProblem();
    };
    const auto prefix = "cannot read state file " + path + ": ";

    auto good = stateFileHead (2);
    appendStateChunk (good, defaultChunk, 8, 8);
    appendStateChunk (good, stateChunk, 3, 3);

    auto tooMany = stateFileHead (65);
    auto negative = stateFileHead (0xFFFFFFFFu);
    auto shortSecond = stateFileHead (2);
    appendStateChunk (shortSecond, stateChunk, 3, 3);
    shortSecond.insert (shortSecond.end(), { 1, 2, 3, 4, 5, 6, 7 });
    auto ownSize = stateFileHead (1);
    appendStateChunk (ownSize, stateChunk, 3, 4);
    auto smallerOwnSize = stateFileHead (1);
    appendStateChunk (smallerOwnSize, stateChunk, 3, 2);
    auto negativeOwnSize = stateFileHead (1);
    appendStateChunk (negativeOwnSize, stateChunk, 0, -1);
    auto headerless = stateFileHead (1);
    appendLittleEndian (headerless, stateChunk);
    appendLittleEndian (headerless, (uint32_t) AAX_SPlugInChunkHeaderSize - 1);
    headerless.resize (headerless.size() + AAX_SPlugInChunkHeaderSize - 1, 0);
    auto repeated = stateFileHead (2);
    appendStateChunk (repeated, stateChunk, 3, 3);
    appendStateChunk (repeated, stateChunk, 5, 5);

    const struct
    {
        std::vector<uint8_t> bytes;
        std::string problem;
    } refused[] = {
        { { 'K', 'H', 's', 't', 1, 0, 0, 0, 0, 0, 0 }, "not a Kest state file (it does not begin with \"KHst\" and a chunk count)" },
        { { 'K', 'H', 'S', 't', 1, 0, 0, 0, 0, 0, 0, 0 }, "not a Kest state file (it does not begin with \"KHst\" and a chunk count)" },
        { tooMany, "it claims 65 chunks; a state holds at most 64" },
        { negative, "it claims -1 chunks; a state holds at most 64" },
        { stateFileHead (1), "it is truncated before chunk 1 of 1" },
        { shortSecond, "it is truncated before chunk 2 of 2" },
        { ownSize, "chunk 1 of 1 holds a record whose own size (4 bytes) does not match" },
        { smallerOwnSize, "chunk 1 of 1 holds a record whose own size (2 bytes) does not match" },
        { negativeOwnSize, "chunk 1 of 1 holds a record whose own size (-1 bytes) does not match" },
        { headerless, "chunk 1 of 1 is truncated or has a size (" + std::to_string (AAX_SPlugInChunkHeaderSize - 1) + " bytes) that does not fit the file" },
        { repeated, "chunk 2 of 2 repeats the identifier of an earlier chunk" },
    };
    for (auto& c : refused)
    {
        SCOPED_TRACE (c.problem);
        EXPECT_EQ (readFailure (c.bytes), prefix + c.problem);
    }

    // Larger than any state: refused without reading it whole (a sparse file).
    {
        const int descriptor = ::open (path.c_str(), O_WRONLY | O_TRUNC);
        ASSERT_GE (descriptor, 0);
        EXPECT_EQ (::ftruncate (descriptor, 64 * 1024 * 1024 + 1), 0);
        ::close (descriptor);
        EXPECT_EQ (readProblem(), prefix + "it is larger than any state file");
    }

    HostProgram::writeBytes (juce::File (path), good);
    const auto chunks = StateFile::read (path);
    ASSERT_EQ (chunks.size(), 2u);
    EXPECT_EQ (chunks[0].id, defaultChunk);
    EXPECT_EQ (chunks[0].record.size(), AAX_SPlugInChunkHeaderSize + 8);
    EXPECT_EQ (chunks[1].id, stateChunk);
    EXPECT_EQ (chunks[1].record.size(), AAX_SPlugInChunkHeaderSize + 3);
    EXPECT_EQ (StateFile::read (path).size(), 2u) << "reading never changes the file";
}

TEST (WavFileShapes, OnlyMonoStereoAndTheThreeDepthsAreWrittenAndARefusalLeavesTheTargetAlone)
{
    const ScratchFolder scratch ("kest-wav-shapes");
    ASSERT_TRUE (scratch.wasCreated());
    const auto target = scratch.getChildFile ("out.wav");
    ASSERT_TRUE (target.replaceWithText ("an earlier file"));

    const struct
    {
        int channels, bits;
        std::string problem;
    } refused[] = {
        { 0, 24, "only mono and stereo files are written" },
        { 3, 24, "only mono and stereo files are written" },
        { -1, 16, "only mono and stereo files are written" },
        { 2, 12, "as a 12-bit WAV file" },
        { 1, 0, "as a 0-bit WAV file" },
    };
    for (auto& c : refused)
    {
        SCOPED_TRACE (c.problem);
        std::string failure = "not refused";
        try
        {
            WavFileWriter writer (target.getFullPathName().toStdString(), 48000.0, c.channels, c.bits);
        }
        catch (const std::runtime_error& e)
        {
            failure = e.what();
        }
        EXPECT_EQ (failure.rfind ("cannot write " + target.getFullPathName().toStdString(), 0), 0u) << failure;
        EXPECT_NE (failure.find (c.problem), std::string::npos) << failure;
        EXPECT_EQ (target.loadFileAsString(), "an earlier file");
        EXPECT_EQ (scratch.getFile().getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1) << "nothing left beside the target";
    }

    for (int channels : { 1, 2 })
        for (int bits : { 16, 24, 32 })
        {
            SCOPED_TRACE (juce::String (channels) + " channels, " + juce::String (bits) + " bits");
            const float samples[] = { 0.25f, -0.5f };
            const float* data[] = { samples, samples };
            {
                WavFileWriter writer (target.getFullPathName().toStdString(), 48000.0, channels, bits);
                writer.write (data, channels, 2);
                writer.finish();
            }
            const auto audio = HostProgram::readWav (target);
            EXPECT_EQ (audio.getNumChannels(), channels);
            ASSERT_EQ (audio.getNumSamples(), 2);
            EXPECT_NEAR (audio.getSample (channels - 1, 1), -0.5f, 1.0e-4f);
        }
}
