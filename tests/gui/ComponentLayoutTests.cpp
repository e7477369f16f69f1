#include "ResourceFolderFixture.h"
#include "tools/layout/ComponentLayoutWriter.h"

#include <juce_audio_utils/juce_audio_utils.h>

#include <functional>

using Korvalden::Resources::ResourceManager;
using Korvalden::Resources::findChildComponentByName;
namespace L = Korvalden::Tools::Layout;

namespace
{
L::RecordHead head (const juce::String& name, int x = 1, int y = 2, int w = 30, int h = 40, int focus = 0)
{
    return { name, { x, y, w, h }, focus };
}

template <typename Widget>
Widget* child (juce::Component& parent, const juce::String& name)
{
    return dynamic_cast<Widget*> (findChildComponentByName (&parent, name));
}

juce::StringArray childNames (juce::Component& parent)
{
    juce::StringArray names;
    for (auto* c : parent.getChildren())
        names.add (c->getName());
    return names;
}

/** The combo box's menu as text: items as "id:text", separators as "-". */
juce::String menuOf (juce::ComboBox& combo)
{
    juce::StringArray entries;
    for (juce::PopupMenu::MenuItemIterator it (*combo.getRootMenu()); it.next();)
    {
        auto& item = it.getItem();
        entries.add (item.isSeparator ? juce::String ("-") : juce::String (item.itemID) + ":" + item.text);
    }
    return entries.joinIntoString (" ");
}
} // namespace

class ComponentLayoutTest : public ResourceFolderFixture
{
protected:
    void writeLayout (const juce::String& name, int width, int height,
                      const std::function<void (juce::OutputStream&)>& records)
    {
        juce::MemoryOutputStream out;
        L::writeRootHeader (out, width, height);
        records (out);
        writeBytes (name, "COMPONENT", out.getMemoryBlock());
    }

    juce::MemoryBlock layoutBytes (const juce::String& name) const
    {
        juce::MemoryBlock bytes;
        resourceFile (name, "COMPONENT").loadFileAsData (bytes);
        return bytes;
    }

    /** A small layout for the nesting records: one label "InnerLabel". */
    void writeInnerLayout()
    {
        writeLayout ("Inner", 50, 60, [] (auto& out) {
            L::LabelBody label;
            label.text = "inside";
            L::writeLabel (out, head ("InnerLabel", 5, 6, 20, 10), label);
        });
    }
};

