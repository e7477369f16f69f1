#include "gui/ResourceManager.h"

#include "gui/CreatedChildOwnership.h"

#include <juce_audio_utils/juce_audio_utils.h>

#include <cmath>

/*  Reads a ".COMPONENT" layout onto a root component.

    The stream is a root header (int width, int height) and then records back
    to back until its end.  Each record is a head (int type, int x, int y,
    int width, int height, int focusOrder, string name) and a body whose
    fields depend on the type (tools/layout/ComponentLayoutWriter.h lists them
    in stream order).  All numbers are little-endian; strings are UTF-8 ending
    in a zero byte.

    For each record the reader reads the body's fields, finds the root's child
    of that name (or creates one), checks that it is of the record's class,
    configures it and places it.  Records without a component to configure
    (type 14, a keyboard the owner did not make) are read all the same, so the
    next record starts in the right place.  A child of the wrong class
    ends the layout with false, keeping what came before.  A stream cut short
    reads zeros and empty strings, so the last record is applied with those
    and the reading stops.  Types 7, 9 and 10 apply further layouts to new or
    existing components; that nesting stops at maximumNestingDepth.

    Sizes and positions are brought within what a window can be before they
    are used (see clampedBounds), so a damaged number gives an odd layout,
    never a component of millions of pixels for a painter or a host to
    allocate.
*/
namespace Korvalden::Resources
{
namespace
{
// Nested layouts (types 7, 9, 10) may name their own layout; nesting stops at
// this depth, and one call applies at most maximumNestedLayouts of them, so a
// layout that nests itself several times over cannot grow without end.
constexpr int maximumNestingDepth = 16;
constexpr int maximumNestedLayouts = 256;

// No window is larger than this, nor lies further out.
constexpr int maximumWindowExtent = 16384;

int clampedSize (int size)
{
    return juce::jlimit (0, maximumWindowExtent, size);
}

/** The rectangle moved and cut to lie within -maximumWindowExtent ..
    maximumWindowExtent on both axes, no side longer than maximumWindowExtent. */
juce::Rectangle<int> clampedBounds (int x, int y, int width, int height)
{
    const int left = juce::jlimit (-maximumWindowExtent, maximumWindowExtent, x);
    const int top = juce::jlimit (-maximumWindowExtent, maximumWindowExtent, y);
    return { left, top, juce::jlimit (0, juce::jmin (maximumWindowExtent, maximumWindowExtent - left), width),
             juce::jlimit (0, juce::jmin (maximumWindowExtent, maximumWindowExtent - top), height) };
}

// Smallest tab entry in the stream: a colour and two empty strings.
constexpr juce::int64 smallestTabEntryBytes = 4 + 1 + 1;

enum RecordType
{
    textButtonRecord = 0,
    toggleButtonRecord,
    sliderRecord,
    labelRecord,
    textEditorRecord,
    comboBoxRecord,
    groupBoxRecord,
    nestedLayoutRecord,
    hyperlinkButtonRecord,
    viewportRecord,
    tabbedComponentRecord,
    treeViewRecord,
    plainComponentRecord,
    imageButtonRecord,
    undefinedRecord,
    keyboardRecord,
    imageRecord
};

float sanitisedOpacity (float opacity)
{
    return std::isfinite (opacity) ? juce::jlimit (0.0f, 1.0f, opacity) : 1.0f;
}

/** Splits at LF, CR or CR LF. */
juce::StringArray splitLines (const juce::String& text)
{
    juce::StringArray lines;
    auto p = text.getCharPointer();
    juce::String current;
    while (! p.isEmpty())
    {
        auto c = p.getAndAdvance();
        if (c == '\r' || c == '\n')
        {
            lines.add (current);
            current.clear();
            if (c == '\r' && *p == '\n')
                ++p;
        }
        else
        {
            current += juce::String::charToString (c);
        }
    }
    lines.add (current);
    return lines;
}

/** Items get ids 1, 2, ... in order; an empty line puts a separator between
    the items around it, never before the first or after the last. */
void fillComboBox (juce::ComboBox& combo, const juce::String& itemLines)
{
    combo.clear (juce::dontSendNotification);
    int nextId = 1;
    bool separatorPending = false;
    for (const auto& line : splitLines (itemLines))
    {
        if (line.trim().isEmpty())
        {
            separatorPending = nextId > 1;
            continue;
        }
        if (separatorPending)
            combo.addSeparator();
        separatorPending = false;
        combo.addItem (line, nextId++);
    }
}

juce::Justification groupTextPosition (int position)
{
    switch (position)
    {
        case 0: return juce::Justification::horizontallyCentred;
        case 2: return juce::Justification::right;
        default: return juce::Justification::left;
    }
}

juce::TabbedButtonBar::Orientation tabOrientation (int orientation)
{
    switch (orientation)
    {
        case 1: return juce::TabbedButtonBar::TabsAtBottom;
        case 2: return juce::TabbedButtonBar::TabsAtLeft;
        case 3: return juce::TabbedButtonBar::TabsAtRight;
        default: return juce::TabbedButtonBar::TabsAtTop;
    }
}
} // namespace

class ComponentLayoutReader
{
public:
    ComponentLayoutReader (juce::InputStream& streamToRead, int nestingDepth, int& nestedLayoutsLeftInCall)
        : in (streamToRead), depth (nestingDepth), nestedLayoutsLeft (nestedLayoutsLeftInCall)
    {
    }

