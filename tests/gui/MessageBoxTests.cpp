#include "gui/KestMessageBox.h"
#include "gui/MessageBox.h"

#include "PaintTestSupport.h"
#include "ResourceFolderFixture.h"

#include <gtest/gtest.h>

#include <functional>

using Korvalden::GUI::MessageBox;
using Korvalden::Resources::ResourceManager;

namespace
{
struct Outcome
{
    int result = -100;
    int calls = 0;
    bool callbackDeleted = false;
};

struct RecordingCallback : juce::ModalComponentManager::Callback
{
    explicit RecordingCallback (Outcome& o) : outcome (o) {}
    ~RecordingCallback() override { outcome.callbackDeleted = true; }
    void modalStateFinished (int returnValue) override
    {
        outcome.result = returnValue;
        ++outcome.calls;
    }
    Outcome& outcome;
};

juce::Button* findButton (juce::Component& box, int number)
{
    for (auto* child : box.getChildren())
        if (child->getName() == "Button " + juce::String (number))
            return dynamic_cast<juce::Button*> (child);
    return nullptr;
}

juce::MouseEvent clickOn (juce::Component& component)
{
    const juce::Point<float> where (5.0f, 5.0f);
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), where, {}, 0.0f, 0.0f, 0.0f, 0.0f,
                             0.0f, &component, &component, juce::Time::getCurrentTime(), where,
                             juce::Time::getCurrentTime(), 1, false);
}

/** The window a box is shown over. */
struct Parent : juce::Component
{
    Parent() { setSize (800, 500); }
};
} // namespace

class MessageBoxTest : public ResourceFolderFixture
{
protected:
    void TearDown() override
    {
        // Dismiss anything a failed test left modal, so the next one starts clean.
        while (auto* modal = juce::ModalComponentManager::getInstance()->getModalComponent (0))
            modal->exitModalState (0);
        dispatchMessages();
        ResourceFolderFixture::TearDown();
    }

    Outcome outcome;
    Parent parent;
};

TEST_F (MessageBoxTest, WithoutAParentTheCallbackHearsMinusOneAtOnceAndTheBoxIsGone)
{
    juce::Component::SafePointer<MessageBox> box (new MessageBox());
    box->title = "Title";
    box->addButton (1, "OK");
    box->showModal (nullptr, new RecordingCallback (outcome));

    EXPECT_EQ (outcome.calls, 1);
    EXPECT_EQ (outcome.result, -1);
    EXPECT_TRUE (outcome.callbackDeleted);
    EXPECT_EQ (box.getComponent(), nullptr);

    // Without a callback too.
    juce::Component::SafePointer<MessageBox> silent (new KestMessageBox());
    silent->showModal (nullptr, nullptr);
    EXPECT_EQ (silent.getComponent(), nullptr);
}

TEST_F (MessageBoxTest, AClickedButtonReportsTheNumberAtTheEndOfItsName)
{
    juce::Component::SafePointer<MessageBox> box (new MessageBox());
    box->addButton (12, "Twelve");
    box->showModal (&parent, new RecordingCallback (outcome));

    // Shown: a cover of the parent's size, then the centred box above it.
    ASSERT_EQ (parent.getNumChildComponents(), 2);
    EXPECT_EQ (parent.getChildComponent (0)->getBounds(), parent.getLocalBounds());
    EXPECT_EQ (parent.getChildComponent (1), box.getComponent());
    EXPECT_EQ (box->getBounds(), juce::Rectangle<int> (97, 85, 606, 330));
    EXPECT_TRUE (box->isCurrentlyModal());

    auto* button = findButton (*box, 12);
    ASSERT_NE (button, nullptr);
    EXPECT_TRUE (button->isVisible());
    button->triggerClick();
    dispatchMessages();

    EXPECT_EQ (outcome.calls, 1);
    EXPECT_EQ (outcome.result, 12);
    EXPECT_TRUE (outcome.callbackDeleted);
    EXPECT_EQ (box.getComponent(), nullptr);
    EXPECT_EQ (parent.getNumChildComponents(), 0); // the cover went with the box
}

