#include "PreviewEditor.h"

#include "editor/EditorComponentNames.h"
#include "linking/LinkableParameterKnob.h"

// The real editor with its link view on and two linked groups: the four
// filter frequencies as the group "Cutoffs", and macro 1 ("Grit") with
// ORVA's drive and MUNE's emphasis, the latter at a ratio of -50 % with its
// handle held (so its ratio arc and label show), the macro's group
// highlighted as when the mouse rests on it (link-overlay.png).
namespace
{
    namespace N = EditorNames;

    juce::MouseEvent mouseAt (juce::Component& component, juce::Point<float> position, juce::ModifierKeys modifiers)
    {
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, modifiers, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                 &component, &component, juce::Time(), position, juce::Time(), 1, false);
    }

    bool renderLinkOverlay (const PreviewContext& context)
    {
        PreviewEditor editor;
        if (editor.panel == nullptr)
            return false;

        constexpr int frequency = 7, emphasis = 12, drive = 18;
        constexpr int macro1 = N::firstMacroParameter;
        const int munesEmphasis = 2 * N::parametersPerDevice + emphasis;

        // A device's knob (1..4) by its parameter offset.
        auto deviceKnob = [&editor] (int device, int offset) -> LinkableParameterKnob* {
            for (const auto& kind : N::deviceKnobs)
                if (kind.offset == offset)
                    return editor.child<LinkableParameterKnob> (N::deviceKnob (device, kind));
            return nullptr;
        };

        auto& links = editor.engine.getLinkManager();
        for (int d = 0; d + 1 < N::numDevices; ++d)
            links.link (d * N::parametersPerDevice + frequency, (d + 1) * N::parametersPerDevice + frequency);
        links.link (macro1, drive);
        links.link (macro1, munesEmphasis);
        links.getLinkEntry (frequency).name = "Cutoffs";
        links.getLinkEntry (macro1).name = "Grit";
        links.getLinkEntry (munesEmphasis).ratio = -0.5f;

        auto* cutoff = deviceKnob (1, frequency);
        auto* macro = editor.child<LinkableParameterKnob> (N::macroKnob (1));
        auto* held = deviceKnob (3, emphasis);
        if (cutoff == nullptr || macro == nullptr || held == nullptr)
            return false;
        links.propagateValue (cutoff, true, 0.62f);
        links.propagateValue (macro, true, 0.62f);

        // As after loading a sound with links: the engine's resync, then the link view on.
        editor.panel->handleCommandMessage (AudioEngine::editorResyncVoiceSettings);
        editor.panel->handleCommandMessage (AudioEngine::editorFirstViewCommand + 2);
        PreviewEditor::run (100);

        // The mouse rests on the macro: its group is highlighted.
        auto& overlay = editor.panel->getLinkEditor();
        overlay.mouseMove (mouseAt (*editor.panel, macro->getBounds().getCentre().toFloat(), {}));
        overlay.showHighlight();

        // MUNE's emphasis handle is held: its ratio shows.
        held->mouseDown (mouseAt (*held, held->getHandleArea().getCentre().toFloat(),
                                  juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier)));

        const bool ok = editor.write (context, "link-overlay");
        held->endDrag();
        return ok;
    }

    PreviewRegistration linkOverlay ("link-overlay", "the editor's link view with two linked groups (link-overlay.png)", renderLinkOverlay);
}
