// `kest-host render` run as a program: the WAV it writes, the state it keeps
// between runs, and its one-line errors.

#include "HostProgram.h"

#include <cmath>

namespace
{
class KestHostRender : public HostProgram::FolderTest
{
protected:
    juce::String path (const char* name) const { return file (name).getFullPathName(); }

    static std::unique_ptr<juce::AudioFormatReader> openWav (const juce::String& wav)
    {
        juce::WavAudioFormat format;
        return std::unique_ptr<juce::AudioFormatReader> (format.createReaderFor (juce::File (wav).createInputStream().release(), true));
    }

    static juce::AudioBuffer<float> readWav (const juce::String& wav) { return HostProgram::readWav (juce::File (wav)); }

    HostProgram::Run runHost (const juce::StringArray& arguments) const
    {
        std::vector<std::string> texts;
        for (auto& argument : arguments)
            texts.push_back (argument.toStdString());
        return render (texts);
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
};


} // namespace

TEST_F (KestHostRender, TheDemoBecomesANonSilentStereoWav)
{
    const auto out = path ("demo.wav");
    const auto run = runHost ({ "--out", out });
    ASSERT_EQ (run.exitCode, 0) << run.out;
    EXPECT_TRUE (run.out.contains ("realtime factor")) << run.out;

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
    ASSERT_EQ (run.exitCode, 0) << run.out;

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
