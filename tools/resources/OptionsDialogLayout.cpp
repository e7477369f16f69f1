#include "ResourceLayouts.h"

#include "ResourceStyle.h"
#include "editor/EditorComponentNames.h"
#include "tools/layout/ComponentLayoutWriter.h"

// The options dialog: a "General" page (number of voices, CPU warning) and a
// "MIDI" page (the five receive channels, then one controller combo per
// parameter in five columns: the four devices and the global controls).
namespace
{
    namespace L = Korvalden::Tools::Layout;
    namespace N = EditorNames;
    namespace O = EditorNames::Options;

    constexpr int dialogWidth = 760, dialogHeight = 560;
    const juce::Rectangle<int> tabsBounds { 8, 8, 744, 504 };
    constexpr int tabBarDepth = 28;
    // The page area of the tabbed component: below the tab bar, inside its one-pixel outline.
    constexpr int pageWidth = 742, pageHeight = 474;

    const char* generalPage = "OptionsGeneral";
    const char* midiPage = "OptionsMidi";

    const juce::Colour text { 0xFF1E1D1B };

    L::LabelBody label (const juce::String& caption, float height, int justification, bool bold = false)
    {
        auto body = plainLabel (height, text, justification);
        body.fontStyle = bold ? 1 : 0;
        body.text = caption;
        return body;
    }

    L::GroupBoxBody group (const juce::String& caption)
    {
        L::GroupBoxBody body;
        body.textPosition = 1;
        body.outlineColour = juce::Colour (0xFF8E8A84);
        body.textColour = text;
        body.text = caption;
        return body;
    }

    void combo (juce::OutputStream& out, const juce::String& name, juce::Rectangle<int> bounds, const juce::String& tooltip)
    {
        L::ComboBoxBody body;
        body.justification = juce::Justification::centredLeft;
        body.tooltip = tooltip;
        L::writeComboBox (out, { name, bounds, 0 }, body);
    }

    LayoutResource dialog()
    {
        juce::MemoryOutputStream out;
        L::writeRootHeader (out, dialogWidth, dialogHeight);

        L::TabbedComponentBody tabs;
        tabs.orientation = 0;
        tabs.tabBarDepth = tabBarDepth;
        tabs.currentTabIndex = 0;
        tabs.tabs = { { juce::Colour (0xFFD9D6D1), "General", generalPage },
                      { juce::Colour (0xFFD9D6D1), "MIDI", midiPage } };
        L::writeTabbedComponent (out, { O::tabs, tabsBounds, 0 }, tabs);

        L::TextButtonBody ok;
        ok.backgroundColour = ok.backgroundOnColour = ResourceStyle::accent;
        ok.textOffColour = ok.textOnColour = juce::Colours::white;
        ok.tooltip = "closes the options; every change is already in effect";
        ok.text = "OK";
        L::writeTextButton (out, { O::okButton, { dialogWidth - 96, dialogHeight - 40, 88, 28 }, 0 }, ok);

        return { N::optionsLayout, out.getMemoryBlock() };
    }

    LayoutResource general()
    {
        juce::MemoryOutputStream out;
        L::writeRootHeader (out, pageWidth, pageHeight);

        L::writeGroupBox (out, { "VoicesGroup", { 16, 12, 350, 104 }, 0 }, group ("Voices"));
        L::writeLabel (out, { "NumberOfVoicesLabel", { 32, 36, 318, 22 }, 0 },
                       label ("Number of voices the four devices share", 13.0f, juce::Justification::centredLeft));

        L::SliderBody voices;
        voices.minimum = 1.0;
        voices.maximum = 64.0;
        voices.interval = 1.0;
        voices.style = LayoutNumbers::linearHorizontal;
        voices.textBoxPosition = LayoutNumbers::textBoxRight;
        voices.textBoxEditable = true;
        voices.textBoxWidth = 48;
        voices.textBoxHeight = 22;
        voices.backgroundColour = juce::Colour (0xFFA8A49E);
        voices.thumbColour = ResourceStyle::accent;
        voices.trackColour = ResourceStyle::accent.withAlpha (0.6f);
        voices.rotaryFillColour = ResourceStyle::accent;
        voices.rotaryOutlineColour = juce::Colour (0xFFA8A49E);
        voices.textBoxTextColour = text;
        voices.textBoxBackgroundColour = juce::Colours::white;
        voices.textBoxHighlightColour = ResourceStyle::accent;
        voices.textBoxOutlineColour = juce::Colour (0xFF8E8A84);
        voices.tooltip = "more voices play longer chords and releases and need more processor time";
        L::writeSlider (out, { O::numberOfVoices, { 32, 64, 318, 28 }, 0 }, voices);

        L::writeGroupBox (out, { "LoadGroup", { 16, 128, 350, 72 }, 0 }, group ("Processor load"));
        L::ToggleButtonBody warn;
        warn.textColour = text;
        warn.tooltip = "shows a warning in the editor when the processor load is high";
        warn.buttonText = "Warn when the processor load is high";
        L::writeToggleButton (out, { O::enableCpuWarning, { 32, 156, 318, 26 }, 0 }, warn);

        // The dialog hides this group: the plug-in has no audio device of its own.
        L::writeGroupBox (out, { O::audioGroup, { 382, 12, 344, 104 }, 0 }, group ("Audio device"));

        return { generalPage, out.getMemoryBlock() };
    }