    /** Throws ResourceManager::ResourceDataException on a child of the wrong class. */
    void apply (juce::Component& root)
    {
        const int width = readInt();
        const int height = readInt();
        root.setBounds (0, 0, clampedSize (width), clampedSize (height));

        while (! in.isExhausted())
            readRecord (root);
    }

private:
    struct Head
    {
        int type, x, y, width, height, focusOrder;
        juce::String name;
    };

    // A read past the end gives zero or an empty string.
    int readInt() { return in.readInt(); }
    bool readBool() { return in.readByte() != 0; }
    float readFloat() { return in.readFloat(); }
    double readDouble() { return in.readDouble(); }
    juce::Colour readColour() { return juce::Colour ((juce::uint32) in.readInt()); }
    juce::String readString() { return in.readString(); }

    void readColours (juce::Component& component, std::initializer_list<int> colourIds)
    {
        for (auto id : colourIds)
            component.setColour (id, readColour());
    }

    template <typename Widget, typename Create>
    Widget& getWidget (juce::Component& root, const juce::String& name, Create create)
    {
        if (auto* existing = findChildComponentByName (&root, name))
        {
            auto* widget = dynamic_cast<Widget*> (existing);
            if (widget == nullptr)
                throw ResourceManager::ResourceDataException();
            existing->toFront (false);
            return *widget;
        }

        auto* created = create();
        created->setName (name);
        root.addAndMakeVisible (created, -1);
        deleteChildWithParent (root, *created);
        return *created;
    }

    template <typename Widget>
    Widget& getWidget (juce::Component& root, const juce::String& name)
    {
        return getWidget<Widget> (root, name, [] { return new Widget(); });
    }

    bool applyNested (juce::Component& target, const juce::String& layoutName)
    {
        return ResourceManager::applyComponentLayout (&target, layoutName, depth + 1, nestedLayoutsLeft);
    }

    void readRecord (juce::Component& root)
    {
        Head head;
        head.type = readInt();
        head.x = readInt();
        head.y = readInt();
        head.width = readInt();
        head.height = readInt();
        head.focusOrder = readInt();
        head.name = readString();

        if (auto* component = readBodyAndConfigure (root, head))
        {
            component->setBounds (clampedBounds (head.x, head.y, head.width, head.height));
            component->setExplicitFocusOrder (head.focusOrder);
        }
    }

