#include "engine/ApplicationPropertiesUser.h"

#include "platform/ApplicationSupport.h"

namespace Korvalden::Misc
{
juce::PropertiesFile::Options ApplicationPropertiesUser::getOptions (const juce::String& applicationName)
{
    juce::PropertiesFile::Options options;
    options.applicationName = applicationName;
    options.folderName = "Korvalden";
    options.filenameSuffix = "prop";
    options.osxLibrarySubFolder = "Application Support";
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = false;
    options.doNotSave = false;
    options.millisecondsBeforeSaving = 10000;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    options.processLock = nullptr;
    return options;
}

juce::File ApplicationPropertiesUser::getSettingsFile (const juce::String& applicationName)
{
    // The framework would put the file into ~/Korvalden on this platform; the
    // settings belong with the rest of the maker's files.
    return Korvalden::Platform::getUserMakerFolder().getChildFile (applicationName + ".prop");
}

ApplicationPropertiesUser::ApplicationPropertiesUser (const juce::String& applicationName)
    : juce::PropertiesFile (getSettingsFile (applicationName), getOptions (applicationName))
{
}
} // namespace Korvalden::Misc
