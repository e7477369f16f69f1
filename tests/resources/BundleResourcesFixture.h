#pragma once

#include "editor/EditorComponentNames.h"
#include "gui/ResourceManager.h"
#include "platform/BundleResources.h"

#include <juce_audio_utils/juce_audio_utils.h>
#include <gtest/gtest.h>

/** The resource manager pointed at the built bundle's resource folder, with
    one user for the length of each test. */
class BundleResourcesFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (folder.isDirectory()) << folder.getFullPathName();
        Korvalden::Platform::setResourceFolderForTesting (folder);
        Korvalden::Resources::ResourceManager::acquire();
    }

    void TearDown() override
    {
        Korvalden::Resources::ResourceManager::release();
        Korvalden::Platform::setResourceFolderForTesting ({});
    }

    template <typename Widget>
    static Widget* child (juce::Component& parent, const juce::String& name)
    {
        return dynamic_cast<Widget*> (Korvalden::Resources::findChildComponentByName (&parent, name));
    }

    const juce::File folder { KEST_BUNDLE_RESOURCES_DIR };
};

/** A stand-in for the editor: a plain root that holds the keyboard before the
    layout is applied, as the editor's constructor does. */
struct EditorStandIn
{
    EditorStandIn()
    {
        keyboard.setName (EditorNames::keyboard);
        root.addAndMakeVisible (keyboard);
    }

    ~EditorStandIn()
    {
        root.removeChildComponent (&keyboard);
    }

    juce::MidiKeyboardState keyboardState;
    juce::MidiKeyboardComponent keyboard { keyboardState, juce::MidiKeyboardComponent::horizontalKeyboard };
    juce::Component root;
};
