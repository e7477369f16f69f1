#include "PresetTestSupport.h"

#include "presets/PresetTreeComponent.h"
#include "presets/PresetTreeItemComponent.h"

using namespace PresetTestSupport;
using TreeComponent = PresetManager::PresetTreeComponent;
using Row = TreeComponent::ItemComponent;

namespace
{
void dispatchMessages()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
}

juce::MouseEvent mouseEvent (Row& row, juce::ModifierKeys mods, juce::Point<float> where = { 40.0f, 5.0f },
                             juce::Point<float> downAt = { 40.0f, 5.0f }, bool dragged = false)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), where, mods, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                             &row, &row, now, downAt, now, 1, dragged);
}

void click (Row& row, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
{
    row.mouseDown (mouseEvent (row, mods));
    row.mouseUp (mouseEvent (row, mods));
}

/** Presses on a row, drags it well away and releases it over the target:
    the container cannot run a real drag here, so the target is offered the
    drag as the container would offer it.  True when the target took it. */
bool dragOnto (Row& source, Row& target)
{
    const auto left = juce::ModifierKeys::leftButtonModifier;
    source.mouseDown (mouseEvent (source, left));
    source.mouseDrag (mouseEvent (source, left, { 40.0f, 60.0f }, { 40.0f, 5.0f }, true));

    const Row::SourceDetails details (Row::dragDescription, &source, { 10, 5 });
    const bool accepted = target.isInterestedInDragSource (details);
    if (accepted)
    {
        target.itemDragEnter (details);
        EXPECT_TRUE (target.isDropHighlighted());
    }
    // A drop the target refused must do nothing either.
    target.itemDropped (details);
    EXPECT_FALSE (target.isDropHighlighted());
    source.mouseUp (mouseEvent (source, left, { 40.0f, 60.0f }, { 40.0f, 5.0f }, true));
    return accepted;
}

class PresetTree : public PresetFolders
{
protected:
    PresetTree()
    {
        addPreset (factory, "Bass/Deep", "factory deep");
        addPreset (factory, "Bass/Acid", "acid");
        addPreset (factory, "Organ", "organ");
        addPreset (user, "Round", "round");
        addPreset (user, "Warm", "warm");
        addPreset (user, "Bass/Sub", "sub");
        addPreset (user, "Bass/Low/Deep", "low deep");
        addPreset (user, "Deep", "user deep");
        user.getChildFile ("Empty").createDirectory();

        manager = makeManager();
        tree.reset (manager->createTreeComponent());
        tree->setBounds (0, 0, 260, 700);
        for (auto* folder : { item (*manager, factoryPath), item (*manager, factoryPath + "/Bass"), item (*manager, userPath),
                              item (*manager, userPath + "/Bass"), item (*manager, userPath + "/Bass/Low") })
            folder->setOpen (true);
        dispatchMessages();
    }

    Row& row (const juce::String& path)
    {
        auto* found = item (*manager, path);
        if (found == nullptr)
            throw std::runtime_error ("no item " + path.toStdString());
        auto* shown = dynamic_cast<Row*> (found->getRowComponent());
        if (shown == nullptr)
            throw std::runtime_error ("no row for " + path.toStdString());
        return *shown;
    }

    /** The visible rows of a view, top to bottom, as the rows name them. */
    static juce::StringArray rowTexts (juce::TreeView& view)
    {
        juce::StringArray texts;
        for (int index = 0; index < view.getNumRowsInTree(); ++index)
        {
            auto* base = dynamic_cast<PresetManager::PresetTreeItemBase*> (view.getItemOnRow (index));
            auto* shown = base != nullptr ? dynamic_cast<Row*> (base->getRowComponent()) : nullptr;
            texts.add (shown != nullptr ? shown->getTooltip() : juce::String ("<no row>"));
        }
        return texts;
    }

    std::unique_ptr<PresetManager> manager;
    std::unique_ptr<TreeComponent> tree;
};
} // namespace