    LayoutResource midi()
    {
        juce::MemoryOutputStream out;
        L::writeRootHeader (out, pageWidth, pageHeight);

        const int columnWidth = 146, left = 12;

        L::writeLabel (out, { "ReceiveChannelsTitle", { left, 6, 400, 20 }, 0 },
                       label ("Receive channels", 13.0f, juce::Justification::centredLeft, true));
        const char* slotNames[] { "Global", "ORVA", "TESK", "MUNE", "KEST" };
        for (int slot = 0; slot <= N::numDevices; ++slot)
        {
            const int x = left + slot * columnWidth;
            L::writeLabel (out, { "Label_" + O::channelCombo (slot), { x, 30, 56, 22 }, 0 },
                           label (slotNames[slot], 12.0f, juce::Justification::centredRight));
            combo (out, O::channelCombo (slot), { x + 60, 30, 76, 22 },
                   slot == 0 ? "the channel the global voice allocation listens to"
                             : "the channel on which this device also plays on its own");
        }

        L::writeLabel (out, { "ControllersTitle", { left, 64, 600, 20 }, 0 },
                       label ("Controller numbers (received on the global channel)", 13.0f, juce::Justification::centredLeft, true));

        const char* deviceRowCaptions[N::parametersPerDevice] {
            "Glide", "Tune", "Pulse width", "Waveform", "LFO 1 target", "LFO 1 depth", "LFO 1 rate",
            "Frequency", "Key tracking", "Envelope", "LFO 2 depth", "LFO 2 rate", "Emphasis", "Accent",
            "Attack", "Decay", "Sustain", "Release", "Drive", "MIDI on",
        };
        const int rowTop = 106, rowPitch = 18, rowHeight = 17;

        auto row = [&] (int column, int rowIndex, const juce::String& comboName, const juce::String& caption)
        {
            const int x = left + column * columnWidth, y = rowTop + rowIndex * rowPitch;
            L::writeLabel (out, { "Label_" + comboName, { x, y, 78, rowHeight }, 0 },
                           label (caption, 11.0f, juce::Justification::centredLeft));
            combo (out, comboName, { x + 80, y, 56, rowHeight }, {});
        };

        for (int device = 1; device <= N::numDevices; ++device)
        {
            const int x = left + (device - 1) * columnWidth;
            L::writeLabel (out, { "Header_" + N::deviceLabel (device), { x, 86, 136, 18 }, 0 },
                           label (N::deviceLabel (device), 12.0f, juce::Justification::centredLeft, true));
            for (int offset = 0; offset < N::parametersPerDevice; ++offset)
                row (device - 1, offset, O::deviceControllerCombo (device, offset), deviceRowCaptions[offset]);
        }

        const int global = N::numDevices;
        L::writeLabel (out, { "Header_Global", { left + global * columnWidth, 86, 136, 18 }, 0 },
                       label ("Global", 12.0f, juce::Justification::centredLeft, true));
        int rowIndex = 0;
        for (int m = 1; m <= N::numMacros; ++m)
            row (global, rowIndex++, N::macroKnob (m), "Macro " + juce::String (m));
        const char* voiceCaptions[] { "Voice mode", "Direction", "Fill", "Monophonic", "Master volume" };
        for (int i = 0; i < 5; ++i)
            row (global, rowIndex++, O::voiceControllerRows[i], voiceCaptions[i]);
        row (global, rowIndex, O::sustainPedal, "Sustain pedal");

        return { midiPage, out.getMemoryBlock() };
    }
}

std::vector<LayoutResource> optionsDialogLayouts()
{
    return { dialog(), general(), midi() };
}
