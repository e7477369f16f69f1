// What `kest-host` refuses and how it says so: every option's value, files
// that cannot be read or must not be written, damaged MIDI and state files,
// and the help it prints.

#include "HostProgram.h"
#include "engine/XmlBinaryBlock.h"
#include "platform/ApplicationSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{
class KestHostRefusal : public HostProgram::FolderTest
{
protected:
    /** A short, valid MIDI file. */
    void writeMidi (const char* name) const
    {
        juce::MidiMessageSequence events;
        events.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
        events.addEvent (juce::MidiMessage::noteOff (1, 60), 4800);
        HostProgram::writeSampleTimedMidi (file (name), events, 48000);
    }

    /** Expects the run refused with exactly this first line and the given
        status, having written nothing into the folder. */
    void expectRefusal (const HostProgram::Run& run, const juce::String& firstLine, int status) const
    {
        EXPECT_EQ (run.exitCode, status) << run.errors;
        EXPECT_EQ (juce::StringArray::fromLines (run.errors)[0], firstLine);
        EXPECT_TRUE (run.out.isEmpty()) << run.out;
        EXPECT_FALSE (file ("kest-demo.wav").exists());
    }
};

/** A standard MIDI file from its header fields and raw track chunks. */
std::vector<uint8_t> midiBytes (int format, int claimedTracks, int division, const std::vector<std::vector<uint8_t>>& trackBodies,
                                int extraClaimedBytes = 0)
{
    std::vector<uint8_t> bytes { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, (uint8_t) format, 0, (uint8_t) claimedTracks,
                                 (uint8_t) (division >> 8), (uint8_t) division };
    for (auto& body : trackBodies)
    {
        const auto length = (uint32_t) (body.size() + (size_t) extraClaimedBytes);
        bytes.insert (bytes.end(), { 'M', 'T', 'r', 'k', (uint8_t) (length >> 24), (uint8_t) (length >> 16), (uint8_t) (length >> 8), (uint8_t) length });
        bytes.insert (bytes.end(), body.begin(), body.end());
    }
    return bytes;
}

const std::vector<uint8_t> noteTrack { 0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00 };
} // namespace

TEST_F (KestHostRefusal, EveryOptionValueRefusedNamesTheOptionTheValueAndWhatIsAllowed)
{
    const juce::String wholeRate = "give a whole number of hertz from 8000 to 384000";
    const juce::String wholeBlock = "give a whole number of samples from 1 to 8192";
    const juce::String seconds = "give a number of seconds above 0, at most 86400";
    const struct
    {
        std::vector<std::string> arguments;
        juce::String message;
    } cases[] = {
        { { "--rate", "44100.5" }, "--rate \"44100.5\" is not allowed: " + wholeRate },
        { { "--rate", "7999" }, "--rate \"7999\" is not allowed: " + wholeRate },
        { { "--rate", "384001" }, "--rate \"384001\" is not allowed: " + wholeRate },
        { { "--rate", "4.8e4" }, "--rate \"4.8e4\" is not allowed: " + wholeRate },
        { { "--rate", "-48000" }, "--rate \"-48000\" is not allowed: " + wholeRate },
        { { "--block", "2.5" }, "--block \"2.5\" is not allowed: " + wholeBlock },
        { { "--block", "0" }, "--block \"0\" is not allowed: " + wholeBlock },
        { { "--block", "8193" }, "--block \"8193\" is not allowed: " + wholeBlock },
        { { "--channels", "3" }, "--channels \"3\" is not allowed: give 1 (mono) or 2 (stereo)" },
        { { "--bits", "8" }, "--bits \"8\" is not allowed: give 16 or 24 (integer samples) or 32 (floating point)" },
        { { "--bits", "24.0" }, "--bits \"24.0\" is not allowed: give 16 or 24 (integer samples) or 32 (floating point)" },
        { { "--max-seconds", "0" }, "--max-seconds \"0\" is not allowed: " + seconds },
        { { "--max-seconds", "nan" }, "--max-seconds \"nan\" is not allowed: " + seconds },
        { { "--max-seconds", "inf" }, "--max-seconds \"inf\" is not allowed: " + seconds },
        { { "--max-seconds", "86401" }, "--max-seconds \"86401\" is not allowed: " + seconds },
        { { "--midi", "" }, "--midi \"\" is not allowed: give the path of a standard MIDI file" },
        { { "--out", "" }, "--out \"\" is not allowed: give the path of the WAV file to write" },
        { { "--bundle", "" }, "--bundle \"\" is not allowed: give the path of the plug-in bundle or its library" },
        { { "--load-state", "" }, "--load-state \"\" is not allowed: give the path of a state file" },
        { { "--save-state", "" }, "--save-state \"\" is not allowed: give the path of the state file to write" },
        { { "--out" }, "--out needs a value: give the path of the WAV file to write" },
        { { "--out", "a.wav", "--out", "b.wav" }, "--out is given twice (\"a.wav\" and \"b.wav\"): give it once" },
        { { "--tempo", "120" }, "unknown option \"--tempo\"" },
        { { "song.mid" }, "unexpected argument \"song.mid\"" },
    };
    for (auto& c : cases)
    {
        SCOPED_TRACE (c.message);
        const auto run = render (c.arguments);
        expectRefusal (run, "kest-host render: " + c.message, 2);
        EXPECT_EQ (juce::StringArray::fromLines (run.errors)[1], "\"kest-host render --help\" lists the options");
    }
}

