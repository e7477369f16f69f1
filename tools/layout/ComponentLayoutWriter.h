#pragma once

#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>

#include <vector>

/** Writes window layouts (".COMPONENT" resources) for the plug-in bundle.

    A layout is a root header followed by records, back to back, until the
    end of the stream.  Everything is little-endian without padding:

        int     4 bytes, signed
        bool    1 byte, zero is false
        float   4 bytes, IEEE-754 single
        double  8 bytes, IEEE-754 double
        string  UTF-8 text and one zero byte
        colour  an int holding 0xAARRGGBB

    Root header: int width, int height.
    Record head (every type): int type, int x, int y, int width, int height,
    int focusOrder (0 = none), string name (the component's name, by which
    the reader finds or creates the root's child).

    Each write function below writes one complete record, head and body, in
    the order the reader expects; the body structs list their fields in stream
    order.  Colour ids in the comments are the framework colour ids the reader
    sets the colour under.  Every colour is written and set, so a colour left
    default-constructed (transparent black) makes that part invisible.

    The writer needs only juce_core and juce_graphics and runs at build time.
*/
namespace Korvalden::Tools::Layout
{
/** Record types, the first int of every record. */
enum RecordType
{
    textButtonRecord = 0,
    toggleButtonRecord = 1,
    sliderRecord = 2,
    labelRecord = 3,
    textEditorRecord = 4,
    comboBoxRecord = 5,
    groupBoxRecord = 6,
    nestedLayoutRecord = 7,
    hyperlinkButtonRecord = 8,
    viewportRecord = 9,
    tabbedComponentRecord = 10,
    treeViewRecord = 11,
    plainComponentRecord = 12,
    imageButtonRecord = 13,
    undefinedRecord = 14,
    keyboardRecord = 15,
    imageRecord = 16
};

/** Fields every record starts with, after its type. */
struct RecordHead
{
    juce::String name;
    juce::Rectangle<int> bounds;             // in the root's coordinates
    int focusOrder = 0;           // explicit keyboard-focus order, 0 = none
};

/** Type 0, juce::TextButton. */
struct TextButtonBody
{
    int radioGroupId = 0;
    int connectedEdges = 0;                  // juce::Button::ConnectedEdgeFlags
    juce::Colour backgroundOnColour;         // 0x1000101
    juce::Colour backgroundColour;           // 0x1000100
    juce::Colour textOnColour;               // 0x1000103
    juce::Colour textOffColour;              // 0x1000102
    juce::String tooltip;
    juce::String text;
};

/** Type 1, juce::ToggleButton. */
struct ToggleButtonBody
{
    int radioGroupId = 0;
    bool toggleState = false;
    juce::Colour textColour;                 // 0x1006501
    juce::String tooltip;
    juce::String buttonText;
};

/** Type 2, juce::Slider. */
struct SliderBody
{
    double minimum = 0.0;
    double maximum = 1.0;
    double interval = 0.0;
    int style = 0;                           // juce::Slider::SliderStyle number
    int textBoxPosition = 0;                 // juce::Slider::TextEntryBoxPosition number
    bool textBoxEditable = false;
    int textBoxWidth = 0;
    int textBoxHeight = 0;
    double skewFactor = 1.0;
    juce::Colour backgroundColour;           // 0x1001200
    juce::Colour thumbColour;                // 0x1001300
    juce::Colour trackColour;                // 0x1001310
    juce::Colour rotaryFillColour;           // 0x1001311
    juce::Colour rotaryOutlineColour;        // 0x1001312
    juce::Colour textBoxTextColour;          // 0x1001400
    juce::Colour textBoxBackgroundColour;    // 0x1001500
    juce::Colour textBoxHighlightColour;     // 0x1001600
    juce::Colour textBoxOutlineColour;       // 0x1001700
    juce::String tooltip;
};

/** Type 3, juce::Label. */
struct LabelBody
{
    int justification = juce::Justification::centredLeft;
    float fontHeight = 15.0f;
    int fontStyle = 0;             // plain 0, bold 1, italic 2, underlined 4
    juce::Colour backgroundColour;           // 0x1000280
    juce::Colour textColour;                 // 0x1000281
    juce::Colour outlineColour;              // 0x1000282
    juce::Colour editorTextColour;           // 0x1000201
    juce::Colour editorBackgroundColour;     // 0x1000200
    juce::Colour editorHighlightColour;      // 0x1000202
    int editMode = 0;              // 1 single click, 2 double click, else not editable
    bool focusLossDiscardsChanges = false;
    juce::String tooltip;
    juce::String text;
    juce::String typefaceName;
};

/** Type 4, juce::TextEditor. */
struct TextEditorBody
{
    int lineMode = 0;              // 0 single line, 1 multi-line without Return, 2 multi-line with Return
    bool editable = true;
    bool scrollBarsShown = true;
    bool caretVisible = true;
    bool popupMenuEnabled = true;
    juce::Colour textColour;                 // 0x1000201
    juce::Colour backgroundColour;           // 0x1000200
    juce::Colour highlightColour;            // 0x1000202
    juce::Colour outlineColour;              // 0x1000205
    juce::Colour shadowColour;               // 0x1000207
    juce::Colour caretColour;                // 0x1000204
    juce::String tooltip;
    juce::String text;
};

/** Type 5, juce::ComboBox.  The item lines are split at LF, CR or CR LF; an
    empty line is a separator, every other line an item with ids 1, 2, ... */
struct ComboBoxBody
{
    bool editableText = false;
    int justification = juce::Justification::centredLeft;
    juce::String tooltip;
    juce::String itemLines;
    juce::String textWhenNothingSelected;
    juce::String textWhenNoChoicesAvailable;
};

/** Type 6, juce::GroupComponent. */
struct GroupBoxBody
{
    int textPosition = 1;          // 0 centred, 1 left, 2 right
    juce::Colour outlineColour;              // 0x1005400
    juce::Colour textColour;                 // 0x1005410
    juce::String text;
};

/** Type 7: the child (a plain component unless the owner made one) is laid
    out by another layout, then placed at the record's bounds. */
struct NestedLayoutBody
{
    juce::String layoutName;
};

/** Type 8, juce::HyperlinkButton. */
struct HyperlinkButtonBody
{
    int radioGroupId = 0;
    juce::Colour textColour;                 // 0x1001f00
    juce::String tooltip;
    juce::String buttonText;
    juce::String url;
};

/** Type 9, juce::Viewport.  A content layout name makes a new content
    component ("ViewportContent") laid out by that layout; empty keeps the
    viewport's content. */
struct ViewportBody
{
    bool verticalScrollBarShown = true;
    bool horizontalScrollBarShown = true;
    int scrollBarThickness = 8;
    juce::String contentLayoutName;
};

/** One tab of a type-10 record.  A page layout name makes a page component
    ("Tab<i>Content") laid out by that layout; empty gives an empty page. */
struct TabEntry
{
    juce::Colour backgroundColour;
    juce::String name;
    juce::String pageLayoutName;
};

/** Type 10, juce::TabbedComponent.  The tab count is written from tabs. */
struct TabbedComponentBody
{
    int orientation = 0;           // 0 top, 1 bottom, 2 left, 3 right
    int tabBarDepth = 30;
    int currentTabIndex = 0;
    std::vector<TabEntry> tabs;
};

/** Type 11, juce::TreeView. */
struct TreeViewBody
{
    bool rootItemVisible = true;
    bool itemsOpenByDefault = false;
    juce::Colour backgroundColour;           // 0x1000500
    juce::Colour linesColour;                // 0x1000501
    juce::String tooltip;
};

/** Type 13, juce::ImageButton.  Image names are bundle images (".IMAGE");
    the images scale with the button. */
struct ImageButtonBody
{
    int radioGroupId = 0;
    bool preserveProportions = true;
    float opacityNormal = 1.0f;
    float opacityOver = 1.0f;
    float opacityDown = 1.0f;
    juce::Colour overlayNormalColour;
    juce::Colour overlayOverColour;
    juce::Colour overlayDownColour;
    juce::String tooltip;
    juce::String normalImage;
    juce::String overImage;
    juce::String downImage;
};

/** Type 15, juce::MidiKeyboardComponent.  The reader never creates a
    keyboard: the owner must have made the named child. */
struct KeyboardBody
{
    int unused = 0;                // read and ignored
    float keyWidth = 16.0f;
    int lowestNote = 0;
    int highestNote = 127;
    bool scrollButtonsVisible = true;
    int octaveForMiddleC = 3;
    juce::Colour whiteKeysColour;            // 0x1005000
    juce::Colour blackKeysColour;            // 0x1005001
    juce::Colour keySeparatorsColour;        // 0x1005002
    juce::Colour mouseOverOverlayColour;     // 0x1005003
    juce::Colour keyDownOverlayColour;       // 0x1005004
    juce::Colour textLabelsColour;           // 0x1005005
    juce::Colour scrollButtonBackgroundColour; // 0x1004000 (upDownButtonBackgroundColourId)
    juce::Colour scrollButtonArrowsColour;   // 0x1004001 (upDownButtonArrowColourId)
};

/** Type 16, juce::ImageComponent showing a bundle image, centred. */
struct ImageBody
{
    juce::String imageName;
};

/** The root header: the size the root is given.  Write it first, once. */
void writeRootHeader (juce::OutputStream& out, int width, int height);

/** A record head with any type number, for the records without a body:
    types 12 and 14 and every number outside 0..16 (read as type 12). */
void writeRecordHead (juce::OutputStream& out, int type, const RecordHead& head);

void writeTextButton (juce::OutputStream& out, const RecordHead& head, const TextButtonBody& body);
void writeToggleButton (juce::OutputStream& out, const RecordHead& head, const ToggleButtonBody& body);
void writeSlider (juce::OutputStream& out, const RecordHead& head, const SliderBody& body);
void writeLabel (juce::OutputStream& out, const RecordHead& head, const LabelBody& body);
void writeTextEditor (juce::OutputStream& out, const RecordHead& head, const TextEditorBody& body);
void writeComboBox (juce::OutputStream& out, const RecordHead& head, const ComboBoxBody& body);
void writeGroupBox (juce::OutputStream& out, const RecordHead& head, const GroupBoxBody& body);
void writeNestedLayout (juce::OutputStream& out, const RecordHead& head, const NestedLayoutBody& body);
void writeHyperlinkButton (juce::OutputStream& out, const RecordHead& head, const HyperlinkButtonBody& body);
void writeViewport (juce::OutputStream& out, const RecordHead& head, const ViewportBody& body);
void writeTabbedComponent (juce::OutputStream& out, const RecordHead& head, const TabbedComponentBody& body);
void writeTreeView (juce::OutputStream& out, const RecordHead& head, const TreeViewBody& body);
void writePlainComponent (juce::OutputStream& out, const RecordHead& head);
void writeImageButton (juce::OutputStream& out, const RecordHead& head, const ImageButtonBody& body);
/** Type 14 has no widget; the reader skips it. */
void writeUndefined (juce::OutputStream& out, const RecordHead& head);
void writeKeyboard (juce::OutputStream& out, const RecordHead& head, const KeyboardBody& body);
void writeImage (juce::OutputStream& out, const RecordHead& head, const ImageBody& body);
} // namespace Korvalden::Tools::Layout
