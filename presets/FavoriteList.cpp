#include "presets/PresetTreeItems.h"

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Korvalden::Misc
{
namespace
{
const char* const listTag = "FAVLIST";
const char* const presetTag = "Preset";

bool isDefaultList (const juce::XmlElement& element)
{
    return element.getTagName().equalsIgnoreCase (listTag)
           && element.getStringAttribute ("name") == "Default"
           && element.getStringAttribute ("type") == "Presets";
}

juce::XmlElement* findDefaultList (const juce::XmlElement& root)
{
    for (auto* child : root.getChildIterator())
        if (isDefaultList (*child))
            return child;
    return nullptr;
}

juce::XmlElement& findOrAppendDefaultList (juce::XmlElement& root)
{
    if (auto* list = findDefaultList (root))
        return *list;

    auto* list = root.createNewChildElement (listTag);
    list->setAttribute ("name", "Default");
    list->setAttribute ("type", "Presets");
    return *list;
}

struct PathHash
{
    size_t operator() (const juce::String& path) const noexcept { return (size_t) path.hashCode64(); }
};
using PresetIndex = std::unordered_map<juce::String, PresetManager::FileItem*, PathHash>;

/** Every preset below the item by its tree path (the framework's item
    identifier string); the first of equal paths, as a look-up finds it.
    A preset below a folder with a dot in its name is also in \p earlier by
    the path earlier versions stored for it, which named such a folder by
    the part before its last dot. */
void indexPresets (juce::TreeViewItem& item, const juce::String& path, const juce::String& earlierPath,
                   PresetIndex& index, PresetIndex& earlier)
{
    for (int child = 0; child < item.getNumSubItems(); ++child)
    {
        auto* sub = item.getSubItem (child);
        const auto name = sub->getUniqueName().replaceCharacter ('/', '\\');
        const auto subPath = path + "/" + name;
        if (auto* preset = dynamic_cast<PresetManager::FileItem*> (sub))
        {
            index.emplace (subPath, preset);
            if (earlierPath != path)
                earlier.emplace (earlierPath + "/" + name, preset);
        }
        else
        {
            const int dot = name.lastIndexOfChar ('.');
            indexPresets (*sub, subPath, earlierPath + "/" + (dot > 0 ? name.substring (0, dot) : name), index, earlier);
        }
    }
}
} // namespace

void PresetManager::FavoriteList::readFavorites (const juce::XmlElement& root)
{
    // Only the first list counts: it is the one writeFavorites updates.
    auto* list = findDefaultList (root);
    if (list == nullptr)
        return;

    juce::Array<FileItem*> previous;
    for (int index = 0; index < getNumSubItems(); ++index)
        if (auto* entry = dynamic_cast<FavoriteItem*> (getSubItem (index)))
            previous.add (&entry->target);
    for (auto* target : previous)
        target->setFavorite (false);
    for (auto* target : previous)
        target->storedFavoriteId = {};

    // Looking each id up from the root would read the whole tree per favourite.
    PresetIndex presets, byEarlierPaths;
    const auto rootPath = manager.getFileTreeRoot().getItemIdentifierString();
    indexPresets (manager.getFileTreeRoot(), rootPath, rootPath, presets, byEarlierPaths);
    const auto ownPath = getItemIdentifierString() + "/";

    std::vector<std::pair<juce::String, FileItem*>> found;
    for (auto* child : list->getChildIterator())
    {
        if (! child->getTagName().equalsIgnoreCase (presetTag))
            continue;

        const auto id = child->getStringAttribute ("id");
        FileItem* preset = nullptr;
        if (const auto indexed = presets.find (id); indexed != presets.end())
            preset = indexed->second;
        else if (const auto byEarlierPath = byEarlierPaths.find (id); byEarlierPath != byEarlierPaths.end())
        {
            preset = byEarlierPath->second;
            if (preset->storedFavoriteId.isEmpty())
                preset->storedFavoriteId = id;
        }
        else if (id.startsWith (ownPath))
            if (auto* entry = dynamic_cast<FavoriteItem*> (manager.findItemByPath (id)))
                preset = &entry->target;
        if (preset != nullptr)
            found.emplace_back (preset->getUniqueName(), preset);
    }

    // In name order, each entry goes to the end of the list.
    std::stable_sort (found.begin(), found.end(), [] (const auto& a, const auto& b) { return a.first.compare (b.first) < 0; });
    for (auto& preset : found)
        preset.second->setFavorite (true);
}

void PresetManager::FavoriteList::writeFavorites (juce::XmlElement& root)
{
    auto& list = findOrAppendDefaultList (root);
    list.deleteAllChildElements();
    for (auto& id : getFavoriteIds())
        list.createNewChildElement (presetTag)->setAttribute ("id", id);
}

bool PresetManager::FavoriteList::mergeFavorites (juce::XmlElement& root, const FavoriteChanges& changes)
{
    return changes.applyTo (findOrAppendDefaultList (root));
}

juce::StringArray PresetManager::FavoriteList::getFavoriteIds() const
{
    juce::StringArray ids;
    for (int index = 0; index < getNumSubItems(); ++index)
        if (auto* entry = dynamic_cast<FavoriteItem*> (getSubItem (index)))
            ids.add (entry->target.getItemIdentifierString());
    return ids;
}

PresetManager::FavoriteItem* PresetManager::FavoriteList::findEntry (const FileItem& target) const
{
    for (int index = 0; index < getNumSubItems(); ++index)
        if (auto* entry = dynamic_cast<FavoriteItem*> (getSubItem (index)))
            if (&entry->target == &target)
                return entry;
    return nullptr;
}

void PresetManager::FavoriteList::addEntry (FileItem& target)
{
    if (target.hasEntry)
        return;

    PresetTreeItemBase::insertSorted (*this, new FavoriteItem (target));
    target.hasEntry = true;
    target.favoriteList = this;
    treeHasChanged();
}

void PresetManager::FavoriteList::removeEntry (FileItem& target, bool reactivate)
{
    auto* entry = findEntry (target);
    target.hasEntry = false;
    target.favoriteList = nullptr;
    if (entry == nullptr)
        return;

    // A loaded entry hands over to its file item.  Its preset is the sound
    // already, edits included: it is not read again.
    if (manager.getCurrentItem() == entry && reactivate)
        manager.selectItemKeepingSound (&target);
    if (manager.getCurrentItem() == entry)
        manager.clearCurrentItem();

    for (int index = 0; index < getNumSubItems(); ++index)
        if (getSubItem (index) == entry)
        {
            removeSubItem (index, true);
            break;
        }
}

void PresetManager::FavoriteList::forgetAllEntries()
{
    for (int index = 0; index < getNumSubItems(); ++index)
        if (auto* entry = dynamic_cast<FavoriteItem*> (getSubItem (index)))
        {
            entry->target.hasEntry = false;
            entry->target.favoriteList = nullptr;
        }
    clearSubItems();
}
} // namespace Korvalden::Misc
