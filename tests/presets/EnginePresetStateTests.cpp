#include "engine/AudioEngine.h"
#include "engine/XmlBinaryBlock.h"
#include "platform/ApplicationSupport.h"
#include "presets/PresetTreeItems.h"
#include "tests/support/StandardErrorCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
const juce::String userPath = "/PresetFiles/User Presets";

class EnginePresets : public ::testing::Test
{
protected:
    EnginePresets() { makerFolder.deleteRecursively(); }
    ~EnginePresets() override { makerFolder.deleteRecursively(); }

    static juce::String currentPath (AudioEngine& engine)
    {
        auto* item = engine.getPresetManager().getCurrentItem();
        return item != nullptr ? item->getItemIdentifierString() : juce::String();
    }

    juce::File makerFolder = Korvalden::Platform::getUserMakerFolder();
};
} // namespace

TEST_F (EnginePresets, aNewEngineHasNoPresetAndSavesItsSoundAsNewPreset)
{
    AudioEngine engine;
    auto& manager = engine.getPresetManager();
    EXPECT_EQ (manager.getCurrentItem(), nullptr);
    EXPECT_EQ (manager.getDisplayName(), "*");
    EXPECT_TRUE (engine.isPresetModified()); // the defaults went through the host path

    engine.setParameter (7, 0.25f);
    manager.savePreset();
    auto file = makerFolder.getChildFile ("Presets/Kest/New Preset.prs");
    ASSERT_TRUE (file.existsAsFile());
    EXPECT_EQ (currentPath (engine), userPath + "/New Preset");
    EXPECT_FALSE (engine.isPresetModified());

    juce::MemoryBlock bytes;
    file.loadFileAsData (bytes);
    auto preset = XmlBinaryBlock::read (bytes);
    ASSERT_NE (preset, nullptr);
    EXPECT_EQ (preset->getTagName(), "KEST_Preset");
    EXPECT_FLOAT_EQ ((float) preset->getDoubleAttribute ("Frequency_1"), 0.25f);

    engine.setParameter (92, 0.5f); // the volume is no part of a preset
    EXPECT_FALSE (engine.isPresetModified());
    engine.setParameter (7, 0.75f);
    EXPECT_TRUE (engine.isPresetModified());
    engine.getPresetManager().getCurrentItem()->activate();
    EXPECT_FLOAT_EQ (engine.getParameter (7), 0.25f);
    EXPECT_FALSE (engine.isPresetModified());
}

TEST_F (EnginePresets, theStateCarriesTheFourPresetItemsAndTheUnsavedSound)
{
    juce::MemoryBlock state;
    {
        AudioEngine engine;
        engine.setParameter (7, 0.25f);
        engine.getPresetManager().getUserFolderItem()->createSubFolder()->moveOrRename ("Bass", 0);
        engine.getPresetManager().savePreset();
        engine.setParameter (7, 0.6f); // an edit not saved to the file
        engine.getStateInformation (state);
    }

    auto xml = XmlBinaryBlock::read (state);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getStringAttribute ("Preset"), userPath + "/Bass/New Preset");
    EXPECT_EQ (xml->getStringAttribute ("ActiveUserFolder"), userPath + "/Bass");
    EXPECT_EQ (xml->getIntAttribute ("PresetChangedState"), 1);
    ASSERT_NE (xml->getChildByName ("BrowserState"), nullptr);
    EXPECT_NE (xml->getChildByName ("BrowserState")->getFirstChildElement(), nullptr);

    AudioEngine restored;
    restored.setStateInformation (state.getData(), (int) state.getSize());
    EXPECT_EQ (currentPath (restored), userPath + "/Bass/New Preset");
    EXPECT_EQ (restored.getPresetManager().getCurrentFolder()->getItemIdentifierString(), userPath + "/Bass");
    EXPECT_TRUE (restored.isPresetModified());
    EXPECT_EQ (restored.getPresetManager().getDisplayName(), "*New Preset");
    EXPECT_FLOAT_EQ (restored.getParameter (7), 0.6f);

    // Without the flag the preset shows unmodified.
    xml->removeAttribute ("PresetChangedState");
    juce::MemoryBlock unchanged;
    XmlBinaryBlock::write (*xml, unchanged);
    restored.setStateInformation (unchanged.getData(), (int) unchanged.getSize());
    EXPECT_FALSE (restored.isPresetModified());
}

