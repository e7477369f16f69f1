#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"

namespace Korvalden::Misc
{
PresetManager::FileItem::FileItem (const juce::File& presetFile, bool isReadOnly, const PresetFileSystem::Identity& listed)
    : FileRepresentingItem (presetFile, isReadOnly, listed)
{
    favorite.addListener (this);
}

PresetManager::FileItem::~FileItem()
{
    favorite.removeListener (this);
    // The entry goes before this item does; it cannot load this file any more.
    if (favoriteList != nullptr)
        favoriteList->removeEntry (*this, false);
}

bool PresetManager::FileItem::loadPreset()
{
    auto* manager = getPresetManager();
    if (manager == nullptr || manager->getClient() == nullptr)
        return false;

    juce::MemoryBlock block;
    if (! PresetFileSystem::readWholeFile (file, block))
        return false;

    // Bytes the client refuses (a file cut short, a damaged byte) load nothing.
    if (! manager->getClient()->readPresetState (block))
        return false;

    if (auto* folder = dynamic_cast<DirectoryItem*> (getParentItem()))
        folder->activate();
    return true;
}

bool PresetManager::FileItem::activate()
{
    if (! loadPreset())
        return false;
    if (auto* manager = getPresetManager())
        manager->selectItem (this);
    return true;
}

void PresetManager::FileItem::setFavorite (bool on)
{
    favorite.setValue (on);
    favorite.getValueSource().sendChangeMessage (true);
}

void PresetManager::FileItem::valueChanged (juce::Value&)
{
    // Only the user's own changes are looked at: reading the favourites
    // costs no look-up per preset.
    auto* manager = getPresetManager();
    if ((bool) favorite.getValue() != hasEntry && manager != nullptr && manager->takesUserFavoriteChanges() && ! isWhereShown())
    {
        manager->itemChangedElsewhere (*this, true);
        return;
    }
    deliverFavoriteFlag();
}

void PresetManager::FileItem::deliverFavoriteFlag()
{
    const bool on = (bool) favorite.getValue();

    // Only a change from off to on makes an entry, so a repeated "on" never
    // makes a second one.
    auto* manager = getPresetManager();
    if (on && ! hasEntry && manager != nullptr)
        manager->getFavoriteList().addEntry (*this);
    else if (! on && hasEntry && favoriteList != nullptr)
        favoriteList->removeEntry (*this, true);
    else
        return;

    // Cleared, the id the file held goes too; set again, the star is saved
    // under the tree path.
    if (manager != nullptr)
        manager->favoriteMarked (getItemIdentifierString(), on, on ? juce::String() : storedFavoriteId, { file, identity, manager->getRowNumbers() });
    if (! on)
        storedFavoriteId = {};
}

//==============================================================================
bool PresetManager::FavoriteItem::activate()
{
    if (! target.loadPreset())
        return false;
    if (auto* manager = getPresetManager())
        manager->selectItem (this);
    return true;
}
} // namespace Korvalden::Misc
