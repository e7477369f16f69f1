#include "platform/BundleResources.h"

#include <gtest/gtest.h>

using namespace Korvalden::Platform;

TEST (BundleResources, OutsideABundleThereIsNoFolderUntilOneIsSet)
{
    // Test binaries do not live in <bundle>/Contents/<architecture>/.
    EXPECT_EQ (getBundleResourceFolder(), juce::File());
    EXPECT_EQ (getBundleResourceFile ("Background", "IMAGE"), juce::File());

    auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("kest-bundle-test");
    setResourceFolderForTesting (folder);
    EXPECT_EQ (getBundleResourceFolder(), folder);
    EXPECT_EQ (getBundleResourceFile ("Background", "IMAGE"), folder.getChildFile ("Background.IMAGE"));

    setResourceFolderForTesting ({});
    EXPECT_EQ (getBundleResourceFolder(), juce::File());
}

TEST (BundleResources, OnlyPlainFileNamesNameAResource)
{
    setResourceFolderForTesting (juce::File ("/tmp/kest-bundle-test"));
    for (auto* name : { "", ".", "..", "a/b", "../x", "a\\b" })
        EXPECT_EQ (getBundleResourceFile (name, "IMAGE"), juce::File()) << name;
    EXPECT_EQ (getBundleResourceFile ("Knob", "../IMAGE"), juce::File());
    EXPECT_NE (getBundleResourceFile ("Knob.v2", "IMAGE"), juce::File());
    setResourceFolderForTesting ({});
}
