// `kest-host render` run as a program: the WAV it writes, the state it keeps
// between runs, and its one-line errors.

#include "HostProgram.h"

#include "host/StateFile.h"

#include <cmath>
#include <cstring>

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

    static std::unique_ptr<juce::XmlElement> pluginState (const juce::String& stateFile)
    {
        return HostProgram::pluginState (juce::File (stateFile));
    }

    static juce::File userPresetFolder()
    {
        return juce::File (juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {})).getChildFile ("Korvalden/Presets/Kest");
    }

    static juce::File factoryPreset (const char* relativePath)
    {
        return juce::File (KEST_BUNDLE_PATH).getChildFile ("Contents/Resources/Korvalden/Presets/Kest").getChildFile (relativePath);
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

TEST_F (KestHostRender, APresetPlayedByNameIsTheSoundAndTheNameOfTheSavedState)
{
    const auto midi = writeMidiFile ("chord.mid");
    const auto state = path ("preset.kstate");
    const auto run = runHost ({ "--midi", midi, "--preset", "Bass/Deep Round", "--out", path ("named.wav"), "--save-state", state });
    ASSERT_EQ (run.exitCode, 0) << run.errors;

    auto xml = pluginState (state);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getStringAttribute ("Preset"), "/PresetFiles/Factory Presets/Bass/Deep Round");
    EXPECT_EQ (xml->getIntAttribute ("PresetChangedState", -1), 0);

    // The same sound as the file's bytes played from outside the preset
    // folders, which have no name to give.
    ASSERT_TRUE (factoryPreset ("Bass/Deep Round.prs").copyFileTo (file ("Copy.prs")));
    const auto copy = runHost ({ "--midi", midi, "--preset", path ("Copy.prs"), "--out", path ("copy.wav"), "--save-state", path ("copy.kstate") });
    ASSERT_EQ (copy.exitCode, 0) << copy.errors;
    EXPECT_EQ (pluginState (path ("copy.kstate"))->getStringAttribute ("Preset"), "");
    const auto named = readWav (path ("named.wav"));
    const auto fromCopy = readWav (path ("copy.wav"));
    ASSERT_EQ (named.getNumSamples(), fromCopy.getNumSamples());
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < named.getNumSamples(); ++i)
            ASSERT_EQ (named.getSample (channel, i), fromCopy.getSample (channel, i)) << i;

    // Reopened, the state still names it.
    ASSERT_EQ (runHost ({ "--midi", midi, "--load-state", state, "--out", path ("again.wav"), "--save-state", path ("again.kstate") }).exitCode, 0);
    EXPECT_EQ (pluginState (path ("again.kstate"))->getStringAttribute ("Preset"), "/PresetFiles/Factory Presets/Bass/Deep Round");
}

TEST_F (KestHostRender, ADamagedPresetFailsTheRunWithOneLineAndWritesNothing)
{
    juce::MemoryBlock good;
    ASSERT_TRUE (factoryPreset ("Bass/Deep Round.prs").loadFileAsData (good));
    auto damaged = [&good] (const juce::File& target, bool cutShort)
    {
        juce::MemoryBlock bytes (good);
        if (cutShort)
            bytes.setSize (bytes.getSize() / 2);
        else
            static_cast<char*> (bytes.getData())[30] = (char) 0xE9; // a byte of another encoding
        target.getParentDirectory().createDirectory();
        target.replaceWithData (bytes.getData(), bytes.getSize());
    };
    damaged (userPresetFolder().getChildFile ("Cut Short.prs"), true);
    damaged (userPresetFolder().getChildFile ("Latin.prs"), false);
    damaged (file ("Outside.prs"), true);

    for (auto preset : { juce::String ("Cut Short"), juce::String ("User Presets/Latin"), path ("Outside.prs") })
    {
        const auto run = runHost ({ "--preset", preset, "--out", path ("out.wav"), "--save-state", path ("out.kstate") });
        EXPECT_EQ (run.exitCode, 1) << preset;
        EXPECT_EQ (juce::StringArray::fromLines (run.errors).size(), 1) << run.errors;
        EXPECT_TRUE (run.errors.contains ("is damaged or not a preset")) << run.errors;
        EXPECT_FALSE (file ("out.wav").exists()) << preset;
        EXPECT_FALSE (file ("out.kstate").exists()) << preset;
    }
}