TEST_F (PresetTree, listsFactoryAndUserPresetsFoldersFirstAndSortedAndKeepsEqualNamedFavouritesInOrder)
{
    EXPECT_EQ (rowTexts (tree->getFolderView()),
               juce::StringArray ({ "Factory Presets", "Bass", "Acid", "Deep", "Organ",
                                    "User Presets", "Bass", "Low", "Deep", "Sub", "Empty", "Deep", "Round", "Warm" }));

    // Three presets named "Deep": the favourites keep the order they were starred in.
    for (auto path : { userPath + "/Deep", factoryPath + "/Bass/Deep", userPath + "/Bass/Low/Deep" })
        fileItem (*manager, path)->setFavorite (true);
    fileItem (*manager, userPath + "/Round")->setFavorite (true);
    dispatchMessages();

    EXPECT_EQ (rowTexts (tree->getFavoritesView()), juce::StringArray ({ "Deep", "Deep", "Deep", "Round" }));
    EXPECT_EQ (manager->getFavoriteList().getFavoriteIds(),
               juce::StringArray (userPath + "/Deep", factoryPath + "/Bass/Deep", userPath + "/Bass/Low/Deep", userPath + "/Round"));
}

TEST_F (PresetTree, arrowKeysStepThroughThePresetsAndTheSelectionFollows)
{
    using K = juce::KeyPress;
    // Consumed even when nothing is loaded; nothing loads.
    EXPECT_TRUE (tree->getFolderView().keyPressed (K (K::downKey)));
    EXPECT_TRUE (client.loaded.isEmpty());

    click (row (userPath + "/Round"));
    EXPECT_EQ (client.sound, "round");

    const std::pair<int, const char*> steps[] { { K::downKey, "warm" }, { K::upKey, "round" }, { K::leftKey, "user deep" },
                                                { K::rightKey, "round" }, { K::rightKey, "warm" }, { K::rightKey, "acid" } };
    for (auto& [key, sound] : steps)
    {
        EXPECT_TRUE (tree->getFolderView().keyPressed (K (key)));
        EXPECT_EQ (client.sound, sound);
    }

    dispatchMessages();
    auto* current = item (*manager, factoryPath + "/Bass/Acid"); // wrapped around
    EXPECT_EQ (manager->getCurrentItem(), current);
    EXPECT_TRUE (current->isSelected());
    EXPECT_FALSE (item (*manager, userPath + "/Round")->isSelected());

    // With a modifier, or another key such as Return: not consumed, nothing happens.
    const auto count = client.loaded.size();
    for (auto mods : { juce::ModifierKeys::shiftModifier, juce::ModifierKeys::ctrlModifier, juce::ModifierKeys::altModifier,
                       juce::ModifierKeys::commandModifier })
        EXPECT_FALSE (tree->getFolderView().keyPressed (K (K::downKey, mods, 0)));
    EXPECT_FALSE (tree->getFolderView().keyPressed (K (K::returnKey)));
    EXPECT_FALSE (tree->keyPressed (K ('a')));
    EXPECT_EQ (client.loaded.size(), count);
    EXPECT_EQ (manager->getCurrentItem(), current);
}

TEST_F (PresetTree, aStarClickTogglesTheFavouriteBothRowsAgreeAndTheFavouritesFileKeepsIt)
{
    const auto file = base.getChildFile ("Kest.Favorites.xml");
    auto& star = *row (userPath + "/Warm").getButton();
    ASSERT_EQ (star.getKind(), Row::ItemButton::favoriteStar);

    juce::Component& button = star;
    const auto at = juce::Point<float> (4.0f, 4.0f);
    const auto now = juce::Time::getCurrentTime();
    const juce::MouseEvent press (juce::Desktop::getInstance().getMainMouseSource(), at, juce::ModifierKeys::leftButtonModifier,
                                  0.0f, 0.0f, 0.0f, 0.0f, 0.0f, &star, &star, now, at, now, 1, false);
    button.mouseDown (press);
    button.mouseUp (press);
    dispatchMessages();

    EXPECT_TRUE (fileItem (*manager, userPath + "/Warm")->isFavorite());
    EXPECT_TRUE (client.loaded.isEmpty()); // the star does not load
    ASSERT_TRUE (manager->saveFavorites (file));

    // The entry's star shows the same state; switching it off removes the entry.
    auto& entryRow = row ("/Favorites/Warm");
    ASSERT_NE (entryRow.getButton(), nullptr);
    EXPECT_TRUE (entryRow.getButton()->getToggleState());
    entryRow.getButton()->setToggleState (false, juce::sendNotificationSync);
    dispatchMessages();
    EXPECT_EQ (manager->getFavoriteList().getNumSubItems(), 0);
    EXPECT_FALSE (row (userPath + "/Warm").getButton()->getToggleState());

    tree.reset();
    manager.reset();
    auto reopened = makeManager();
    reopened->loadFavorites (file);
    EXPECT_TRUE (fileItem (*reopened, userPath + "/Warm")->isFavorite());
}

