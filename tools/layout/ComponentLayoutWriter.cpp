#include "tools/layout/ComponentLayoutWriter.h"

namespace Korvalden::Tools::Layout
{
namespace
{
// juce::OutputStream writes ints, floats and doubles little-endian.
void writeInt (juce::OutputStream& out, int value) { out.writeInt (value); }
void writeBool (juce::OutputStream& out, bool value) { out.writeByte (value ? 1 : 0); }
void writeFloat (juce::OutputStream& out, float value) { out.writeFloat (value); }
void writeDouble (juce::OutputStream& out, double value) { out.writeDouble (value); }
void writeColour (juce::OutputStream& out, juce::Colour colour) { out.writeInt ((int) colour.getARGB()); }

void writeString (juce::OutputStream& out, const juce::String& text)
{
    // UTF-8 and one terminating zero.
    out.writeString (text);
}

void writeHead (juce::OutputStream& out, RecordType type, const RecordHead& head)
{
    writeRecordHead (out, (int) type, head);
}
} // namespace

void writeRootHeader (juce::OutputStream& out, int width, int height)
{
    writeInt (out, width);
    writeInt (out, height);
}

void writeRecordHead (juce::OutputStream& out, int type, const RecordHead& head)
{
    writeInt (out, type);
    writeInt (out, head.bounds.getX());
    writeInt (out, head.bounds.getY());
    writeInt (out, head.bounds.getWidth());
    writeInt (out, head.bounds.getHeight());
    writeInt (out, head.focusOrder);
    writeString (out, head.name);
}

void writeTextButton (juce::OutputStream& out, const RecordHead& head, const TextButtonBody& body)
{
    writeHead (out, textButtonRecord, head);
    writeInt (out, body.radioGroupId);
    writeInt (out, body.connectedEdges);
    writeColour (out, body.backgroundOnColour);
    writeColour (out, body.backgroundColour);
    writeColour (out, body.textOnColour);
    writeColour (out, body.textOffColour);
    writeString (out, body.tooltip);
    writeString (out, body.text);
}

void writeToggleButton (juce::OutputStream& out, const RecordHead& head, const ToggleButtonBody& body)
{
    writeHead (out, toggleButtonRecord, head);
    writeInt (out, body.radioGroupId);
    writeBool (out, body.toggleState);
    writeColour (out, body.textColour);
    writeString (out, body.tooltip);
    writeString (out, body.buttonText);
}

void writeSlider (juce::OutputStream& out, const RecordHead& head, const SliderBody& body)
{
    writeHead (out, sliderRecord, head);
    writeDouble (out, body.minimum);
    writeDouble (out, body.maximum);
    writeDouble (out, body.interval);
    writeInt (out, body.style);
    writeInt (out, body.textBoxPosition);
    writeBool (out, body.textBoxEditable);
    writeInt (out, body.textBoxWidth);
    writeInt (out, body.textBoxHeight);
    writeDouble (out, body.skewFactor);
    for (auto colour : { body.backgroundColour, body.thumbColour, body.trackColour,
                         body.rotaryFillColour, body.rotaryOutlineColour, body.textBoxTextColour,
                         body.textBoxBackgroundColour, body.textBoxHighlightColour, body.textBoxOutlineColour })
        writeColour (out, colour);
    writeString (out, body.tooltip);
}

void writeLabel (juce::OutputStream& out, const RecordHead& head, const LabelBody& body)
{
    writeHead (out, labelRecord, head);
    writeInt (out, body.justification);
    writeFloat (out, body.fontHeight);
    writeInt (out, body.fontStyle);
    for (auto colour : { body.backgroundColour, body.textColour, body.outlineColour,
                         body.editorTextColour, body.editorBackgroundColour, body.editorHighlightColour })
        writeColour (out, colour);
    writeInt (out, body.editMode);
    writeBool (out, body.focusLossDiscardsChanges);
    writeString (out, body.tooltip);
    writeString (out, body.text);
    writeString (out, body.typefaceName);
}

void writeTextEditor (juce::OutputStream& out, const RecordHead& head, const TextEditorBody& body)
{
    writeHead (out, textEditorRecord, head);
    writeInt (out, body.lineMode);
    writeBool (out, body.editable);
    writeBool (out, body.scrollBarsShown);
    writeBool (out, body.caretVisible);
    writeBool (out, body.popupMenuEnabled);
    for (auto colour : { body.textColour, body.backgroundColour, body.highlightColour,
                         body.outlineColour, body.shadowColour, body.caretColour })
        writeColour (out, colour);
    writeString (out, body.tooltip);
    writeString (out, body.text);
}

void writeComboBox (juce::OutputStream& out, const RecordHead& head, const ComboBoxBody& body)
{
    writeHead (out, comboBoxRecord, head);
    writeBool (out, body.editableText);
    writeInt (out, body.justification);
    writeString (out, body.tooltip);
    writeString (out, body.itemLines);
    writeString (out, body.textWhenNothingSelected);
    writeString (out, body.textWhenNoChoicesAvailable);
}

void writeGroupBox (juce::OutputStream& out, const RecordHead& head, const GroupBoxBody& body)
{
    writeHead (out, groupBoxRecord, head);
    writeInt (out, body.textPosition);
    writeColour (out, body.outlineColour);
    writeColour (out, body.textColour);
    writeString (out, body.text);
}

void writeNestedLayout (juce::OutputStream& out, const RecordHead& head, const NestedLayoutBody& body)
{
    writeHead (out, nestedLayoutRecord, head);
    writeString (out, body.layoutName);
}

void writeHyperlinkButton (juce::OutputStream& out, const RecordHead& head, const HyperlinkButtonBody& body)
{
    writeHead (out, hyperlinkButtonRecord, head);
    writeInt (out, body.radioGroupId);
    writeColour (out, body.textColour);
    writeString (out, body.tooltip);
    writeString (out, body.buttonText);
    writeString (out, body.url);
}

void writeViewport (juce::OutputStream& out, const RecordHead& head, const ViewportBody& body)
{
    writeHead (out, viewportRecord, head);
    writeBool (out, body.verticalScrollBarShown);
    writeBool (out, body.horizontalScrollBarShown);
    writeInt (out, body.scrollBarThickness);
    writeString (out, body.contentLayoutName);
}

void writeTabbedComponent (juce::OutputStream& out, const RecordHead& head, const TabbedComponentBody& body)
{
    writeHead (out, tabbedComponentRecord, head);
    writeInt (out, body.orientation);
    writeInt (out, body.tabBarDepth);
    writeInt (out, (int) body.tabs.size());
    writeInt (out, body.currentTabIndex);
    for (const auto& tab : body.tabs)
    {
        writeColour (out, tab.backgroundColour);
        writeString (out, tab.name);
        writeString (out, tab.pageLayoutName);
    }
}

void writeTreeView (juce::OutputStream& out, const RecordHead& head, const TreeViewBody& body)
{
    writeHead (out, treeViewRecord, head);
    writeBool (out, body.rootItemVisible);
    writeBool (out, body.itemsOpenByDefault);
    writeColour (out, body.backgroundColour);
    writeColour (out, body.linesColour);
    writeString (out, body.tooltip);
}

void writePlainComponent (juce::OutputStream& out, const RecordHead& head)
{
    writeHead (out, plainComponentRecord, head);
}

void writeImageButton (juce::OutputStream& out, const RecordHead& head, const ImageButtonBody& body)
{
    writeHead (out, imageButtonRecord, head);
    writeInt (out, body.radioGroupId);
    writeBool (out, body.preserveProportions);
    writeFloat (out, body.opacityNormal);
    writeFloat (out, body.opacityOver);
    writeFloat (out, body.opacityDown);
    writeColour (out, body.overlayNormalColour);
    writeColour (out, body.overlayOverColour);
    writeColour (out, body.overlayDownColour);
    writeString (out, body.tooltip);
    writeString (out, body.normalImage);
    writeString (out, body.overImage);
    writeString (out, body.downImage);
}

void writeUndefined (juce::OutputStream& out, const RecordHead& head)
{
    writeHead (out, undefinedRecord, head);
}

void writeKeyboard (juce::OutputStream& out, const RecordHead& head, const KeyboardBody& body)
{
    writeHead (out, keyboardRecord, head);
    writeInt (out, body.unused);
    writeFloat (out, body.keyWidth);
    writeInt (out, body.lowestNote);
    writeInt (out, body.highestNote);
    writeBool (out, body.scrollButtonsVisible);
    writeInt (out, body.octaveForMiddleC);
    for (auto colour : { body.whiteKeysColour, body.blackKeysColour, body.keySeparatorsColour,
                         body.mouseOverOverlayColour, body.keyDownOverlayColour, body.textLabelsColour,
                         body.scrollButtonBackgroundColour, body.scrollButtonArrowsColour })
        writeColour (out, colour);
}

void writeImage (juce::OutputStream& out, const RecordHead& head, const ImageBody& body)
{
    writeHead (out, imageRecord, head);
    writeString (out, body.imageName);
}
} // namespace Korvalden::Tools::Layout