TEST_F (MessageBoxTest, EscapeOrTheCloseButtonDismissesTheQuestion)
{
    // Escape: dismissed with 0, as a cancel.
    {
        juce::Component::SafePointer<MessageBox> box (new KestMessageBox());
        box->title = "Rename Preset";
        box->addButton (1, "Overwrite");
        box->addButton (3, "Keep Both");
        box->showModal (&parent, new RecordingCallback (outcome));
        EXPECT_FALSE (box->keyPressed (juce::KeyPress ('x')));
        EXPECT_TRUE (box->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
        dispatchMessages();
        EXPECT_EQ (outcome.result, 0);
        EXPECT_EQ (box.getComponent(), nullptr);
    }

    // The box's own button closes it with its number.
    {
        Outcome second;
        juce::Component::SafePointer<MessageBox> box (new KestMessageBox());
        box->addButton (1, "Overwrite");
        box->addButton (3, "Keep Both");
        box->showModal (&parent, new RecordingCallback (second));
        findButton (*box, 3)->triggerClick();
        dispatchMessages();
        EXPECT_EQ (second.calls, 1);
        EXPECT_EQ (second.result, 3);
        EXPECT_EQ (box.getComponent(), nullptr);
    }
}

TEST_F (MessageBoxTest, AClickOnTheBoxClosesItOnlyWhenItShowsNoNumberedButton)
{
    juce::Component::SafePointer<MessageBox> box (new MessageBox());
    box->addButton (1, "OK");
    box->showModal (&parent, new RecordingCallback (outcome));
    box->mouseDown (clickOn (*box));
    dispatchMessages();
    EXPECT_EQ (outcome.calls, 0);
    ASSERT_NE (box.getComponent(), nullptr);

    // Emptying the text hides the button (the same one: no second is made).
    box->addButton (1, {});
    EXPECT_EQ (box->getNumChildComponents(), 1);
    EXPECT_FALSE (findButton (*box, 1)->isVisible());
    box->mouseDown (clickOn (*box));
    dispatchMessages();
    EXPECT_EQ (outcome.result, 0);
    EXPECT_EQ (box.getComponent(), nullptr);
}

TEST_F (MessageBoxTest, AWindowClosedUnderAnOpenBoxEndsItOnceWithoutDoubleDeletion)
{
    // An editor deletes all its children, the box and its cover among them.
    struct Editor : juce::Component
    {
        Editor() { setSize (800, 500); }
        ~Editor() override { deleteAllChildren(); }
    };

    for (bool coverFirst : { false, true })
    {
        Outcome closed;
        auto editor = std::make_unique<Editor>();
        juce::Component::SafePointer<MessageBox> box (new KestMessageBox());
        box->addButton (1, "Overwrite");
        box->showModal (editor.get(), new RecordingCallback (closed));
        ASSERT_EQ (editor->getNumChildComponents(), 2);
        if (coverFirst)
            delete editor->getChildComponent (0);
        editor.reset();
        dispatchMessages();
        EXPECT_EQ (closed.calls, 1);
        EXPECT_EQ (closed.result, 0);
        EXPECT_TRUE (closed.callbackDeleted);
    }
}

TEST_F (MessageBoxTest, OverAResizableWindowTheBoxGoesIntoItsContent)
{
    juce::ResizableWindow window ("Window", false);
    juce::Component content;
    content.setSize (700, 400);
    window.setContentNonOwned (&content, true);

    juce::Component::SafePointer<MessageBox> box (new MessageBox());
    box->showModal (&window, new RecordingCallback (outcome));
    EXPECT_EQ (box->getParentComponent(), &content);
    EXPECT_EQ (content.getNumChildComponents(), 2);

    // Showing again replaces the cover instead of adding a second one.
    box->showModal (&window, nullptr);
    EXPECT_EQ (content.getNumChildComponents(), 2);
    box->exitModalState (2);
    dispatchMessages();
    EXPECT_EQ (content.getNumChildComponents(), 0);
}

TEST_F (MessageBoxTest, AMissingBackgroundKeepsAVisibleBoxOfTheDefaultSize)
{
    std::unique_ptr<MessageBox> plain (new KestMessageBox());
    EXPECT_EQ (plain->getWidth(), 606);
    EXPECT_EQ (plain->getHeight(), 330);
    plain->addButton (1, "Overwrite");
    const auto image = paintToImage (*plain);
    EXPECT_EQ (image.getPixelAt (20, 20), juce::Colour (0xFF5F6062));

    // Its image buttons still stand where the layout expects them.
    auto* button = findButton (*plain, 1);
    ASSERT_NE (button, nullptr);
    EXPECT_EQ (button->getBounds(), juce::Rectangle<int> (225, 290, 128, 43));

    juce::Image background (juce::Image::ARGB, 500, 300, true);
    background.clear (background.getBounds(), juce::Colours::white);
    writePng ("MessageBackground", background);
    ResourceManager::release();
    ResourceManager::acquire();
    std::unique_ptr<MessageBox> pictured (new KestMessageBox());
    EXPECT_EQ (pictured->getBounds().getWidth(), 500);
    EXPECT_EQ (pictured->getBounds().getHeight(), 300);
    EXPECT_EQ (paintToImage (*pictured).getPixelAt (20, 20), juce::Colours::white);
}

TEST_F (MessageBoxTest, ImageButtonsWriteTheirTextOverTheirImage)
{
    juce::Image normal (juce::Image::ARGB, 128, 43, true);
    normal.clear (normal.getBounds(), juce::Colour (0xFF2060A0));
    writePng ("MsgButton", normal);

    std::unique_ptr<MessageBox> box (new KestMessageBox());
    box->addButton (2, "WWWW");
    auto* button = findButton (*box, 2);
    ASSERT_NE (button, nullptr);
    EXPECT_EQ (button->getPosition(), juce::Point<int> (353, 290));

    const auto image = paintToImage (*button);
    EXPECT_EQ (image.getPixelAt (2, 2), juce::Colour (0xFF2060A0));

    // White text appears inside the text area (6, 3, 118, 28) and nowhere else.
    int textPixels = 0, outside = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getBrightness() > 0.9f)
                ++(juce::Rectangle<int> (6, 3, 118, 28).contains (x, y) ? textPixels : outside);
    EXPECT_GT (textPixels, 20);
    EXPECT_EQ (outside, 0);
}