TEST_F (EnginePresets, linksThatComeWithAStateOrPresetDoNotMarkItModified)
{
    // Linked knobs in an unmodified sound: restoring it keeps it unmodified,
    // and saving it again gives the same state.
    const juce::String text = "<KEST_Plugin_State PresetChangedState=\"0\"><KEST_Preset Version=\"1\">"
                              "<PARAMETERLINKING><PARAMETER Index=\"0\" Ratio=\"1.0\" Name=\"Glides\"/>"
                              "<CONNECTION From=\"0\" To=\"20\"/><PARAMETER Index=\"20\" Ratio=\"0.5\"/>"
                              "</PARAMETERLINKING></KEST_Preset></KEST_Plugin_State>";
    juce::MemoryBlock block;
    XmlBinaryBlock::write (*juce::parseXML (text), block);

    AudioEngine engine;
    engine.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_FALSE (engine.isPresetModified());

    juce::MemoryBlock first, second;
    engine.getStateInformation (first);
    engine.setStateInformation (first.getData(), (int) first.getSize());
    engine.getStateInformation (second);
    EXPECT_EQ (first, second);
    EXPECT_EQ (XmlBinaryBlock::read (second)->getIntAttribute ("PresetChangedState"), 0);


    // A link the user makes still marks the sound.
    engine.getLinkManager().readXml (*juce::parseXML ("<KEST_Preset><PARAMETERLINKING><CONNECTION From=\"40\" To=\"60\"/></PARAMETERLINKING></KEST_Preset>"));
    EXPECT_TRUE (engine.isPresetModified());
}

TEST_F (EnginePresets, aStateWithoutPresetItemsStillLoadsAndAMissingPresetKeepsItsName)
{
    AudioEngine engine;
    const juce::String oldState = "<KEST_Plugin_State MasterVolume=\"0.5\" NumberOfVoices=\"8\"><KEST_Preset Version=\"1\" Frequency_1=\"0.3\"/></KEST_Plugin_State>";
    juce::MemoryBlock block;
    XmlBinaryBlock::write (*juce::parseXML (oldState), block);
    engine.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_EQ (engine.getNumberOfVoices(), 8);
    EXPECT_FLOAT_EQ (engine.getParameter (7), 0.3f);
    EXPECT_EQ (engine.getPresetManager().getCurrentItem(), nullptr);
    EXPECT_FALSE (engine.isPresetModified());

    auto withGonePreset = juce::parseXML (oldState);
    withGonePreset->setAttribute ("Preset", userPath + "/Lost Sound");
    withGonePreset->setAttribute ("ActiveUserFolder", "/PresetFiles/Factory Presets");
    XmlBinaryBlock::write (*withGonePreset, block);
    engine.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_EQ (engine.getPresetManager().getDisplayName(), "*Lost Sound");
    EXPECT_EQ (engine.getPresetManager().getCurrentFolder(), engine.getPresetManager().getUserFolderItem());

    // Saved again, the state still names the preset it could not find.
    juce::MemoryBlock saved;
    engine.getStateInformation (saved);
    EXPECT_EQ (XmlBinaryBlock::read (saved)->getStringAttribute ("Preset"), userPath + "/Lost Sound");
}

TEST_F (EnginePresets, aStateRestoredOnAnotherThreadReachesTheTreeOnTheMessageThread)
{
    juce::MemoryBlock state;
    {
        AudioEngine engine;
        engine.setParameter (7, 0.25f);
        engine.getPresetManager().savePreset();
        engine.setParameter (7, 0.6f);
        engine.getStateInformation (state);
    }

    AudioEngine restored;
    std::thread host ([&] { restored.setStateInformation (state.getData(), (int) state.getSize()); });
    host.join();
    EXPECT_EQ (restored.getPresetManager().getCurrentItem(), nullptr); // not yet
    EXPECT_FLOAT_EQ (restored.getParameter (7), 0.6f);

    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (currentPath (restored), userPath + "/New Preset");
    EXPECT_TRUE (restored.isPresetModified());
    EXPECT_FLOAT_EQ (restored.getParameter (7), 0.6f); // the file did not override the state's sound

    // Saved from another thread, the state names what the message thread shows.
    juce::MemoryBlock saved;
    std::thread saver ([&] { restored.getStateInformation (saved); });
    saver.join();
    auto xml = XmlBinaryBlock::read (saved);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getStringAttribute ("Preset"), userPath + "/New Preset");
    EXPECT_EQ (xml->getStringAttribute ("ActiveUserFolder"), userPath);
}