TEST_F (ComponentLayoutTest, EveryRecordTypeRoundTripsThroughWriterAndReader)
{
    writeInnerLayout();
    writePng ("Picture", juce::Image (juce::Image::RGB, 3, 2, true));

    writeLayout ("All", 640, 480, [] (auto& out) {
        L::TextButtonBody text;
        text.radioGroupId = 7;
        text.connectedEdges = juce::Button::ConnectedOnLeft;
        text.backgroundOnColour = juce::Colour (0xFF000001);
        text.backgroundColour = juce::Colour (0xFF000002);
        text.textOnColour = juce::Colour (0xFF000003);
        text.textOffColour = juce::Colour (0xFF000004);
        text.tooltip = "tip0";
        text.text = "Press";
        L::writeTextButton (out, head ("T0", 10, 11, 12, 13, 3), text);

        L::ToggleButtonBody toggle;
        toggle.radioGroupId = 2;
        toggle.toggleState = true;
        toggle.textColour = juce::Colour (0xFF101010);
        toggle.tooltip = "tip1";
        toggle.buttonText = "Toggle";
        L::writeToggleButton (out, head ("T1"), toggle);

        L::SliderBody slider;
        slider.minimum = -2.0;
        slider.maximum = 6.0;
        slider.interval = 0.5;
        slider.style = juce::Slider::RotaryVerticalDrag;
        slider.textBoxPosition = juce::Slider::TextBoxBelow;
        slider.textBoxEditable = false;
        slider.textBoxWidth = 44;
        slider.textBoxHeight = 14;
        slider.skewFactor = 0.25;
        slider.thumbColour = juce::Colour (0xFF202020);
        slider.textBoxOutlineColour = juce::Colour (0xFF303030);
        slider.tooltip = "tip2";
        L::writeSlider (out, head ("T2"), slider);

        L::LabelBody label;
        label.justification = juce::Justification::centred;
        label.fontHeight = 11.5f;
        label.fontStyle = juce::Font::bold;
        label.textColour = juce::Colour (0xFF404040);
        label.editorTextColour = juce::Colour (0xFF454545);
        label.editorHighlightColour = juce::Colour (0xFF505050);
        label.editMode = 2;
        label.focusLossDiscardsChanges = true;
        label.tooltip = "tip3";
        label.text = "Cutoff";
        L::writeLabel (out, head ("T3"), label);

        L::TextEditorBody editor;
        editor.lineMode = 2;
        editor.editable = false;
        editor.scrollBarsShown = false;
        editor.caretVisible = false;
        editor.popupMenuEnabled = false;
        editor.caretColour = juce::Colour (0xFF606060);
        editor.tooltip = "tip4";
        editor.text = "notes";
        L::writeTextEditor (out, head ("T4"), editor);

        L::ComboBoxBody combo;
        combo.editableText = true;
        combo.justification = juce::Justification::centredRight;
        combo.tooltip = "tip5";
        combo.itemLines = "One\nTwo";
        combo.textWhenNothingSelected = "(none)";
        combo.textWhenNoChoicesAvailable = "(empty)";
        L::writeComboBox (out, head ("T5"), combo);

        L::GroupBoxBody group;
        group.textPosition = 2;
        group.outlineColour = juce::Colour (0xFF707070);
        group.textColour = juce::Colour (0xFF808080);
        group.text = "Filter";
        L::writeGroupBox (out, head ("T6"), group);

        L::writeNestedLayout (out, head ("T7", 100, 100, 70, 80), { "Inner" });

        L::HyperlinkButtonBody link;
        link.radioGroupId = 4;
        link.textColour = juce::Colour (0xFF909090);
        link.tooltip = "tip8";
        link.buttonText = "Site";
        link.url = "https://example.org/kest";
        L::writeHyperlinkButton (out, head ("T8"), link);

        L::ViewportBody viewport;
        viewport.verticalScrollBarShown = true;
        viewport.horizontalScrollBarShown = false;
        viewport.scrollBarThickness = 9;
        viewport.contentLayoutName = "Inner";
        L::writeViewport (out, head ("T9"), viewport);

        L::TabbedComponentBody tabs;
        tabs.orientation = 2;
        tabs.tabBarDepth = 25;
        tabs.currentTabIndex = 1;
        tabs.tabs = { { juce::Colour (0xFFA0A0A0), "First", "Inner" }, { juce::Colour (0xFFB0B0B0), "Second", "" } };
        L::writeTabbedComponent (out, head ("T10"), tabs);

        L::TreeViewBody tree;
        tree.rootItemVisible = false;
        tree.itemsOpenByDefault = true;
        tree.backgroundColour = juce::Colour (0xFFC0C0C0);
        tree.linesColour = juce::Colour (0xFFD0D0D0);
        tree.tooltip = "tip11";
        L::writeTreeView (out, head ("T11"), tree);

        L::writePlainComponent (out, head ("T12"));

        L::ImageButtonBody image;
        image.radioGroupId = 5;
        image.opacityOver = 0.5f;
        image.overlayDownColour = juce::Colour (0x80FF0000);
        image.tooltip = "tip13";
        image.normalImage = "Picture";
        image.overImage = "Missing";
        L::writeImageButton (out, head ("T13"), image);

        L::writeUndefined (out, head ("T14"));

        L::KeyboardBody keyboard;
        keyboard.keyWidth = 18.0f;
        keyboard.lowestNote = 36;
        keyboard.highestNote = 96;
        keyboard.scrollButtonsVisible = false;
        keyboard.octaveForMiddleC = 4;
        keyboard.whiteKeysColour = juce::Colour (0xFFEEEEEE);
        keyboard.scrollButtonArrowsColour = juce::Colour (0xFF111111);
        L::writeKeyboard (out, head ("T15"), keyboard);

        L::writeImage (out, head ("T16"), { "Picture" });
        L::writeRecordHead (out, 30, head ("T30", 3, 4, 5, 6));
    });

    juce::Component root;
    juce::MidiKeyboardState keyboardState;
    juce::MidiKeyboardComponent keyboard (keyboardState, juce::MidiKeyboardComponent::horizontalKeyboard);
    keyboard.setName ("T15");
    root.addAndMakeVisible (keyboard);

    ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "All"));
    EXPECT_EQ (root.getBounds(), juce::Rectangle<int> (0, 0, 640, 480));
    EXPECT_EQ (childNames (root).joinIntoString (","),
               "T0,T1,T2,T3,T4,T5,T6,T7,T8,T9,T10,T11,T12,T13,T15,T16,T30");

    auto* text = child<juce::TextButton> (root, "T0");
    ASSERT_NE (text, nullptr);
    EXPECT_EQ (text->getBounds(), juce::Rectangle<int> (10, 11, 12, 13));
    EXPECT_EQ (text->getExplicitFocusOrder(), 3);
    EXPECT_EQ (text->getRadioGroupId(), 7);
    EXPECT_TRUE (text->isConnectedOnLeft());
    EXPECT_EQ (text->findColour (juce::TextButton::buttonOnColourId).getARGB(), 0xFF000001u);
    EXPECT_EQ (text->findColour (juce::TextButton::buttonColourId).getARGB(), 0xFF000002u);
    EXPECT_EQ (text->findColour (juce::TextButton::textColourOnId).getARGB(), 0xFF000003u);
    EXPECT_EQ (text->findColour (juce::TextButton::textColourOffId).getARGB(), 0xFF000004u);
    EXPECT_EQ (text->getTooltip(), "tip0");
    EXPECT_EQ (text->getButtonText(), "Press");

    auto* toggle = child<juce::ToggleButton> (root, "T1");
    ASSERT_NE (toggle, nullptr);
    EXPECT_TRUE (toggle->getToggleState());
    EXPECT_EQ (toggle->getRadioGroupId(), 2);
    EXPECT_EQ (toggle->findColour (juce::ToggleButton::textColourId).getARGB(), 0xFF101010u);
    EXPECT_EQ (toggle->getButtonText(), "Toggle");

    auto* slider = child<juce::Slider> (root, "T2");
    ASSERT_NE (slider, nullptr);
    EXPECT_EQ (slider->getMinimum(), -2.0);
    EXPECT_EQ (slider->getMaximum(), 6.0);
    EXPECT_EQ (slider->getInterval(), 0.5);
    EXPECT_EQ (slider->getSliderStyle(), juce::Slider::RotaryVerticalDrag);
    EXPECT_EQ (slider->getTextBoxPosition(), juce::Slider::TextBoxBelow);
    EXPECT_FALSE (slider->isTextBoxEditable());
    EXPECT_EQ (slider->getTextBoxWidth(), 44);
    EXPECT_EQ (slider->getTextBoxHeight(), 14);
    EXPECT_DOUBLE_EQ (slider->getSkewFactor(), 0.25);
    EXPECT_EQ (slider->findColour (juce::Slider::thumbColourId).getARGB(), 0xFF202020u);
    EXPECT_EQ (slider->findColour (juce::Slider::textBoxOutlineColourId).getARGB(), 0xFF303030u);
    EXPECT_EQ (slider->findColour (juce::Slider::backgroundColourId).getARGB(), 0u);
    EXPECT_EQ (slider->getTooltip(), "tip2");

    auto* label = child<juce::Label> (root, "T3");
    ASSERT_NE (label, nullptr);
    EXPECT_EQ (label->getJustificationType().getFlags(), juce::Justification::centred);
    EXPECT_FLOAT_EQ (label->getFont().getHeight(), 11.5f);
    EXPECT_TRUE (label->getFont().isBold());
    EXPECT_EQ (label->findColour (juce::Label::textColourId).getARGB(), 0xFF404040u);
    EXPECT_EQ (label->findColour (juce::TextEditor::highlightColourId).getARGB(), 0xFF505050u);
    EXPECT_FALSE (label->isEditableOnSingleClick());
    EXPECT_TRUE (label->isEditableOnDoubleClick());
    EXPECT_TRUE (label->doesLossOfFocusDiscardChanges());
    EXPECT_TRUE (label->getWantsKeyboardFocus());
    EXPECT_EQ (label->getText(), "Cutoff");
    label->showEditor();
    ASSERT_NE (label->getCurrentTextEditor(), nullptr);
    EXPECT_EQ (label->getCurrentTextEditor()->findColour (juce::TextEditor::textColourId).getARGB(), 0xFF454545u);
    EXPECT_EQ (label->getCurrentTextEditor()->findColour (juce::TextEditor::highlightColourId).getARGB(), 0xFF505050u);
    label->hideEditor (true);

    auto* editor = child<juce::TextEditor> (root, "T4");
    ASSERT_NE (editor, nullptr);
    EXPECT_TRUE (editor->isMultiLine());
    EXPECT_TRUE (editor->getReturnKeyStartsNewLine());
    EXPECT_TRUE (editor->isReadOnly());
    EXPECT_FALSE (editor->isCaretVisible());
    EXPECT_FALSE (editor->isPopupMenuEnabled());
    EXPECT_EQ (editor->findColour (juce::CaretComponent::caretColourId).getARGB(), 0xFF606060u);
    EXPECT_EQ (editor->getText(), "notes");

    auto* combo = child<juce::ComboBox> (root, "T5");
    ASSERT_NE (combo, nullptr);
    EXPECT_TRUE (combo->isTextEditable());
    EXPECT_EQ (combo->getJustificationType().getFlags(), juce::Justification::centredRight);
    EXPECT_EQ (menuOf (*combo), "1:One 2:Two");
    EXPECT_EQ (combo->getTextWhenNothingSelected(), "(none)");
    EXPECT_EQ (combo->getTextWhenNoChoicesAvailable(), "(empty)");

    auto* group = child<juce::GroupComponent> (root, "T6");
    ASSERT_NE (group, nullptr);
    EXPECT_EQ (group->getTextLabelPosition().getFlags(), juce::Justification::right);
    EXPECT_EQ (group->findColour (juce::GroupComponent::textColourId).getARGB(), 0xFF808080u);
    EXPECT_EQ (group->getText(), "Filter");

    auto* nested = findChildComponentByName (&root, "T7");
    ASSERT_NE (nested, nullptr);
    EXPECT_EQ (nested->getBounds(), juce::Rectangle<int> (100, 100, 70, 80));
    auto* innerLabel = child<juce::Label> (*nested, "InnerLabel");
    ASSERT_NE (innerLabel, nullptr);
    EXPECT_EQ (innerLabel->getText(), "inside");

    auto* link = child<juce::HyperlinkButton> (root, "T8");
    ASSERT_NE (link, nullptr);
    EXPECT_EQ (link->getRadioGroupId(), 4);
    EXPECT_EQ (link->getURL().toString (false), "https://example.org/kest");
    EXPECT_EQ (link->getButtonText(), "Site");

    auto* viewport = child<juce::Viewport> (root, "T9");
    ASSERT_NE (viewport, nullptr);
    EXPECT_TRUE (viewport->isVerticalScrollBarShown());
    EXPECT_FALSE (viewport->isHorizontalScrollBarShown());
    EXPECT_EQ (viewport->getScrollBarThickness(), 9);
    ASSERT_NE (viewport->getViewedComponent(), nullptr);
    EXPECT_EQ (viewport->getViewedComponent()->getName(), "ViewportContent");
    EXPECT_EQ (viewport->getViewedComponent()->getWidth(), 50);
    EXPECT_NE (child<juce::Label> (*viewport->getViewedComponent(), "InnerLabel"), nullptr);

    auto* tabs = child<juce::TabbedComponent> (root, "T10");
    ASSERT_NE (tabs, nullptr);
    EXPECT_EQ (tabs->getOrientation(), juce::TabbedButtonBar::TabsAtLeft);
    EXPECT_EQ (tabs->getTabBarDepth(), 25);
    ASSERT_EQ (tabs->getNumTabs(), 2);
    EXPECT_EQ (tabs->getTabNames()[1], "Second");
    EXPECT_EQ (tabs->getTabBackgroundColour (0).getARGB(), 0xFFA0A0A0u);
    ASSERT_NE (tabs->getTabContentComponent (0), nullptr);
    EXPECT_EQ (tabs->getTabContentComponent (0)->getName(), "Tab0Content");
    EXPECT_EQ (tabs->getTabContentComponent (1), nullptr);
    EXPECT_EQ (tabs->getCurrentTabIndex(), 1);

    auto* tree = child<juce::TreeView> (root, "T11");
    ASSERT_NE (tree, nullptr);
    EXPECT_FALSE (tree->isRootItemVisible());
    EXPECT_TRUE (tree->areItemsOpenByDefault());
    EXPECT_EQ (tree->findColour (juce::TreeView::linesColourId).getARGB(), 0xFFD0D0D0u);
    EXPECT_EQ (tree->getTooltip(), "tip11");

    auto* plain = findChildComponentByName (&root, "T12");
    ASSERT_NE (plain, nullptr);
    EXPECT_EQ (plain->getBounds(), juce::Rectangle<int> (1, 2, 30, 40));

    auto* imageButton = child<juce::ImageButton> (root, "T13");
    ASSERT_NE (imageButton, nullptr);
    EXPECT_EQ (imageButton->getRadioGroupId(), 5);
    EXPECT_EQ (imageButton->getNormalImage().getWidth(), 3);
    EXPECT_TRUE (ResourceManager::getImage ("Missing").isNull()); // the button falls back to its normal image
    EXPECT_EQ (imageButton->getTooltip(), "tip13");

    EXPECT_EQ (findChildComponentByName (&root, "T14"), nullptr);

    EXPECT_FLOAT_EQ (keyboard.getKeyWidth(), 18.0f);
    EXPECT_EQ (keyboard.getRangeStart(), 36);
    EXPECT_EQ (keyboard.getRangeEnd(), 96);
    EXPECT_EQ (keyboard.getOctaveForMiddleC(), 4);
    EXPECT_EQ (keyboard.getBounds(), juce::Rectangle<int> (1, 2, 30, 40));
    EXPECT_EQ (keyboard.findColour (juce::MidiKeyboardComponent::whiteNoteColourId).getARGB(), 0xFFEEEEEEu);
    EXPECT_EQ (keyboard.findColour (juce::KeyboardComponentBase::upDownButtonArrowColourId).getARGB(), 0xFF111111u);

    auto* image = child<juce::ImageComponent> (root, "T16");
    ASSERT_NE (image, nullptr);
    EXPECT_EQ (image->getImage().getHeight(), 2);

    auto* unknownType = findChildComponentByName (&root, "T30");
    ASSERT_NE (unknownType, nullptr);
    EXPECT_EQ (unknownType->getBounds(), juce::Rectangle<int> (3, 4, 5, 6));

    // Applying it again reconfigures the same children.
    ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "All"));
    EXPECT_EQ (root.getNumChildComponents(), 17);
    EXPECT_EQ (child<juce::TextButton> (root, "T0"), text);
    EXPECT_EQ (tabs->getNumTabs(), 2);
    EXPECT_EQ (menuOf (*combo), "1:One 2:Two");
}

