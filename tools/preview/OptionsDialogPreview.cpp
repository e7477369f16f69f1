#include "PreviewEditor.h"

#include "editor/EditorComponentNames.h"
#include "editor/FindChildAs.h"
#include "editor/PreferencesDialog.h"
#include "engine/AudioEngine.h"

// The real options dialog, each page as it opens without a settings file,
// its combos filled from the defaults (options-<tab>.png): the content the
// dialog shows below the system's title bar.
namespace
{
    bool renderDialog (const PreviewContext& context)
    {
        FreshDataFolder noSettings;
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
            juce::Image image (juce::Image::RGB, juce::roundToInt ((float) content->getWidth() * context.scale),
                               juce::roundToInt ((float) content->getHeight() * context.scale), false);
            {
                juce::Graphics g (image);
                g.addTransform (juce::AffineTransform::scale (context.scale));
                g.fillAll (dialog.getBackgroundColour());
                content->paintEntireComponent (g, false);
            }
            ok = context.writePng (context.scaledName ("options-" + tabs->getTabNames()[tab]), image) && ok;
        }
        return ok;
    }

    PreviewRegistration options ("options", "the options dialog's pages as it opens (options-*.png)", renderDialog);
}
