#pragma once

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

namespace Korvalden::Misc
{
/** The user's settings file: a properties file named after the application
    with the suffix "prop", in the maker's folder "Korvalden" below the user's
    Application Support folder, stored as the framework's XML properties format
    (a "PROPERTIES" root with one "VALUE" element, "name" and "val", per key)
    and saved 10000 ms after the last change or on destruction.

    It is loaded when constructed, through the bounded reader for untrusted
    XML, in time linear in its size.  A missing file gives an empty set.  A
    file that cannot be used (not a regular file, too large, not such XML) also
    gives an empty set, so every read takes its default, and it is never
    written over: changes are then kept for this session only.  Saving writes
    a temporary file beside the target and renames it over the target.

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

    /** Writes every key; false when the file could not be written or is one
        that could not be read. */
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
    bool load();

    static constexpr int millisecondsBeforeSaving = 10000;

    const juce::File file;
    bool loadedOk = false;
    bool needsWriting = false;

    JUCE_DECLARE_NON_COPYABLE (ApplicationPropertiesUser)
};
} // namespace Korvalden::Misc
