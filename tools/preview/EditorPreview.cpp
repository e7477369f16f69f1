#include "PreviewEditor.h"

#include "editor/EditorComponentNames.h"

// The real editor of a fresh instrument: with a factory preset loaded and a
// chord held (editor.png, editor@2x.png at --scale 2), and with the audio
// thread's load high enough for the CPU warning (editor-cpu-warning.png) and
// for the overload display beside it (editor-cpu-over.png).
namespace
{
    bool renderEditor (const PreviewContext& context)
    {
        PreviewEditor editor;
        editor.engine.getPresetManager().selectPresetByPath ("/PresetFiles/Factory Presets/Pad/Warm Strings");
        editor.hold ({ 48, 55, 60, 64, 67 });
        PreviewEditor::run (150);
        return editor.write (context, "editor");
    }

    bool renderCpuDisplays (const PreviewContext& context)
    {
        PreviewEditor editor;
        if (editor.panel == nullptr || ! editor.panel->isCpuWarningEnabled())
            return false;

        bool ok = true;
        for (auto [load, name] : { std::pair { 0.75f, "editor-cpu-warning" }, std::pair { 0.95f, "editor-cpu-over" } })
        {
            // As if the audio thread had spent that share of each block; the
            // editor's timer reads it.
            editor.engine.setAudioThreadLoadForTesting (load);
            PreviewEditor::run (120);
            ok = editor.write (context, name) && ok;
        }
        return ok;
    }

    PreviewRegistration editor ("editor", "the editor with a factory preset and a chord held (editor.png)", renderEditor);
    PreviewRegistration cpu ("editor-cpu", "the editor at 75 % and 95 % audio-thread load: the CPU displays (editor-cpu-*.png)",
                             renderCpuDisplays);
}
