#include "linking/ParameterLinkEditor.h"
#include "tests/linking/LinkGuiSupport.h"

namespace
{
/** The editor panel's part in the overlay: it draws the overlay after its children. */
struct OverlayPanel final : juce::Component
{
    ParameterLinkEditor* overlay = nullptr;

    void paint (juce::Graphics& g) override
    {
        g.setGradientFill (juce::ColourGradient::vertical (juce::Colour (0xFFE4E1DC), 0.0f, juce::Colour (0xFFCFCBC4),
                                                           (float) getHeight()));
        g.fillAll();
    }

    void paintOverChildren (juce::Graphics& g) override
    {
        if (overlay != nullptr)
            overlay->paintOverlay (g);
    }
};

const juce::Colour orva (0xFFFFF000), tesk (0xFF45A200);
} // namespace

/** Two rows of four knobs: indexes 0, 1, 2, 7 (ORVA) and 20, 21, 22, 27 (TESK),
    each knob's target reaching 14 pixels below the knob; a VCO section target
    per row, and columns {0, 20}, {1, 21}, {2, 22}, {7, 27}. */
struct LinkEditorFixture : KnobFixture
{
    static constexpr int rowIndexes[2][4] = { { 0, 1, 2, 7 }, { 20, 21, 22, 27 } };

    OverlayPanel panel;
    ParameterClipboard clipboard;
    std::unique_ptr<ParameterLinkEditor> overlay;

    LinkEditorFixture()
    {
        panel.setSize (400, 220);
        overlay = std::make_unique<ParameterLinkEditor> (&panel, &manager);
        panel.overlay = overlay.get();

        for (int row = 0; row < 2; ++row)
        {
            for (int column = 0; column < 4; ++column)
            {
                const int index = rowIndexes[row][column];
                auto& k = knob (index, 0.2f + 0.15f * (float) column);
                k.setTopLeftPosition (targetArea (row, column).getPosition());
                k.setColour (0, row == 0 ? orva : tesk);
                panel.addAndMakeVisible (k);
                overlay->addParameterTarget ("Knob " + juce::String (index), targetArea (row, column), index,
                                             row == 0 ? orva : tesk,
                                             new ParameterCopyGroup (&clipboard, &manager, index), true);
            }
        }
        for (int row = 0; row < 2; ++row)
            overlay->addGroupTarget ("VCO", sectionArea (row), rowIndexes[row], 3,
                                     new ParameterCopyGroup (&clipboard, &manager, "VCO", rowIndexes[row], 3));
        for (int column = 0; column < 4; ++column)
            overlay->addColumn ({ rowIndexes[0][column], rowIndexes[1][column] });
    }

    ~LinkEditorFixture() override
    {
        overlay.reset();
        panel.removeAllChildren();
    }

    static juce::Rectangle<int> targetArea (int row, int column)
    {
        return { 40 + 80 * column, 20 + 100 * row, knobSize, knobSize + 14 };
    }

    static juce::Rectangle<int> sectionArea (int row) { return { 30, 90 + 100 * row, 240, 12 }; }

    LinkableParameterKnob& knobAt (int row, int column) { return *knobs[(size_t) (row * 4 + column)]; }
    ParameterLinkEditor::LinkTarget& targetAt (int row, int column) { return *overlay->getTargets()[(size_t) (row * 4 + column)]; }

    /** Events on the panel itself (panel coordinates): only the overlay hears them. */
    void pressPanel (juce::Point<int> p, juce::ModifierKeys mods = left())
    {
        overlay->mouseDown (mouseAt (panel, p.toFloat(), p.toFloat(), mods, false));
        pressedAt = p;
    }
    void dragPanel (juce::Point<int> p) { overlay->mouseDrag (mouseAt (panel, p.toFloat(), pressedAt.toFloat(), left(), true)); }
    void releasePanel (juce::Point<int> p) { overlay->mouseUp (mouseAt (panel, p.toFloat(), pressedAt.toFloat(), {}, true)); }
    void movePanel (juce::Point<int> p) { overlay->mouseMove (mouseAt (panel, p.toFloat(), p.toFloat(), {}, false)); }

    /** A drag on the panel from one point to another, released there. */
    void dragOnPanel (juce::Point<int> from, juce::Point<int> to)
    {
        pressPanel (from);
        dragPanel (from + juce::Point<int> (3, 3));
        dragPanel (to);
        releasePanel (to);
    }

    /** The panel and its overlay as the screen would show them. */
    juce::Image snapshot() { return panel.createComponentSnapshot (panel.getLocalBounds(), true, 1.0f); }