TEST_F (PresetTree, aUserPresetDraggedIntoAUserFolderMovesItsFileAndDoesNotLoad)
{
    auto& target = row (userPath + "/Bass/Low");
    ASSERT_TRUE (dragOnto (row (userPath + "/Round"), target));

    EXPECT_FALSE (user.getChildFile ("Round.prs").exists());
    EXPECT_EQ (user.getChildFile ("Bass/Low/Round.prs").loadFileAsString(), "round");
    auto* moved = fileItem (*manager, userPath + "/Bass/Low/Round");
    ASSERT_NE (moved, nullptr);
    EXPECT_EQ (moved->getFile(), user.getChildFile ("Bass/Low/Round.prs"));
    EXPECT_TRUE (client.loaded.isEmpty());

    // A folder moves with everything in it; a name taken there keeps both.
    addPreset (user, "Low/Keep", "other keep");
    tree = nullptr;
    manager = makeManager();
    tree.reset (manager->createTreeComponent());
    tree->setBounds (0, 0, 260, 700);
    item (*manager, userPath)->setOpen (true);
    item (*manager, userPath + "/Bass")->setOpen (true);
    dispatchMessages();

    const auto before = snapshot (user);
    ASSERT_TRUE (dragOnto (row (userPath + "/Bass/Low"), row (userPath)));
    const auto after = snapshot (user);
    EXPECT_EQ (after.size(), before.size());
    EXPECT_EQ (after.at ("Low/Keep.prs"), "other keep");
    EXPECT_EQ (after.at ("Low(2)/Deep.prs"), "low deep");
    EXPECT_EQ (after.at ("Low(2)/Round.prs"), "round");
}

TEST_F (PresetTree, dropsIntoTheFactoryTreeOntoTheOwnFolderOrIntoItselfAreRefusedAndNothingMoves)
{
    const auto userBefore = snapshot (user), factoryBefore = snapshot (factory);

    EXPECT_FALSE (dragOnto (row (userPath + "/Round"), row (factoryPath + "/Bass")));
    EXPECT_FALSE (dragOnto (row (userPath + "/Round"), row (factoryPath)));
    EXPECT_FALSE (dragOnto (row (userPath + "/Round"), row (userPath)));                // already there
    EXPECT_FALSE (dragOnto (row (userPath + "/Bass"), row (userPath + "/Bass")));       // onto itself
    EXPECT_FALSE (dragOnto (row (userPath + "/Bass"), row (userPath + "/Bass/Low")));   // into its own sub-folder
    EXPECT_FALSE (dragOnto (row (userPath + "/Round"), row (userPath + "/Warm")));      // presets take nothing

    fileItem (*manager, userPath + "/Warm")->setFavorite (true);
    dispatchMessages();
    EXPECT_FALSE (dragOnto (row ("/Favorites/Warm"), row (userPath + "/Bass")));        // an entry is no file
    EXPECT_FALSE (dragOnto (row (factoryPath + "/Organ"), row (userPath + "/Bass")));   // factory presets stay

    EXPECT_EQ (snapshot (user), userBefore);
    EXPECT_EQ (snapshot (factory), factoryBefore);
    EXPECT_NE (fileItem (*manager, userPath + "/Round"), nullptr);
    EXPECT_NE (item (*manager, userPath + "/Bass/Low"), nullptr);
}

TEST_F (PresetTree, aPopupClickNeverLoadsAndAFolderClickMakesItActiveWithoutSelectingIt)
{
    using M = juce::ModifierKeys;
    // Read-only rows have no menu, so no window opens here.
    for (auto mods : { M (M::rightButtonModifier), M (M::leftButtonModifier | M::ctrlModifier),
                       M (M::rightButtonModifier | M::ctrlModifier) })
        click (row (factoryPath + "/Organ"), mods);
    EXPECT_TRUE (client.loaded.isEmpty());
    EXPECT_EQ (manager->getCurrentItem(), nullptr);

    click (row (factoryPath + "/Organ"));
    EXPECT_EQ (client.loaded, juce::StringArray ("organ"));

    click (row (userPath + "/Bass/Low"));
    dispatchMessages();
    auto* folder = item (*manager, userPath + "/Bass/Low");
    EXPECT_EQ (manager->getCurrentFolder(), folder);
    EXPECT_FALSE (folder->isSelected());
    EXPECT_TRUE (item (*manager, factoryPath + "/Organ")->isSelected());

    // A selection the framework makes (a click in the indent beside a row) is put back.
    item (*manager, factoryPath + "/Bass/Deep")->setSelected (true, true);
    dispatchMessages();
    EXPECT_TRUE (item (*manager, factoryPath + "/Organ")->isSelected());
    EXPECT_FALSE (item (*manager, factoryPath + "/Bass/Deep")->isSelected());
}

