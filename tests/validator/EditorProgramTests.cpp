// kest-host editor as a user runs it on a desktop: the window rendered into
// a picture while a note or a looped MIDI file plays, the state given on
// opening kept on closing, and a clear refusal without a desktop.
#include "tests/host/HostProgram.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

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
