#include "host/PresetCommands.h"
#include "host/ReplacingFile.h"

#include "host/StateFile.h"
#include "engine/XmlBinaryBlock.h"
#include "platform/AAXHostInterfaces.h"
#include "platform/ApplicationSupport.h"
#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <stdexcept>

namespace KestHost
{
namespace
{
using Korvalden::Misc::PresetManager;

const juce::String productFolder = "Kest";
constexpr AAX_CTypeID stateChunkId = 0x4B657374; // 'Kest', the engine's state chunk
constexpr int32_t stateChunkVersion = 1;

/** Lists presets only: it never loads one. */
struct NoSound : public PresetManager::PresetClient
{
    void writePresetState (juce::MemoryBlock&) override {}
    void readPresetState (const juce::MemoryBlock&) override {}
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

/** A file the user named, or the preset whose tree path is, or ends in, the text. */
juce::File findPreset (const juce::String& wanted, std::string& error)
{
    const auto asFile = juce::File::getCurrentWorkingDirectory().getChildFile (wanted);
    if (asFile.existsAsFile())
        return asFile;

    PresetTree tree;
    if (auto* item = dynamic_cast<PresetManager::FileItem*> (tree.manager.findItemByPath (wanted)))
        return item->getFile();

    juce::Array<PresetManager::FileItem*> presets, matches;
    collectPresets (tree.manager.getFileTreeRoot(), presets);
    for (auto* preset : presets)
        if (preset->getItemIdentifierString().endsWith ("/" + wanted))
            matches.add (preset);

    if (matches.size() == 1)
        return matches.getFirst()->getFile();

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

int listPresets (const std::vector<std::string>& arguments, const std::string& defaultBundle, std::ostream& out, std::ostream& errors)
{
    if (arguments.size() > 1)
    {
        errors << "usage: kest-host presets [BUNDLE]\n";
        return 2;
    }
    useBundleFactoryPresets (arguments.empty() ? defaultBundle : arguments.front());

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
    return 0;
}

//==============================================================================
RenderPreset::~RenderPreset()
{
    if (! stateFile.empty())
        juce::File (stateFile).deleteFile();
}

bool RenderPreset::applyTo (RenderOptions& options, std::ostream& out, std::string& error)
{
    // A state that names a factory preset finds it, with or without --preset.
    useBundleFactoryPresets (options.bundle);
    if (wanted.empty())
        return true;
    const auto file = findPreset (juce::String::fromUTF8 (wanted.c_str()), error);
    if (file == juce::File())
        return false;

    juce::MemoryBlock preset;
    if (! Korvalden::Misc::PresetFileSystem::readWholeFile (file, preset))
    {
        error = "cannot read the preset " + file.getFullPathName().toStdString();
        return false;
    }

    // The engine would take bytes that are no preset as no change at all and
    // play its own sound: such a file is refused rather than played.
    const auto element = XmlBinaryBlock::read (preset);
    if (element == nullptr || ! element->getTagName().equalsIgnoreCase ("KEST_Preset"))
    {
        error = "cannot use the preset " + file.getFullPathName().toStdString() + ": it is not a Kest preset";
        return false;
    }

    try
    {
        // The preset's bytes are a state the engine restores as a sound.
        std::vector<PluginInstance::Chunk> chunks;
        if (! options.loadState.empty())
            chunks = StateFile::read (options.loadState);

        PluginInstance::Chunk chunk;
        chunk.id = stateChunkId;
        chunk.record.assign (AAX_SPlugInChunkHeaderSize + preset.getSize(), 0);
        AAX_SPlugInChunk header {};
        header.fSize = (int32_t) preset.getSize();
        header.fVersion = stateChunkVersion;
        header.fChunkID = stateChunkId;
        std::strncpy (header.fName, "Kest Plug-in State", sizeof (header.fName) - 1);
        std::memcpy (chunk.record.data(), &header, AAX_SPlugInChunkHeaderSize);
        std::memcpy (chunk.record.data() + AAX_SPlugInChunkHeaderSize, preset.getData(), preset.getSize());
        chunks.push_back (std::move (chunk));

        stateFile = juce::File::createTempFile (".kest-state").getFullPathName().toStdString();
        ReplacingFile file (stateFile);
        StateFile::write (file, chunks);
    }
    catch (const std::exception& failure)
    {
        error = failure.what();
        return false;
    }

    options.loadState = stateFile;
    out << "preset " << file.getFullPathName() << "\n";
    return true;
}
} // namespace KestHost
