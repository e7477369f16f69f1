#pragma once

#include "presets/SaveLock.h"
#include "presets/SaveQueue.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

#include <functional>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

namespace Korvalden::Misc
{
/** The user's settings file: a properties file named after the application
    with the suffix "prop", in the maker's folder "Korvalden" below the user's
    Application Support folder, stored as the framework's XML properties format
    (a "PROPERTIES" root with one "VALUE" element, "name" and "val", per key)
    and saved 10000 ms after the last change or on destruction.

    Several objects share the file: the engine, the editor and the options
    dialog each open their own, in every instance.  So a save merges: it
    reads the file as it is on disk then and applies only the keys this object
    changed (set or removed) since it last read or saved the file, leaving
    what others wrote meanwhile.  The read, the merge and the rename take
    turns with every other save of the file, in any process (SaveQueue),
    in no order that can be relied on among processes.  It goes through a
    hidden temporary file of ours beside the file, flushed to the disk
    before it is renamed over the file; a file that is a symbolic link
    stays one and its target is replaced.

    A save that cannot take its turn at once has not failed: it waits for it
    on the save queue's thread, never on the message thread, and lands as
    soon as it gets the folder's lock.  Each key keeps the moment it was
    changed, not the one its save began: it never sets back the same key
    that another process changed later and saved first, however late it
    lands.  A wait that lasts about 2 s is told once, until a save lands: to
    the wait handler when one is set, else in a line on standard error.
    When the object goes it waits at most about 2 s for its turn.  A save
    that fails is told once, until a save succeeds again: to the failure handler when
    one is set, else in a line on standard error.  The changes stay, and the
    save is tried again every second until it succeeds (a file that cannot
    be read: at the next change).  What an object could not save when it
    goes stays in memory, in this process, and the next settings object of
    the same file takes it as its own change, to show and to save; when no
    object has taken it as the process ends, a line on standard error tells
    the file, the reason and how many changes are lost.

    It is loaded when constructed, through the bounded reader for untrusted
    XML, in time linear in its size.  A missing file gives an empty set.  A
    file that cannot be used (not a regular file, too large, not such XML, a
    link that leads nowhere) also gives an empty set, so every read takes its
    default, and it is never written over: a save then fails, and its
    changes are kept in memory as above.  Saving removes the stale temporary
    files that a killed save left in the folder.

    Message thread only (its save timer runs there).
*/
class ApplicationPropertiesUser : public juce::PropertySet,
                                  private juce::Timer
{
public:
    explicit ApplicationPropertiesUser (const juce::String& applicationName);

    /** Saves unsaved changes; what cannot be saved is kept for the next
        settings object of the file. */
    ~ApplicationPropertiesUser() override;

    /** Where the settings file of the application lies. */
    static juce::File getSettingsFile (const juce::String& applicationName);

    /** Saves when there are unsaved changes; true when nothing is left unsaved. */
    bool saveIfNeeded (SaveLock::Moment when = SaveLock::Moment::atChange);

    /** Merges this object's changes into the file on disk.  True when they
        were saved at once.  False when they wait for their turn (and land by
        themselves once the folder is free), when the file could not be
        written, or when the file on disk cannot be read (the changes then
        stay unsaved, and the failure is told).  When the object goes
        (atClose), it waits at most about 2 s for its turn. */
    bool save (SaveLock::Moment when = SaveLock::Moment::atChange);

    /** How a failed save is told: the file and the reason, for a person. */
    using SaveFailureHandler = std::function<void (const juce::File& file, const juce::String& reason)>;
    void setSaveFailureHandler (SaveFailureHandler handler);

    /** How a wait for the save's turn that lasts is told: the file. */
    using SaveWaitHandler = std::function<void (const juce::File& file)>;
    void setSaveWaitHandler (SaveWaitHandler handler);

    /** True when a change has not been saved yet, also while it waits for
        its turn. */
    bool needsToBeSaved() const;

    /** True when the file was missing or read; false when it was refused. */
    bool isValidFile() const noexcept { return loadedOk; }

    const juce::File& getFile() const noexcept { return file; }

protected:
    void propertyChanged() override;

private:
    using Values = std::map<juce::String, juce::String>;

    /** What this object changed since it last read or saved the file. */
    struct Changes
    {
        Values set;
        std::set<juce::String> removed;
        /** When each key was changed (RecentChanges::now()). */
        std::map<juce::String, std::int64_t> madeAt;

        bool isEmpty() const noexcept { return set.empty() && removed.empty(); }
        /** These were made after the older ones: the older ones go first. */
        void takeOlder (Changes older);
    };

    struct Outbox;
    struct Report;
    struct WaitWatch final : public juce::Timer
    {
        explicit WaitWatch (ApplicationPropertiesUser& owner) : settings (owner) {}
        void timerCallback() override { settings.checkWait(); }
        ApplicationPropertiesUser& settings;
    };

    void timerCallback() override;
    Values currentValues();
    /** Stamps the keys that the last change set or removed. */
    void stampChangedKeys();
    Changes changesSinceStored();
    /** What this object has now was handed to a save: nothing differs from it. */
    void markStored();
    bool failSave (const juce::String& reason, bool tryAgain);
    /** Tells what the saves made meanwhile did; false when one failed. */
    bool handleReports (bool atClose);
    void checkWait();
    void keepUnsavedChanges();
    void takeChangesKeptEarlier();

    static constexpr int millisecondsBeforeSaving = 10000;

    const juce::File file;
    /** The values as this object last read or handed to a save: what it
        changed since is what differs from them. */
    Values asLastStored;
    /** The values as the last change left them, to find which keys a change
        touched; and when each key changed since asLastStored. */
    std::unordered_map<juce::String, juce::String> lastSeen;
    std::unordered_map<juce::String, std::int64_t> changedAt;
    /** What was handed to a save and has not landed, as the queue takes it. */
    std::shared_ptr<Outbox> outbox;
    WaitWatch waitWatch { *this };
    juce::uint32 waitingSince = 0;
    bool loadedOk = false;
    bool needsWriting = false;
    bool failureTold = false, waitTold = false;
    /** The timer tries a refused save again, rather than waiting for changes. */
    bool retrying = false;
    juce::String lastFailure;
    SaveFailureHandler failureHandler;
    SaveWaitHandler waitHandler;

    JUCE_DECLARE_NON_COPYABLE (ApplicationPropertiesUser)
};
} // namespace Korvalden::Misc