TEST_F (ComponentLayoutTest, ExistingChildrenOfTheRightClassAreConfiguredNotDuplicated)
{
    writeLayout ("Panel", 100, 50, [] (auto& out) {
        L::SliderBody slider;
        slider.maximum = 10.0;
        L::writeSlider (out, head ("Knob", 5, 5, 20, 20), slider);
    });

    struct OwnSlider : juce::Slider {};
    juce::Component root;
    OwnSlider own;
    own.setName ("Knob");
    juce::Component later ("Later");
    root.addAndMakeVisible (own);
    root.addAndMakeVisible (later);

    ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "Panel"));
    EXPECT_EQ (root.getNumChildComponents(), 2);
    EXPECT_EQ (root.getChildComponent (1), &own); // brought to the front
    EXPECT_EQ (own.getMaximum(), 10.0);
    EXPECT_EQ (own.getBounds(), juce::Rectangle<int> (5, 5, 20, 20));
}

TEST_F (ComponentLayoutTest, MissingLayoutLeavesTheRootUntouched)
{
    juce::Component root;
    root.setBounds (1, 2, 3, 4);
    EXPECT_FALSE (ResourceManager::applyComponentLayout (&root, "Nowhere"));
    EXPECT_EQ (root.getBounds(), juce::Rectangle<int> (1, 2, 3, 4));
    EXPECT_FALSE (ResourceManager::applyComponentLayout (nullptr, "Nowhere"));
}

