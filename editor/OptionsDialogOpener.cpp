#include "editor/OptionsDialogOpener.h"

#include "editor/PreferencesDialog.h"

// The options dialog is the opener from the start; tests may install their own.

namespace OptionsDialogOpener
{
namespace
{
    Function defaultOpener()
    {
        return [] (const Request& request) -> juce::Component* {
            PreferencesDialog::EditorCallbacks callbacks;
            callbacks.receiveChannelChosen = request.receiveChannelChosen;
            callbacks.cpuWarningSwitched = request.cpuWarningSwitched;
            return PreferencesDialog::open (request.engine, std::move (callbacks), &request.editor).getComponent();
        };
    }

    Function& installed()
    {
        static Function opener = defaultOpener();
        return opener;
    }
}

void set (Function opener)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    installed() = opener ? std::move (opener) : defaultOpener();
}

juce::Component* open (const Request& request)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    auto& opener = installed();
    return opener ? opener (request) : nullptr;
}
}
