#include "editor/MainControlPanel.h"

#include "editor/EditorComponentNames.h"
#include "engine/AudioEngine.h"
#include "linking/LinkableParameterKnob.h"
#include "linking/ParameterCopyGroup.h"

#include <array>

// The link overlay's targets, groups and columns: every knob, device and
// module of the panel, each with its copy group, placed over the bounds of
// its placeholder in the layout.
namespace
{
    namespace N = EditorNames;

    constexpr int numTargetKinds = 16;
    constexpr int numCopyKinds = 19;

    // Parameter offsets of a device's knobs and of everything but its MIDI-on
    // switch, in the order the groups list them (Emphasis before LFO 2).
    constexpr int targetKinds[numTargetKinds] { 0, 1, 2, 5, 6, 7, 9, 12, 10, 11, 13, 14, 15, 16, 17, 18 };
    constexpr int copyKinds[numCopyKinds] { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 10, 11, 13, 14, 15, 16, 17, 18 };

    template <size_t n>
    constexpr std::array<std::array<int, n>, N::numDevices> perDevice (const int (&kinds)[n])
    {
        std::array<std::array<int, n>, N::numDevices> table {};
        for (int d = 0; d < N::numDevices; ++d)
            for (size_t i = 0; i < n; ++i)
                table[(size_t) d][i] = N::parametersPerDevice * d + kinds[i];
        return table;
    }

    constexpr auto targetTable = perDevice (targetKinds);
    constexpr auto copyTable = perDevice (copyKinds);

    // A module's slices of the two rows: first entry and count.
    struct ModuleSlice
    {
        N::Module module;
        int copyFirst, copyCount, targetFirst, targetCount;
    };

    constexpr ModuleSlice moduleSlices[] {
        { N::Module::vco, 0, 7, 0, 5 },
        { N::Module::vcf, 7, 6, 5, 5 },
        { N::Module::vca, 13, 6, 10, 6 },
    };
}

bool MainControlPanel::takePlaceholder (const juce::String& name, juce::Rectangle<int>& bounds)
{
    auto* placeholder = findChildAs<juce::Component> (name);
    if (placeholder == nullptr)
        return false;
    bounds = placeholder->getBounds();
    delete placeholder;
    return true;
}

void MainControlPanel::registerLinkTargets()
{
    auto* links = &engine.getLinkManager();
    juce::Rectangle<int> bounds;

    for (int d = 1; d <= N::numDevices; ++d)
        for (auto& kind : N::deviceKnobs)
            if (takePlaceholder (N::linkTarget (d, kind), bounds))
            {
                const int index = N::parametersPerDevice * (d - 1) + kind.offset;
                linkEditor.addParameterTarget (juce::String (d) + " " + kind.suffix, bounds, index,
                                               juce::Colour (N::deviceColours[d - 1]),
                                               new ParameterCopyGroup (&clipboard, links, index), false);
            }

    // A macro's target is its caption, where its name shows; its knob's cap
    // takes and starts link drags as every other knob does.
    for (int m = 1; m <= N::numMacros; ++m)
        if (takePlaceholder (N::macroLinkTarget (m), bounds))
        {
            const int index = N::firstMacroParameter + m - 1;
            juce::Rectangle<int> cap;
            if (auto* knob = findChildAs<LinkableParameterKnob> (N::macroKnob (m)))
                cap = knob->getKnobArea() + knob->getPosition();
            linkEditor.addParameterTarget ("Macro " + juce::String (m), bounds, index, juce::Colour (N::macroLinkTargetColour),
                                           new ParameterCopyGroup (&clipboard, links, index), true, cap);
        }

    for (int d = 0; d < N::numDevices; ++d)
        if (takePlaceholder (N::deviceGroupTarget (d + 1), bounds))
            linkEditor.addGroupTarget (N::deviceLabels[d], bounds, targetTable[(size_t) d].data(), numTargetKinds,
                                       new ParameterCopyGroup (&clipboard, links, "Device", copyTable[(size_t) d].data(), numCopyKinds));

    for (int d = 0; d < N::numDevices; ++d)
        for (auto& slice : moduleSlices)
        {
            const auto moduleName = juce::String (N::moduleNames[(int) slice.module]);
            if (takePlaceholder (N::moduleGroupTarget (d + 1, slice.module), bounds))
                linkEditor.addGroupTarget (juce::String (d + 1) + " " + moduleName, bounds,
                                           targetTable[(size_t) d].data() + slice.targetFirst, slice.targetCount,
                                           new ParameterCopyGroup (&clipboard, links, moduleName,
                                                                   copyTable[(size_t) d].data() + slice.copyFirst, slice.copyCount));
        }

    for (int kind : targetKinds)
    {
        std::vector<int> column;
        for (int d = 0; d < N::numDevices; ++d)
            column.push_back (N::parametersPerDevice * d + kind);
        linkEditor.addColumn (column);
    }

    addLinkOverlayLayer();
}
