#pragma once

#include <juce_graphics/juce_graphics.h>
#include <vector>

// The editor panel planned as one instrument front: a tool bar at the top, a
// global row (macros, voices, output), the four device strips below it in the
// devices' order, the keyboard along the bottom edge and the preset tree
// along the right edge, so the view switches cut the panel at them.
//
// Everything sits on one 4/8-pixel grid and the knob columns line up across
// the strips.  The same plan drives the layout resource (where each control
// goes) and the background images (what is painted behind the controls).
struct PanelGeometry
{
    static constexpr int width = 1240;
    static constexpr int height = 628;
    static constexpr int treeX = 1008;                  // the preset tree fills the right edge
    static constexpr int keyboardY = 552;               // the keyboard spans the bottom edge
    static constexpr int keyboardHeight = height - keyboardY;
    // Keys 16 wide over the whole MIDI range, the top one at the right edge.
    // The framework lays its lowest visible key under the lower scroll
    // button, which is one key wide: 48 white keys, 768 pixels, from 47 up
    // put 47 under the button and the editor's first key 48 whole beside
    // it.  (On a wider keyboard the framework would scroll further down.)
    // Dark end cheeks take the rest.
    static constexpr int keyboardWidth = 768;
    static constexpr int keyboardX = (treeX - keyboardWidth) / 2;

    static constexpr int knobWidth = 48, knobHeight = 52;   // a knob component
    static constexpr int knobFrame = 36;                    // one frame of a knob strip
    static constexpr int ledSize = 12;                      // one frame of an LED strip
    static constexpr int switchWidth = 28, switchHeight = 14;
    static constexpr int midiOnWidth = 36, midiOnHeight = 22;
    static constexpr int toolButtonSize = 24;
    static constexpr int directionWidth = 32;
    static constexpr int treeButtonWidth = 32;

    // Images that only the layout names (the program asks for none of them).
    static constexpr const char* panelBackgroundImage = "PanelBackground";
    static constexpr const char* keyboardShadowImage = "KeyboardShadow";
    static constexpr const char* productLogoImage = "LogoKEST";
    static constexpr const char* makerLogoImage = "LogoKorvalden";
    static constexpr const char* cpuWarnImage = "CPUWarn";
    static constexpr const char* cpuOverImage = "CPUOver";

    // How a control is written into the layout.
    enum class Record
    {
        backgroundImage,    // image component showing the panel background
        placed,             // a child the editor made itself: only placed
        placeholder,        // a link-target placeholder: a plain component
        keyboard,
        keyboardOverlay,
        masterVolume,
        masterValueLabel,
        splitPointSlider,
        voiceMode,
        presetNameLabel,
        logoButton,
        cpuDisplay,
        hiddenGroup, hiddenSlider, hiddenLabel, hiddenButton,
    };

    struct Control
    {
        juce::String name;
        Record record;
        juce::Rectangle<int> bounds;
        juce::String image;     // for the image records
    };

    // What the background painter draws behind the controls.
    struct Title
    {
        juce::String text;
        juce::Range<int> range;     // the x range of the sub-section it names
    };

    struct Section
    {
        juce::Rectangle<int> plate;
        std::vector<Title> titles;
    };

    struct Caption
    {
        juce::Rectangle<int> bounds;
        juce::String text;
        juce::Justification justification = juce::Justification::centred;
    };

    struct DeviceBand
    {
        juce::Rectangle<int> plate;
        juce::Colour colour;
        juce::String label;
    };

    std::vector<Control> controls;                      // in layout order, back to front
    std::vector<Section> sections;
    std::vector<DeviceBand> deviceBands;
    std::vector<Caption> captions;
    std::vector<juce::Rectangle<int>> wells;            // dark recesses behind icon buttons
    std::vector<juce::Rectangle<int>> switchPlates;     // mid-grey recesses behind the view switches
    std::vector<juce::Rectangle<int>> knobs;            // every knob component, for the link rings
    std::vector<juce::Rectangle<int>> grooves;          // slider tracks painted into the background
    juce::Rectangle<int> toolBar;
    juce::Rectangle<int> presetBar;                     // the deepest recess, behind the preset bar

    const Control* find (const juce::String& name) const;
};

// The panel as the bundle ships it.
const PanelGeometry& mainPanelGeometry();
