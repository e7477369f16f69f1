#pragma once

#include "tests/resources/BundleResourcesFixture.h"

#include "editor/FindChildAs.h"
#include "editor/PreferencesDialog.h"
#include "engine/ApplicationPropertiesUser.h"
#include "engine/AudioEngine.h"
#include "tests/support/EngineBlocks.h"

namespace O = EditorNames::Options;

/** The bundle's resources, an engine, and the settings file that the engine
    and the dialog share, removed before and after each test. */
class PreferencesDialogTest : public BundleResourcesFixture
{
protected:
    void SetUp() override
    {
        BundleResourcesFixture::SetUp();
        settingsFile.deleteFile();
    }

    void TearDown() override
    {
        settingsFile.deleteFile();
        BundleResourcesFixture::TearDown();
    }

    /** Writes the keys as the settings file, in the framework's XML form. */
    void writeSettings (std::initializer_list<std::pair<const char*, const char*>> values)
    {
        juce::XmlElement root ("PROPERTIES");
        for (auto& [name, value] : values)
        {
            auto* element = root.createNewChildElement ("VALUE");
            element->setAttribute ("name", name);
            element->setAttribute ("val", value);
        }
        ASSERT_TRUE (settingsFile.getParentDirectory().createDirectory());
        ASSERT_TRUE (root.writeTo (settingsFile));
    }

    /** What the file holds under key now (a fresh reader); "(none)" when absent. */
    juce::String storedInFile (const juce::String& key) const
    {
        Korvalden::Misc::ApplicationPropertiesUser reader ("Kest");
        return reader.getValue (key, "(none)");
    }

    juce::MemoryBlock settingsBytes() const
    {
        juce::MemoryBlock bytes;
        settingsFile.loadFileAsData (bytes);
        return bytes;
    }

    static juce::Component* page (PreferencesDialog& dialog, int tab)
    {
        auto* tabs = findChildAs<juce::TabbedComponent> (dialog.getContentComponent(), O::tabs);
        return tabs != nullptr && tab < tabs->getNumTabs() ? tabs->getTabContentComponent (tab) : nullptr;
    }

    static juce::ComboBox& combo (PreferencesDialog& dialog, const juce::String& name)
    {
        auto* found = findChildAs<juce::ComboBox> (page (dialog, 1), name);
        if (found == nullptr)
            throw std::runtime_error (("no combo " + name).toStdString());
        return *found;
    }

    template <typename T>
    static T& generalControl (PreferencesDialog& dialog, const juce::String& name)
    {
        auto* found = findChildAs<T> (page (dialog, 0), name);
        if (found == nullptr)
            throw std::runtime_error (("no control " + name).toStdString());
        return *found;
    }

    /** Picks an item as a user would: with a change notification, delivered at once. */
    static void choose (juce::ComboBox& box, int itemId)
    {
        box.setSelectedId (itemId, juce::sendNotificationSync);
    }

    /** Runs the message loop until done() or about timeoutMs; the result of done(). */
    static bool pumpUntil (const std::function<bool()>& done, int timeoutMs = 5000)
    {
        for (int elapsed = 0; ! done() && elapsed < timeoutMs; elapsed += 10)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        return done();
    }

    const juce::File settingsFile { Korvalden::Misc::ApplicationPropertiesUser::getSettingsFile ("Kest") };
};
