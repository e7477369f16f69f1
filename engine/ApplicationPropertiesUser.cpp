#include "engine/ApplicationPropertiesUser.h"

#include "engine/UntrustedXml.h"
#include "platform/ApplicationSupport.h"
#include "presets/PresetFileSystem.h"
#include "presets/RecentChanges.h"
#include "presets/SaveLock.h"

#include <cerrno>
#include <mutex>
#include <sys/stat.h>
#include <unordered_set>

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
        /** When each was changed: the save of the object that takes them
            weighs them by that. */
        std::map<juce::String, std::int64_t> madeAt;
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

/** What one save of the settings did. */
struct ApplicationPropertiesUser::Report
{
    bool saved = true;
    juce::String reason;
    bool tryAgain = false;
};

/** The changes handed to a save, as the save queue takes them. */
struct ApplicationPropertiesUser::Outbox final : public SaveQueue::Client
{
    Outbox (const juce::File& file, ApplicationPropertiesUser& owner) : Client (file), settings (&owner) {}

    void takeWaiting() override { std::swap (taken, waiting); }
    void giveBackTaken() override
    {
        waiting.takeOlder (std::move (taken));
        taken = {};
    }
    bool saveUnderLock() override;
    bool hasWaitingChanges() const override { return ! waiting.isEmpty(); }
    void savedByQueue() override
    {
        if (settings != nullptr)
            settings->handleReports (false);
    }

    // Guarded by the queue's mutex.
    Changes waiting;
    /** What the turn saves. */
    Changes taken;
    std::vector<Report> reports;

    /** Message thread; null once the object goes. */
    ApplicationPropertiesUser* settings;
};

void ApplicationPropertiesUser::Changes::takeOlder (Changes older)
{
    for (const auto& [key, value] : set)
    {
        older.set[key] = value;
        older.removed.erase (key);
    }
    for (const auto& key : removed)
    {
        older.set.erase (key);
        older.removed.insert (key);
    }
    for (const auto& [key, moment] : madeAt)
        older.madeAt[key] = moment;
    *this = std::move (older);
}

bool ApplicationPropertiesUser::Outbox::saveUnderLock()
{
    // Another object or instance may have saved since this one read: only
    // what this one changed goes onto the file as it is now.  A file that
    // cannot be read is the user's and stays as it is.
    const auto& file = getFile();
    Report report;
    Values merged;

    // A key that waited here does not set back what another process changed
    // later and saved first.
    RecentChanges recent (file);
    const auto superseded = [&] (const juce::String& key)
    {
        const auto made = taken.madeAt.find (key);
        return made != taken.madeAt.end() && recent.isSuperseded (key, made->second);
    };
    if (! file.getParentDirectory().createDirectory().wasOk())
    {
        report = { false, "its folder cannot be made", true };
    }
    else if (readSettingsFile (file, merged) == FileState::refused)
    {
        report = { false, describeUnreadable (file), false };
    }
    else
    {
        const auto onDisk = merged;
        for (const auto& [key, value] : taken.set)
            if (! superseded (key))
                merged[key] = value;
        for (const auto& key : taken.removed)
            if (! superseded (key))
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
                report = { false, PresetFileSystem::describeWriteFailure (file, errno), true };
        }
    }

    if (report.saved)
        for (const auto& [key, moment] : taken.madeAt)
            if (! recent.isSuperseded (key, moment))
                recent.landed (key, moment);
    const auto guard = SaveQueue::lockClients();
    if (report.saved)
        taken = {};
    else
        giveBackTaken();
    reports.push_back (report);
    return report.saved;
}

juce::File ApplicationPropertiesUser::getSettingsFile (const juce::String& applicationName)
{
    // The framework would put the file into ~/Korvalden on this platform; the
    // settings belong with the rest of the maker's files.
    return Korvalden::Platform::getUserMakerFolder().getChildFile (applicationName + ".prop");
}