    /** Below the knob, inside its target: where a link drag starts. */
    static juce::Point<int> linkSpot (int row, int column) { return targetArea (row, column).getBottomLeft() + juce::Point<int> (30, -6); }

    juce::Point<int> pressedAt;
};

TEST_F (LinkEditorFixture, DraggingATargetOntoOneOfTheSameSizeLinksThemByPosition)
{
    dragOnPanel (linkSpot (0, 0), linkSpot (1, 1));
    EXPECT_EQ (manager.getLinkPairs(), (std::vector<std::pair<int, int>> { { 0, 21 } }));
    EXPECT_EQ (overlay->getConnections(), manager.getLinkPairs());
    EXPECT_FALSE (overlay->isDragging());

    // Section onto section: three pairs; a knob onto a section links nothing.
    dragOnPanel (sectionArea (0).getCentre(), sectionArea (1).getCentre());
    EXPECT_EQ (manager.getLinkPairs(),
               (std::vector<std::pair<int, int>> { { 0, 20 }, { 0, 21 }, { 1, 21 }, { 2, 22 } }));
    dragOnPanel (linkSpot (0, 3), sectionArea (1).getCentre());
    dragOnPanel (linkSpot (0, 3), linkSpot (0, 3)); // onto itself
    EXPECT_EQ (manager.getLinkPairs().size(), 4u);
    EXPECT_FALSE (manager.isLinked (7));
}

TEST_F (LinkEditorFixture, APressOnAKnobTurnsItOrDragsALinkAsTheLinkViewSaysNeverBoth)
{
    auto& k = knobAt (0, 0);
    const auto drop = linkSpot (0, 1).toFloat() - k.getPosition().toFloat();

    // Press, drag and release on the knob, heard by the knob first and then
    // by the overlay; answers whether a link drag was under way.
    const auto dragOnKnob = [&] (juce::Point<float> from, juce::Point<float> to)
    {
        bool linkDragSeen = false;
        const auto pressed = mouseAt (k, from, from, left(), false);
        k.mouseDown (pressed);
        overlay->mouseDown (pressed);
        for (auto p : { from + juce::Point<float> (0.0f, -20.0f), to })
        {
            const auto moved = mouseAt (k, p, from, left(), true);
            k.mouseDrag (moved);
            overlay->mouseDrag (moved);
            linkDragSeen = linkDragSeen || overlay->isDragging();
        }
        const auto released = mouseAt (k, to, from, {}, true);
        k.mouseUp (released);
        overlay->mouseUp (released);
        return linkDragSeen;
    };

    const juce::Point<float> onStrip (30.0f, 30.0f), onHandle (30.0f, 5.0f), besideStrip (4.0f, 30.0f);

    // Link view off: the strip turns the knob, the handle its ratio, and no
    // press on the knob starts a link, not even beside the strip.
    EXPECT_FALSE (dragOnKnob (onStrip, { 30.0f, -120.0f }));
    EXPECT_FLOAT_EQ (k.getValue(), 0.7f); // 0.2 + half the range
    EXPECT_FALSE (dragOnKnob (onHandle, { 30.0f, -70.0f }));
    EXPECT_FLOAT_EQ (manager.getRatio (0), 1.5f);
    EXPECT_FALSE (dragOnKnob (besideStrip, drop));
    EXPECT_TRUE (manager.getLinkPairs().empty());

    // Link view on: strip and margin drag links, the handle still sets the
    // ratio (up to its limit of 2) and drags none; the value stays, and the
    // host hears no touch of the knob.
    overlay->setLinksVisible (true);
    processor.takeEvents();
    EXPECT_TRUE (dragOnKnob (onStrip, drop));
    EXPECT_EQ (manager.getLinkPairs(), (std::vector<std::pair<int, int>> { { 0, 1 } }));
    EXPECT_FALSE (dragOnKnob (onHandle, { 30.0f, -70.0f }));
    EXPECT_TRUE (dragOnKnob (besideStrip, linkSpot (0, 2).toFloat() - k.getPosition().toFloat()));
    EXPECT_EQ (manager.getLinkPairs(), (std::vector<std::pair<int, int>> { { 0, 1 }, { 0, 2 } }));
    EXPECT_FLOAT_EQ (k.getValue(), 0.7f);
    EXPECT_FLOAT_EQ (manager.getRatio (0), 2.0f);
    EXPECT_TRUE (hostEvents (processor).empty());

    // Off again: the knob turns once more.
    overlay->setLinksVisible (false);
    EXPECT_FALSE (dragOnKnob (onStrip, { 30.0f, 120.0f }));
    EXPECT_FLOAT_EQ (k.getValue(), 0.4f);
}

