#pragma once

#include <juce_core/juce_core.h>

// The component names by which the editor and the options dialog find their
// children, and the image names the program asks the bundle for.  The layout
// resources in the bundle are generated from these same tables
// (tools/resources), so a control renamed here moves with its layout entry.
//
// Device numbers in names run 1..4 (ORVA, TESK, MUNE, KEST); the functions
// that build patterned names take that number.  All of it is plain data and
// may be used from any thread.
namespace EditorNames
{
    constexpr int numDevices = 4;
    constexpr int numMacros = 8;
    constexpr int parametersPerDevice = 20;
    constexpr int firstMacroParameter = 80;

    constexpr const char* deviceLabels[numDevices] { "ORVA", "TESK", "MUNE", "KEST" };
    constexpr juce::uint32 deviceColours[numDevices] { 0xFFFFF000, 0xFF45A200, 0xFFFD17CA, 0xFF17A4DF };
    constexpr juce::uint32 macroColour = 0xFF7D7D7D;
    constexpr juce::uint32 macroLinkTargetColour = 0xFF5F6062;

    inline juce::String deviceLabel (int device)    { return deviceLabels[juce::jlimit (1, numDevices, device) - 1]; }
    inline juce::String devicePrefix (int device)   { return juce::String (device) + "_"; }

    //==============================================================================
    // Knobs of a device, in the order the editor creates them.  offset is the
    // parameter index within the device (index = 20 (device - 1) + offset).
    struct KnobKind
    {
        const char* suffix;
        int offset;
    };

    enum class Module { vco, vcf, vca };

    constexpr KnobKind deviceKnobs[] {
        { "Glide", 0 },      { "Tune", 1 },       { "PulseWidth", 2 }, { "Mod1_Level", 5 },
        { "Mod1_Time", 6 },  { "Freq", 7 },       { "Envelope", 9 },   { "Mod2_Level", 10 },
        { "Mod2_Time", 11 }, { "Emphasis", 12 },  { "Accent", 13 },    { "Attack", 14 },
        { "Decay", 15 },     { "Sustain", 16 },   { "Release", 17 },   { "Drive", 18 },
    };
    constexpr int numDeviceKnobs = (int) (sizeof (deviceKnobs) / sizeof (deviceKnobs[0]));

    inline juce::String deviceKnob (int device, const KnobKind& kind)   { return devicePrefix (device) + kind.suffix; }
    inline juce::String macroKnob (int macro)                           { return "Macro" + juce::String (macro); }
    inline juce::String valueLabel (const juce::String& controlName)    { return "Value_" + controlName; }

    //==============================================================================
    // Switch groups: ParameterRadioButtons, one per position of a stepped parameter.
    struct SwitchButton
    {
        const char* suffix;
        const char* image;
        int offset;     // parameter index within the device
        int positions;
        int position;
    };

    constexpr SwitchButton oscillatorSwitches[] {
        { "Btn_OscOff",   "VCO_Off_Alpha",    3, 4, 0 },
        { "Btn_OscNoise", "VCO_Noise_Alpha",  3, 4, 1 },
        { "Btn_OscSaw",   "VCO_Saw_Alpha",    3, 4, 2 },
        { "Btn_OscPulse", "VCO_Square_Alpha", 3, 4, 3 },
    };
    constexpr SwitchButton lfo1Switches[] {
        { "Btn_LFO1_Off", "LFO_OFF_Alpha", 4, 3, 0 },
        { "Btn_LFO1_PWM", "LFO_PWM_Alpha", 4, 3, 1 },
        { "Btn_LFO1_FM",  "LFO_FM_Alpha",  4, 3, 2 },
    };
    constexpr SwitchButton trackingSwitches[] {
        { "Btn_TrackOff",  "Track_OFF_Alpha",  8, 3, 0 },
        { "Btn_TrackHalf", "Track_HALF_Alpha", 8, 3, 1 },
        { "Btn_TrackFull", "Track_FULL_Alpha", 8, 3, 2 },
    };

