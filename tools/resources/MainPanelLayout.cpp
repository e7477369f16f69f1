#include "ResourceLayouts.h"

#include "PanelGeometry.h"
#include "ResourceStyle.h"
#include "editor/EditorComponentNames.h"
#include "tools/layout/ComponentLayoutWriter.h"

namespace
{
    namespace L = Korvalden::Tools::Layout;
    namespace N = EditorNames;
    using G = PanelGeometry;

    const juce::Colour transparent { 0x00000000 };

    L::SliderBody slider (double minimum, double maximum, double interval, int style)
    {
        L::SliderBody body;
        body.minimum = minimum;
        body.maximum = maximum;
        body.interval = interval;
        body.style = style;
        body.textBoxPosition = LayoutNumbers::noTextBox;
        body.backgroundColour = transparent;
        body.thumbColour = juce::Colours::white;
        body.trackColour = ResourceStyle::wellFill;
        body.rotaryFillColour = ResourceStyle::accent;
        body.rotaryOutlineColour = ResourceStyle::wellFill;
        body.textBoxTextColour = juce::Colours::black;
        body.textBoxBackgroundColour = juce::Colours::white;
        body.textBoxHighlightColour = ResourceStyle::accent;
        body.textBoxOutlineColour = ResourceStyle::plateEdge;
        return body;
    }

    void writeLogoButton (juce::OutputStream& out, const L::RecordHead& head, const juce::String& image, const juce::String& tooltip)
    {
        L::ImageButtonBody body;
        body.overlayNormalColour = transparent;
        body.overlayOverColour = juce::Colours::white.withAlpha ((juce::uint8) 0x30);
        body.overlayDownColour = juce::Colours::black.withAlpha ((juce::uint8) 0x20);
        body.tooltip = tooltip;
        body.normalImage = body.overImage = body.downImage = image;
        L::writeImageButton (out, head, body);
    }

    void writeKeyboard (juce::OutputStream& out, const L::RecordHead& head)
    {
        L::KeyboardBody body;
        body.keyWidth = 16.0f;
        body.lowestNote = 0;
        body.highestNote = 127;
        body.scrollButtonsVisible = true;
        // Middle C is C4, the naming most keyboards print: the key under
        // the computer key "a" (48) reads C3.
        body.octaveForMiddleC = 4;
        body.whiteKeysColour = juce::Colour (0xFFF8F7F4);
        body.blackKeysColour = juce::Colour (0xFF292826);
        body.keySeparatorsColour = juce::Colour (0x59000000);
        body.mouseOverOverlayColour = juce::Colour (0x2600AFDB);
        body.keyDownOverlayColour = ResourceStyle::accent;
        body.textLabelsColour = juce::Colour (0xFF77736D);
        // The scroll buttons read as part of the dark end cheeks beside them.
        body.scrollButtonBackgroundColour = ResourceStyle::wellFill;
        body.scrollButtonArrowsColour = juce::Colour (0xFFF8F7F4);  // drawn at 40 % until pointed at
        L::writeKeyboard (out, head, body);
    }

    void writeControl (juce::OutputStream& out, const G::Control& control)
    {
        const L::RecordHead head { control.name, control.bounds, 0 };

        switch (control.record)
        {
            case G::Record::placed:
            case G::Record::placeholder:
                L::writePlainComponent (out, head);
                break;

            case G::Record::backgroundImage:
            case G::Record::keyboardOverlay:
            case G::Record::cpuDisplay:
                L::writeImage (out, head, { control.image });
                break;

            case G::Record::keyboard:
                writeKeyboard (out, head);
                break;

            case G::Record::masterVolume:
                L::writeSlider (out, head, slider (0.0, 1.0, 0.0, LayoutNumbers::linearHorizontal));
                break;

            case G::Record::masterValueLabel:
                L::writeLabel (out, head, plainLabel (10.0f, juce::Colours::black, juce::Justification::centred));
                break;

            case G::Record::splitPointSlider:
            {
                auto body = slider (0.0, 127.0, 1.0, LayoutNumbers::threeValueHorizontal);
                body.tooltip = "sets the three split points between the devices";
                L::writeSlider (out, head, body);
                break;
            }

            case G::Record::voiceMode:
            {
                L::ComboBoxBody body;
                body.justification = juce::Justification::centred;
                body.tooltip = "chooses how notes are spread over the four devices";
                L::writeComboBox (out, head, body);
                break;
            }

            case G::Record::presetNameLabel:
            {
                auto body = plainLabel (14.0f, juce::Colour (0xFFEDEBE7), juce::Justification::centred);
                body.editorTextColour = juce::Colours::white;
                body.editorBackgroundColour = juce::Colour (0xFF383838);
                L::writeLabel (out, head, body);
                break;
            }

            case G::Record::logoButton:
                // The maker's logo opens the about box, the product's the options.
                writeLogoButton (out, head, control.image,
                                 head.name == N::logoButtonMaker ? "about this instrument" : "opens the options");
                break;

            case G::Record::hiddenGroup:
            {
                L::GroupBoxBody body;
                body.outlineColour = ResourceStyle::plateEdge;
                body.textColour = ResourceStyle::headerText;
                L::writeGroupBox (out, head, body);
                break;
            }

            case G::Record::hiddenSlider:
                L::writeSlider (out, head, slider (0.0, 1.0, 0.0, LayoutNumbers::linearHorizontal));
                break;

            case G::Record::hiddenLabel:
                L::writeLabel (out, head, plainLabel (10.0f, juce::Colours::black, juce::Justification::centred));
                break;

            case G::Record::hiddenButton:
            {
                L::TextButtonBody body;
                body.backgroundColour = body.backgroundOnColour = ResourceStyle::accent;
                body.textOffColour = body.textOnColour = juce::Colours::white;
                L::writeTextButton (out, head, body);
                break;
            }
        }
    }
}

Korvalden::Tools::Layout::LabelBody plainLabel (float fontHeight, juce::Colour text, int justification)
{
    L::LabelBody body;
    body.justification = justification;
    body.fontHeight = fontHeight;
    body.textColour = text;
    body.backgroundColour = transparent;
    body.outlineColour = transparent;
    body.editorTextColour = juce::Colours::black;
    body.editorBackgroundColour = juce::Colours::white;
    body.editorHighlightColour = ResourceStyle::accent;
    return body;
}

LayoutResource mainPanelLayout()
{
    juce::MemoryOutputStream out;
    L::writeRootHeader (out, G::width, G::height);
    for (auto& control : mainPanelGeometry().controls)
        writeControl (out, control);
    return { N::mainLayout, out.getMemoryBlock() };
}
