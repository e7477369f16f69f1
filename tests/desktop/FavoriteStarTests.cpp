// A preset starred in the tree as a user stars it, while its favourite
// cannot be saved: the editor says so at once, the star stays, and the next
// star that can be saved brings both to the file.

#include "DesktopEditorFixture.h"

namespace
{
using Korvalden::Misc::PresetManager;

const juce::String userPath ("/PresetFiles/User Presets");

juce::StringArray idsIn (const juce::File& file)
{
    juce::StringArray ids;
    if (auto root = juce::parseXML (file))
        for (auto* list : root->getChildWithTagNameIterator ("FAVLIST"))
            for (auto* entry : list->getChildIterator())
                ids.add (entry->getStringAttribute ("id"));
    return ids;
}
bool samePixels (const juce::Image& a, const juce::Image& b)
{
    if (! a.isValid() || ! b.isValid() || a.getBounds() != b.getBounds())
        return false;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;
    return true;
}
} // namespace

class FavoriteStar : public DesktopEditorFixture
{
protected:
    /** Clicks the star in front of a user preset's row. */
    bool clickStarOf (const juce::File& preset)
    {
        auto* row = userPresetRow (preset);
        auto* star = row != nullptr ? buttonWithText (*row) : nullptr;
        return star != nullptr && click (star->getScreenBounds().getCentre(), 1);
    }

    bool isFavorite (const juce::String& name)
    {
        auto* item = dynamic_cast<PresetManager::FileItem*> (engine->getPresetManager().findItemByPath (userPath + "/" + name));
        return item != nullptr && item->isFavorite();
    }
};

TEST_F (FavoriteStar, AStarThatCannotBeSavedIsToldAtOnceStaysAndIsSavedWithTheNextOne)
{
    // The favourites file leads into a folder that is not there (a disk not mounted).
    const auto favourites = AudioEngine::getFavoritesFile();
    const auto gone = favourites.getSiblingFile ("gone");
    ASSERT_TRUE (favourites.getParentDirectory().createDirectory());
    ASSERT_TRUE (gone.getChildFile ("Kest.Favorites.xml").createSymbolicLink (favourites, true));
    const auto warm = addUserPreset ("Warm");
    const auto round = addUserPreset ("Round");
    const auto soft = addUserPreset ("Soft");
    const auto deep = addUserPreset ("Deep");
    showEditor();
    ASSERT_TRUE (heldKeyPlays()) << "the keys play nothing in the editor just opened";

    const struct
    {
        const char* failing;
        const juce::File& failingFile;
        const juce::File& savedNext;
        bool closedWithReturn;
        const char* savedIds;
    } stars[] {
        { "Warm", warm, round, false, "Round Warm" },
        { "Soft", soft, deep, true, "Deep Soft" }, // the first two went with the file the disk lost
    };
    for (auto& star : stars)
    {
        SCOPED_TRACE (star.failing);
        ASSERT_TRUE (gone.deleteRecursively());
        ASSERT_TRUE (clickStarOf (star.failingFile));
        ASSERT_TRUE (waitFor ([] { return alertTitled ("Write Error") != nullptr; })) << "nothing told the user";
        EXPECT_TRUE (isFavorite (star.failing));
        EXPECT_NE (engine->getPresetManager().findItemByPath (juce::String ("/Favorites/") + star.failing), nullptr);

        // Closed with its button or with Return, the alert leaves the held keys playing, without a click into the editor.
        auto* ok = buttonWithText (*alertTitled ("Write Error"), "OK");
        ASSERT_NE (ok, nullptr);
        ASSERT_TRUE (waitFor ([&] { return ! XInput::screenBounds (display.get(), *alertTitled ("Write Error")).isEmpty(); }));
        if (star.closedWithReturn)
        {
            ASSERT_TRUE (waitFor ([] { return alertTitled ("Write Error")->hasKeyboardFocus (true); }));
            ASSERT_TRUE (XInput::key ("Return"));
        }
        else
        {
            ASSERT_TRUE (click (ok->getScreenBounds().getCentre(), 1));
        }
        ASSERT_TRUE (waitFor ([] { return alertTitled ("Write Error") == nullptr; }));
        EXPECT_TRUE (heldKeyPlays()) << "the keys play nothing after the alert";

        // The disk is back with an empty file: the next star saves both.
        ASSERT_TRUE (gone.getChildFile ("Kest.Favorites.xml").create());
        ASSERT_TRUE (clickStarOf (star.savedNext));
        juce::StringArray expected;
        for (auto& name : juce::StringArray::fromTokens (star.savedIds, false))
            expected.add (userPath + "/" + name);
        EXPECT_TRUE (waitFor ([&] { return idsIn (favourites) == expected; })) << idsIn (favourites).joinIntoString (" ");
        EXPECT_EQ (alertTitled ("Write Error"), nullptr);
    }
}

TEST_F (FavoriteStar, AFavouriteRenamedInTheFolderTreeShowsItsNewNameInTheListAtOnce)
{
    const auto pad = addUserPreset ("Pad");
    showEditor();
    ASSERT_TRUE (clickStarOf (pad));
    // The star's value tells the tree of the change asynchronously.
    PresetManager::PresetTreeItemBase* entry = nullptr;
    ASSERT_TRUE (waitFor ([&] { return (entry = engine->getPresetManager().findItemByPath ("/Favorites/Pad")) != nullptr; }));
    ASSERT_TRUE (waitFor ([entry] { return entry->isRowShownWhole(); }));
    const auto area = entry->getRowComponent()->getScreenBounds();
    settle();
    const auto before = XInput::screenImage (display.get(), area);

    auto* row = userPresetRow (pad);
    ASSERT_NE (row, nullptr);
    ASSERT_FALSE (menuAfterPressAt (row->getScreenBounds().getCentre(), 3, false).isEmpty());
    ASSERT_TRUE (chooseFromMenu ("Rename"));
    ASSERT_TRUE (waitFor ([this] { return renameField() != nullptr && renameField()->hasKeyboardFocus (false); }));
    ASSERT_TRUE (XInput::type ("Lead 2"));
    ASSERT_TRUE (waitFor ([this] { return renameField() != nullptr && renameField()->getText() == "Lead 2"; }));
    ASSERT_TRUE (XInput::key ("Return"));
    ASSERT_TRUE (waitFor ([&] { return pad.getSiblingFile ("Lead 2.prs").existsAsFile() && renameField() == nullptr; }));
    EXPECT_TRUE (isFavorite ("Lead 2"));

    // What the screen shows is what the row draws now, without anything else
    // making it draw again.  Each picture is taken once the screen holds
    // still, however long the program and the server take to get there.
    const auto steadyImage = [&]
    {
        auto image = XInput::screenImage (display.get(), area);
        waitFor ([&]
        {
            settle();
            const auto again = XInput::screenImage (display.get(), area);
            const bool steady = samePixels (again, image);
            image = again;
            return steady;
        });
        return image;
    };
    waitFor ([&] { return ! samePixels (XInput::screenImage (display.get(), area), before); });
    const auto shown = steadyImage();
    engine->getPresetManager().getTreeComponent()->getFavoritesView().repaint();
    panel->getPeer()->performAnyPendingRepaintsNow();
    const auto drawnAgain = steadyImage();
    EXPECT_FALSE (samePixels (drawnAgain, before)) << "the new name draws as the old one did";
    EXPECT_TRUE (samePixels (shown, drawnAgain)) << "the favourites row still shows the old name";
}