TEST_F (KestHostRefusal, FilesThatCannotBeReadOrMustNotBeWrittenAreRefusedAndLeftAlone)
{
    writeMidi ("song.mid");
    file ("sound.kstate").replaceWithText ("the state file's bytes");
    ASSERT_TRUE (file ("sub").createDirectory());
    ASSERT_EQ (::mkfifo (file ("pipe").getFullPathName().toRawUTF8(), 0600), 0);
    ASSERT_TRUE (file ("song.mid").createSymbolicLink (file ("link.mid"), true));
    const auto song = file ("song.mid").loadFileAsString();

    const auto writable = "; give the path of a file to write";
    const struct
    {
        std::vector<std::string> arguments;
        juce::String message;
    } cases[] = {
        { { "--midi", "sub" }, "--midi \"sub\" is not allowed: it is a folder, not a file" },
        { { "--midi", "missing.mid" }, "--midi \"missing.mid\" is not allowed: there is no such file" },
        { { "--midi", "pipe" }, "--midi \"pipe\" is not allowed: it is not a regular file" },
        { { "--load-state", "sub" }, "--load-state \"sub\" is not allowed: it is a folder, not a file" },
        { { "--load-state", "missing.kstate" }, "--load-state \"missing.kstate\" is not allowed: there is no such file" },
        { { "--out", "sub" }, "--out \"sub\" is not allowed: it is a folder, not a file" + juce::String (writable) },
        { { "--out", "pipe" }, "--out \"pipe\" is not allowed: it is a pipe, not a regular file" + juce::String (writable) },
        { { "--out", "/dev/null" }, "--out \"/dev/null\" is not allowed: it is a device, not a regular file" + juce::String (writable) },
        { { "--out", "nowhere/a.wav" },
          "--out \"nowhere/a.wav\" is not allowed: its folder " + file ("nowhere").getFullPathName() + " does not exist" + writable },
        { { "--save-state", "sub" }, "--save-state \"sub\" is not allowed: it is a folder, not a file" + juce::String (writable) },
        { { "--midi", "song.mid", "--out", "song.mid" },
          "--out \"song.mid\" is not allowed: it is the MIDI file this run reads (--midi); give another path" },
        { { "--midi", "song.mid", "--out", "./sub/../link.mid" },
          "--out \"./sub/../link.mid\" is not allowed: it is the MIDI file this run reads (--midi); give another path" },
        { { "--load-state", "sound.kstate", "--out", "sound.kstate" },
          "--out \"sound.kstate\" is not allowed: it is the state file this run reads (--load-state); give another path" },
        { { "--out", "a.wav", "--save-state", "a.wav" },
          "--out \"a.wav\" is not allowed: it is the state file this run writes (--save-state); give another path" },
        { { "--midi", "song.mid", "--save-state", "song.mid" },
          "--save-state \"song.mid\" is not allowed: it is the MIDI file this run reads (--midi); give another path" },
        { { "--load-state", "sound.kstate", "--save-state", "sound.kstate" },
          "--save-state \"sound.kstate\" is not allowed: it is the state file this run reads (--load-state); give another path" },
    };
    for (auto& c : cases)
    {
        SCOPED_TRACE (c.message);
        expectRefusal (render (c.arguments), "kest-host render: " + c.message, 2);
    }

    EXPECT_EQ (file ("song.mid").loadFileAsString(), song);
    EXPECT_EQ (file ("sound.kstate").loadFileAsString(), "the state file's bytes");
    EXPECT_TRUE (file ("link.mid").isSymbolicLink());
    struct stat status {};
    ASSERT_EQ (::stat ("/dev/null", &status), 0);
    EXPECT_TRUE (S_ISCHR (status.st_mode));
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 5) << "nothing was added beside the inputs";
}

