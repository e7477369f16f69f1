#pragma once

// Runs the kest-host program as a user would, in a scratch folder of its
// own, and keeps what it printed on each stream; writes the MIDI files the
// tests play.

#include "host/StateFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TimeScale.h"

#include <gtest/gtest.h>

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_core/juce_core.h>

#include <csignal>
#include <cstring>
#include <cstdint>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace HostProgram
{
struct Run
{
    int exitCode = -1;  // -1 when ended by a signal
    int signal = 0;
    juce::String out;
    juce::String errors;
};

struct Launch
{
    std::vector<std::string> arguments; // after the program's name
    juce::File folder;                  // working folder
    int64_t fileSizeLimit = -1;         // bytes; -1 for none
    /** Called repeatedly while the program runs; answering true sends SIGTERM once. */
    std::function<bool()> interruptWhen;
};

inline juce::String withoutFrameworkBanner (const juce::String& text)
{
    // Debug builds of the framework announce their version on start-up; that
    // line is not the program's.
    juce::StringArray lines;
    for (auto& line : juce::StringArray::fromLines (text))
        if (! line.startsWith ("JUCE v"))
            lines.add (line);
    return lines.joinIntoString ("\n").trimEnd();
}

inline Run run (const Launch& launch)
{
    const auto outFile = launch.folder.getNonexistentChildFile ("stdout", ".txt");
    const auto errFile = launch.folder.getNonexistentChildFile ("stderr", ".txt");
    outFile.create();
    errFile.create();

    std::vector<std::string> argv { KEST_HOST_PROGRAM };
    argv.insert (argv.end(), launch.arguments.begin(), launch.arguments.end());

    Run result;
    const pid_t child = ::fork();
    if (child < 0)
        return result;
    if (child == 0)
    {
        if (::chdir (launch.folder.getFullPathName().toRawUTF8()) != 0)
            ::_exit (126);
        if (! freopen (outFile.getFullPathName().toRawUTF8(), "w", stdout) || ! freopen (errFile.getFullPathName().toRawUTF8(), "w", stderr))
            ::_exit (126);
        if (launch.fileSizeLimit >= 0)
        {
            rlimit limit { (rlim_t) launch.fileSizeLimit, (rlim_t) launch.fileSizeLimit };
            ::setrlimit (RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> pointers;
        for (auto& argument : argv)
            pointers.push_back (const_cast<char*> (argument.c_str()));
        pointers.push_back (nullptr);
        ::execv (pointers[0], pointers.data());
        ::_exit (127);
    }

    int status = 0;
    bool interrupted = false;
    // Only a program that hangs is stopped.
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) TimeScale::hangLimitMs (120000);
    for (;;)
    {
        const auto finished = ::waitpid (child, &status, WNOHANG);
        if (finished == child)
            break;
        if (juce::Time::getMillisecondCounter() > deadline)
        {
            ::kill (child, SIGKILL);
            ::waitpid (child, &status, 0);
            break;
        }
        if (! interrupted && launch.interruptWhen && launch.interruptWhen())
        {
            ::kill (child, SIGTERM);
            interrupted = true;
        }
        ::usleep (interrupted || ! launch.interruptWhen ? 2000 : 200);
    }

    result.exitCode = WIFEXITED (status) ? WEXITSTATUS (status) : -1;
    result.signal = WIFSIGNALED (status) ? WTERMSIG (status) : 0;
    result.out = withoutFrameworkBanner (outFile.loadFileAsString());
    result.errors = withoutFrameworkBanner (errFile.loadFileAsString());
    outFile.deleteFile();
    errFile.deleteFile();
    return result;
}

inline Run run (const juce::File& folder, std::vector<std::string> arguments)
{
    Launch launch;
    launch.arguments = std::move (arguments);
    launch.folder = folder;
    return run (launch);
}

/** A MIDI file of one track whose tick is one sample at sampleRate (a
    multiple of 100: rate / 100 ticks to a quarter note of 10 ms), so an
    event at tick N is due at sample N. */
inline void writeSampleTimedMidi (const juce::File& file, const juce::MidiMessageSequence& eventsAtSamples, int sampleRate)
{
    juce::MidiMessageSequence track;
    track.addEvent (juce::MidiMessage::tempoMetaEvent (10000), 0.0);
    track.addSequence (eventsAtSamples, 0.0);
    track.updateMatchedPairs();
    juce::MidiFile midi;
    midi.setTicksPerQuarterNote (sampleRate / 100);
    midi.addTrack (track);
    file.deleteFile();
    juce::FileOutputStream out (file);
    midi.writeTo (out);
}

/** A file's bytes written raw (for MIDI and state files that are damaged on purpose). */
inline void writeBytes (const juce::File& file, const std::vector<uint8_t>& bytes)
{
    file.replaceWithData (bytes.data(), bytes.size());
}
/** A WAV file's samples (empty when it cannot be read). */
inline juce::AudioBuffer<float> readWav (const juce::File& wav)
{
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> reader (format.createReaderFor (wav.createInputStream().release(), true));
    juce::AudioBuffer<float> audio;
    if (reader != nullptr)
    {
        audio.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
        reader->read (&audio, 0, (int) reader->lengthInSamples, 0, true, true);
    }
    return audio;
}

/** The plug-in's own state element inside a state file kest-host saved, or
    null when the file holds none. */
inline std::unique_ptr<juce::XmlElement> pluginState (const juce::File& stateFile)
{
    for (auto& chunk : KestHost::StateFile::read (stateFile.getFullPathName().toStdString()))
    {
        if (chunk.id != 0x4B657374 || chunk.record.size() < AAX_SPlugInChunkHeaderSize + 8)
            continue;
        const auto* data = chunk.record.data() + AAX_SPlugInChunkHeaderSize;
        juce::uint32 length = 0;
        std::memcpy (&length, data + 4, sizeof (length));
        if (length > chunk.record.size() - AAX_SPlugInChunkHeaderSize - 8)
            return nullptr;
        return juce::parseXML (juce::String::fromUTF8 (reinterpret_cast<const char*> (data + 8), (int) length));
    }
    return nullptr;
}

/** A test with a scratch folder of its own, where the program runs. */
class FolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE (scratch.wasCreated()); }

    juce::File file (const juce::String& name) const { return folder.getChildFile (name); }

    HostProgram::Run host (std::vector<std::string> arguments) const { return run (folder, std::move (arguments)); }

    HostProgram::Run render (std::vector<std::string> arguments) const
    {
        arguments.insert (arguments.begin(), "render");
        return host (std::move (arguments));
    }

    ScratchFolder scratch { "kest-host-test" };
    juce::File folder = scratch.getFile();
};
} // namespace HostProgram
