// `kest-host render` run as a program: the WAV it writes, the state it keeps
// between runs, and its one-line errors.

#include <gtest/gtest.h>

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>

namespace
{
struct Run
{
    int exitCode = -1;
    juce::String output; // standard output or standard error, as asked
};

Run runHost (const juce::StringArray& arguments, bool errorsOnly = false)
{
    juce::StringArray command { KEST_HOST_PROGRAM, "render" };
    command.addArray (arguments);

    juce::ChildProcess process;
    Run run;
    if (! process.start (command, errorsOnly ? juce::ChildProcess::wantStdErr : juce::ChildProcess::wantStdOut))
        return run;
    // Debug builds of the framework announce their version on start-up; that
    // line is not the program's.
    juce::StringArray lines;
    for (auto& line : juce::StringArray::fromLines (process.readAllProcessOutput()))
        if (! line.startsWith ("JUCE v"))
            lines.add (line);
    run.output = lines.joinIntoString ("\n");
    process.waitForProcessToFinish (120000);
    run.exitCode = (int) process.getExitCode();
    return run;
}

class KestHostRender : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::createTempFile ("kest-host-render");
        ASSERT_TRUE (folder.createDirectory());
    }

    void TearDown() override { folder.deleteRecursively(); }

    juce::String path (const char* name) const { return folder.getChildFile (name).getFullPathName(); }

    static std::unique_ptr<juce::AudioFormatReader> openWav (const juce::String& file)
    {
        juce::WavAudioFormat format;
        return std::unique_ptr<juce::AudioFormatReader> (format.createReaderFor (juce::File (file).createInputStream().release(), true));
    }

    static juce::AudioBuffer<float> readWav (const juce::String& file)
    {
        auto reader = openWav (file);
        juce::AudioBuffer<float> audio;
        if (reader != nullptr)
        {
            audio.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
            reader->read (&audio, 0, (int) reader->lengthInSamples, 0, true, true);
        }
        return audio;
    }

    /** A short MIDI file: a C major chord held for half a second. */
    juce::String writeMidiFile (const char* name) const
    {
        juce::MidiMessageSequence track;
        for (int note : { 60, 64, 67 })
        {
            track.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 0.0);
            track.addEvent (juce::MidiMessage::noteOff (1, note), 480.0);
        }
        track.updateMatchedPairs();
        juce::MidiFile file;
        file.setTicksPerQuarterNote (960);
        file.addTrack (track);
        juce::FileOutputStream out (folder.getChildFile (name));
        file.writeTo (out);
        return path (name);
    }

    juce::File folder;
};

} // namespace

TEST_F (KestHostRender, TheDemoBecomesANonSilentStereoWav)
{
    const auto out = path ("demo.wav");
    const auto run = runHost ({ "--out", out });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (run.output.contains ("realtime factor")) << run.output;

    auto reader = openWav (out);
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->numChannels, 2u);
    EXPECT_EQ (reader->sampleRate, 48000.0);
    EXPECT_GT (reader->lengthInSamples, 10 * 48000);

    const auto audio = readWav (out);
    for (int channel = 0; channel < 2; ++channel)
    {
        EXPECT_GT (audio.getRMSLevel (channel, 0, audio.getNumSamples()), 0.01f);
        EXPECT_LT (audio.getMagnitude (channel, 0, audio.getNumSamples()), 1.0f) << "no clipping";
    }
}

TEST_F (KestHostRender, MidiFileInMonoAtAnotherRateAndBlockSize)
{
    const auto out = path ("mono.wav");
    const auto run = runHost ({ "--midi", writeMidiFile ("chord.mid"), "--out", out, "--rate", "44100", "--block", "333", "--channels", "1" });
    ASSERT_EQ (run.exitCode, 0) << run.output;

    auto reader = openWav (out);
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->numChannels, 1u);
    EXPECT_EQ (reader->sampleRate, 44100.0);
    const auto audio = readWav (out);
    EXPECT_GT (audio.getRMSLevel (0, 0, 22050), 0.01f) << "the chord sounds while held";
    EXPECT_EQ (audio.getMagnitude (0, audio.getNumSamples() - 4410, 4410), 0.0f) << "and has died away at the end";
}

TEST_F (KestHostRender, ASavedStateIsTheSoundOfTheNextRun)
{
    const auto state = path ("sound.kstate");
    const auto midi = writeMidiFile ("chord.mid");

    // The demo leaves the engine in Random mode with its devices set apart by
    // controllers; a later run from that state plays the chord differently
    // from a fresh instance, and the same every time.
    ASSERT_EQ (runHost ({ "--out", path ("demo.wav"), "--save-state", state }).exitCode, 0);
    ASSERT_TRUE (juce::File (state).existsAsFile());

    ASSERT_EQ (runHost ({ "--midi", midi, "--out", path ("fresh.wav") }).exitCode, 0);
    ASSERT_EQ (runHost ({ "--midi", midi, "--out", path ("restored1.wav"), "--load-state", state }).exitCode, 0);
    ASSERT_EQ (runHost ({ "--midi", midi, "--out", path ("restored2.wav"), "--load-state", state }).exitCode, 0);

    const auto fresh = readWav (path ("fresh.wav"));
    const auto restored1 = readWav (path ("restored1.wav"));
    const auto restored2 = readWav (path ("restored2.wav"));
    ASSERT_EQ (restored1.getNumSamples(), fresh.getNumSamples());
    ASSERT_EQ (restored2.getNumSamples(), fresh.getNumSamples());

    float differenceFromFresh = 0.0f;
    float differenceBetweenRestored = 0.0f;
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < fresh.getNumSamples(); ++i)
        {
            differenceFromFresh = std::max (differenceFromFresh, std::abs (restored1.getSample (channel, i) - fresh.getSample (channel, i)));
            differenceBetweenRestored = std::max (differenceBetweenRestored, std::abs (restored1.getSample (channel, i) - restored2.getSample (channel, i)));
        }
    EXPECT_GT (differenceFromFresh, 0.01f);
    EXPECT_EQ (differenceBetweenRestored, 0.0f);
}
