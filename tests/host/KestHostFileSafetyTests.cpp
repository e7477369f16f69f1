// A render that fails or is interrupted leaves the files it was to write as
// they were, and no unfinished file beside them.

#include "HostProgram.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace
{
class KestHostFileSafety : public HostProgram::FolderTest
{
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        file ("earlier.wav").replaceWithText ("an earlier render");
        file ("earlier.kstate").replaceWithText ("an earlier state");
    }

    /** The unfinished files in the folder (written beside their target under
        a hidden name). */
    juce::Array<juce::File> unfinishedFiles() const { return folder.findChildFiles (juce::File::findFiles, false, ".*.part"); }

    void expectEarlierFilesAsTheyWere() const
    {
        EXPECT_EQ (file ("earlier.wav").loadFileAsString(), "an earlier render");
        EXPECT_EQ (file ("earlier.kstate").loadFileAsString(), "an earlier state");
        EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);
    }
};
} // namespace

TEST_F (KestHostFileSafety, AWriteErrorRemovesTheUnfinishedFileAndKeepsTheEarlierOne)
{
    // A file-size limit fails the writes the way a full disk does.
    HostProgram::Launch launch;
    launch.folder = folder;
    launch.arguments = { "render", "--out", "earlier.wav", "--save-state", "earlier.kstate" };
    launch.fileSizeLimit = 200000;
    const auto run = HostProgram::run (launch);

    EXPECT_EQ (run.exitCode, 1);
    EXPECT_EQ (run.errors, "kest-host render: cannot write " + file ("earlier.wav").getFullPathName() + ": File too large");
    expectEarlierFilesAsTheyWere();
}

TEST_F (KestHostFileSafety, AnInterruptedRenderRemovesItsUnfinishedFilesAndKeepsTheEarlierOnes)
{
    HostProgram::Launch launch;
    launch.folder = folder;
    launch.arguments = { "render", "--out", "earlier.wav", "--save-state", "earlier.kstate", "--rate", "192000" };
    // Interrupted once the render has written well into its file.
    launch.interruptWhen = [this]
    {
        for (auto& unfinished : unfinishedFiles())
            if (unfinished.getSize() > 500000)
                return true;
        return false;
    };
    const auto run = HostProgram::run (launch);

    EXPECT_EQ (run.signal, SIGTERM) << run.out << run.errors;
    EXPECT_TRUE (run.errors.endsWith ("kest-host: interrupted; unfinished files removed")) << run.errors;
    expectEarlierFilesAsTheyWere();
}

TEST_F (KestHostFileSafety, ARenderThatFailsBeforeWritingLeavesNoFile)
{
    const auto run = host ({ "render", "--bundle", "Nothing.aaxplugin", "--out", "new.wav" });
    EXPECT_EQ (run.exitCode, 1);
    EXPECT_TRUE (run.errors.startsWith ("kest-host render: cannot load " + file ("Nothing.aaxplugin").getFullPathName())) << run.errors;
    EXPECT_FALSE (file ("new.wav").exists());
    expectEarlierFilesAsTheyWere();
}

TEST_F (KestHostFileSafety, ACompletedRenderReplacesTheTargetThroughItsLinkKeepingItsPermissions)
{
    ASSERT_EQ (::chmod (file ("earlier.wav").getFullPathName().toRawUTF8(), 0640), 0);
    ASSERT_TRUE (file ("earlier.wav").createSymbolicLink (file ("link.wav"), true));

    const auto run = host ({ "render", "--out", "link.wav", "--save-state", "earlier.kstate" });
    ASSERT_EQ (run.exitCode, 0) << run.errors;

    EXPECT_TRUE (file ("link.wav").isSymbolicLink());
    EXPECT_TRUE (file ("earlier.wav").loadFileAsString().startsWith ("RIFF"));
    EXPECT_NE (file ("earlier.kstate").loadFileAsString(), "an earlier state");
    struct stat status {};
    ASSERT_EQ (::stat (file ("earlier.wav").getFullPathName().toRawUTF8(), &status), 0);
    EXPECT_EQ (status.st_mode & 0777, 0640u);
    EXPECT_TRUE (unfinishedFiles().isEmpty());
}