TEST_F (KestHostRefusal, DamagedMidiFilesAreRefusedWithWhatIsWrong)
{
    const std::vector<uint8_t> zeroTempo { 0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x00, 0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00 };
    const std::vector<uint8_t> shortTempo { 0x00, 0xFF, 0x51, 0x01, 0x07, 0x00, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0x00 };
    auto truncated = midiBytes (0, 1, 480, { noteTrack }, 20);

    const struct
    {
        std::vector<uint8_t> bytes;
        juce::String problem;
    } cases[] = {
        { { 'n', 'o', 't', ' ', 'M', 'I', 'D', 'I' }, "not a standard MIDI file (it does not begin with an MThd header)" },
        { midiBytes (0, 1, 0, { noteTrack }), "its time division is 0 ticks per quarter note" },
        { midiBytes (1, 3, 480, { noteTrack }), "its header claims 3 tracks, but the file holds only 1" },
        { midiBytes (1, 1, 480, { noteTrack, noteTrack }), "the file holds more tracks than the 1 its header claims" },
        { midiBytes (0, 2, 480, { noteTrack, noteTrack }), "its header claims 2 tracks, but a format-0 file holds exactly one" },
        { truncated, "track 1 is truncated: it claims 32 bytes, but only 12 remain" },
        { midiBytes (0, 1, 0xE700, { noteTrack }), "its time division (25 frames per second, 0 ticks per frame) is not a valid SMPTE division" },
        { midiBytes (0, 1, 480, { zeroTempo }), "its tempo is 0 at tick 0 of track 1" },
        { midiBytes (0, 1, 480, { shortTempo }), "its tempo event at tick 0 of track 1 is 1 bytes long, not 3" },
    };
    for (auto& c : cases)
    {
        SCOPED_TRACE (c.problem);
        HostProgram::writeBytes (file ("damaged.mid"), c.bytes);
        expectRefusal (render ({ "--midi", "damaged.mid" }), "kest-host render: cannot read MIDI file damaged.mid: " + c.problem, 1);
    }
}

TEST_F (KestHostRefusal, ARenderLongerThanTheLimitIsRefusedWithItsLength)
{
    juce::MidiMessageSequence events;
    events.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
    events.addEvent (juce::MidiMessage::noteOff (1, 60), 4000.0 * 48000);
    HostProgram::writeSampleTimedMidi (file ("long.mid"), events, 48000);
    const auto tooLong = "kest-host render: the render would last 4002.0 s (to the last event and 2 s after it), longer than --max-seconds ";
    expectRefusal (render ({ "--midi", "long.mid" }), tooLong + juce::String ("3600; give a larger --max-seconds to render it"), 1);

    writeMidi ("short.mid");
    expectRefusal (render ({ "--midi", "short.mid", "--max-seconds", "2" }),
                   "kest-host render: the render would last 2.1 s (to the last event and 2 s after it), longer than --max-seconds 2; "
                   "give a larger --max-seconds to render it",
                   1);
}