TEST_F (LinkEditorFixture, ClickingALineCutsExactlyThatLinkWhileTheLinkViewIsOn)
{
    manager.link (0, 1);
    manager.link (1, 2);
    overlay->updateConnections();
    const auto middle = (targetArea (0, 0).getCentre() + targetArea (0, 1).getCentre()) / 2 + juce::Point<int> (0, 3);

    pressPanel (middle); // hidden: nothing
    releasePanel (middle);
    EXPECT_EQ (manager.getLinkPairs().size(), 2u);

    // Knob centres lie inside the targets: the line is hit between the targets.
    overlay->setLinksVisible (true);
    const juce::Point<int> between (targetArea (0, 0).getRight() + 10, targetArea (0, 0).getCentreY() + 4);
    pressPanel (between);
    releasePanel (between);
    EXPECT_EQ (manager.getLinkPairs(), (std::vector<std::pair<int, int>> { { 1, 2 } }));
    EXPECT_EQ (overlay->getConnections(), manager.getLinkPairs());

    // Farther than 5 pixels from every line: nothing.
    pressPanel (between + juce::Point<int> (80, 6));
    EXPECT_EQ (manager.getLinkPairs().size(), 1u);
}

TEST_F (LinkEditorFixture, RestingOnAKnobHighlightsItsWholeGroupInYellow)
{
    manager.link (0, 1);
    manager.link (1, 2);
    manager.link (20, 21);
    overlay->updateConnections();
    overlay->setLinksVisible (true);

    movePanel (linkSpot (0, 0));
    overlay->showHighlight();
    EXPECT_EQ (overlay->getHighlightSet(), (std::set<int> { 0, 1, 2 }));

    const auto image = snapshot();
    const auto onFirstLine = (targetArea (0, 0).getCentre() + targetArea (0, 1).getCentre()) / 2;
    const auto onSecondLine = (targetArea (0, 1).getCentre() + targetArea (0, 2).getCentre()) / 2;
    const auto onOtherGroup = (targetArea (1, 0).getCentre() + targetArea (1, 1).getCentre()) / 2;
    EXPECT_EQ (image.getPixelAt (onFirstLine.x, onFirstLine.y), juce::Colour (0xFFFFFF00));
    EXPECT_EQ (image.getPixelAt (onSecondLine.x, onSecondLine.y), juce::Colour (0xFFFFFF00));
    EXPECT_EQ (image.getPixelAt (onOtherGroup.x, onOtherGroup.y), juce::Colour (0xFFF5F5F5));

    // Any movement removes it.
    movePanel (linkSpot (0, 0) + juce::Point<int> (1, 0));
    EXPECT_TRUE (overlay->getHighlightSet().empty());
}

TEST_F (LinkEditorFixture, TheOverlaysAlphaIsAppliedToEveryLine)
{
    const auto onLine = (targetArea (0, 0).getCentre() + targetArea (0, 1).getCentre()) / 2;
    const auto bare = snapshot().getPixelAt (onLine.x, onLine.y);
    manager.link (0, 1);
    overlay->updateConnections();

    // Hidden: no line at all.
    EXPECT_EQ (snapshot().getPixelAt (onLine.x, onLine.y), bare);

    overlay->setLinksVisible (true);
    EXPECT_EQ (snapshot().getPixelAt (onLine.x, onLine.y), juce::Colour (0xFFF5F5F5));
    movePanel (linkSpot (0, 0));
    overlay->showHighlight();
    EXPECT_EQ (snapshot().getPixelAt (onLine.x, onLine.y), juce::Colour (0xFFFFFF00));

    // Halfway through a fade the highlighted line is half yellow, half panel.
    panel.setColour (ParameterLinkEditor::connectionColourId, juce::Colour (0x80F5F5F5)); // as the fader writes it
    const auto faded = snapshot().getPixelAt (onLine.x, onLine.y);
    EXPECT_NEAR (faded.getBlue(), bare.getBlue() / 2, 3);
    EXPECT_NEAR (faded.getRed(), (0xFF + bare.getRed()) / 2, 3);

    // Off: gone at once, whatever was highlighted.
    overlay->setLinksVisible (false);
    EXPECT_EQ (overlay->getOverlayAlpha(), 0.0f);
    EXPECT_EQ (snapshot().getPixelAt (onLine.x, onLine.y), bare);
}

