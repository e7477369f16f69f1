#include "engine/ApplicationPropertiesUser.h"

#include "engine/UntrustedXml.h"
#include "platform/ApplicationSupport.h"
#include "presets/PresetFileSystem.h"
#include "presets/SaveLock.h"

#include <cerrno>
#include <mutex>
#include <sys/stat.h>

namespace Korvalden::Misc
{
namespace
{
const juce::Identifier fileTag ("PROPERTIES");
const juce::Identifier valueTag ("VALUE");
const juce::Identifier nameAttribute ("name");
const juce::Identifier valueAttribute ("val");

using Values = std::map<juce::String, juce::String>;

enum class FileState
{
    missing,
    read,
    refused
};

/** Reads the file's keys (a later duplicate wins).  A map, as adding keys one
    by one to a property set searches all earlier keys each time. */
FileState readSettingsFile (const juce::File& file, Values& values)
{
    struct stat info {};
    if (::lstat (file.getFullPathName().toRawUTF8(), &info) != 0)
        return errno == ENOENT ? FileState::missing : FileState::refused;

    auto root = parseUntrustedXmlFile (file);
    if (root == nullptr || ! root->hasTagName (fileTag.toString()))
        return FileState::refused;

    for (auto* element : root->getChildWithTagNameIterator (valueTag.toString()))
    {
        const auto name = element->getStringAttribute (nameAttribute);
        if (name.isNotEmpty())
            values[name] = element->getStringAttribute (valueAttribute);
    }
    return FileState::read;
}

/** What settings objects could not save when they went, by file, for the
    next object of the file.  Any thread (engines are made on several). */
struct KeptChanges
{
    std::mutex lock;
    std::map<juce::String, std::pair<Values, std::set<juce::String>>> byFile;
    std::set<juce::String> toldFiles;
};

KeptChanges& keptChanges()
{
    static KeptChanges kept;
    return kept;
}

juce::String describeUnreadable (const juce::File& file)
{
    if (file.isSymbolicLink() && ! file.exists())
        return "it is a link that leads nowhere";
    return "it cannot be read as a settings file, so it is left as it is";
}
} // namespace

juce::File ApplicationPropertiesUser::getSettingsFile (const juce::String& applicationName)
{
    // The framework would put the file into ~/Korvalden on this platform; the
    // settings belong with the rest of the maker's files.
    return Korvalden::Platform::getUserMakerFolder().getChildFile (applicationName + ".prop");
}

ApplicationPropertiesUser::ApplicationPropertiesUser (const juce::String& applicationName)
    : juce::PropertySet (false), file (getSettingsFile (applicationName))
{
    loadedOk = readSettingsFile (file, asLastStored) != FileState::refused;
    {
        const juce::ScopedLock sl (getLock());
        getAllProperties().addMap (asLastStored);
    }
    takeChangesKeptEarlier();
}

ApplicationPropertiesUser::~ApplicationPropertiesUser()
{
    if (! saveIfNeeded())
        keepUnsavedChanges();
}

void ApplicationPropertiesUser::setSaveFailureHandler (SaveFailureHandler handler)
{
    failureHandler = std::move (handler);
}

void ApplicationPropertiesUser::propertyChanged()
{
    needsWriting = true;
    startTimer (millisecondsBeforeSaving);
}

void ApplicationPropertiesUser::timerCallback()
{
    saveIfNeeded();
}

bool ApplicationPropertiesUser::saveIfNeeded()
{
    return ! needsWriting || save();
}

ApplicationPropertiesUser::Values ApplicationPropertiesUser::currentValues()
{
    Values current;
    const juce::ScopedLock sl (getLock());
    const auto& properties = getAllProperties();
    for (int i = 0; i < properties.size(); ++i)
        current[properties.getAllKeys()[i]] = properties.getAllValues()[i];
    return current;
}

ApplicationPropertiesUser::Changes ApplicationPropertiesUser::changesSinceStored()
{
    Changes changes;
    const auto current = currentValues();
    for (const auto& [key, value] : current)
        if (auto stored = asLastStored.find (key); stored == asLastStored.end() || stored->second != value)
            changes.set[key] = value;
    for (const auto& [key, value] : asLastStored)
        if (current.count (key) == 0)
            changes.removed.insert (key);
    return changes;
}

bool ApplicationPropertiesUser::save()
{
    stopTimer();

    // Another object or instance may have saved since this one read: only
    // what this one changed goes onto the file as it is now, and no other
    // save reads or replaces the file in between.  A file that cannot be
    // read is the user's and stays as it is.
    if (! file.getParentDirectory().createDirectory().wasOk())
    {
        tellFailure ("its folder cannot be made");
        return false;
    }
    const SaveLock turn (file);
    if (turn.wasRefused())
    {
        tellFailure ("another program keeps its folder locked");
        return false;
    }

    Values merged;
    if (readSettingsFile (file, merged) == FileState::refused)
    {
        tellFailure (describeUnreadable (file));
        return false;
    }
    const auto onDisk = merged;

    const auto changes = changesSinceStored();
    for (const auto& [key, value] : changes.set)
        merged[key] = value;
    for (const auto& key : changes.removed)
        merged.erase (key);

    if (merged != onDisk)
    {
        juce::XmlElement root (fileTag);
        for (const auto& [key, value] : merged)
        {
            auto* element = root.createNewChildElement (valueTag);
            element->setAttribute (nameAttribute, key);
            element->setAttribute (valueAttribute, value);
        }

        const auto text = root.toString();
        if (! PresetFileSystem::writeAtomically (file, text.toRawUTF8(), text.getNumBytesAsUTF8()))
        {
            tellFailure (PresetFileSystem::describeWriteFailure (file, errno));
            return false;
        }
    }

    asLastStored = currentValues();
    needsWriting = false;
    loadedOk = true;
    failureTold = false;
    return true;
}

void ApplicationPropertiesUser::tellFailure (const juce::String& reason)
{
    if (failureTold)
        return;
    failureTold = true;
    if (failureHandler != nullptr)
        failureHandler (file, reason);
    else
        PresetFileSystem::printSaveFailure (file, reason);
}

void ApplicationPropertiesUser::keepUnsavedChanges()
{
    const auto changes = changesSinceStored();
    auto& kept = keptChanges();
    const std::lock_guard<std::mutex> guard (kept.lock);
    auto& [set, removed] = kept.byFile[file.getFullPathName()];
    for (const auto& [key, value] : changes.set)
    {
        set[key] = value;
        removed.erase (key);
    }
    for (const auto& key : changes.removed)
    {
        set.erase (key);
        removed.insert (key);
    }
    if (failureTold)
        kept.toldFiles.insert (file.getFullPathName());
}

void ApplicationPropertiesUser::takeChangesKeptEarlier()
{
    auto& kept = keptChanges();
    std::pair<Values, std::set<juce::String>> changes;
    {
        const std::lock_guard<std::mutex> guard (kept.lock);
        const auto found = kept.byFile.find (file.getFullPathName());
        if (found == kept.byFile.end())
            return;
        changes = std::move (found->second);
        kept.byFile.erase (found);
        failureTold = kept.toldFiles.erase (file.getFullPathName()) > 0;
    }

    // They count as this object's own changes: shown now, saved with its next save.
    const juce::ScopedLock sl (getLock());
    auto& properties = getAllProperties();
    for (const auto& [key, value] : changes.first)
        properties.set (key, value);
    for (const auto& key : changes.second)
        properties.remove (juce::StringRef (key));
    needsWriting = true;
}
} // namespace Korvalden::Misc