TEST_F (KestHostRefusal, DamagedOrForeignStateFilesAreRefusedBeforeAnythingIsRestored)
{
    writeMidi ("song.mid");
    ASSERT_EQ (render ({ "--midi", "song.mid", "--out", "a.wav", "--save-state", "good.kstate" }).exitCode, 0);
    juce::MemoryBlock good;
    ASSERT_TRUE (file ("good.kstate").loadFileAsData (good));
    const auto bytes = [&good] { return std::vector<uint8_t> ((const uint8_t*) good.getData(), (const uint8_t*) good.getData() + good.getSize()); };

    ASSERT_GT (good.getSize(), 100u);
    const auto rename = [] (std::vector<uint8_t>& state, size_t at)
    {
        for (size_t i = 0; i < 4; ++i)
            state.at (at + i) = 'X';
    };
    auto unknownChunk = bytes();
    rename (unknownChunk, 12);           // the file's identifier of the first chunk
    rename (unknownChunk, 12 + 8 + 20);  // and its record's
    auto otherRecord = bytes();
    rename (otherRecord, 12 + 8 + 20);
    const auto le32 = [] (const std::vector<uint8_t>& state, size_t at)
    { return (uint32_t) state.at (at) | (uint32_t) state.at (at + 1) << 8 | (uint32_t) state.at (at + 2) << 16 | (uint32_t) state.at (at + 3) << 24; };
    const auto secondChunkSize = le32 (bytes(), 12 + 8 + le32 (bytes(), 16) + 4);
    auto truncated = bytes();
    truncated.resize (truncated.size() - 10);
    auto trailing = bytes();
    trailing.push_back (0);
    auto version = bytes();
    version[4] = 7;

    const struct
    {
        std::vector<uint8_t> bytes;
        juce::String problem;
    } cases[] = {
        { { 'K', 'H', 's', 't' }, "cannot read state file damaged.kstate: not a Kest state file (it does not begin with \"KHst\" and a chunk count)" },
        { version, "cannot read state file damaged.kstate: its format version 7 is not one this host reads (1)" },
        { truncated, "cannot read state file damaged.kstate: chunk 2 of 2 is truncated or has a size (" + juce::String (secondChunkSize)
                         + " bytes) that does not fit the file" },
        { trailing, "cannot read state file damaged.kstate: it holds 1 bytes after its last chunk" },
        { otherRecord, "cannot read state file damaged.kstate: chunk 1 of 2 holds a record of another chunk" },
        { unknownChunk, "cannot use state file damaged.kstate: its chunk 'XXXX' is not one this plug-in keeps ('elck', 'Kest')" },
    };
    for (auto& c : cases)
    {
        SCOPED_TRACE (c.problem);
        HostProgram::writeBytes (file ("damaged.kstate"), c.bytes);
        expectRefusal (render ({ "--midi", "song.mid", "--load-state", "damaged.kstate" }), "kest-host render: " + c.problem, 1);
    }
}

TEST_F (KestHostRefusal, HelpIsPrintedOnRequestAndUsageOnMistakes)
{
    for (const char* ask : { "--help", "-h", "help" })
    {
        const auto run = host ({ ask });
        EXPECT_EQ (run.exitCode, 0);
        EXPECT_TRUE (run.out.startsWith ("usage: kest-host COMMAND [ARGUMENTS]")) << run.out;
        EXPECT_TRUE (run.out.contains ("render [OPTIONS]"));
        EXPECT_TRUE (run.errors.isEmpty());
    }

    for (auto ask : { std::vector<std::string> { "render", "--help" }, std::vector<std::string> { "help", "render" } })
    {
        const auto run = host (ask);
        EXPECT_EQ (run.exitCode, 0);
        for (auto option : { "--bundle PATH", "--midi FILE", "--out FILE", "--rate HZ", "--block N", "--channels 1|2", "--bits 16|24|32",
                             "--max-seconds S", "--load-state FILE", "--save-state FILE" })
            EXPECT_TRUE (run.out.contains (option)) << option;
        EXPECT_FALSE (file ("kest-demo.wav").exists()) << "asking for help renders nothing";
    }

    const auto describeHelp = host ({ "describe", "--help" });
    EXPECT_EQ (describeHelp.exitCode, 0);
    EXPECT_TRUE (describeHelp.out.contains ("usage: kest-host describe [BUNDLE]")) << describeHelp.out;

    // The help of a command that takes a bundle is never taken for one.
    for (auto ask : { std::vector<std::string> { "presets", "--help" }, std::vector<std::string> { "presets", "-h" },
                      std::vector<std::string> { "help", "presets" }, std::vector<std::string> { "presets", "Kest.aaxplugin", "--help" } })
    {
        const auto run = host (ask);
        EXPECT_EQ (run.exitCode, 0);
        EXPECT_TRUE (run.out.contains ("usage: kest-host presets [BUNDLE]")) << run.out;
        EXPECT_FALSE (run.out.contains ("Favorites/")) << "asking for help lists no presets";
        EXPECT_TRUE (run.errors.isEmpty()) << run.errors;
    }
    const auto presetsOption = host ({ "presets", "--verbose" });
    EXPECT_EQ (presetsOption.exitCode, 2);
    EXPECT_TRUE (presetsOption.errors.startsWith ("kest-host presets: unknown option \"--verbose\"")) << presetsOption.errors;

    const auto bare = host ({});
    EXPECT_EQ (bare.exitCode, 2);
    EXPECT_TRUE (bare.errors.startsWith ("usage: kest-host COMMAND")) << bare.errors;

    const auto unknown = host ({ "play" });
    EXPECT_EQ (unknown.exitCode, 2);
    EXPECT_TRUE (unknown.errors.startsWith ("kest-host: unknown command \"play\"\nusage:")) << unknown.errors;
}

