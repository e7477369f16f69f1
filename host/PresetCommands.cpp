#include "host/PresetCommands.h"

#include "engine/XmlBinaryBlock.h"
#include "platform/ApplicationSupport.h"
#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"

#include <cstdlib>
#include <ostream>

namespace KestHost
{
namespace
{
using Korvalden::Misc::PresetManager;

const juce::String productFolder = "Kest";

/** Lists presets only: it never loads one. */
struct NoSound : public PresetManager::PresetClient
{
    void writePresetState (juce::MemoryBlock&) override {}
    bool readPresetState (const juce::MemoryBlock&) override { return false; }
    juce::String getDefaultPresetName() override { return "New Preset"; }
    void handlePresetOverwriteRequest (PresetOverwriteRequest* request) override { request->answer (false); }
};

/** The preset tree as the plug-in sees it, with the user's favourites. */
struct PresetTree
{
    PresetTree() : manager (&client, productFolder)
    {
        manager.loadFavorites (Korvalden::Platform::getUserMakerFolder().getChildFile ("Kest.Favorites.xml"));
    }

    juce::ScopedJuceInitialiser_GUI framework;
    NoSound client;
    PresetManager manager;
};

void printItems (const juce::TreeViewItem& parent, int depth, std::ostream& out)
{
    const std::string indent ((size_t) depth * 2, ' ');
    for (int index = 0; index < parent.getNumSubItems(); ++index)
    {
        auto* item = parent.getSubItem (index);
        auto* file = dynamic_cast<PresetManager::FileItem*> (item);
        out << indent << item->getUniqueName() << (file == nullptr ? "/" : "")
            << (file != nullptr && file->isFavorite() ? "  [favourite]" : "") << "\n";
        printItems (*item, depth + 1, out);
    }
}

void collectPresets (juce::TreeViewItem& parent, juce::Array<PresetManager::FileItem*>& presets)
{
    for (int index = 0; index < parent.getNumSubItems(); ++index)
    {
        auto* item = parent.getSubItem (index);
        if (auto* file = dynamic_cast<PresetManager::FileItem*> (item))
            presets.add (file);
        collectPresets (*item, presets);
    }
}

struct FoundPreset
{
    juce::File file;
    juce::String treePath; // empty for a file outside the preset folders
    bool mayLieBeyondLimit = false; // none found in a tree that stopped at a limit
};

FoundPreset foundAt (const PresetManager::FileItem& item)
{
    return { item.getFile(), item.getItemIdentifierString() };
}

/** A file the user named, or the preset whose tree path is, or ends in, the
    text.  Limits the tree reached are given in limits. */
FoundPreset findPreset (const juce::String& wanted, juce::StringArray& limits, std::string& error)
{
    PresetTree tree;
    limits = tree.manager.getTreeLimitsReached();
    juce::Array<PresetManager::FileItem*> presets, matches;
    collectPresets (tree.manager.getFileTreeRoot(), presets);

    const auto asFile = juce::File::getCurrentWorkingDirectory().getChildFile (wanted);
    if (asFile.existsAsFile())
    {
        for (auto* preset : presets)
            if (Korvalden::Misc::PresetFileSystem::isSameFile (preset->getFile(), asFile))
                return foundAt (*preset);
        return { asFile, {} };
    }

    if (auto* item = dynamic_cast<PresetManager::FileItem*> (tree.manager.findItemByPath (wanted)))
        return foundAt (*item);

    for (auto* preset : presets)
        if (preset->getItemIdentifierString().endsWith ("/" + wanted))
            matches.add (preset);

    if (matches.size() == 1)
        return foundAt (*matches.getFirst());

    if (matches.isEmpty() && ! limits.isEmpty())
    {
        // Not a wrong name, maybe: a preset where the tree stopped cannot be reached.
        error = "no preset named \"" + wanted.toStdString() + "\" among the presets read; "
                + limits.joinIntoString ("; ").toStdString();
        FoundPreset none;
        none.mayLieBeyondLimit = true;
        return none;
    }
    if (matches.isEmpty())
        error = "no preset named \"" + wanted.toStdString() + "\" (kest-host presets lists them)";
    else
    {
        error = "\"" + wanted.toStdString() + "\" names " + std::to_string (matches.size()) + " presets:";
        for (auto* match : matches)
            error += " " + match->getItemIdentifierString().toStdString();
    }
    return {};
}
} // namespace

void useBundleFactoryPresets (const std::string& bundlePath)
{
    const auto factoryBelow = juce::String ("Korvalden/Presets/") + productFolder;
    if (Korvalden::Platform::getComputerApplicationSupportFolder().getChildFile (factoryBelow).isDirectory())
        return;

    const auto resources = juce::File (juce::File::getCurrentWorkingDirectory().getChildFile (bundlePath)).getChildFile ("Contents/Resources");
    if (! resources.getChildFile (factoryBelow).isDirectory())
        return;

    const char* dirs = std::getenv ("XDG_DATA_DIRS");
    const juce::String current = dirs != nullptr && *dirs != 0 ? juce::String (dirs) : juce::String ("/usr/local/share:/usr/share");
    ::setenv ("XDG_DATA_DIRS", (current + ":" + resources.getFullPathName()).toRawUTF8(), 1);
}

int listPresets (const std::string& bundle, std::ostream& out, std::ostream& errors)
{
    useBundleFactoryPresets (bundle);

    PresetTree tree;
    auto& favorites = tree.manager.getFavoriteList();
    out << "Favorites/\n";
    for (int index = 0; index < favorites.getNumSubItems(); ++index)
        if (auto* entry = dynamic_cast<PresetManager::FavoriteItem*> (favorites.getSubItem (index)))
            out << "  " << entry->getUniqueName() << "  (" << entry->target.getItemIdentifierString() << ")\n";

    for (auto* folder : { tree.manager.getFactoryFolderItem(), tree.manager.getUserFolderItem() })
    {
        if (folder == nullptr)
            continue;
        out << folder->getUniqueName() << "/  (" << folder->getFile().getFullPathName() << ")\n";
        printItems (*folder, 1, out);
    }
    if (tree.manager.getFactoryFolderItem() == nullptr)
        out << "(no factory presets: " << tree.manager.getFactoryRoot().getFullPathName() << " does not exist)\n";
    for (auto& line : tree.manager.getTreeLimitsReached())
        errors << "kest-host presets: warning: " << line << "\n";
    return 0;
}

//==============================================================================
int RenderPreset::applyTo (RenderOptions& options, std::ostream& out, std::ostream& errors, std::string& error)
{
    // A state that names a factory preset finds it, with or without --preset.
    useBundleFactoryPresets (options.bundle);
    if (wanted.empty())
        return 0;
    juce::StringArray limits;
    const auto found = findPreset (juce::String::fromUTF8 (wanted.c_str()), limits, error);
    if (found.mayLieBeyondLimit)
        return 1; // the error names the limits
    for (auto& line : limits)
        errors << "kest-host render: warning: " << line << "\n";
    if (found.file == juce::File())
        return 2;

    juce::MemoryBlock state;
    if (found.treePath.isNotEmpty())
    {
        // The plug-in's preset manager loads it, as a click in the editor
        // does, so the plug-in names it as its preset from then on.
        juce::XmlElement restore ("KEST_Plugin_State");
        restore.setAttribute ("Preset", found.treePath);
        restore.setAttribute ("PresetChangedState", 0);
        XmlBinaryBlock::write (restore, state);
    }
    else
    {
        // A file outside the preset folders is a sound without a name: its
        // bytes are a state the plug-in restores as a sound, once they are
        // known to be a whole preset.
        if (! Korvalden::Misc::PresetFileSystem::readWholeFile (found.file, state))
        {
            error = "cannot read the preset " + found.file.getFullPathName().toStdString();
            return 1;
        }
        auto preset = XmlBinaryBlock::read (state);
        if (preset == nullptr || ! preset->getTagName().equalsIgnoreCase ("KEST_Preset"))
        {
            error = "the preset " + found.file.getFullPathName().toStdString() + " is damaged or not a preset";
            return 1;
        }
    }

    const auto* bytes = static_cast<const uint8_t*> (state.getData());
    options.presetState.assign (bytes, bytes + state.getSize());
    options.presetFile = found.file.getFullPathName().toStdString();
    options.presetPath = found.treePath.toStdString();
    out << "preset " << found.file.getFullPathName() << "\n";
    return 0;
}
} // namespace KestHost