    /** Reads the record's body and configures its component; null for the
        records that have no component (type 14, a missing keyboard), whose
        bodies are read all the same. */
    juce::Component* readBodyAndConfigure (juce::Component& root, const Head& head)
    {
        switch (head.type)
        {
            case textButtonRecord: return readTextButton (root, head);
            case toggleButtonRecord: return readToggleButton (root, head);
            case sliderRecord: return readSlider (root, head);
            case labelRecord: return readLabel (root, head);
            case textEditorRecord: return readTextEditor (root, head);
            case comboBoxRecord: return readComboBox (root, head);
            case groupBoxRecord: return readGroupBox (root, head);
            case nestedLayoutRecord: return readNestedLayout (root, head);
            case hyperlinkButtonRecord: return readHyperlinkButton (root, head);
            case viewportRecord: return readViewport (root, head);
            case tabbedComponentRecord: return readTabbedComponent (root, head);
            case treeViewRecord: return readTreeView (root, head);
            case imageButtonRecord: return readImageButton (root, head);
            case undefinedRecord: return nullptr;
            case keyboardRecord: return readKeyboard (root, head);
            case imageRecord: return readImage (root, head);
            case plainComponentRecord:
            default: return getOrCreateChildComponent (&root, head.name);
        }
    }

    juce::Component* readTextButton (juce::Component& root, const Head& head)
    {
        const int radioGroup = readInt();
        const int connectedEdges = readInt();
        const auto onColour = readColour(), colour = readColour();
        const auto textOn = readColour(), textOff = readColour();
        const auto tooltip = readString();
        const auto text = readString();

        auto& button = getWidget<juce::TextButton> (root, head.name);
        button.setRadioGroupId (radioGroup);
        button.setConnectedEdges (connectedEdges);
        button.setColour (juce::TextButton::buttonOnColourId, onColour);
        button.setColour (juce::TextButton::buttonColourId, colour);
        button.setColour (juce::TextButton::textColourOnId, textOn);
        button.setColour (juce::TextButton::textColourOffId, textOff);
        button.setTooltip (tooltip);
        button.setButtonText (text);
        return &button;
    }

    juce::Component* readToggleButton (juce::Component& root, const Head& head)
    {
        const int radioGroup = readInt();
        const bool state = readBool();
        const auto textColour = readColour();
        const auto tooltip = readString();
        const auto text = readString();

        auto& button = getWidget<juce::ToggleButton> (root, head.name);
        button.setRadioGroupId (radioGroup);
        button.setToggleState (state, juce::dontSendNotification);
        button.setColour (juce::ToggleButton::textColourId, textColour);
        button.setTooltip (tooltip);
        button.setButtonText (text);
        return &button;
    }

    juce::Component* readSlider (juce::Component& root, const Head& head)
    {
        const double minimum = readDouble(), maximum = readDouble(), interval = readDouble();
        const int style = readInt();
        const int textBoxPosition = readInt();
        const bool textBoxEditable = readBool();
        const int textBoxWidth = readInt(), textBoxHeight = readInt();
        const double skew = readDouble();

        auto& slider = getWidget<juce::Slider> (root, head.name);
        readColours (slider, { juce::Slider::backgroundColourId, juce::Slider::thumbColourId,
                               juce::Slider::trackColourId, juce::Slider::rotarySliderFillColourId,
                               juce::Slider::rotarySliderOutlineColourId, juce::Slider::textBoxTextColourId,
                               juce::Slider::textBoxBackgroundColourId, juce::Slider::textBoxHighlightColourId,
                               juce::Slider::textBoxOutlineColourId });
        const auto tooltip = readString();

        // A range the slider cannot hold keeps the slider's own.
        if (std::isfinite (minimum) && std::isfinite (maximum) && maximum > minimum
            && std::isfinite (interval) && interval >= 0.0)
            slider.setRange (minimum, maximum, interval);
        if (style >= juce::Slider::LinearHorizontal && style <= juce::Slider::ThreeValueVertical)
            slider.setSliderStyle ((juce::Slider::SliderStyle) style);
        if (textBoxPosition >= juce::Slider::NoTextBox && textBoxPosition <= juce::Slider::TextBoxBelow)
            slider.setTextBoxStyle ((juce::Slider::TextEntryBoxPosition) textBoxPosition, ! textBoxEditable,
                                    clampedSize (textBoxWidth), clampedSize (textBoxHeight));
        if (std::isfinite (skew) && skew > 0.0)
            slider.setSkewFactor (skew);
        slider.setTooltip (tooltip);
        return &slider;
    }

