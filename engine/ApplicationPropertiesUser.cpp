#include "engine/ApplicationPropertiesUser.h"

#include "engine/UntrustedXml.h"
#include "platform/ApplicationSupport.h"

#include <map>

namespace Korvalden::Misc
{
namespace
{
const juce::Identifier fileTag ("PROPERTIES");
const juce::Identifier valueTag ("VALUE");
const juce::Identifier nameAttribute ("name");
const juce::Identifier valueAttribute ("val");
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
    loadedOk = load();
}

ApplicationPropertiesUser::~ApplicationPropertiesUser()
{
    saveIfNeeded();
}

bool ApplicationPropertiesUser::load()
{
    if (! file.exists() && ! file.isSymbolicLink())
        return true;

    auto root = parseUntrustedXmlFile (file);
    if (root == nullptr || ! root->hasTagName (fileTag.toString()))
        return false;

    // Gathered in a map first: adding keys one by one to the property set
    // searches all earlier keys each time.  A later duplicate wins.
    std::map<juce::String, juce::String> values;
    for (auto* element : root->getChildWithTagNameIterator (valueTag.toString()))
    {
        const auto name = element->getStringAttribute (nameAttribute);
        if (name.isNotEmpty())
            values[name] = element->getStringAttribute (valueAttribute);
    }

    const juce::ScopedLock sl (getLock());
    getAllProperties().addMap (values);
    return true;
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

    if (! loadedOk || file.isDirectory() || ! file.getParentDirectory().createDirectory())
        return false;

    juce::XmlElement root (fileTag);
    {
        const juce::ScopedLock sl (getLock());
        const auto& properties = getAllProperties();
        for (int i = 0; i < properties.size(); ++i)
        {
            auto* element = root.createNewChildElement (valueTag);
            element->setAttribute (nameAttribute, properties.getAllKeys()[i]);
            element->setAttribute (valueAttribute, properties.getAllValues()[i]);
        }
    }

    if (! root.writeTo (file))
        return false;
    needsWriting = false;
    return true;
}
} // namespace Korvalden::Misc
