#include "presets/PresetTreeItems.h"

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

    for (auto* child : list->getChildIterator())
    {
        if (! child->getTagName().equalsIgnoreCase (presetTag))
            continue;

        auto* item = manager.findItemByPath (child->getStringAttribute ("id"));
        if (auto* entry = dynamic_cast<FavoriteItem*> (item))
            item = &entry->target;
        if (auto* preset = dynamic_cast<FileItem*> (item))
            preset->setFavorite (true);
    }
}

void PresetManager::FavoriteList::writeFavorites (juce::XmlElement& root)
{
    auto& list = findOrAppendDefaultList (root);
    list.deleteAllChildElements();
    for (auto& id : getFavoriteIds())
        list.createNewChildElement (presetTag)->setAttribute ("id", id);
}

void PresetManager::FavoriteList::mergeFavorites (juce::XmlElement& root, const juce::StringArray& asRead)
{
    const auto now = getFavoriteIds();
    juce::StringArray added, removed;
    for (auto& id : now)
        if (! asRead.contains (id))
            added.add (id);
    for (auto& id : asRead)
        if (! now.contains (id))
            removed.add (id);

    // Every other entry stays as it is: those of other instances, and ids
    // that name no preset here (a folder missing for a moment).
    auto& list = findOrAppendDefaultList (root);
    juce::StringArray kept;
    for (int index = list.getNumChildElements(); --index >= 0;)
    {
        auto* child = list.getChildElement (index);
        if (! child->getTagName().equalsIgnoreCase (presetTag))
            continue;
        const auto id = child->getStringAttribute ("id");
        if (removed.contains (id))
            list.removeChildElement (child, true);
        else
            kept.add (id);
    }

    for (auto& id : added)
        if (! kept.contains (id))
            list.createNewChildElement (presetTag)->setAttribute ("id", id);
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
