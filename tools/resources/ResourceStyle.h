#pragma once

#include <juce_graphics/juce_graphics.h>

// The look shared by every image the generator draws: the panel's colours,
// the one corner radius, the one stroke width of the icons and the two faces
// of the typeface.  Colours that the program fixes (device colours, button
// state colours) live in editor/EditorComponentNames.h and the program itself.
namespace ResourceStyle
{
    // Panel
    const juce::Colour panelTop { 0xFFE6E3DE };
    const juce::Colour panelBottom { 0xFFD5D1CB };
    const juce::Colour plateFill { 0xFFEEECE8 };
    const juce::Colour plateEdge { 0xFFBDB8B1 };
    const juce::Colour headerBarTop { 0xFFB9B5AF };
    const juce::Colour headerBarBottom { 0xFFA7A39D };
    const juce::Colour headerText { 0xFF4A4845 };
    // Behind the view switches, whose icons are 0xFF383838 off and white on.
    const juce::Colour switchPlate { 0xFF878580 };
    const juce::Colour switchPlateEdge { 0xFF76736E };
    const juce::Colour captionText { 0xFF3E3C3A };
    const juce::Colour divider { 0xFFB3AEA7 };
    const juce::Colour wellFill { 0xFF34332F };
    const juce::Colour wellEdge { 0xFF1F1E1C };
    // Behind the preset bar, whose icons are 0xFF666666: deep enough that they
    // read at least 3:1, and a disabled one (0xFF282828) reads as off.
    const juce::Colour presetBarFill { 0xFF040404 };
    const juce::Colour accent { 0xFF00AFDB };
    const juce::Colour knobTrack { 0xFF5B5853 };
    const juce::Colour ringTrack { 0x26000000 };
    const juce::Colour treeFill { 0xFFC4C4C4 };

    constexpr float cornerRadius = 5.0f;
    constexpr float iconStroke = 1.6f;

    // The two faces of DejaVu Sans the generator draws its texts with.
    struct Faces
    {
        juce::Typeface::Ptr regular, bold;
    };

    // Loaded once by the generator's main before anything is drawn.
    Faces& faces();
    bool loadFaces (const juce::File& regularFile, const juce::File& boldFile);

    juce::Font regularFont (float height);
    juce::Font boldFont (float height);

    // Upper-case text with a little letter spacing: the section headers' small caps.
    juce::Font smallCapsFont (float height);
}