TEST_F (EnginePresets, aDamagedPresetFileIsNotLoadedAndChangesNeitherSoundNorState)
{
    auto folder = makerFolder.getChildFile ("Presets/Kest");
    {
        AudioEngine engine;
        engine.setParameter (7, 0.25f);
        engine.getPresetManager().savePreset();
    }
    juce::MemoryBlock good;
    ASSERT_TRUE (folder.getChildFile ("New Preset.prs").loadFileAsData (good));

    auto writeDamaged = [&] (const char* name, std::function<void (juce::MemoryBlock&)> damage)
    {
        juce::MemoryBlock bytes (good);
        damage (bytes);
        folder.getChildFile (juce::String (name) + ".prs").replaceWithData (bytes.getData(), bytes.getSize());
    };
    auto text = [] (juce::MemoryBlock& bytes) { return static_cast<char*> (bytes.getData()); };
    writeDamaged ("Cut Short", [] (juce::MemoryBlock& bytes) { bytes.setSize (bytes.getSize() - 40); });
    writeDamaged ("Latin", [&] (juce::MemoryBlock& bytes) { text (bytes)[30] = (char) 0xE9; });
    writeDamaged ("Renamed Root", [&] (juce::MemoryBlock& bytes) { text (bytes)[14] = 'X'; }); // "<KEXT_Preset ..."
    writeDamaged ("Bad Length", [&] (juce::MemoryBlock& bytes) { text (bytes)[7] = (char) 0x7F; });

    AudioEngine engine;
    auto& manager = engine.getPresetManager();
    manager.selectPresetByPath (userPath + "/New Preset");
    ASSERT_EQ (currentPath (engine), userPath + "/New Preset");
    engine.setParameter (7, 0.5f);
    juce::MemoryBlock before;
    engine.getStateInformation (before);

    for (auto name : { "Cut Short", "Latin", "Renamed Root", "Bad Length" })
    {
        auto* item = dynamic_cast<Korvalden::Misc::PresetManager::FileItem*> (manager.findItemByPath (userPath + "/" + name));
        ASSERT_NE (item, nullptr) << name;
        EXPECT_FALSE (item->loadPreset()) << name;
        item->activate();
        juce::MemoryBlock after;
        engine.getStateInformation (after);
        EXPECT_EQ (after, before) << name;
        EXPECT_EQ (currentPath (engine), userPath + "/New Preset") << name;
        EXPECT_FLOAT_EQ (engine.getParameter (7), 0.5f) << name;
    }
}

TEST_F (EnginePresets, aStateSavedRightAfterARestoreCarriesWhatWasRestoredOnAnyThread)
{
    juce::MemoryBlock state;
    {
        AudioEngine engine;
        engine.setParameter (7, 0.25f);
        engine.getPresetManager().getUserFolderItem()->createSubFolder()->moveOrRename ("Bass", 0);
        engine.getPresetManager().savePreset();
        engine.getStateInformation (state);
    }
    auto restoredItems = [] (const juce::MemoryBlock& block)
    {
        auto xml = XmlBinaryBlock::read (block);
        return xml == nullptr ? juce::String ("not a state")
                              : xml->getStringAttribute ("Preset") + " | " + xml->getStringAttribute ("ActiveUserFolder") + " | "
                                    + xml->getStringAttribute ("PresetChangedState");
    };
    const auto expected = userPath + "/Bass/New Preset | " + userPath + "/Bass | 0";
    ASSERT_EQ (restoredItems (state), expected);

    // A host copying a track: restore and save on its own thread before the
    // message thread has run.
    {
        AudioEngine copy;
        ASSERT_TRUE (copy.isPresetModified());
        juce::MemoryBlock saved;
        std::thread host ([&] {
            copy.setStateInformation (state.getData(), (int) state.getSize());
            copy.getStateInformation (saved);
        });
        host.join();
        EXPECT_EQ (restoredItems (saved), expected);

        // On the message thread before the loop runs, and after it.
        copy.getStateInformation (saved);
        EXPECT_EQ (restoredItems (saved), expected);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        copy.getStateInformation (saved);
        EXPECT_EQ (restoredItems (saved), expected);
        EXPECT_EQ (currentPath (copy), userPath + "/Bass/New Preset");
    }

    // The state brings its own sound: a preset file damaged meanwhile is
    // still the one it names.
    makerFolder.getChildFile ("Presets/Kest/Bass/New Preset.prs").replaceWithText ("damaged");
    AudioEngine restored;
    restored.setStateInformation (state.getData(), (int) state.getSize());
    juce::MemoryBlock saved;
    restored.getStateInformation (saved);
    EXPECT_EQ (restoredItems (saved), expected);
    EXPECT_FLOAT_EQ (restored.getParameter (7), 0.25f);
}