TEST_F (LinkEditorFixture, MenuOffersWhatTheTargetAllowsAndCreatesNoEntries)
{
    auto itemsOf = [] (const juce::PopupMenu& menu)
    {
        std::map<int, std::pair<juce::String, bool>> items;
        for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
            if (it.getItem().itemID != 0)
                items[it.getItem().itemID] = { it.getItem().text, it.getItem().isEnabled };
        return items;
    };

    auto single = itemsOf (overlay->createMenu (targetAt (0, 0)));
    EXPECT_EQ (single[ParameterLinkEditor::linkColumnItem], std::make_pair (juce::String ("Link Column"), true));
    EXPECT_EQ (single[ParameterLinkEditor::freeColumnItem], std::make_pair (juce::String ("Free Column"), false));
    EXPECT_EQ (single[ParameterLinkEditor::freeParameterItem], std::make_pair (juce::String ("Free Parameter"), false));
    EXPECT_EQ (single[ParameterLinkEditor::renameItem].first, "Rename");
    EXPECT_EQ (single[ParameterLinkEditor::copyRatioItem].first, "Corona");
    EXPECT_EQ (single[ParameterLinkEditor::pasteItem], std::make_pair (juce::String ("Paste Parameter"), false));

    auto& section = *overlay->getTargets()[8];
    auto group = itemsOf (overlay->createMenu (section));
    EXPECT_EQ (group.count (ParameterLinkEditor::linkColumnItem), 0u);
    EXPECT_EQ (group[ParameterLinkEditor::freeParameterItem], std::make_pair (juce::String ("Free Parameter Group"), false));
    EXPECT_EQ (group[ParameterLinkEditor::pasteItem].first, "Paste Parameters");

    // Drawing, the menu and copying ask about a parameter that never had an entry without making one.
    overlay->addParameterTarget ("Loose", { 340, 20, 40, 40 }, 50, orva, new ParameterCopyGroup (&clipboard, &manager, 50), true);
    snapshot();
    itemsOf (overlay->createMenu (*overlay->getTargets().back()));
    overlay->menuItemChosen (*overlay->getTargets().back(), ParameterLinkEditor::copyValueAndRatioItem);
    EXPECT_FALSE (manager.findLinkEntry (50).has_value());
    EXPECT_EQ (clipboard.name, "SingleParameter_B");

    overlay->menuItemChosen (targetAt (0, 1), ParameterLinkEditor::copyValueItem);

    // "Link Column" chains the column; "Paste" follows the copy; "Free Column" frees it.
    overlay->menuItemChosen (targetAt (0, 0), ParameterLinkEditor::linkColumnItem);
    EXPECT_EQ (manager.getLinkPairs(), (std::vector<std::pair<int, int>> { { 0, 20 } }));
    single = itemsOf (overlay->createMenu (targetAt (0, 0)));
    EXPECT_TRUE (single[ParameterLinkEditor::freeColumnItem].second);
    EXPECT_TRUE (single[ParameterLinkEditor::freeParameterItem].second);
    EXPECT_TRUE (single[ParameterLinkEditor::pasteItem].second);

    overlay->menuItemChosen (targetAt (1, 3), ParameterLinkEditor::pasteItem);
    EXPECT_FLOAT_EQ (knobAt (1, 3).getValue(), knobAt (0, 1).getValue());

    overlay->menuItemChosen (targetAt (1, 0), ParameterLinkEditor::freeColumnItem);
    EXPECT_TRUE (manager.getLinkPairs().empty());
    EXPECT_EQ (overlay->getConnections(), manager.getLinkPairs());
}