ApplicationPropertiesUser::ApplicationPropertiesUser (const juce::String& applicationName)
    : juce::PropertySet (false), file (getSettingsFile (applicationName))
{
    outbox = std::make_shared<Outbox> (file, *this);
    loadedOk = readSettingsFile (file, asLastStored) != FileState::refused;
    {
        const juce::ScopedLock sl (getLock());
        getAllProperties().addMap (asLastStored);
    }
    lastSeen.insert (asLastStored.begin(), asLastStored.end());
    takeChangesKeptEarlier();
}

ApplicationPropertiesUser::~ApplicationPropertiesUser()
{
    stopTimer();
    waitWatch.stopTimer();
    if (! saveIfNeeded (SaveLock::Moment::atClose))
        keepUnsavedChanges();
    SaveQueue::getInstance().withdraw (outbox);
    outbox->settings = nullptr;
}

void ApplicationPropertiesUser::setSaveFailureHandler (SaveFailureHandler handler)
{
    failureHandler = std::move (handler);
}

void ApplicationPropertiesUser::setSaveWaitHandler (SaveWaitHandler handler)
{
    waitHandler = std::move (handler);
}

bool ApplicationPropertiesUser::needsToBeSaved() const
{
    if (needsWriting)
        return true;
    {
        const auto guard = SaveQueue::lockClients();
        if (! outbox->waiting.isEmpty())
            return true;
    }
    return SaveQueue::getInstance().isWaiting (*outbox);
}

void ApplicationPropertiesUser::propertyChanged()
{
    stampChangedKeys();
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
    return ! needsToBeSaved() || save (when);
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

void ApplicationPropertiesUser::stampChangedKeys()
{
    // A change may have set or removed any number of keys (clear, restore):
    // one pass over the keys against what the change before left.
    const auto moment = RecentChanges::now();
    const juce::ScopedLock sl (getLock());
    const auto& keys = getAllProperties().getAllKeys();
    const auto& values = getAllProperties().getAllValues();
    for (int i = 0; i < keys.size(); ++i)
        if (const auto seen = lastSeen.find (keys[i]); seen == lastSeen.end() || seen->second != values[i])
        {
            lastSeen[keys[i]] = values[i];
            changedAt[keys[i]] = moment;
        }

    // Keys are unique: only when some were removed are more of them seen.
    if (lastSeen.size() == (size_t) keys.size())
        return;
    const std::unordered_set<juce::String> present (keys.begin(), keys.end());
    for (auto seen = lastSeen.begin(); seen != lastSeen.end();)
    {
        if (present.count (seen->first) != 0)
        {
            ++seen;
            continue;
        }
        changedAt[seen->first] = moment;
        seen = lastSeen.erase (seen);
    }
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

    // A key changed behind the property set's back counts as changed now.
    const auto now = RecentChanges::now();
    const auto stamp = [&] (const juce::String& key)
    {
        const auto found = changedAt.find (key);
        changes.madeAt[key] = found != changedAt.end() ? found->second : now;
    };
    for (const auto& [key, value] : changes.set)
        stamp (key);
    for (const auto& key : changes.removed)
        stamp (key);
    return changes;
}

void ApplicationPropertiesUser::markStored()
{
    asLastStored = currentValues();
    lastSeen.clear();
    lastSeen.insert (asLastStored.begin(), asLastStored.end());
    changedAt.clear();
}

bool ApplicationPropertiesUser::save (SaveLock::Moment when)
{
    stopTimer();
    retrying = false;
    auto& queue = SaveQueue::getInstance();

    // What changed since the last hand-over joins what waits, after it.
    if (auto changes = changesSinceStored(); ! changes.isEmpty())
    {
        const auto guard = SaveQueue::lockClients();
        changes.takeOlder (std::move (outbox->waiting));
        outbox->waiting = std::move (changes);
    }
    markStored();
    needsWriting = false;

    if (when == SaveLock::Moment::atClose)
    {
        waitWatch.stopTimer();
        file.getParentDirectory().createDirectory();
        lastFailure = {};
        const bool landed = queue.finish (outbox, SaveLock::closeWaitMilliseconds);
        // A turn that did not come is told as the failure it is now.
        if (! handleReports (true) || ! landed)
            return failSave (lastFailure.isNotEmpty() ? lastFailure : juce::String ("another program keeps its folder locked"), false);
        return ! needsToBeSaved();
    }

    if (! file.getParentDirectory().createDirectory().wasOk())
        return failSave ("its folder cannot be made", true);

    if (queue.save (outbox))
    {
        if (! handleReports (false))
            return false;
    }
    else if (! waitWatch.isTimerRunning())
    {
        waitingSince = juce::Time::getMillisecondCounter();
        waitWatch.startTimer (SaveLock::waitToldAfterMilliseconds / 8);
    }
    return ! needsToBeSaved();
}

bool ApplicationPropertiesUser::handleReports (bool atClose)
{
    bool allSaved = true;
    std::vector<Report> reports;
    {
        const auto guard = SaveQueue::lockClients();
        std::swap (reports, outbox->reports);
    }
    for (const auto& report : reports)
    {
        if (report.saved)
        {
            // What waits still begins a wait of its own.
            loadedOk = true;
            failureTold = waitTold = false;
            waitingSince = juce::Time::getMillisecondCounter();
            lastFailure = {};
        }
        else if (atClose)
        {
            lastFailure = report.reason;
            allSaved = false;
        }
        else
        {
            failSave (report.reason, report.tryAgain);
            allSaved = false;
        }
    }
    return allSaved;
}

void ApplicationPropertiesUser::checkWait()
{
    if (! SaveQueue::getInstance().isWaiting (*outbox))
    {
        waitWatch.stopTimer();
        return;
    }
    if (waitTold || juce::Time::getMillisecondCounter() - waitingSince < (juce::uint32) SaveLock::waitToldAfterMilliseconds)
        return;

    waitTold = true;
    if (waitHandler != nullptr)
        waitHandler (file);
    else
        PresetFileSystem::printSaveWaiting (file);
}

bool ApplicationPropertiesUser::failSave (const juce::String& reason, bool tryAgain)
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

    // A file that cannot be read waits for the user.
    if (tryAgain)
    {
        retrying = true;
        startTimer (SaveLock::retryIntervalMilliseconds);
    }
    return false;
}

