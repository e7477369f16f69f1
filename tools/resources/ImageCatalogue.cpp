#include "ResourceImages.h"

#include "PanelGeometry.h"
#include "editor/EditorComponentNames.h"

std::vector<ImageEntry> imageCatalogue()
{
    namespace N = EditorNames;
    using namespace ResourceImages;
    std::vector<ImageEntry> images;

    // Knob strips (one per device colour, and the macros') and LED strips.
    for (int d = 0; d < N::numDevices; ++d)
        images.push_back ({ N::Images::deviceKnobStrips[d], [d] { return knobStrip (juce::Colour (N::deviceColours[d])); } });
    // The macros' grey (0xFF7D7D7D) would vanish on the dark arc track: their arc is a light neutral.
    images.push_back ({ N::Images::macroKnobStrip, [] { return knobStrip (juce::Colour (0xFFDCD8D2)); } });
    for (int d = 0; d < N::numDevices; ++d)
        images.push_back ({ N::Images::deviceLedStrips[d], [d] { return ledStrip (juce::Colour (N::deviceColours[d])); } });

    // Backgrounds
    images.push_back ({ PanelGeometry::panelBackgroundImage, panelBackground });
    images.push_back ({ N::Images::linkBackground, backgroundWithRings });
    images.push_back ({ PanelGeometry::keyboardShadowImage, keyboardShadow });

    for (auto& entry : iconMasks())
        images.push_back (std::move (entry));
    for (auto& entry : chromeImages())
        images.push_back (std::move (entry));
    return images;
}
