#pragma once

#include "tools/layout/ComponentLayoutWriter.h"

#include <vector>

// The bundle's window layouts, in the format of tools/layout.
struct LayoutResource
{
    juce::String name;
    juce::MemoryBlock data;
};

// The editor's layout "MainControlPanel" from the panel plan.
LayoutResource mainPanelLayout();

// The options dialog "OptionsDialog" and the layouts of its two tab pages.
std::vector<LayoutResource> optionsDialogLayouts();

// A label on no background, not editable, in one text colour.
Korvalden::Tools::Layout::LabelBody plainLabel (float fontHeight, juce::Colour text, int justification);

// Framework numbers the layouts carry (juce::Slider's styles and text-box
// positions); the resource tests check them against the framework.
namespace LayoutNumbers
{
    constexpr int linearHorizontal = 0;
    constexpr int threeValueHorizontal = 11;
    constexpr int noTextBox = 0;
    constexpr int textBoxRight = 2;
}