    juce::Component* readLabel (juce::Component& root, const Head& head)
    {
        const int justification = readInt();
        const float fontHeight = readFloat();
        const int fontStyle = readInt();

        auto& label = getWidget<juce::Label> (root, head.name);
        readColours (label, { juce::Label::backgroundColourId, juce::Label::textColourId,
                              juce::Label::outlineColourId, juce::TextEditor::textColourId,
                              juce::TextEditor::backgroundColourId, juce::TextEditor::highlightColourId });
        // The label hands its own colours to its editor, but its "when editing"
        // colours win over them: they get the editor colours too.
        label.setColour (juce::Label::textWhenEditingColourId, label.findColour (juce::TextEditor::textColourId));
        label.setColour (juce::Label::backgroundWhenEditingColourId,
                         label.findColour (juce::TextEditor::backgroundColourId));
        const int editMode = readInt();
        const bool focusLossDiscards = readBool();
        const auto tooltip = readString();
        const auto text = readString();
        const auto typefaceName = readString();

        label.setJustificationType (juce::Justification (justification));
        const float height = std::isfinite (fontHeight) && fontHeight > 0.0f ? juce::jmin (fontHeight, 1000.0f) : 15.0f;
        const int style = fontStyle & (juce::Font::bold | juce::Font::italic | juce::Font::underlined);
        label.setFont (typefaceName.isEmpty() ? juce::Font (height, style) : juce::Font (typefaceName, height, style));
        label.setEditable (editMode == 1, editMode == 2, (editMode == 1 || editMode == 2) && focusLossDiscards);
        label.setTooltip (tooltip);
        label.setText (text, juce::dontSendNotification);
        return &label;
    }

    juce::Component* readTextEditor (juce::Component& root, const Head& head)
    {
        const int lineMode = readInt();
        const bool editable = readBool(), scrollBars = readBool(), caret = readBool(), popupMenu = readBool();

        auto& editor = getWidget<juce::TextEditor> (root, head.name);
        readColours (editor, { juce::TextEditor::textColourId, juce::TextEditor::backgroundColourId,
                               juce::TextEditor::highlightColourId, juce::TextEditor::outlineColourId,
                               juce::TextEditor::shadowColourId, juce::CaretComponent::caretColourId });
        const auto tooltip = readString();
        const auto text = readString();

        editor.setMultiLine (lineMode == 1 || lineMode == 2, true);
        editor.setReturnKeyStartsNewLine (lineMode == 2);
        editor.setReadOnly (! editable);
        editor.setScrollbarsShown (scrollBars);
        editor.setCaretVisible (caret);
        editor.setPopupMenuEnabled (popupMenu);
        editor.setTooltip (tooltip);
        editor.setText (text, true);
        return &editor;
    }

    juce::Component* readComboBox (juce::Component& root, const Head& head)
    {
        const bool editableText = readBool();
        const int justification = readInt();
        const auto tooltip = readString();
        const auto items = readString();
        const auto nothingSelected = readString();
        const auto noChoices = readString();

        auto& combo = getWidget<juce::ComboBox> (root, head.name);
        combo.setEditableText (editableText);
        combo.setJustificationType (juce::Justification (justification));
        combo.setTooltip (tooltip);
        fillComboBox (combo, items);
        combo.setTextWhenNothingSelected (nothingSelected);
        combo.setTextWhenNoChoicesAvailable (noChoices);
        return &combo;
    }

    juce::Component* readGroupBox (juce::Component& root, const Head& head)
    {
        const int textPosition = readInt();
        const auto outline = readColour(), textColour = readColour();
        const auto text = readString();

        auto& group = getWidget<juce::GroupComponent> (root, head.name);
        group.setTextLabelPosition (groupTextPosition (textPosition));
        group.setColour (juce::GroupComponent::outlineColourId, outline);
        group.setColour (juce::GroupComponent::textColourId, textColour);
        group.setText (text);
        return &group;
    }