TEST_F (MessageBoxTest, TheThreeButtonsNeverOverlapAndEachTakesTheClicksOnAllOfItself)
{
    // The plain box and the product's (on a background of the bundle's
    // size), shown with all three buttons.
    juce::Image background (juce::Image::ARGB, 624, 344, true);
    background.clear (background.getBounds(), juce::Colours::white);
    writePng ("MessageBackground", background);
    ResourceManager::release();
    ResourceManager::acquire();
    parent.setVisible (true);
    const std::pair<const char*, std::function<MessageBox*()>> boxes[] {
        { "plain", [] { return new MessageBox(); } },
        { "product", [] { return new KestMessageBox(); } },
    };
    for (auto& [name, make] : boxes)
    {
        SCOPED_TRACE (name);
        juce::Component::SafePointer<MessageBox> box (make());
        box->addButton (1, "Overwrite");
        box->addButton (2, "Cancel");
        box->addButton (3, "Keep Both");
        box->showModal (&parent, nullptr);

        for (int number = 1; number <= 3; ++number)
        {
            auto* button = findButton (*box, number);
            ASSERT_NE (button, nullptr) << number;
            for (int other = number + 1; other <= 3; ++other)
                EXPECT_FALSE (button->getBounds().intersects (findButton (*box, other)->getBounds()))
                    << number << " " << button->getBounds().toString() << " and " << other << " "
                    << findButton (*box, other)->getBounds().toString();

            // Its centre and each corner reach this button and no other.
            const auto area = parent.getLocalArea (box, button->getBounds());
            for (auto point : { area.getCentre(), area.getTopLeft(), area.getTopRight() - juce::Point<int> (1, 0),
                                area.getBottomLeft() - juce::Point<int> (0, 1), area.getBottomRight() - juce::Point<int> (1, 1) })
                EXPECT_EQ (parent.getComponentAt (point), button) << number << " at " << point.toString();
        }
        box->exitModalState (0);
        dispatchMessages();
    }
}
