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
    next object of the file; what none took is lost as the process ends, and
    said so.  Any thread (engines are made on several). */
struct KeptChanges
{
    struct Unsaved
    {
        Values set;
        std::set<juce::String> removed;
        juce::String reason;
        bool told = false;
    };

    ~KeptChanges()
    {
        for (const auto& [path, unsaved] : byFile)
            PresetFileSystem::printChangesLost (juce::File (path), unsaved.reason,
                                                (int) (unsaved.set.size() + unsaved.removed.size()), "settings");
    }

    std::mutex lock;
    std::map<juce::String, Unsaved> byFile;
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
    if (! saveIfNeeded (SaveLock::Moment::atClose))
        keepUnsavedChanges();
}

void ApplicationPropertiesUser::setSaveFailureHandler (SaveFailureHandler handler)
{
    failureHandler = std::move (handler);
}

void ApplicationPropertiesUser::propertyChanged()
{
    needsWriting = true;
    // A refused save tried again every second takes the change along.
    if (! retrying)
        startTimer (millisecondsBeforeSaving);
}

void ApplicationPropertiesUser::timerCallback()
{
    saveIfNeeded (retrying ? SaveLock::Moment::retry : SaveLock::Moment::atChange);
}

bool ApplicationPropertiesUser::saveIfNeeded (SaveLock::Moment when)
{
    return ! needsWriting || save (when);
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

bool ApplicationPropertiesUser::save (SaveLock::Moment when)
{
    stopTimer();
    retrying = false;

    // Another object or instance may have saved since this one read: only
    // what this one changed goes onto the file as it is now, and no other
    // save reads or replaces the file in between.  A file that cannot be
    // read is the user's and stays as it is.
    if (! file.getParentDirectory().createDirectory().wasOk())
        return failSave ("its folder cannot be made", when, true);
    const SaveLock turn (file, when);
    if (turn.wasRefused())
        return failSave ("another program keeps its folder locked", when, true);

    Values merged;
    if (readSettingsFile (file, merged) == FileState::refused)
        return failSave (describeUnreadable (file), when, false);
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
            return failSave (PresetFileSystem::describeWriteFailure (file, errno), when, true);
    }

    asLastStored = currentValues();
    needsWriting = false;
    loadedOk = true;
    failureTold = false;
    return true;
}

bool ApplicationPropertiesUser::failSave (const juce::String& reason, SaveLock::Moment when, bool tryAgain)
{
    lastFailure = reason;
    if (! failureTold)
    {
        failureTold = true;
        if (failureHandler != nullptr)
            failureHandler (file, reason);
        else
            PresetFileSystem::printSaveFailure (file, reason);
    }

    // A file that cannot be read waits for the user; what goes with its
    // object waits for the next one.
    if (tryAgain && when != SaveLock::Moment::atClose)
    {
        retrying = true;
        startTimer (SaveLock::retryIntervalMilliseconds);
    }
    return false;
}

void ApplicationPropertiesUser::keepUnsavedChanges()
{
    const auto changes = changesSinceStored();
    if (changes.set.empty() && changes.removed.empty())
        return;
    auto& kept = keptChanges();
    const std::lock_guard<std::mutex> guard (kept.lock);
    auto& [set, removed, reason, told] = kept.byFile[file.getFullPathName()];
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
    reason = lastFailure;
    told = told || failureTold;
}

void ApplicationPropertiesUser::takeChangesKeptEarlier()
{
    auto& kept = keptChanges();
    KeptChanges::Unsaved changes;
    {
        const std::lock_guard<std::mutex> guard (kept.lock);
        const auto found = kept.byFile.find (file.getFullPathName());
        if (found == kept.byFile.end())
            return;
        changes = std::move (found->second);
        kept.byFile.erase (found);
    }
    failureTold = changes.told;
    lastFailure = changes.reason;

    // They count as this object's own changes: shown now, saved with its next save.
    const juce::ScopedLock sl (getLock());
    auto& properties = getAllProperties();
    for (const auto& [key, value] : changes.set)
        properties.set (key, value);
    for (const auto& key : changes.removed)
        properties.remove (juce::StringRef (key));
    needsWriting = true;
}
} // namespace Korvalden::Misc