TEST_F (KestHostRefusal, DescribeTakesRelativePathsAndPrefixesItsErrors)
{
    const juce::File bundle (KEST_BUNDLE_PATH);
    const auto library = bundle.getChildFile ("Contents/x86_64-linux/Kest.so");
    ASSERT_TRUE (library.existsAsFile());

    HostProgram::Launch fromLibraryFolder;
    fromLibraryFolder.folder = library.getParentDirectory();
    fromLibraryFolder.arguments = { "describe", "Kest.so" };
    const auto byLibrary = HostProgram::run (fromLibraryFolder);
    EXPECT_EQ (byLibrary.exitCode, 0) << byLibrary.errors;
    EXPECT_TRUE (byLibrary.out.startsWith ("bundle: " + library.getFullPathName())) << byLibrary.out;

    HostProgram::Launch fromBuildFolder;
    fromBuildFolder.folder = bundle.getParentDirectory();
    fromBuildFolder.arguments = { "describe", "Kest.aaxplugin" };
    const auto byBundle = HostProgram::run (fromBuildFolder);
    EXPECT_EQ (byBundle.exitCode, 0) << byBundle.errors;
    EXPECT_TRUE (byBundle.out.contains ("can unload: yes")) << byBundle.out;

    const auto missing = host ({ "describe", "Nothing.so" });
    EXPECT_EQ (missing.exitCode, 1);
    EXPECT_TRUE (missing.errors.startsWith ("kest-host describe: cannot load " + file ("Nothing.so").getFullPathName())) << missing.errors;

    EXPECT_EQ (host ({ "describe", "a", "b" }).exitCode, 2);
    const auto option = host ({ "describe", "--verbose" });
    EXPECT_EQ (option.exitCode, 2);
    EXPECT_TRUE (option.errors.startsWith ("kest-host describe: unknown option \"--verbose\"")) << option.errors;
}

TEST_F (KestHostRefusal, APresetThatCannotBePlayedIsRefusedWithWhyAndNothingIsRendered)
{
    // A factory preset's bytes under the same name in the user's folder: the bare name then names two presets.
    const juce::File factoryPreset (juce::String (KEST_BUNDLE_PATH) + "/Contents/Resources/Korvalden/Presets/Kest/Bass/Acid Line.prs");
    ASSERT_TRUE (factoryPreset.existsAsFile());
    const auto userFolder = Korvalden::Platform::getUserApplicationSupportFolder().getChildFile ("Korvalden/Presets/Kest");
    ASSERT_TRUE (userFolder.createDirectory());
    ASSERT_TRUE (factoryPreset.copyFileTo (userFolder.getChildFile ("Acid Line.prs")));

    file ("junk.prs").replaceWithText ("not a preset");
    juce::MemoryBlock stateBlock;
    XmlBinaryBlock::write (juce::XmlElement ("KEST_Plugin_State"), stateBlock);
    file ("state.prs").replaceWithData (stateBlock.getData(), stateBlock.getSize());
    file ("empty.prs").create();

    const struct
    {
        std::string preset;
        juce::String problem;
    } cases[] = {
        { "Nope", "no preset named \"Nope\" (kest-host presets lists them)" },
        { "", "--preset \"\" is not allowed: give a preset's name or the path of a .prs file" },
    };
    for (auto& c : cases)
    {
        SCOPED_TRACE (c.problem);
        expectRefusal (render ({ "--preset", c.preset }), "kest-host render: " + c.problem, 2);
    }

    // A file that holds no preset cannot be played: it is said why, as for
    // any file that cannot be read.
    for (auto name : { "junk.prs", "state.prs", "empty.prs" })
    {
        SCOPED_TRACE (name);
        expectRefusal (render ({ "--preset", name }),
                       "kest-host render: the preset " + file (name).getFullPathName() + " is damaged or not a preset", 1);
    }

    const auto twice = render ({ "--preset", "Acid Line" });
    expectRefusal (twice, juce::StringArray::fromLines (twice.errors)[0], 2);
    EXPECT_TRUE (twice.errors.startsWith ("kest-host render: \"Acid Line\" names 2 presets: ")) << twice.errors;

    // The folders name the one meant, and it plays.
    const auto named = render ({ "--preset", "User Presets/Acid Line", "--max-seconds", "100" });
    EXPECT_EQ (named.exitCode, 0) << named.errors;
    EXPECT_TRUE (file ("kest-demo.wav").existsAsFile());
}