TEST_F (ComponentLayoutTest, StreamCutInsideARecordAppliesItWithZerosAndStops)
{
    writeLayout ("Full", 200, 100, [] (auto& out) {
        L::writePlainComponent (out, head ("First", 1, 1, 10, 10));
        L::LabelBody label;
        label.text = "whole";
        label.textColour = juce::Colours::red;
        L::writeLabel (out, head ("Cut", 7, 8, 9, 10), label);
    });
    auto full = layoutBytes ("Full");

    // Cut the label record right after its font height.
    juce::MemoryOutputStream prefix;
    L::writeRootHeader (prefix, 200, 100);
    L::writePlainComponent (prefix, head ("First", 1, 1, 10, 10));
    L::writeRecordHead (prefix, L::labelRecord, head ("Cut", 7, 8, 9, 10));
    const auto cutAt = prefix.getDataSize() + 4 + 4;
    writeBytes ("Short", "COMPONENT", juce::MemoryBlock (full.getData(), cutAt));

    juce::Component root;
    ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "Short"));
    auto* label = child<juce::Label> (root, "Cut");
    ASSERT_NE (label, nullptr);
    EXPECT_EQ (label->getBounds(), juce::Rectangle<int> (7, 8, 9, 10));
    EXPECT_EQ (label->getText(), "");
    EXPECT_EQ (label->findColour (juce::Label::textColourId).getARGB(), 0u);
    EXPECT_FALSE (label->isEditableOnSingleClick() || label->isEditableOnDoubleClick());
    EXPECT_GT (label->getFont().getHeight(), 0.0f);

    // Every cut of the whole layout reads without harm.
    for (size_t length = 1; length <= full.getSize(); ++length)
    {
        writeBytes ("Cut" + juce::String ((int) length), "COMPONENT", juce::MemoryBlock (full.getData(), length));
        juce::Component scratch;
        EXPECT_TRUE (ResourceManager::applyComponentLayout (&scratch, "Cut" + juce::String ((int) length)));
    }
}

TEST_F (ComponentLayoutTest, ClassMismatchFailsButKeepsEarlierRecords)
{
    writeLayout ("Mismatch", 100, 100, [] (auto& out) {
        L::writeTextButton (out, head ("Before"), {});
        L::writeSlider (out, head ("Knob"), {});
        L::writeTextButton (out, head ("After"), {});
    });

    juce::Component root;
    juce::Label knob ("Knob");
    root.addAndMakeVisible (knob);

    EXPECT_FALSE (ResourceManager::applyComponentLayout (&root, "Mismatch"));
    EXPECT_NE (child<juce::TextButton> (root, "Before"), nullptr);
    EXPECT_EQ (findChildComponentByName (&root, "After"), nullptr);
    EXPECT_EQ (knob.getBounds(), juce::Rectangle<int>());
}

TEST_F (ComponentLayoutTest, KeyboardRecordNeedsAnExistingKeyboardOfThatClass)
{
    writeLayout ("Keys", 100, 100, [] (auto& out) {
        L::writeKeyboard (out, head ("Keyboard"), {});
        L::writePlainComponent (out, head ("After", 9, 9, 9, 9));
    });

    juce::Component withoutKeyboard;
    EXPECT_TRUE (ResourceManager::applyComponentLayout (&withoutKeyboard, "Keys"));
    EXPECT_EQ (findChildComponentByName (&withoutKeyboard, "Keyboard"), nullptr);
    ASSERT_NE (findChildComponentByName (&withoutKeyboard, "After"), nullptr);
    EXPECT_EQ (findChildComponentByName (&withoutKeyboard, "After")->getX(), 9);

    juce::Component withWrongClass;
    juce::Component notAKeyboard ("Keyboard");
    withWrongClass.addAndMakeVisible (notAKeyboard);
    EXPECT_FALSE (ResourceManager::applyComponentLayout (&withWrongClass, "Keys"));
}