TEST_F (EnginePresets, statesRestoredAndSavedOnTheHostsThreadWhileTheMessageThreadTakesThemInKeepWhatWasRestored)
{
    juce::MemoryBlock inUser, inBass;
    {
        AudioEngine engine;
        engine.setParameter (7, 0.25f);
        engine.getPresetManager().savePreset();
        engine.getStateInformation (inUser);
        engine.getPresetManager().getUserFolderItem()->createSubFolder()->moveOrRename ("Bass", 0);
        engine.setParameter (7, 0.5f);
        engine.getPresetManager().savePreset();
        engine.getStateInformation (inBass);
    }
    auto restoredItems = [] (const juce::MemoryBlock& block)
    {
        auto xml = XmlBinaryBlock::read (block);
        return xml == nullptr ? juce::String ("not a state")
                              : xml->getStringAttribute ("Preset") + " | " + xml->getStringAttribute ("ActiveUserFolder");
    };
    const juce::String expected[] { userPath + "/New Preset | " + userPath, userPath + "/Bass/New Preset | " + userPath + "/Bass" };
    ASSERT_EQ (restoredItems (inUser), expected[0]);
    ASSERT_EQ (restoredItems (inBass), expected[1]);

    // Without a sound of their own, the states have the message thread read
    // their presets' files as it takes them in.
    for (auto* state : { &inUser, &inBass })
    {
        auto xml = XmlBinaryBlock::read (*state);
        ASSERT_NE (xml, nullptr);
        xml->deleteAllChildElementsWithTagName ("KEST_Preset");
        XmlBinaryBlock::write (*xml, *state);
    }

    // The host restores one state after the other on its thread and saves
    // each at once, while the message thread takes the restores into the
    // tree and saves states of its own.
    AudioEngine copy;
    juce::MemoryBlock fresh;
    copy.getStateInformation (fresh);
    const auto before = restoredItems (fresh);
    constexpr int rounds = 120;
    juce::StringArray savedByHost;
    juce::WaitableEvent go;
    std::atomic<bool> restoring { true };
    std::thread host ([&]
    {
        go.wait (-1);
        for (int round = 0; round < rounds; ++round)
        {
            const auto& state = round % 2 == 0 ? inUser : inBass;
            copy.setStateInformation (state.getData(), (int) state.getSize());
            juce::MemoryBlock saved;
            copy.getStateInformation (saved);
            savedByHost.add (restoredItems (saved));
        }
        restoring = false;
    });

    go.signal();
    juce::StringArray savedHere;
    while (restoring.load())
    {
        juce::MemoryBlock saved;
        copy.getStateInformation (saved);
        savedHere.add (restoredItems (saved));
    }
    host.join();

    // Each save on the host's thread carries the state just restored; each
    // on the message thread one of the two (or the items it had before the
    // first); the tree ends on the last.
    ASSERT_EQ (savedByHost.size(), rounds);
    for (int round = 0; round < rounds; ++round)
        EXPECT_EQ (savedByHost[round], expected[round % 2]) << round;
    for (auto& items : savedHere)
        EXPECT_TRUE (items == expected[0] || items == expected[1] || items == before) << items;
    juce::MemoryBlock saved;
    copy.getStateInformation (saved);
    EXPECT_EQ (restoredItems (saved), expected[1]);
    EXPECT_EQ (currentPath (copy), userPath + "/Bass/New Preset");
    EXPECT_FLOAT_EQ (copy.getParameter (7), 0.5f);
}

