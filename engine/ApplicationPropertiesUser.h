#pragma once

#include "presets/SaveLock.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

#include <functional>
#include <map>
#include <set>

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
    turns with every other save of the file, in any process (SaveLock).  It
    goes through a hidden temporary file of ours beside the file, flushed to
    the disk before it is renamed over the file; a file that is a symbolic
    link stays one and its target is replaced.

    A save waits for its turn briefly (about 100 ms), and at most about 2 s
    when its object goes, so that another program keeping the folder locked
    never holds up the editor.  A save that fails is told once, until a save
    succeeds again: to the handler when one is set, else in a line on
    standard error.  The changes stay, and the save is tried again every
    second, without waiting for a turn, until it succeeds (a file that
    cannot be read: at the next change).  What an object could not save when
    it goes stays in memory, in this process, and the next settings object
    of the same file takes it as its own change, to show and to save; when
    no object has taken it as the process ends, a line on standard error
    tells the file, the reason and how many changes are lost.

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

    /** Merges this object's changes into the file on disk, waiting for the
        turn as long as when allows.  False when the turn did not come, the
        file could not be written, or the file on disk cannot be read (the
        changes then stay unsaved, and the failure is told). */
    bool save (SaveLock::Moment when = SaveLock::Moment::atChange);

    /** How a failed save is told: the file and the reason, for a person. */
    using SaveFailureHandler = std::function<void (const juce::File& file, const juce::String& reason)>;
    void setSaveFailureHandler (SaveFailureHandler handler);

    /** True when a change has not been saved yet. */
    bool needsToBeSaved() const noexcept { return needsWriting; }

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
    };

    void timerCallback() override;
    Values currentValues();
    Changes changesSinceStored();
    bool failSave (const juce::String& reason, SaveLock::Moment when, bool tryAgain);
    void keepUnsavedChanges();
    void takeChangesKeptEarlier();

    static constexpr int millisecondsBeforeSaving = 10000;

    const juce::File file;
    /** The values as this object last read or saved them: what it changed
        since is what differs from them. */
    Values asLastStored;
    bool loadedOk = false;
    bool needsWriting = false;
    bool failureTold = false;
    /** The timer tries a refused save again, rather than waiting for changes. */
    bool retrying = false;
    juce::String lastFailure;
    SaveFailureHandler failureHandler;

    JUCE_DECLARE_NON_COPYABLE (ApplicationPropertiesUser)
};
} // namespace Korvalden::Misc