TEST_F (ComponentLayoutTest, SkippedRecordsStillConsumeTheirBodies)
{
    writeLayout ("Skips", 100, 100, [] (auto& out) {
        L::writeUndefined (out, head ("Nothing"));
        L::KeyboardBody keyboard;
        keyboard.lowestNote = 0x41414141; // would read as a record if left unread
        L::writeKeyboard (out, head ("NoKeyboard"), keyboard);
        L::LabelBody label;
        label.text = "still read";
        L::writeLabel (out, head ("Label", 4, 4, 40, 12), label);
    });

    juce::Component root;
    ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "Skips"));
    EXPECT_EQ (childNames (root).joinIntoString (","), "Label");
    EXPECT_EQ (child<juce::Label> (root, "Label")->getText(), "still read");
}

TEST_F (ComponentLayoutTest, FailingNestedLayoutLeavesTheOuterLayoutGoingOn)
{
    writeLayout ("Broken", 10, 10, [] (auto& out) { L::writeSlider (out, head ("Clash"), {}); });
    writeLayout ("Outer", 300, 200, [] (auto& out) {
        L::writeNestedLayout (out, head ("Panel", 5, 5, 50, 50), { "Broken" });
        L::writeNestedLayout (out, head ("Absent", 6, 6, 60, 60), { "NoSuchLayout" });
        L::writeViewport (out, head ("View"), { true, true, 8, "Broken" });
        L::writePlainComponent (out, head ("After", 7, 7, 7, 7));
    });

    juce::Component root;
    auto* panel = new juce::Component ("Panel");
    root.addAndMakeVisible (panel);
    panel->addAndMakeVisible (new juce::Label ("Clash"));

    EXPECT_TRUE (ResourceManager::applyComponentLayout (&root, "Outer"));
    EXPECT_EQ (panel->getBounds(), juce::Rectangle<int> (5, 5, 50, 50));
    ASSERT_NE (findChildComponentByName (&root, "Absent"), nullptr);
    EXPECT_EQ (findChildComponentByName (&root, "Absent")->getBounds(), juce::Rectangle<int> (6, 6, 60, 60));
    ASSERT_NE (findChildComponentByName (&root, "After"), nullptr);

    panel->deleteAllChildren();
    delete panel;
}

TEST_F (ComponentLayoutTest, SelfNestingLayoutStopsAtTheDepthLimit)
{
    writeLayout ("Loop", 100, 100, [] (auto& out) {
        L::writeNestedLayout (out, head ("Again", 1, 1, 90, 90), { "Loop" });
        L::writeTabbedComponent (out, head ("Tabs"), { 0, 20, 0, { { juce::Colours::grey, "Page", "Loop" } } });
    });

    juce::Component root;
    EXPECT_TRUE (ResourceManager::applyComponentLayout (&root, "Loop"));

    int depth = 0;
    for (auto* c = findChildComponentByName (&root, "Again"); c != nullptr; c = findChildComponentByName (c, "Again"))
        ++depth;
    EXPECT_GE (depth, 15);
    EXPECT_LE (depth, 16);

    // Two self-references per level would double at every level; the whole
    // call stops after a bounded number of nested layouts (each refused one
    // still leaves its empty component).
    std::function<int (juce::Component&)> countLaidOut = [&] (juce::Component& c) {
        int count = 0;
        for (auto* nested : c.getChildren())
            if (nested->getName() == "Again")
                count += 1 + countLaidOut (*nested);
        if (auto* tabs = child<juce::TabbedComponent> (c, "Tabs"))
            for (int i = 0; i < tabs->getNumTabs(); ++i)
                if (auto* page = tabs->getTabContentComponent (i))
                    count += 1 + countLaidOut (*page);
        return count;
    };
    EXPECT_LE (countLaidOut (root), 600); // not 2^16
}

TEST_F (ComponentLayoutTest, ComboBoxItemLinesGiveIdsAndSeparatorsBetweenItems)
{
    const std::pair<const char*, const char*> cases[] = {
        { "A\n\nB", "1:A - 2:B" },
        { "\nA\nB", "1:A 2:B" },
        { "A\r\rB\r\nC", "1:A - 2:B 3:C" },
        { "A\n  \n\nB\n\n", "1:A - 2:B" },
        { " padded ", "1: padded " },
        { "", "" },
    };
    for (auto [lines, expected] : cases)
    {
        writeLayout ("Combo", 50, 20, [lines = lines] (auto& out) {
            L::ComboBoxBody combo;
            combo.itemLines = lines;
            L::writeComboBox (out, head ("Choice"), combo);
        });
        ResourceManager::release(); // read the rewritten file afresh
        ResourceManager::acquire();

        juce::Component root;
        ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "Combo"));
        EXPECT_EQ (menuOf (*child<juce::ComboBox> (root, "Choice")), expected) << juce::String (lines).quoted();
    }
}

TEST_F (ComponentLayoutTest, TabCountsTheStreamCannotHoldEndTheData)
{
    for (int count : { -1, 0x7FFFFFFF, 1000 })
    {
        juce::MemoryOutputStream out;
        L::writeRootHeader (out, 100, 100);
        L::writeRecordHead (out, L::tabbedComponentRecord, head ("Tabs"));
        out.writeInt (0);
        out.writeInt (20);
        out.writeInt (count);
        out.writeInt (0);
        L::writePlainComponent (out, head ("After"));
        writeBytes ("BadTabs" + juce::String (count), "COMPONENT", out.getMemoryBlock());

        juce::Component root;
        EXPECT_TRUE (ResourceManager::applyComponentLayout (&root, "BadTabs" + juce::String (count)));
        auto* tabs = child<juce::TabbedComponent> (root, "Tabs");
        ASSERT_NE (tabs, nullptr);
        EXPECT_EQ (tabs->getNumTabs(), 0);
        EXPECT_EQ (findChildComponentByName (&root, "After"), nullptr) << count;
    }

    writeLayout ("NoTabs", 100, 100, [] (auto& out) {
        L::writeTabbedComponent (out, head ("Tabs"), { 1, 20, 0, {} });
        L::writePlainComponent (out, head ("After"));
    });
    juce::Component root;
    EXPECT_TRUE (ResourceManager::applyComponentLayout (&root, "NoTabs"));
    EXPECT_EQ (child<juce::TabbedComponent> (root, "Tabs")->getOrientation(), juce::TabbedButtonBar::TabsAtBottom);
    EXPECT_NE (findChildComponentByName (&root, "After"), nullptr);
}

