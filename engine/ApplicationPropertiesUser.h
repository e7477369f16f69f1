#pragma once

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

#include <map>

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
    what others wrote meanwhile.  It goes through a hidden temporary file of
    ours beside the file, flushed to the disk before it is renamed over the
    file; a file that is a symbolic link stays one and its target is replaced.

    It is loaded when constructed, through the bounded reader for untrusted
    XML, in time linear in its size.  A missing file gives an empty set.  A
    file that cannot be used (not a regular file, too large, not such XML, a
    link that leads nowhere) also gives an empty set, so every read takes its
    default, and it is never written over: changes are then kept for this
    object only.  Reading and saving remove stale temporary files that a
    killed save left in the folder.

    Message thread only (its save timer runs there).
*/
class ApplicationPropertiesUser : public juce::PropertySet,
                                  private juce::Timer
{
public:
    explicit ApplicationPropertiesUser (const juce::String& applicationName);

    /** Saves unsaved changes. */
    ~ApplicationPropertiesUser() override;

    /** Where the settings file of the application lies. */
    static juce::File getSettingsFile (const juce::String& applicationName);

    /** Saves when there are unsaved changes; true when nothing is left unsaved. */
    bool saveIfNeeded();

    /** Merges this object's changes into the file on disk.  False when the
        file could not be written, or when the file on disk cannot be read
        (the changes then stay unsaved). */
    bool save();

    /** True when a change has not been saved yet. */
    bool needsToBeSaved() const noexcept { return needsWriting; }

    /** True when the file was missing or read; false when it was refused. */
    bool isValidFile() const noexcept { return loadedOk; }

    const juce::File& getFile() const noexcept { return file; }

protected:
    void propertyChanged() override;

private:
    void timerCallback() override;

    static constexpr int millisecondsBeforeSaving = 10000;

    const juce::File file;
    /** The values as this object last read or saved them: what it changed
        since is what differs from them. */
    std::map<juce::String, juce::String> asLastStored;
    bool loadedOk = false;
    bool needsWriting = false;

    JUCE_DECLARE_NON_COPYABLE (ApplicationPropertiesUser)
};
} // namespace Korvalden::Misc
