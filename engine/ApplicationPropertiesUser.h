#pragma once

#include <juce_data_structures/juce_data_structures.h>

namespace Korvalden::Misc
{
/** The user's settings file: a properties file named after the application
    with the suffix "prop", in the maker's folder "Korvalden" below the user's
    Application Support folder, stored as XML and saved 10000 ms after the last
    change or on destruction.  It is loaded when constructed; a missing or
    unreadable file gives an empty set, so every read takes its default.

    Message thread only (its save timer runs there).
*/
class ApplicationPropertiesUser : public juce::PropertiesFile
{
public:
    explicit ApplicationPropertiesUser (const juce::String& applicationName);

    /** The options every user of the settings file passes to the framework. */
    static juce::PropertiesFile::Options getOptions (const juce::String& applicationName);

    /** Where the settings file of the application lies. */
    static juce::File getSettingsFile (const juce::String& applicationName);
};
} // namespace Korvalden::Misc
