#include "platform/ApplicationSupport.h"

#include <cstdlib>

namespace Korvalden::Platform
{
namespace
{
juce::String environment (const char* name)
{
    const char* value = std::getenv (name);
    return value != nullptr ? juce::String::fromUTF8 (value) : juce::String();
}

juce::File homeFolder()
{
    auto home = environment ("HOME");
    return home.isNotEmpty() && juce::File::isAbsolutePath (home) ? juce::File (home)
                                                                   : juce::File ("/");
}
} // namespace

juce::File getUserApplicationSupportFolder()
{
    auto dataHome = environment ("XDG_DATA_HOME");
    if (dataHome.isNotEmpty() && juce::File::isAbsolutePath (dataHome))
        return juce::File (dataHome);
    return homeFolder().getChildFile (".local/share");
}

juce::File getComputerApplicationSupportFolder()
{
    auto dirs = environment ("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = "/usr/local/share:/usr/share";

    juce::StringArray entries;
    entries.addTokens (dirs, ":", "");
    entries.removeEmptyStrings();

    juce::Array<juce::File> folders;
    for (auto& entry : entries)
        if (juce::File::isAbsolutePath (entry))
            folders.add (juce::File (entry));

    if (folders.isEmpty())
        folders.add (juce::File ("/usr/local/share"));

    for (auto& folder : folders)
        if (folder.getChildFile ("Korvalden/Presets/Kest").isDirectory())
            return folder;

    return folders.getFirst();
}

juce::File getUserMakerFolder()
{
    return getUserApplicationSupportFolder().getChildFile ("Korvalden");
}
} // namespace Korvalden::Platform