TEST_F (PresetTree, openCloseButtonsRowHeightsHeadersAndTheOwningManager)
{
    auto& bass = row (userPath + "/Bass");
    ASSERT_EQ (bass.getButton()->getKind(), Row::ItemButton::openCloseButton);
    bass.buttonClicked (bass.getButton());
    EXPECT_FALSE (item (*manager, userPath + "/Bass")->isOpen());
    bass.buttonClicked (bass.getButton());
    EXPECT_TRUE (item (*manager, userPath + "/Bass")->isOpen());

    tree->setItemHeight (17);
    juce::Image favouritesHeader (juce::Image::ARGB, 260, 30, true), presetsHeader (juce::Image::ARGB, 260, 24, true);
    tree->setHeaderImages (favouritesHeader, presetsHeader);
    dispatchMessages();
    EXPECT_EQ (row (userPath + "/Round").getHeight(), 17);
    EXPECT_EQ (row (userPath + "/Round").getButton()->getBounds(), juce::Rectangle<int> (0, 0, 17, 17));
    EXPECT_EQ (tree->getFavoritesView().getY(), 30);
    EXPECT_EQ (tree->getFolderView().getBottom(), 700);
    EXPECT_EQ (tree->getFolderView().getY() - tree->getFavoritesView().getBottom(), 7 + 24);

    EXPECT_EQ (manager->createTreeComponent(), tree.get());
    juce::Component::SafePointer<TreeComponent> left (tree.release());
    manager.reset();
    EXPECT_EQ (left.getComponent(), nullptr);
}

TEST_F (PresetTree, rowsPaintTheSelectionTheActiveFolderMarkAndTheStarsThroughTheTreesLookAndFeel)
{
    struct Recorder : TreeComponent::LookAndFeel
    {
        void drawOpenCloseButton (juce::Graphics&, juce::Rectangle<int>, bool isOpen, bool isEmpty, bool) override
        {
            calls.add (juce::String ("folder ") + (isOpen ? "open" : "closed") + (isEmpty ? " empty" : ""));
        }
        void drawActiveFolderMarker (juce::Graphics& g, juce::Rectangle<int> area) override
        {
            g.setColour (juce::Colours::red);
            g.fillRect (area.removeFromRight (area.getHeight()));
        }
        void drawFavoriteButton (juce::Graphics&, juce::Rectangle<int>, bool on, bool) override
        {
            calls.add (on ? "star on" : "star off");
        }
        juce::StringArray calls;
    };
    auto recorder = std::make_unique<Recorder>();
    auto& calls = recorder->calls;
    tree->setTreeLookAndFeel (std::move (recorder));
    tree->setColour (juce::TreeView::selectedItemBackgroundColourId, juce::Colours::blue);

    auto paintRow = [] (Row& shown) {
        juce::Image image (juce::Image::ARGB, shown.getWidth(), shown.getHeight(), true);
        juce::Graphics g (image);
        shown.paintEntireComponent (g, false);
        return image;
    };

    click (row (userPath + "/Round"));
    click (row (userPath + "/Bass"));
    dispatchMessages();

    auto& round = row (userPath + "/Round");
    const auto selected = paintRow (round);
    EXPECT_EQ (selected.getPixelAt (round.getWidth() - 2, 1), juce::Colours::blue);
    auto& bass = row (userPath + "/Bass");
    const auto active = paintRow (bass);
    EXPECT_EQ (active.getPixelAt (bass.getWidth() - 2, 1), juce::Colours::red);
    EXPECT_EQ (active.getPixelAt (bass.getWidth() - bass.getHeight() - 2, 1).getAlpha(), 0);
    EXPECT_EQ (paintRow (row (userPath + "/Warm")).getPixelAt (row (userPath + "/Warm").getWidth() - 2, 1).getAlpha(), 0);

    calls.clear();
    paintRow (row (userPath + "/Empty"));
    paintRow (row (userPath + "/Warm"));
    fileItem (*manager, userPath + "/Warm")->setFavorite (true);
    paintRow (row (userPath + "/Warm"));
    EXPECT_EQ (calls, juce::StringArray ("folder closed empty", "star off", "star on"));
}
