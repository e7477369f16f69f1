// A preset tree larger than the browser reads: `kest-host presets` and
// `render --preset` say where reading stopped, and a preset beyond the
// limit is not answered as if it did not exist.

#include "HostProgram.h"
#include "platform/ApplicationSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace
{
class KestHostPresetLimit : public HostProgram::FolderTest
{
};
} // namespace

TEST_F (KestHostPresetLimit, aTreeOverTheItemLimitIsToldByListingAndRenderingAndItsLastPresetIsNotCalledMissing)
{
    // One preset more than a tree holds.  Many names for one file cost no
    // space (a file takes some 65000).
    const auto data = Korvalden::Platform::getUserApplicationSupportFolder();
    const auto many = data.getChildFile ("Korvalden/Presets/Kest/Many");
    ASSERT_TRUE (many.createDirectory());
    const juce::File preset (juce::String (KEST_BUNDLE_PATH) + "/Contents/Resources/Korvalden/Presets/Kest/Bass/Acid Line.prs");
    constexpr int limit = 150000, namesPerFile = 50000;
    juce::File original;
    for (int i = 0; i <= limit; ++i)
    {
        if (i % namesPerFile == 0)
        {
            original = data.getChildFile ("original" + juce::String (i / namesPerFile) + ".prs");
            ASSERT_TRUE (preset.copyFileTo (original));
        }
        const auto name = i < limit ? "Sound " + juce::String (i) : juce::String ("Zlast");
        ASSERT_EQ (::link (original.getFullPathName().toRawUTF8(), many.getChildFile (name + ".prs").getFullPathName().toRawUTF8()), 0);
    }

    const juce::String told = "the preset tree stops at 150000 presets and folders, reached in " + many.getFullPathName()
                              + ": the presets beyond are not shown";

    const auto listed = host ({ "presets" });
    EXPECT_EQ (listed.exitCode, 0) << listed.errors;
    EXPECT_TRUE (listed.out.contains ("  Sound 0\n")) << listed.out.substring (0, 400);
    EXPECT_FALSE (listed.out.contains ("Zlast"));
    EXPECT_EQ (listed.errors, "kest-host presets: warning: " + told);

    // Beyond the limit: not a wrong name, a preset that cannot be reached.
    const auto beyond = render ({ "--preset", "Zlast" });
    EXPECT_EQ (beyond.exitCode, 1);
    EXPECT_EQ (beyond.errors, "kest-host render: no preset named \"Zlast\" among the presets read; " + told);
    EXPECT_TRUE (beyond.out.isEmpty()) << beyond.out;
    EXPECT_FALSE (file ("kest-demo.wav").exists());

    // A preset that was read plays, with the limit told beside it.
    const auto played = render ({ "--preset", "Many/Sound 1", "--max-seconds", "100" });
    EXPECT_EQ (played.exitCode, 0) << played.errors;
    EXPECT_TRUE (juce::StringArray::fromLines (played.errors).contains ("kest-host render: warning: " + told)) << played.errors;
    EXPECT_TRUE (file ("kest-demo.wav").existsAsFile());
}
