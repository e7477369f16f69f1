#include "PreviewRegistry.h"

#include "editor/MainControlPanel.h"
#include "engine/AudioEngine.h"

// The real editor in the states its behaviour gives it: each voice
// allocation mode (the split slider only in Split), the about box and the
// overwrite question open, and the value labels pinned.
namespace
{
    struct NamedRequest : MainControlPanel::PresetOverwriteRequest
    {
        juce::String getPresetName() const override { return "Warm Bass"; }
        void answer (bool) override {}
    };

    /** A fresh instrument's editor after its first commands and LED ticks. */
    struct OpenEditor
    {
        OpenEditor()
        {
            engine.prepareToPlay (48000.0, 256);
            panel.reset (dynamic_cast<MainControlPanel*> (engine.createEditorIfNeeded()));
            run (150);
        }

        static void run (int ms)   { juce::MessageManager::getInstance()->runDispatchLoopUntil (ms); }

        bool write (const PreviewContext& context, const juce::String& name)
        {
            if (panel == nullptr)
                return false;
            return context.writePng (name, panel->createComponentSnapshot (panel->getLocalBounds(), true, context.scale));
        }

        AudioEngine engine;
        std::unique_ptr<MainControlPanel> panel;
    };

    const PreviewRegistration modes ("editor-modes", "the editor in each of the six voice allocation modes",
        [] (const PreviewContext& context) {
            const char* names[] { "unison", "split", "revolver", "random", "chord-blow", "chord-grow" };
            bool ok = true;
            for (int mode = 0; mode < 6; ++mode)
            {
                OpenEditor editor;
                editor.engine.setParameter (88, (float) mode / 5.0f);
                OpenEditor::run (100);
                ok = editor.write (context, juce::String ("editor-mode-") + names[mode]) && ok;
            }
            return ok;
        });

    const PreviewRegistration about ("editor-about", "the editor with the about box open",
        [] (const PreviewContext& context) {
            OpenEditor editor;
            if (editor.panel == nullptr)
                return false;
            if (auto* logo = editor.panel->findChildAs<juce::Button> ("LogoButtonKorvalden"))
                logo->triggerClick();
            OpenEditor::run (100);
            return editor.write (context, "editor-about");
        });

    const PreviewRegistration question ("editor-overwrite", "the editor asking whether to overwrite a preset",
        [] (const PreviewContext& context) {
            OpenEditor editor;
            if (editor.panel == nullptr)
                return false;
            NamedRequest request;
            editor.panel->askOverwritePreset (&request);
            OpenEditor::run (50);
            const bool ok = editor.write (context, "editor-overwrite");
            editor.panel.reset();   // answers the request before it goes
            return ok;
        });

    const PreviewRegistration pinned ("editor-labels-pinned", "the editor with the value labels pinned",
        [] (const PreviewContext& context) {
            OpenEditor editor;
            if (editor.panel == nullptr)
                return false;
            editor.panel->handleCommandMessage (7);
            OpenEditor::run (50);
            return editor.write (context, "editor-labels-pinned");
        });
}