TEST_F (ComponentLayoutTest, ViewportWithoutContentNameKeepsItsContent)
{
    writeLayout ("View", 100, 100, [] (auto& out) { L::writeViewport (out, head ("View"), { false, true, 0, "" }); });

    juce::Component root;
    juce::Viewport viewport ("View");
    juce::Component content;
    viewport.setViewedComponent (&content, false);
    root.addAndMakeVisible (viewport);

    ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "View"));
    EXPECT_EQ (viewport.getViewedComponent(), &content);
    EXPECT_FALSE (viewport.isVerticalScrollBarShown());
}

TEST_F (ComponentLayoutTest, LabelEditModesOtherThanOneAndTwoAreNotEditable)
{
    writeLayout ("Labels", 100, 100, [] (auto& out) {
        for (int mode : { 0, 1, 3, -1 })
        {
            L::LabelBody label;
            label.editMode = mode;
            label.focusLossDiscardsChanges = true;
            label.fontHeight = std::numeric_limits<float>::quiet_NaN();
            L::writeLabel (out, head ("Mode" + juce::String (mode)), label);
        }
    });

    juce::Component root;
    ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "Labels"));
    for (int mode : { 0, 3, -1 })
    {
        auto* label = child<juce::Label> (root, "Mode" + juce::String (mode));
        EXPECT_FALSE (label->isEditableOnSingleClick() || label->isEditableOnDoubleClick()) << mode;
        EXPECT_FALSE (label->doesLossOfFocusDiscardChanges()) << mode;
        EXPECT_FALSE (label->getWantsKeyboardFocus()) << mode;
        EXPECT_TRUE (std::isfinite (label->getFont().getHeight()));
    }
    EXPECT_TRUE (child<juce::Label> (root, "Mode1")->isEditableOnSingleClick());
    EXPECT_TRUE (child<juce::Label> (root, "Mode1")->doesLossOfFocusDiscardChanges());
}

TEST_F (ComponentLayoutTest, ChildrenOfNestedLayoutsAreDeletedWithTheirParents)
{
    writeInnerLayout();
    writeLayout ("Outer", 100, 100, [] (auto& out) {
        L::writeNestedLayout (out, head ("Nested"), { "Inner" });
        L::writeViewport (out, head ("View"), { true, true, 8, "Inner" });
    });

    juce::Component::SafePointer<juce::Component> nested, grandchild, viewportGrandchild;
    {
        juce::Component root;
        ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "Outer"));
        nested = findChildComponentByName (&root, "Nested");
        grandchild = findChildComponentByName (nested, "InnerLabel");
        viewportGrandchild = findChildComponentByName (child<juce::Viewport> (root, "View")->getViewedComponent(),
                                                       "InnerLabel");
        ASSERT_NE (grandchild, nullptr);
        ASSERT_NE (viewportGrandchild, nullptr);
    }
    EXPECT_EQ (nested, nullptr);
    EXPECT_EQ (grandchild, nullptr);
    EXPECT_EQ (viewportGrandchild, nullptr);
}

namespace
{
// No window is larger than this, nor lies further out.
constexpr int windowLimit = 16384;

/** Every component under root (nested layouts, viewport contents and tab
    pages included) whose bounds reach past what a window can be. */
juce::StringArray componentsOutsideWindowLimits (juce::Component& root)
{
    juce::StringArray outside;
    std::function<void (juce::Component&)> visit = [&] (juce::Component& c) {
        const auto b = c.getBounds();
        if (b.getX() < -windowLimit || b.getY() < -windowLimit || b.getRight() > windowLimit
            || b.getBottom() > windowLimit || b.getWidth() < 0 || b.getHeight() < 0)
            outside.add (c.getName() + " " + b.toString());
        for (auto* nested : c.getChildren())
            visit (*nested);
        if (auto* viewport = dynamic_cast<juce::Viewport*> (&c); viewport != nullptr && viewport->getViewedComponent() != nullptr)
            visit (*viewport->getViewedComponent());
        if (auto* tabs = dynamic_cast<juce::TabbedComponent*> (&c))
            for (int i = 0; i < tabs->getNumTabs(); ++i)
                if (auto* page = tabs->getTabContentComponent (i))
                    visit (*page);
    };
    visit (root);
    return outside;
}
} // namespace

