#pragma once

#include "gui/ResourceManager.h"
#include "platform/BundleResources.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

/** A scratch resource folder in place of the bundle's, with one resource-manager
    user for the length of each test. */
class ResourceFolderFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (scratch.wasCreated());
        Korvalden::Platform::setResourceFolderForTesting (folder);
        Korvalden::Resources::ResourceManager::acquire();
    }

    void TearDown() override
    {
        Korvalden::Resources::ResourceManager::release();
        Korvalden::Platform::setResourceFolderForTesting ({});
    }

    juce::File resourceFile (const juce::String& name, const juce::String& type) const
    {
        return folder.getChildFile (name + "." + type);
    }

    void writeBytes (const juce::String& name, const juce::String& type, const juce::MemoryBlock& bytes) const
    {
        ASSERT_TRUE (resourceFile (name, type).replaceWithData (bytes.getData(), bytes.getSize()));
    }

    void writePng (const juce::String& name, const juce::Image& image) const
    {
        juce::MemoryOutputStream out;
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));
        writeBytes (name, "IMAGE", out.getMemoryBlock());
    }

    ScratchFolder scratch { "kest-resources" };
    juce::File folder = scratch.getFile();
};