void ApplicationPropertiesUser::keepUnsavedChanges()
{
    auto changes = changesSinceStored();
    {
        const auto guard = SaveQueue::lockClients();
        changes.takeOlder (std::move (outbox->waiting));
        outbox->waiting = {};
    }
    if (changes.isEmpty())
        return;
    auto& kept = keptChanges();
    const std::lock_guard<std::mutex> guard (kept.lock);
    auto& unsaved = kept.byFile[file.getFullPathName()];
    // Another object's change of a key, kept here already, stays when it was made later.
    const auto madeLater = [&unsaved, &changes] (const juce::String& key)
    {
        const auto moment = changes.madeAt[key];
        const auto keptAt = unsaved.madeAt.find (key);
        if (keptAt != unsaved.madeAt.end() && keptAt->second > moment)
            return false;
        unsaved.madeAt[key] = moment;
        return true;
    };
    for (const auto& [key, value] : changes.set)
        if (madeLater (key))
        {
            unsaved.set[key] = value;
            unsaved.removed.erase (key);
        }
    for (const auto& key : changes.removed)
        if (madeLater (key))
        {
            unsaved.set.erase (key);
            unsaved.removed.insert (key);
        }
    // No save that failed: its turn did not come.
    unsaved.reason = lastFailure.isNotEmpty() ? lastFailure : juce::String ("another program keeps its folder locked");
    unsaved.told = unsaved.told || failureTold;
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

    // They count as this object's own changes, made when they were made:
    // shown now, saved with its next save.
    const juce::ScopedLock sl (getLock());
    auto& properties = getAllProperties();
    for (const auto& [key, value] : changes.set)
    {
        properties.set (key, value);
        lastSeen[key] = value;
        changedAt[key] = changes.madeAt[key];
    }
    for (const auto& key : changes.removed)
    {
        properties.remove (juce::StringRef (key));
        lastSeen.erase (key);
        changedAt[key] = changes.madeAt[key];
    }
    needsWriting = true;
}
} // namespace Korvalden::Misc
