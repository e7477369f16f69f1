#include "PreviewEditor.h"

#include "editor/EditorComponentNames.h"
#include "presets/PresetTreeItems.h"

// The preset browser of the real editor: the bundle's factory presets and a
// few user presets (copies of factory sounds under names of their own) with
// two favourites, folders open, one preset loaded and a user folder active
// (preset-tree.png, cut from the editor at the browser's bounds).
namespace
{
    using Korvalden::Misc::PresetManager;

    /** A user's folder of presets, copied from the factory's. */
    void addUserPresets (const juce::File& dataFolder)
    {
        const auto factory = PresetManager::getFactoryRootFor ("Kest");
        const auto user = dataFolder.getChildFile ("Korvalden/Presets/Kest");
        const std::pair<const char*, const char*> copies[] { { "Pad/Soft Choir", "Evening Set/Choir Swell" },
                                                             { "Bass/Acid Line", "Evening Set/Night Drive" },
                                                             { "Bass/Sub Octaves", "My Basses/Wobble Floor" },
                                                             { "Keys/Funk Pluck", "Untitled Sketch" } };
        for (auto [from, to] : copies)
        {
            const auto target = user.getChildFile (juce::String (to) + ".prs");
            target.getParentDirectory().createDirectory();
            factory.getChildFile (juce::String (from) + ".prs").copyFileTo (target);
        }
    }

    bool renderTree (const PreviewContext& context)
    {
        PreviewEditor editor (addUserPresets);
        auto* tree = editor.child<juce::Component> (EditorNames::presetTree);
        if (tree == nullptr || ! tree->isVisible())
            return false;

        auto& manager = editor.engine.getPresetManager();
        const juce::String factory = "/PresetFiles/Factory Presets", user = "/PresetFiles/User Presets";
        for (auto path : { factory + "/Pad/Warm Strings", factory + "/Keys/Glass Bells" })
            if (auto* favourite = dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath (path)))
                favourite->setFavorite (true);
        for (auto path : { factory, factory + "/Pad", user, user + "/Evening Set" })
            if (auto* item = manager.findItemByPath (path))
                item->setOpen (true);
        manager.selectPresetByPath (factory + "/Pad/Warm Strings");
        manager.setActiveFolderByPath (user + "/Evening Set");
        PreviewEditor::run (150);

        return context.writePng (context.scaledName ("preset-tree"), editor.snapshot (context, tree->getBounds()));
    }

    PreviewRegistration presetTree ("preset-tree", "the editor's preset browser with factory and user folders and two favourites (preset-tree.png)",
                                    renderTree);
}
