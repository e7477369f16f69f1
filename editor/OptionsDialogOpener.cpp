#include "editor/OptionsDialogOpener.h"

namespace OptionsDialogOpener
{
namespace
{
    Function& installed()
    {
        static Function opener;
        return opener;
    }
}

void set (Function opener)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    installed() = std::move (opener);
}

juce::Component* open (const Request& request)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    auto& opener = installed();
    return opener ? opener (request) : nullptr;
}
}
