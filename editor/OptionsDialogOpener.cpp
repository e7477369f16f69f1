#include "editor/OptionsDialogOpener.h"

// The options dialog's module, when it is part of the build, is the opener
// from the start; tests may install their own.
#if __has_include("editor/PreferencesDialog.h")
 #include "editor/PreferencesDialog.h"
 #define KEST_HAS_OPTIONS_DIALOG 1
#else
 #define KEST_HAS_OPTIONS_DIALOG 0
#endif

namespace OptionsDialogOpener
{
namespace
{
    Function defaultOpener()
    {
       #if KEST_HAS_OPTIONS_DIALOG
        return [] (const Request& request) -> juce::Component* {
            PreferencesDialog::EditorCallbacks callbacks;
            callbacks.receiveChannelChosen = request.receiveChannelChosen;
            callbacks.cpuWarningSwitched = request.cpuWarningSwitched;
            return PreferencesDialog::open (request.engine, std::move (callbacks), &request.editor).getComponent();
        };
       #else
        return {};
       #endif
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