    juce::Component* readNestedLayout (juce::Component& root, const Head& head)
    {
        const auto layoutName = readString();
        auto* child = getOrCreateChildComponent (&root, head.name);
        applyNested (*child, layoutName); // a failing nested layout does not fail this one
        return child;
    }

    juce::Component* readHyperlinkButton (juce::Component& root, const Head& head)
    {
        const int radioGroup = readInt();
        const auto textColour = readColour();
        const auto tooltip = readString();
        const auto text = readString();
        const auto url = readString();

        auto& button = getWidget<juce::HyperlinkButton> (root, head.name);
        button.setRadioGroupId (radioGroup);
        button.setColour (juce::HyperlinkButton::textColourId, textColour);
        button.setTooltip (tooltip);
        button.setButtonText (text);
        button.setURL (juce::URL (url));
        return &button;
    }

    juce::Component* readViewport (juce::Component& root, const Head& head)
    {
        const bool vertical = readBool(), horizontal = readBool();
        const int thickness = readInt();
        const auto contentLayout = readString();

        auto& viewport = getWidget<juce::Viewport> (root, head.name);
        viewport.setScrollBarsShown (vertical, horizontal);
        if (thickness > 0)
            viewport.setScrollBarThickness (juce::jmin (thickness, 256));
        if (contentLayout.isNotEmpty())
        {
            auto content = std::make_unique<juce::Component> ("ViewportContent");
            applyNested (*content, contentLayout);
            viewport.setViewedComponent (content.release(), true);
        }
        return &viewport;
    }

    juce::Component* readTabbedComponent (juce::Component& root, const Head& head)
    {
        const int orientation = readInt();
        const int depthOfTabBar = readInt();
        int count = readInt();

        // A count the rest of the stream cannot hold ends the data here.
        const auto remaining = in.getTotalLength() - in.getPosition();
        if (count < 0 || (juce::int64) count * smallestTabEntryBytes > remaining)
        {
            count = 0;
            in.setPosition (in.getTotalLength());
        }
        const int currentIndex = readInt();

        auto& tabs = getWidget<juce::TabbedComponent> (root, head.name, [] {
            return new juce::TabbedComponent (juce::TabbedButtonBar::TabsAtTop);
        });
        tabs.setOrientation (tabOrientation (orientation));
        tabs.setTabBarDepth (clampedSize (depthOfTabBar));
        tabs.clearTabs();
        for (int i = 0; i < count; ++i)
        {
            const auto colour = readColour();
            const auto tabName = readString();
            const auto pageLayout = readString();

            std::unique_ptr<juce::Component> page;
            if (pageLayout.isNotEmpty())
            {
                page = std::make_unique<juce::Component> ("Tab" + juce::String (i) + "Content");
                applyNested (*page, pageLayout);
            }
            tabs.addTab (tabName, colour, page.release(), true, i);
        }
        tabs.setCurrentTabIndex (currentIndex, false);
        return &tabs;
    }

    juce::Component* readTreeView (juce::Component& root, const Head& head)
    {
        const bool rootVisible = readBool(), openByDefault = readBool();
        const auto background = readColour(), lines = readColour();
        const auto tooltip = readString();

        auto& tree = getWidget<juce::TreeView> (root, head.name);
        tree.setRootItemVisible (rootVisible);
        tree.setDefaultOpenness (openByDefault);
        tree.setColour (juce::TreeView::backgroundColourId, background);
        tree.setColour (juce::TreeView::linesColourId, lines);
        tree.setTooltip (tooltip);
        return &tree;
    }

