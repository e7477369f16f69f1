#include "PresetTestSupport.h"

#include <thread>

// States restored on the host's thread wait for the message thread: one that
// arrives while another still waits is taken in as if both had been.

using namespace PresetTestSupport;

namespace
{
class PresetStateRestore : public PresetFolders
{
protected:
    struct Restore
    {
        const char* preset;
        const char* folder;   // empty: the state names none
        const char* openFolder; // null: the state holds no openness
        bool modified, ownSound;
    };

    /** The tree's openness with the user presets and one folder in them open. */
    std::unique_ptr<juce::XmlElement> opennessWithOpen (const char* folder)
    {
        FakeClient other;
        PresetManager manager (&other, factory, user);
        manager.getFileTreeRoot().setOpen (true);
        manager.getUserFolderItem()->setOpen (true);
        manager.findItemByPath (userPath + "/" + folder)->setOpen (true);
        return manager.getFileTreeRoot().getOpennessState();
    }

    void restore (PresetManager& manager, const Restore& r)
    {
        PresetManager::StateItems items;
        if (r.openFolder != nullptr)
            items.openness = opennessWithOpen (r.openFolder);
        items.presetPath = userPath + "/" + r.preset;
        items.folderPath = juce::String (r.folder).isEmpty() ? juce::String() : userPath + "/" + r.folder;
        items.modified = r.modified;
        manager.restoreStateItems (std::move (items), r.ownSound);
    }

    static juce::String describe (const PresetManager::StateItems& items)
    {
        return items.presetPath + " | " + items.folderPath + " | " + (items.modified ? "modified" : "unmodified") + " | "
               + (items.openness != nullptr ? items.openness->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader()) : "no openness");
    }
};
} // namespace

TEST_F (PresetStateRestore, aSecondRestoreArrivingBeforeTheMessageThreadRunsKeepsItsOwnItems)
{
    addPreset (user, "Bass/Deep", "deep");
    addPreset (user, "Pads/Air", "air");

    const struct
    {
        const char* name;
        Restore first, second;
    } cases[] = {
        { "both whole", { "Bass/Deep", "Bass", "Bass", false, false }, { "Pads/Air", "Pads", "Pads", true, true } },
        { "the second names no folder and no openness", { "Bass/Deep", "Bass", "Bass", false, true }, { "Pads/Air", "", nullptr, true, true } },
        { "only the second reads its preset's file", { "Bass/Deep", "Bass", "Bass", true, true }, { "Pads/Air", "Pads", "Pads", false, false } },
    };

    for (auto& c : cases)
    {
        SCOPED_TRACE (c.name);

        // The message thread taking both in, one after the other.
        FakeClient inTurn;
        PresetManager reference (&inTurn, factory, user);
        restore (reference, c.first);
        restore (reference, c.second);
        const auto expected = describe (reference.getStateItems());

        client.loaded.clear();
        auto manager = makeManager();
        std::thread host ([&] {
            restore (*manager, c.first);
            restore (*manager, c.second);
        });
        host.join();

        juce::String savedByHost;
        std::thread saver ([&] { savedByHost = describe (manager->getStateItems()); });
        saver.join();
        EXPECT_EQ (savedByHost, expected) << "before the message thread runs";

        EXPECT_EQ (describe (manager->getStateItems()), expected) << "once it has taken them in";
        EXPECT_EQ (currentPath (*manager), userPath + "/" + c.second.preset);
        // A sound the second state brings is never replaced by the first one's preset file.
        EXPECT_EQ (client.loaded.joinIntoString (" "), c.second.ownSound ? "" : "air");
    }
}