TEST_F (ComponentLayoutTest, SizesAndPositionsAreClampedToWhatAWindowCanBe)
{
    constexpr int most = std::numeric_limits<int>::max(), least = std::numeric_limits<int>::min();
    writeLayout ("Vast", most, least, [] (auto&) {});
    writeLayout ("Tall", 800, 507580608, [] (auto& out) {
        L::writePlainComponent (out, { "Far", { least, most, most, most }, 0 });
        L::writePlainComponent (out, { "Wide", { 100, 200, most, -5 }, 0 });
        L::writePlainComponent (out, { "Edge", { 16000, -16000, 1000, 1000 }, 0 });
        L::SliderBody slider;
        slider.textBoxPosition = juce::Slider::TextBoxBelow;
        slider.textBoxWidth = most;
        slider.textBoxHeight = most;
        L::writeSlider (out, head ("Knob"), slider);
        L::writeTabbedComponent (out, head ("Tabs"), { 0, most, 0, {} });
        L::writeViewport (out, head ("View"), { true, true, 8, "Vast" });
    });

    juce::Component root;
    ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "Tall"));
    EXPECT_EQ (root.getBounds(), juce::Rectangle<int> (0, 0, 800, windowLimit));
    EXPECT_EQ (findChildComponentByName (&root, "Far")->getBounds(),
               juce::Rectangle<int> (-windowLimit, windowLimit, windowLimit, 0));
    EXPECT_EQ (findChildComponentByName (&root, "Wide")->getBounds(), juce::Rectangle<int> (100, 200, windowLimit - 100, 0));
    EXPECT_EQ (findChildComponentByName (&root, "Edge")->getBounds(), juce::Rectangle<int> (16000, -16000, 384, 1000));
    EXPECT_LE (child<juce::Slider> (root, "Knob")->getTextBoxWidth(), windowLimit);
    EXPECT_LE (child<juce::Slider> (root, "Knob")->getTextBoxHeight(), windowLimit);
    EXPECT_LE (child<juce::TabbedComponent> (root, "Tabs")->getTabBarDepth(), windowLimit);
    EXPECT_EQ (child<juce::Viewport> (root, "View")->getViewedComponent()->getBounds(),
               juce::Rectangle<int> (0, 0, windowLimit, 0));
    EXPECT_TRUE (componentsOutsideWindowLimits (root).isEmpty())
        << componentsOutsideWindowLimits (root).joinIntoString (", ");
}

TEST_F (ComponentLayoutTest, DamagedLayoutsKeepEveryComponentWithinWindowLimits)
{
    writeInnerLayout();
    writeLayout ("Sound", 400, 300, [] (auto& out) {
        L::writeTextButton (out, head ("Button", 1, 2, 30, 20), {});
        L::SliderBody slider;
        slider.maximum = 10.0;
        slider.textBoxPosition = juce::Slider::TextBoxBelow;
        slider.textBoxWidth = 40;
        slider.textBoxHeight = 12;
        L::writeSlider (out, head ("Knob", 40, 2, 50, 60), slider);
        L::LabelBody label;
        label.text = "Level";
        L::writeLabel (out, head ("Label", 100, 2, 40, 12), label);
        L::writeNestedLayout (out, head ("Nested", 10, 100, 50, 60), { "Inner" });
        L::writeViewport (out, head ("View", 70, 100, 50, 60), { true, true, 8, "Inner" });
        L::writeTabbedComponent (out, head ("Tabs", 130, 100, 80, 60),
                                 { 0, 20, 0, { { juce::Colours::grey, "Page", "Inner" } } });
        L::writePlainComponent (out, head ("Plain", 220, 100, 10, 10));
    });
    const auto sound = layoutBytes ("Sound");

    // Whole numbers written over the stream at random places, repeatably.
    juce::Random random (28);
    const int values[] { std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), 507580608, -1, 1 << 20 };
    for (int variant = 0; variant < 200; ++variant)
    {
        auto damaged = sound;
        for (int i = random.nextInt ({ 1, 4 }); --i >= 0;)
        {
            const auto at = (size_t) random.nextInt ((int) damaged.getSize() - 4);
            const auto value = random.nextBool() ? values[random.nextInt (5)] : random.nextInt();
            std::memcpy (static_cast<char*> (damaged.getData()) + at, &value, 4);
        }
        const auto name = "Damaged" + juce::String (variant);
        writeBytes (name, "COMPONENT", damaged);

        juce::Component root;
        ResourceManager::applyComponentLayout (&root, name);
        const auto outside = componentsOutsideWindowLimits (root);
        EXPECT_TRUE (outside.isEmpty()) << variant << ": " << outside.joinIntoString (", ");
    }
}