    juce::Component* readImageButton (juce::Component& root, const Head& head)
    {
        const int radioGroup = readInt();
        const bool preserveProportions = readBool();
        const float opacityNormal = readFloat(), opacityOver = readFloat(), opacityDown = readFloat();
        const auto overlayNormal = readColour(), overlayOver = readColour(), overlayDown = readColour();
        const auto tooltip = readString();
        const auto normalImage = readString(), overImage = readString(), downImage = readString();

        auto& button = getWidget<juce::ImageButton> (root, head.name);
        button.setRadioGroupId (radioGroup);
        button.setImages (false, true, preserveProportions,
                          ResourceManager::getImage (normalImage), sanitisedOpacity (opacityNormal), overlayNormal,
                          ResourceManager::getImage (overImage), sanitisedOpacity (opacityOver), overlayOver,
                          ResourceManager::getImage (downImage), sanitisedOpacity (opacityDown), overlayDown, 0.0f);
        button.setTooltip (tooltip);
        return &button;
    }

    juce::Component* readKeyboard (juce::Component& root, const Head& head)
    {
        readInt(); // not used
        const float keyWidth = readFloat();
        const int lowest = readInt(), highest = readInt();
        const bool scrollButtons = readBool();
        const int middleCOctave = readInt();
        juce::Colour colours[8];
        for (auto& colour : colours)
            colour = readColour();

        // The owner makes the keyboard; without one the record has nothing to configure.
        auto* child = findChildComponentByName (&root, head.name);
        if (child == nullptr)
            return nullptr;
        auto* keyboard = dynamic_cast<juce::MidiKeyboardComponent*> (child);
        if (keyboard == nullptr)
            throw ResourceManager::ResourceDataException();
        child->toFront (false);

        if (std::isfinite (keyWidth) && keyWidth > 0.0f)
            keyboard->setKeyWidth (juce::jmin (keyWidth, 1000.0f));
        const int low = juce::jlimit (0, 127, lowest), high = juce::jlimit (0, 127, highest);
        if (low <= high)
            keyboard->setAvailableRange (low, high);
        keyboard->setScrollButtonsVisible (scrollButtons);
        keyboard->setOctaveForMiddleC (juce::jlimit (0, 10, middleCOctave));

        // The scroll buttons' colours belong to the keyboard base class here.
        const int colourIds[8] = { juce::MidiKeyboardComponent::whiteNoteColourId,
                                   juce::MidiKeyboardComponent::blackNoteColourId,
                                   juce::MidiKeyboardComponent::keySeparatorLineColourId,
                                   juce::MidiKeyboardComponent::mouseOverKeyOverlayColourId,
                                   juce::MidiKeyboardComponent::keyDownOverlayColourId,
                                   juce::MidiKeyboardComponent::textLabelColourId,
                                   juce::KeyboardComponentBase::upDownButtonBackgroundColourId,
                                   juce::KeyboardComponentBase::upDownButtonArrowColourId };
        for (int i = 0; i < 8; ++i)
            keyboard->setColour (colourIds[i], colours[i]);
        return keyboard;
    }

    juce::Component* readImage (juce::Component& root, const Head& head)
    {
        const auto imageName = readString();
        auto& image = getWidget<juce::ImageComponent> (root, head.name);
        image.setImage (ResourceManager::getImage (imageName));
        return &image;
    }

    juce::InputStream& in;
    const int depth;
    int& nestedLayoutsLeft;
};

bool ResourceManager::applyComponentLayout (juce::Component* root, const juce::String& name)
{
    int nestedLayoutsLeft = maximumNestedLayouts;
    return applyComponentLayout (root, name, 0, nestedLayoutsLeft);
}

bool ResourceManager::applyComponentLayout (juce::Component* root, const juce::String& name, int depth,
                                            int& nestedLayoutsLeft)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (root == nullptr || depth >= maximumNestingDepth)
        return false;
    if (depth > 0 && nestedLayoutsLeft-- <= 0)
        return false;

    auto stream = loadResource (name, "COMPONENT");
    if (stream == nullptr)
        return false;

    try
    {
        ComponentLayoutReader (*stream, depth, nestedLayoutsLeft).apply (*root);
    }
    catch (const ResourceDataException&)
    {
        return false;
    }
    return true;
}
} // namespace Korvalden::Resources
