#include "platform/ApplicationSupport.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
/** Sets an environment variable for one test and restores it afterwards. */
class ScopedEnvironment
{
public:
    ScopedEnvironment (const char* nameToUse, const char* value) : name (nameToUse)
    {
        if (const char* old = std::getenv (name))
        {
            hadValue = true;
            oldValue = old;
        }
        if (value != nullptr)
            setenv (name, value, 1);
        else
            unsetenv (name);
    }

    ~ScopedEnvironment()
    {
        if (hadValue)
            setenv (name, oldValue.c_str(), 1);
        else
            unsetenv (name);
    }

private:
    const char* name;
    bool hadValue = false;
    std::string oldValue;
};
} // namespace

using Korvalden::Platform::getComputerApplicationSupportFolder;
using Korvalden::Platform::getUserApplicationSupportFolder;

TEST (ApplicationSupport, userFolderFollowsXdgDataHomeElseHome)
{
    ScopedEnvironment home ("HOME", "/tmp/kest-home");
    {
        ScopedEnvironment data ("XDG_DATA_HOME", "/tmp/kest-data");
        EXPECT_EQ (getUserApplicationSupportFolder().getFullPathName(), "/tmp/kest-data");
    }
    {
        ScopedEnvironment data ("XDG_DATA_HOME", nullptr);
        EXPECT_EQ (getUserApplicationSupportFolder().getFullPathName(), "/tmp/kest-home/.local/share");
    }
    {
        // A relative path is not a valid XDG folder and falls back to the default.
        ScopedEnvironment data ("XDG_DATA_HOME", "relative/path");
        EXPECT_EQ (getUserApplicationSupportFolder().getFullPathName(), "/tmp/kest-home/.local/share");
    }
}

TEST (ApplicationSupport, computerFolderIsFirstEntryHoldingThePresetsElseFirstEntry)
{
    const ScratchFolder scratch ("kest-dirs");
    const auto& root = scratch.getFile();
    auto first = root.getChildFile ("first");
    auto second = root.getChildFile ("second");
    ASSERT_TRUE (first.createDirectory());
    ASSERT_TRUE (second.createDirectory());

    auto dirs = first.getFullPathName() + ":" + second.getFullPathName();
    ScopedEnvironment data ("XDG_DATA_DIRS", dirs.toRawUTF8());
    EXPECT_EQ (getComputerApplicationSupportFolder(), first);

    ASSERT_TRUE (second.getChildFile ("Korvalden/Presets/Kest").createDirectory());
    EXPECT_EQ (getComputerApplicationSupportFolder(), second);

    {
        ScopedEnvironment unset ("XDG_DATA_DIRS", nullptr);
        EXPECT_EQ (getComputerApplicationSupportFolder().getFullPathName(), "/usr/local/share");
    }
}

TEST (ApplicationSupport, testsRunWithAnIsolatedHome)
{
    // The test launcher gives every test its own temporary folders.
    auto home = juce::String (std::getenv ("HOME"));
    EXPECT_TRUE (home.contains ("kest-test.")) << home;
    EXPECT_TRUE (getUserApplicationSupportFolder().getFullPathName().contains ("kest-test."));
}
