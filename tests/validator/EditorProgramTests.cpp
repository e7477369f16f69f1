// kest-host editor as a user runs it on a desktop: the window rendered into
// a picture while a note or a looped MIDI file plays, the state given on
// opening kept on closing (its split points as stored, in whatever order),
// and a clear refusal without a desktop.
#include "tests/host/HostProgram.h"

#include "engine/XmlBinaryBlock.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace
{
class EditorProgram : public ::testing::Test
{
protected:
    void SetUp() override { folder = juce::File::createTempFile ("kest-editor"); ASSERT_TRUE (folder.createDirectory()); }
    void TearDown() override { folder.deleteRecursively(); }

    std::string path (const char* name) const { return folder.getChildFile (name).getFullPathName().toStdString(); }

    juce::File folder;
};
} // namespace

TEST_F (EditorProgram, SnapshotWhileAMidiFileLoopsKeepsTheStateItWasGiven)
{
    const auto first = HostProgram::run (folder, { "editor", "--snapshot", path ("first.png"), "--after", "0.2", "--save-state", path ("a.kst") });
    ASSERT_EQ (first.exitCode, 0) << first.errors;
    EXPECT_TRUE (first.out.contains ("saved the plug-in's state to"));

    juce::MidiMessageSequence notes;
    notes.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0.0);
    notes.addEvent (juce::MidiMessage::noteOff (1, 60), 4800.0);
    HostProgram::writeSampleTimedMidi (folder.getChildFile ("loop.mid"), notes, 48000);

    const auto second = HostProgram::run (folder, { "editor", "--midi", path ("loop.mid"), "--load-state", path ("a.kst"), "--save-state",
                                                    path ("b.kst"), "--snapshot", path ("second.png"), "--after", "0.5" });
    ASSERT_EQ (second.exitCode, 0) << second.errors;
    EXPECT_TRUE (second.out.contains ("loop.mid over and over")) << second.out;
    EXPECT_TRUE (second.out.contains ("MIDI inputs: ")) << second.out;
    EXPECT_TRUE (folder.getChildFile ("a.kst").hasIdenticalContentTo (folder.getChildFile ("b.kst")))
        << "the state changed though nobody touched the editor";

    const auto picture = juce::ImageFileFormat::loadFrom (folder.getChildFile ("second.png"));
    ASSERT_TRUE (picture.isValid());

    // The editor, not an empty window: many colours, not one.
    std::set<juce::uint32> colours;
    for (int y = 0; y < picture.getHeight(); y += 4)
        for (int x = 0; x < picture.getWidth(); x += 4)
            colours.insert (picture.getPixelAt (x, y).getARGB());
    EXPECT_GT (colours.size(), 100u);
    EXPECT_TRUE (second.out.contains ("wrote " + juce::String (path ("second.png")) + ": " + juce::String (picture.getWidth()) + "x"
                                      + juce::String (picture.getHeight())));
}

TEST_F (EditorProgram, AStateSavesTheSplitPointsItWasGivenWithOrWithoutTheEditor)
{
    juce::MidiMessageSequence note;
    note.addEvent (juce::MidiMessage::noteOn (1, 40, (juce::uint8) 100), 0.0);
    note.addEvent (juce::MidiMessage::noteOff (1, 40), 480.0);
    HostProgram::writeSampleTimedMidi (folder.getChildFile ("note.mid"), note, 48000);

    // Points out of order (notes below 80 all go to the first device) and
    // beyond the keyboard: the slider can only show them sorted and limited.
    const std::array<int, 3> stored[] { { 80, 64, 20 }, { 10, 200, 300 } };
    for (auto& points : stored)
    {
        const auto name = juce::String (points[0]) + "-" + juce::String (points[1]) + "-" + juce::String (points[2]);
        SCOPED_TRACE (name);
        juce::XmlElement preset ("KEST_Preset");
        preset.setAttribute ("Version", 1);
        preset.setAttribute ("Voice_Mode", 0.2);
        for (int i = 0; i < 3; ++i)
            preset.setAttribute ("SplitPoint" + juce::String (i + 1), points[(size_t) i]);
        juce::MemoryBlock bytes;
        XmlBinaryBlock::write (preset, bytes);
        ASSERT_TRUE (folder.getChildFile (name + ".prs").replaceWithData (bytes.getData(), bytes.getSize()));

        const auto given = path ("given.kst");
        ASSERT_EQ (HostProgram::run (folder, { "render", "--midi", path ("note.mid"), "--out", path ("a.wav"), "--preset",
                                               (folder.getChildFile (name + ".prs")).getFullPathName().toStdString(), "--save-state", given })
                       .exitCode,
                   0);
        const auto rendered = HostProgram::run (folder, { "render", "--midi", path ("note.mid"), "--out", path ("b.wav"), "--load-state", given,
                                                          "--save-state", path ("rendered.kst") });
        ASSERT_EQ (rendered.exitCode, 0) << rendered.errors;
        const auto edited = HostProgram::run (folder, { "editor", "--load-state", given, "--snapshot", path ("split.png"), "--after", "0.3",
                                                        "--save-state", path ("edited.kst") });
        ASSERT_EQ (edited.exitCode, 0) << edited.errors;

        for (auto* saved : { "given.kst", "rendered.kst", "edited.kst" })
        {
            const auto state = HostProgram::pluginState (folder.getChildFile (saved));
            ASSERT_NE (state, nullptr) << saved;
            const auto* sound = state->getChildByName ("KEST_Preset");
            ASSERT_NE (sound, nullptr) << saved;
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ (sound->getIntAttribute ("SplitPoint" + juce::String (i + 1)), points[(size_t) i]) << saved << ", point " << i + 1;
        }
    }
}

TEST_F (EditorProgram, WithoutADesktopItSaysSoAndOpensNothing)
{
    const char* display = std::getenv ("DISPLAY");
    const std::string saved = display != nullptr ? display : "";
    ::setenv ("DISPLAY", ":no-such-display", 1);
    const auto run = HostProgram::run (folder, { "editor", "--snapshot", path ("never.png") });
    ::setenv ("DISPLAY", saved.c_str(), 1);

    EXPECT_EQ (run.exitCode, 1);
    EXPECT_TRUE (run.errors.contains ("the X display \":no-such-display\" cannot be opened: the editor needs a desktop")) << run.errors;
    EXPECT_FALSE (folder.getChildFile ("never.png").exists());
}

TEST_F (EditorProgram, RefusesADelayWithoutASnapshotAndAnOutputThatIsAnInput)
{
    const auto delay = HostProgram::run (folder, { "editor", "--after", "2" });
    EXPECT_EQ (delay.exitCode, 2);
    EXPECT_TRUE (delay.errors.contains ("--after needs --snapshot")) << delay.errors;

    HostProgram::writeBytes (folder.getChildFile ("s.kst"), { 1, 2, 3 });
    const auto same = HostProgram::run (folder, { "editor", "--load-state", path ("s.kst"), "--save-state", path ("s.kst") });
    EXPECT_EQ (same.exitCode, 2);
    EXPECT_TRUE (same.errors.contains ("it is the state file this run reads (--load-state)")) << same.errors;
}