    inline juce::String switchButton (int device, const SwitchButton& button)  { return devicePrefix (device) + button.suffix; }
    inline juce::String midiOnButton (int device)                              { return devicePrefix (device) + "Btn_MidiOn"; }

    //==============================================================================
    // Device LEDs, all five of a device drawn from the device's LED strip.
    constexpr const char* ledKinds[] { "Glide", "Gate", "LFO1", "LFO2", "Drive" };
    constexpr int numLedKinds = (int) (sizeof (ledKinds) / sizeof (ledKinds[0]));
    constexpr int ledFrames = 512;

    inline juce::String led (int device, const char* kind)   { return devicePrefix (device) + "LED_" + kind; }

    //==============================================================================
    // Link overlay placeholders: their bounds become link targets, then they are deleted.
    inline juce::String linkTarget (int device, const KnobKind& kind)   { return "LinkerPar_" + deviceKnob (device, kind); }
    inline juce::String macroLinkTarget (int macro)                     { return "LinkerPar_" + macroKnob (macro); }
    inline juce::String deviceGroupTarget (int device)                  { return "LinkerGrp_" + deviceLabel (device); }

    constexpr const char* moduleNames[] { "VCO", "VCF", "VCA" };
    inline juce::String moduleGroupTarget (int device, Module module)
    {
        return "LinkerGrp_" + devicePrefix (device) + moduleNames[(int) module];
    }

    //==============================================================================
    // Single children of the editor.
    constexpr const char* masterVolume = "MasterVol";
    constexpr const char* splitPointSlider = "SplitPointSlider";
    constexpr const char* voiceMode = "VoiceMode";
    constexpr const char* directionButton = "DirectionButton";
    constexpr const char* presetTreeButton = "PresetTreeButton";
    constexpr const char* presetTree = "PresetTree";
    constexpr const char* presetNameLabel = "PresetNameLabel";
    constexpr const char* keyboard = "Keyboard";
    constexpr const char* keyboardOverlay = "KeyboardOverlay";
    constexpr const char* background = "Background";
    constexpr const char* linkOverlay = "LinkOverlay";     // the layer the link overlay paints on; made by the editor
    constexpr const char* meterLeft = "MeterL";
    constexpr const char* meterRight = "MeterR";
    constexpr const char* logoButtonMaker = "LogoButtonKorvalden";
    constexpr const char* logoButtonProduct = "LogoButtonKEST";
    constexpr const char* cpuWarnDisplay = "CPUWarnDisplay";
    constexpr const char* cpuOverDisplay = "CPUOverDisplay";
    constexpr const char* randomGroup[] { "RandomGroup", "RandomAmount", "RandomAmountValue", "RandomButton" };

    // Buttons drawn from the alpha mask named after them (name + "_Alpha").
    constexpr const char* reloadButton = "ReloadButton";
    constexpr const char* previousButton = "PreviousButton";
    constexpr const char* nextButton = "NextButton";
    constexpr const char* saveButton = "SaveButton";
    constexpr const char* fillButton = "FillButton";
    constexpr const char* monophonButton = "MonophonButton";
    constexpr const char* tooltipButton = "TooltipButton";
    constexpr const char* valueLabelsButton = "ValueLabelsButton";
    constexpr const char* keyboardButton = "KeyboardButton";
    constexpr const char* settingsButton = "SettingsButton";
    constexpr const char* linkButton = "LinkButton";
    constexpr const char* alphaImageButtons[] { reloadButton, previousButton, nextButton, saveButton,
                                                fillButton, monophonButton, tooltipButton, valueLabelsButton,
                                                keyboardButton, settingsButton, linkButton };

    inline juce::String alphaMask (const juce::String& name)   { return name + "_Alpha"; }