TEST_F (LinkEditorFixture, RenamingNamesTheGroupWithLettersDigitsBlanksAndUnderscoresOnly)
{
    manager.link (0, 1);
    notifications = 0;
    overlay->menuItemChosen (targetAt (0, 0), ParameterLinkEditor::renameItem);

    juce::TextEditor* field = nullptr;
    for (auto* child : panel.getChildren())
        if (auto* editor = dynamic_cast<juce::TextEditor*> (child))
            field = editor;
    ASSERT_NE (field, nullptr);
    EXPECT_EQ (field->getBounds(), targetArea (0, 0).expanded (2));
    EXPECT_TRUE (field->getText().isEmpty());

    // Selecting text by dragging in the field starts no link drag.
    const juce::Point<float> inField (5.0f, 5.0f);
    overlay->mouseDown (mouseAt (*field, inField, inField, left(), false));
    overlay->mouseDrag (mouseAt (*field, inField + juce::Point<float> (20.0f, 0.0f), inField, left(), true));
    EXPECT_FALSE (overlay->isDragging());
    overlay->mouseUp (mouseAt (*field, inField + juce::Point<float> (20.0f, 0.0f), inField, {}, true));

    field->insertTextAtCaret ("Bass-Line/2!_x");
    EXPECT_EQ (field->getText(), "BassLine2_x");

    overlay->renameTo (field->getText());
    EXPECT_EQ (manager.findLinkEntry (0)->name, "BassLine2_x");
    EXPECT_EQ (notifications, 1);
    overlay->editorClosed();

    // A section is never renamed; nor is a single target registered as not renamable.
    overlay->menuItemChosen (*overlay->getTargets()[8], ParameterLinkEditor::renameItem);
    EXPECT_EQ (manager.findLinkEntry (0)->name, "BassLine2_x");
}

TEST_F (LinkEditorFixture, AGroupRenamedWhileTheHostSavesTheLinksIsSavedWithOneOfItsNames)
{
    manager.link (0, 1);
    overlay->menuItemChosen (targetAt (0, 0), ParameterLinkEditor::renameItem);
    LinkSaver host (manager, 0);

    for (int round = 0; round < 100; ++round)
        overlay->renameTo ("Bass " + juce::String (round));
    overlay->editorClosed();

    const auto& saved = host.stop();
    ASSERT_FALSE (saved.empty());
    for (auto& ratioAndName : saved)
    {
        const auto name = ratioAndName.fromFirstOccurrenceOf ("|", false, false);
        EXPECT_TRUE (name.isEmpty() || (name.startsWith ("Bass ") && name.getTrailingIntValue() < 100)) << ratioAndName;
    }
    EXPECT_EQ (manager.findLinkEntry (0)->name, "Bass 99");
}

TEST_F (LinkEditorFixture, TwoLinkedGroupsShowLinesTintsAndNames)
{
    // Group one: the first three ORVA knobs in a chain, named.  Group two: ORVA's
    // last knob with two TESK knobs, with a negative ratio on one of them.
    manager.link (0, 1);
    manager.link (1, 2);
    manager.link (7, 27);
    manager.link (27, 22);
    manager.getLinkEntry (0).name = "Sweep";
    manager.getLinkEntry (27).name = "Grit";
    manager.getLinkEntry (22).ratio = -0.5f;
    overlay->updateConnections();
    overlay->setLinksVisible (true);
    movePanel (linkSpot (1, 3));
    overlay->showHighlight();

    const auto image = snapshot();

    const auto lineBetween = [] (juce::Point<int> a, juce::Point<int> b) { return (a + b) / 2; };
    const auto plain = lineBetween (targetArea (0, 0).getCentre(), targetArea (0, 1).getCentre());
    const auto highlighted = lineBetween (targetArea (0, 3).getCentre(), targetArea (1, 3).getCentre());
    EXPECT_EQ (image.getPixelAt (plain.x, plain.y), juce::Colour (0xFFF5F5F5));
    EXPECT_EQ (image.getPixelAt (highlighted.x, highlighted.y), juce::Colour (0xFFFFFF00));
    EXPECT_EQ (overlay->getHighlightSet(), (std::set<int> { 7, 22, 27 }));

    // Linked targets are tinted in their device colour (beside the knob), unlinked ones not.
    const auto besideLinked = targetArea (0, 1).getTopLeft() + juce::Point<int> (3, 20);
    const auto besideUnlinked = targetArea (1, 0).getTopLeft() + juce::Point<int> (3, 20);
    const auto tinted = image.getPixelAt (besideLinked.x, besideLinked.y);
    const auto untinted = image.getPixelAt (besideUnlinked.x, besideUnlinked.y);
    EXPECT_GT (tinted.getRed() - tinted.getBlue(), untinted.getRed() - untinted.getBlue() + 30);

    // A group name is drawn on its target: darker pixels than without it.
    manager.getLinkEntry (27).name = {};
    const auto unnamed = snapshot();
    int darkened = 0;
    const auto area = targetArea (1, 3);
    for (int x = area.getX(); x < area.getRight(); ++x)
        for (int y = area.getY(); y < area.getBottom(); ++y)
            darkened += image.getPixelAt (x, y).getBrightness() + 0.05f < unnamed.getPixelAt (x, y).getBrightness() ? 1 : 0;
    EXPECT_GT (darkened, 20);
}
