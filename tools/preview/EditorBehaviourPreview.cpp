#include "PreviewEditor.h"

#include "editor/EditorComponentNames.h"

// The real editor in the states its behaviour gives it: each voice
// allocation mode with a chord held in each split zone (the keys in the
// colours of the devices that play them, the split slider only in Split),
// the about box and the overwrite question open, and the value labels pinned.
namespace
{
    namespace N = EditorNames;

    struct NamedRequest : MainControlPanel::PresetOverwriteRequest
    {
        juce::String getPresetName() const override { return "Warm Strings"; }
        void answer (bool) override {}
    };

    const PreviewRegistration modes ("editor-modes", "the editor in each of the six voice allocation modes (editor-mode-*.png)",
        [] (const PreviewContext& context) {
            const char* names[] { "unison", "split", "revolver", "random", "chord-blow", "chord-grow" };
            bool ok = true;
            for (int mode = 0; mode < 6; ++mode)
            {
                PreviewEditor editor;
                const int splitPoints[] { 60, 72, 84 };
                for (unsigned point = 0; point < 3; ++point)
                    editor.engine.getGlobalController().setSplitPoint (point, splitPoints[point]);
                editor.engine.setParameter (88, (float) mode / 5.0f);
                editor.hold ({ 48, 52, 55, 62, 65, 69, 74, 78, 81, 86, 90, 93 });
                PreviewEditor::run (150);
                ok = editor.write (context, juce::String ("editor-mode-") + names[mode]) && ok;
            }
            return ok;
        });

    const PreviewRegistration about ("editor-about", "the editor with the about box open (editor-about.png)",
        [] (const PreviewContext& context) {
            PreviewEditor editor;
            auto* logo = editor.child<juce::Button> (N::logoButtonMaker);
            if (logo == nullptr)
                return false;
            logo->triggerClick();
            PreviewEditor::run (100);
            return editor.write (context, "editor-about");
        });

    const PreviewRegistration question ("editor-overwrite", "the editor asking whether to overwrite a preset (editor-overwrite.png)",
        [] (const PreviewContext& context) {
            PreviewEditor editor;
            if (editor.panel == nullptr)
                return false;
            NamedRequest request;
            editor.panel->askOverwritePreset (&request);
            PreviewEditor::run (50);
            const bool ok = editor.write (context, "editor-overwrite");
            editor.panel.reset();   // answers the request before it goes
            return ok;
        });

    const PreviewRegistration pinned ("editor-labels-pinned", "the editor with the value labels pinned (editor-labels-pinned.png)",
        [] (const PreviewContext& context) {
            PreviewEditor editor;
            if (editor.panel == nullptr)
                return false;
            editor.panel->handleCommandMessage (AudioEngine::editorFirstViewCommand + 4);   // value labels on
            PreviewEditor::run (50);
            return editor.write (context, "editor-labels-pinned");
        });
}