    //==============================================================================
    // Images the program asks for by name (besides the switch masks above and
    // the button masks named after their buttons).
    namespace Images
    {
        constexpr const char* deviceKnobStrips[numDevices] { "KnobORVA", "KnobTESK", "KnobMUNE", "KnobKEST" };
        constexpr const char* macroKnobStrip = "KnobMacro";
        constexpr int knobFrames = 91;
        constexpr const char* deviceLedStrips[numDevices] { "LED_ORVA", "LED_TESK", "LED_MUNE", "LED_KEST" };
        constexpr const char* linkBackground = "BackgroundWithRings";
        constexpr const char* midiOn = "Midi_ON_Alpha";
        constexpr const char* directionDown = "DirectionDown_Alpha";
        constexpr const char* directionUp = "DirectionUp_Alpha";
        constexpr const char* comboBoxArrow = "ComboBoxArrow_Alpha";
        constexpr const char* presetTreeDivider = "PresetTreeDivider";
        constexpr const char* presetBrowserButtons[] { "PresetBrowserButtonOpen", "PresetBrowserButtonOpenHover",
                                                       "PresetBrowserButtonClose", "PresetBrowserButtonCloseHover" };
        constexpr const char* favouriteButtons[] { "FavButtonOn", "FavButtonOnHover", "FavButtonOff", "FavButtonOffHover" };
        constexpr const char* presetFolderOpen = "PresetFolderOpen";
        constexpr const char* presetFolderClosed = "PresetFolderClosed";
        constexpr const char* messageBackground = "MessageBackground";
        constexpr const char* messageButtons[] { "MsgButton", "MsgButtonHover", "MsgButtonPressed" };
        constexpr const char* makerLogoAbout = "LogoKorvaldenAbout";
        constexpr const char* technologyLogoAbout = "LogoTechnologyAbout";
        constexpr const char* cutLinkCursor = "CutLinkCursor";
    }

    // The bundle's typeface and layouts.
    constexpr const char* typefaceResource = "HelveticaNeue";
    constexpr const char* mainLayout = "MainControlPanel";
    constexpr const char* optionsLayout = "OptionsDialog";

    //==============================================================================
    // Options dialog children.
    namespace Options
    {
        constexpr const char* tabs = "OptionTabs";
        constexpr const char* okButton = "OKButton";
        constexpr const char* enableCpuWarning = "EnableCPUWarn";
        constexpr const char* numberOfVoices = "NumberOfVoices";
        constexpr const char* audioGroup = "AudioGroup";
        constexpr const char* sustainPedal = "SustainPedal";

        // Receive slot 0 is the global channel, 1..4 the devices.
        inline juce::String channelCombo (int slot)   { return slot == 0 ? juce::String ("MIDIChannel") : "MIDIChannel" + juce::String (slot); }

        // Combo suffixes of a device's twenty controller rows, in parameter order.
        constexpr const char* deviceControllerRows[parametersPerDevice] {
            "Glide", "Tune", "PulseWidth", "OscMode", "OscModMode", "LFO1_Level", "LFO1_Time",
            "Frequency", "Tracking", "Envelope", "LFO2_Level", "LFO2_Time", "Emphasis", "Accent",
            "Attack", "Decay", "Sustain", "Release", "Drive", "MidiOn",
        };
        // Rows of the parameters 88..92, after the macros.
        constexpr const char* voiceControllerRows[] { "VoicingMode", "VoiceDirection", "VoiceFill", "VoiceMonophon", "MasterVolume" };

        inline juce::String deviceControllerCombo (int device, int offset)
        {
            return "Sec" + juce::String (device) + "_" + deviceControllerRows[juce::jlimit (0, parametersPerDevice - 1, offset)];
        }

        // The combo name of the controller row of a parameter index 0..92; empty outside.
        inline juce::String controllerCombo (int parameterIndex)
        {
            if (parameterIndex < 0 || parameterIndex > 92)
                return {};
            if (parameterIndex < firstMacroParameter)
                return deviceControllerCombo (parameterIndex / parametersPerDevice + 1, parameterIndex % parametersPerDevice);
            if (parameterIndex < firstMacroParameter + numMacros)
                return macroKnob (parameterIndex - firstMacroParameter + 1);
            return voiceControllerRows[parameterIndex - firstMacroParameter - numMacros];
        }
    }
}
