#pragma once

#include "editor/EditorComponentNames.h"
#include "editor/MainControlPanel.h"
#include "engine/AudioEngine.h"
#include "gui/ResourceManager.h"
#include "platform/BundleResources.h"

#include <gtest/gtest.h>

/** An engine and its editor, built from the built bundle's resources. */
class EditorFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (folder.isDirectory()) << folder.getFullPathName();
        Korvalden::Platform::setResourceFolderForTesting (folder);
        engine = std::make_unique<AudioEngine>();
    }

    void TearDown() override
    {
        closeEditor();
        engine.reset();
        Korvalden::Platform::setResourceFolderForTesting ({});
    }

    MainControlPanel& openEditor()
    {
        panel.reset (dynamic_cast<MainControlPanel*> (engine->createEditorIfNeeded()));
        EXPECT_NE (panel, nullptr);
        return *panel;
    }

    void closeEditor()   { panel.reset(); }

    template <typename T>
    T* child (const juce::String& name)   { return MainControlPanel::findChildAs<T> (panel.get(), name); }

    /** Lets posted messages and timers run for a while. */
    static void pump (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    const juce::File folder { KEST_BUNDLE_RESOURCES_DIR };
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<MainControlPanel> panel;
};