TEST_F (EnginePresets, favouritesAreReadAtConstructionAndWrittenAtDestruction)
{
    {
        AudioEngine engine;
        engine.getPresetManager().savePreset();
        dynamic_cast<Korvalden::Misc::PresetManager::FileItem*> (engine.getPresetManager().getCurrentItem())->setFavorite (true);
    }
    auto favorites = makerFolder.getChildFile ("Kest.Favorites.xml");
    ASSERT_TRUE (favorites.existsAsFile());

    AudioEngine engine;
    EXPECT_EQ (engine.getPresetManager().getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/New Preset"));
}

TEST_F (EnginePresets, twoInstancesThatEachMarkAFavouriteKeepBoth)
{
    auto folder = makerFolder.getChildFile ("Presets/Kest");
    ASSERT_TRUE (folder.createDirectory().wasOk());
    for (auto name : { "One", "Two" })
        ASSERT_TRUE (folder.getChildFile (juce::String (name) + ".prs").replaceWithText ("any"));

    auto mark = [] (AudioEngine& engine, const char* name)
    {
        auto* preset = dynamic_cast<Korvalden::Misc::PresetManager::FileItem*> (
            engine.getPresetManager().findItemByPath (userPath + "/" + name));
        ASSERT_NE (preset, nullptr);
        preset->setFavorite (true);
    };
    {
        auto first = std::make_unique<AudioEngine>();
        auto second = std::make_unique<AudioEngine>();
        mark (*first, "One");
        mark (*second, "Two");
        first.reset();
        second.reset();
    }

    AudioEngine next;
    EXPECT_EQ (next.getPresetManager().getFavoriteList().getFavoriteIds(), juce::StringArray (userPath + "/One", userPath + "/Two"));
}

TEST_F (EnginePresets, anOverwriteQuestionWithoutAnEditorKeepsBoth)
{
    AudioEngine engine;
    auto& manager = engine.getPresetManager();
    manager.savePreset();
    manager.savePreset();
    auto* second = dynamic_cast<Korvalden::Misc::PresetManager::FileItem*> (manager.getCurrentItem());
    second->renameTo ("New Preset");
    auto folder = makerFolder.getChildFile ("Presets/Kest");
    EXPECT_TRUE (folder.getChildFile ("New Preset.prs").existsAsFile());
    EXPECT_TRUE (folder.getChildFile ("New Preset(3).prs").existsAsFile());
    EXPECT_FALSE (folder.getChildFile ("New Preset(2).prs").existsAsFile());
}

TEST_F (EnginePresets, favouritesThatCannotBeSavedAsTheEngineGoesAreToldOnStandardErrorWithHowManyAreLost)
{
    // kest-host and the plug-in share the process: the plug-in's line is the host's.
    const auto presets = makerFolder.getChildFile ("Presets/Kest");
    ASSERT_TRUE (presets.createDirectory());
    for (auto name : { "Round", "Warm", "Deep" })
        ASSERT_TRUE (presets.getChildFile (juce::String (name) + ".prs").replaceWithText ("sound"));
    const auto favourites = AudioEngine::getFavoritesFile();
    ASSERT_TRUE (makerFolder.getChildFile ("gone/Kest.Favorites.xml").createSymbolicLink (favourites, true));

    StandardErrorCapture errors;
    {
        AudioEngine engine;
        for (auto name : { "Round", "Warm", "Deep" })
        {
            auto* preset = dynamic_cast<Korvalden::Misc::PresetManager::FileItem*> (
                engine.getPresetManager().findItemByPath (userPath + "/" + name));
            ASSERT_NE (preset, nullptr);
            preset->setFavorite (true);
        }
        EXPECT_EQ (errors.lines().size(), 1) << "the first mark's save is told at once, and no later one";
    }
    // The last save, as the engine goes, tells what is lost with it.
    const auto told = "Kest: could not save \"" + favourites.getFullPathName() + "\": it is a link that leads nowhere";
    EXPECT_EQ (errors.lines().joinIntoString ("\n"), told + "\n" + told + "; 3 changes to the favorites made here are lost");
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
