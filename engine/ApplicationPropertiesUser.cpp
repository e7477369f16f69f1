#include "engine/ApplicationPropertiesUser.h"

#include "engine/UntrustedXml.h"
#include "platform/ApplicationSupport.h"
#include "presets/PresetFileSystem.h"

#include <cerrno>
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
    PresetFileSystem::removeStaleTemporaryFiles (file.getParentDirectory());

    loadedOk = readSettingsFile (file, asLastStored) != FileState::refused;
    const juce::ScopedLock sl (getLock());
    getAllProperties().addMap (asLastStored);
}

ApplicationPropertiesUser::~ApplicationPropertiesUser()
{
    saveIfNeeded();
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

bool ApplicationPropertiesUser::save()
{
    stopTimer();

    // Another object or instance may have saved since this one read: only
    // what this one changed goes onto the file as it is now.  A file that
    // cannot be read is the user's and stays as it is.
    Values merged;
    if (readSettingsFile (file, merged) == FileState::refused)
        return false;
    const auto onDisk = merged;

    Values current;
    {
        const juce::ScopedLock sl (getLock());
        const auto& properties = getAllProperties();
        for (int i = 0; i < properties.size(); ++i)
            current[properties.getAllKeys()[i]] = properties.getAllValues()[i];
    }

    for (const auto& [key, value] : current)
        if (auto stored = asLastStored.find (key); stored == asLastStored.end() || stored->second != value)
            merged[key] = value;
    for (const auto& [key, value] : asLastStored)
        if (current.count (key) == 0)
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
        if (! file.getParentDirectory().createDirectory().wasOk()
            || ! PresetFileSystem::writeAtomically (file, text.toRawUTF8(), text.getNumBytesAsUTF8()))
            return false;
    }

    asLastStored = std::move (current);
    needsWriting = false;
    loadedOk = true;
    return true;
}
} // namespace Korvalden::Misc
