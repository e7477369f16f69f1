#include "PreviewRegistry.h"

#include "editor/EditorComponentNames.h"
#include "editor/FindChildAs.h"
#include "editor/PreferencesDialog.h"
#include "engine/AudioEngine.h"

#include <cstdlib>

// The options dialog itself, each page as it opens with no settings file
// (dialog-<tab>.png): the content the dialog shows below the system's title bar.
namespace
{
    /** Points the user's data folder at an empty temporary one for its lifetime. */
    struct EmptySettingsFolder
    {
        EmptySettingsFolder()
        {
            if (const char* old = std::getenv ("XDG_DATA_HOME"))
                previous = old;
            folder.createDirectory();
            setenv ("XDG_DATA_HOME", folder.getFullPathName().toRawUTF8(), 1);
        }

        ~EmptySettingsFolder()
        {
            if (previous.isNotEmpty())
                setenv ("XDG_DATA_HOME", previous.toRawUTF8(), 1);
            else
                unsetenv ("XDG_DATA_HOME");
            folder.deleteRecursively();
        }

        juce::File folder { juce::File::createTempFile ("kest-preview-settings") };
        juce::String previous;
    };

    bool renderDialog (const PreviewContext& context)
    {
        EmptySettingsFolder emptySettings;
        AudioEngine engine;
        PreferencesDialog dialog (engine);

        auto* content = dialog.getContentComponent();
        auto* tabs = findChildAs<juce::TabbedComponent> (content, EditorNames::Options::tabs);
        if (content == nullptr || tabs == nullptr)
            return false;

        bool ok = true;
        for (int tab = 0; tab < tabs->getNumTabs(); ++tab)
        {
            tabs->setCurrentTabIndex (tab, false);
            juce::Image image (juce::Image::RGB, content->getWidth(), content->getHeight(), false);
            juce::Graphics g (image);
            g.fillAll (dialog.getBackgroundColour());
            content->paintEntireComponent (g, false);
            ok = context.writePng ("dialog-" + tabs->getTabNames()[tab], image) && ok;
        }
        return ok;
    }

    PreviewRegistration dialog ("dialog", "the options dialog's pages as it opens (dialog-*.png)", renderDialog);
}