// Field values no widget can take are refused field by field: the widget
// keeps what it had (or takes the nearest value it can hold), and the fields
// beside them are still applied.
TEST_F (ComponentLayoutTest, FieldValuesAWidgetCannotTakeLeaveItsOwnSettings)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();

    writeLayout ("Hostile", -20, -30, [&] (auto& out) {
        const struct { double minimum, maximum, interval, skew; int style, textBox; } sliders[] {
            { 5.0, 5.0, 0.0, 0.0, 99, 9 },   { nan, 8.0, 0.0, -1.0, -1, -1 }, { 2.0, infinity, 0.0, nan, 1000, 1000 },
            { 8.0, 2.0, -1.0, infinity, -5, 7 }, { 2.0, 8.0, nan, 1.0e-300, 12, 4 },
        };
        int n = 0;
        for (auto& s : sliders)
        {
            L::SliderBody body;
            body.minimum = s.minimum;
            body.maximum = s.maximum;
            body.interval = s.interval;
            body.skewFactor = s.skew;
            body.style = s.style;
            body.textBoxPosition = s.textBox;
            body.textBoxWidth = -7;
            body.textBoxHeight = -9;
            L::writeSlider (out, head ("Slider" + juce::String (n++)), body);
        }

        for (float height : { -3.0f, 0.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(), 5000.0f })
        {
            L::LabelBody label;
            label.fontHeight = height;
            label.fontStyle = 0x7FFFFFFF;
            L::writeLabel (out, head ("Label" + juce::String (n++)), label);
        }

        for (int mode : { -1, 3, 1, 2 })
        {
            L::TextEditorBody editor;
            editor.lineMode = mode;
            L::writeTextEditor (out, head ("Editor" + juce::String (mode)), editor);
        }

        for (int position : { -1, 0, 2, 5 })
        {
            L::GroupBoxBody group;
            group.textPosition = position;
            L::writeGroupBox (out, head ("Group" + juce::String (position)), group);
        }

        for (int thickness : { 0, -3, 100000 })
        {
            L::ViewportBody viewport;
            viewport.scrollBarThickness = thickness;
            L::writeViewport (out, head ("Viewport" + juce::String (thickness)), viewport);
        }

        L::TabbedComponentBody tabs;
        tabs.tabBarDepth = -4;
        L::writeTabbedComponent (out, head ("Tabs"), tabs);

        const struct { float width; int lowest, highest, middleC; } keyboards[] {
            { 0.0f, 100, 20, 99 }, { -1.0f, -5, 200, -3 }, { std::numeric_limits<float>::quiet_NaN(), 10, 10, 5 }, { 5000.0f, 30, 90, 4 },
        };
        n = 0;
        for (auto& k : keyboards)
        {
            L::KeyboardBody keyboard;
            keyboard.keyWidth = k.width;
            keyboard.lowestNote = k.lowest;
            keyboard.highestNote = k.highest;
            keyboard.octaveForMiddleC = k.middleC;
            L::writeKeyboard (out, head ("Keys" + juce::String (n++)), keyboard);
        }

        L::writePlainComponent (out, head ("Negative", 3, 4, -50, -60));
    });

    juce::MidiKeyboardState keyboardState;
    std::vector<std::unique_ptr<juce::Component>> owned;
    juce::Component root;
    const auto made = [&] (juce::Component* c, const juce::String& name) { c->setName (name); root.addAndMakeVisible (c); owned.emplace_back (c); return c; };
    for (int i = 0; i < 5; ++i)
    {
        auto* slider = static_cast<juce::Slider*> (made (new juce::Slider (juce::Slider::Rotary, juce::Slider::TextBoxBelow), "Slider" + juce::String (i)));
        slider->setRange (0.0, 10.0, 0.0);
        slider->setSkewFactor (0.25);
    }
    for (int thickness : { 0, -3, 100000 })
        static_cast<juce::Viewport*> (made (new juce::Viewport(), "Viewport" + juce::String (thickness)))->setScrollBarThickness (12);
    for (int i = 0; i < 4; ++i)
    {
        auto* keys = static_cast<juce::MidiKeyboardComponent*> (
            made (new juce::MidiKeyboardComponent (keyboardState, juce::MidiKeyboardComponent::horizontalKeyboard), "Keys" + juce::String (i)));
        keys->setKeyWidth (20.0f);
        keys->setAvailableRange (36, 96);
        keys->setOctaveForMiddleC (3);
    }

    ASSERT_TRUE (ResourceManager::applyComponentLayout (&root, "Hostile"));
    EXPECT_EQ (root.getBounds(), juce::Rectangle<int> (0, 0, 0, 0));
    EXPECT_EQ (findChildComponentByName (&root, "Negative")->getBounds(), juce::Rectangle<int> (3, 4, 0, 0));

    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE ("Slider" + juce::String (i));
        auto* slider = child<juce::Slider> (root, "Slider" + juce::String (i));
        EXPECT_EQ (slider->getRange(), juce::Range<double> (0.0, 10.0));
        EXPECT_EQ (slider->getSliderStyle(), juce::Slider::Rotary);
        EXPECT_EQ (slider->getTextBoxPosition(), juce::Slider::TextBoxBelow);
        EXPECT_EQ (slider->getSkewFactor(), 0.25);
    }
    // A valid range and style with a text box of no size and a skew too small to matter but above 0.
    auto* valid = child<juce::Slider> (root, "Slider4");
    EXPECT_EQ (valid->getRange(), juce::Range<double> (0.0, 10.0)) << "an interval that is not a number keeps the range";
    EXPECT_EQ (valid->getSliderStyle(), juce::Slider::ThreeValueVertical);
    EXPECT_EQ (valid->getTextBoxPosition(), juce::Slider::TextBoxBelow);
    EXPECT_EQ (valid->getTextBoxWidth(), 0);
    EXPECT_GT (valid->getSkewFactor(), 0.0);

    for (int n = 5; n < 10; ++n)
    {
        auto* label = child<juce::Label> (root, "Label" + juce::String (n));
        const auto height = label->getFont().getHeight();
        EXPECT_EQ (height, n == 9 ? 1000.0f : 15.0f) << n;
        EXPECT_TRUE (label->getFont().isBold() && label->getFont().isItalic() && label->getFont().isUnderlined()) << n;
    }

    for (int mode : { -1, 3 })
        EXPECT_FALSE (child<juce::TextEditor> (root, "Editor" + juce::String (mode))->isMultiLine()) << mode;
    EXPECT_TRUE (child<juce::TextEditor> (root, "Editor1")->isMultiLine());
    EXPECT_FALSE (child<juce::TextEditor> (root, "Editor1")->getReturnKeyStartsNewLine());
    EXPECT_TRUE (child<juce::TextEditor> (root, "Editor2")->isMultiLine());
    EXPECT_TRUE (child<juce::TextEditor> (root, "Editor2")->getReturnKeyStartsNewLine());

    EXPECT_EQ (child<juce::GroupComponent> (root, "Group-1")->getTextLabelPosition(), juce::Justification (juce::Justification::left));
    EXPECT_EQ (child<juce::GroupComponent> (root, "Group0")->getTextLabelPosition(), juce::Justification (juce::Justification::horizontallyCentred));
    EXPECT_EQ (child<juce::GroupComponent> (root, "Group2")->getTextLabelPosition(), juce::Justification (juce::Justification::right));
    EXPECT_EQ (child<juce::GroupComponent> (root, "Group5")->getTextLabelPosition(), juce::Justification (juce::Justification::left));

    EXPECT_EQ (child<juce::Viewport> (root, "Viewport0")->getScrollBarThickness(), 12);
    EXPECT_EQ (child<juce::Viewport> (root, "Viewport-3")->getScrollBarThickness(), 12);
    EXPECT_EQ (child<juce::Viewport> (root, "Viewport100000")->getScrollBarThickness(), 256);
    EXPECT_EQ (child<juce::TabbedComponent> (root, "Tabs")->getTabBarDepth(), 0);

    const struct { float width; int start, end, middleC; } keyboardsAfter[] { { 20.0f, 36, 96, 10 }, { 20.0f, 0, 127, 0 }, { 20.0f, 10, 10, 5 }, { 1000.0f, 30, 90, 4 } };
    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE ("Keys" + juce::String (i));
        auto* keys = child<juce::MidiKeyboardComponent> (root, "Keys" + juce::String (i));
        EXPECT_EQ (keys->getKeyWidth(), keyboardsAfter[i].width);
        EXPECT_EQ (keys->getRangeStart(), keyboardsAfter[i].start);
        EXPECT_EQ (keys->getRangeEnd(), keyboardsAfter[i].end);
        EXPECT_EQ (keys->getOctaveForMiddleC(), keyboardsAfter[i].middleC);
    }
}
