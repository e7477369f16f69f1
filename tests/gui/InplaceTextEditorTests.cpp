#include "gui/InplaceTextEditor.h"

#include <gtest/gtest.h>

#include <functional>

using Korvalden::GUI::InplaceTextEditor;

namespace
{
struct RecordingTarget : InplaceTextEditor::Target
{
    void prepareTextEditor (juce::TextEditor& editor) override
    {
        editor.setInputRestrictions (8);
        prepared = true;
    }

    juce::String getEditText() override { return "Old name"; }

    void renameTo (const juce::String& newName) override
    {
        events.add ("rename:" + newName);
        if (onRename)
            onRename();
    }

    void editorClosed() override { events.add ("closed"); }

    bool prepared = false;
    juce::StringArray events;
    std::function<void()> onRename;
};

/** Runs the message loop until the target has heard of the close (at most
    two seconds), then a little longer to catch anything that follows. */
void pumpMessages (const RecordingTarget& target)
{
    auto* messages = juce::MessageManager::getInstance();
    for (int slice = 0; slice < 200 && ! target.events.contains ("closed"); ++slice)
        messages->runDispatchLoopUntil (10);
    messages->runDispatchLoopUntil (20);
}

juce::TextEditor* fieldOf (juce::Component& host)
{
    for (auto* child : host.getChildren())
        if (child->getName() == "NameQuestioner")
            return dynamic_cast<juce::TextEditor*> (child);
    return nullptr;
}

void press (juce::TextEditor& field, int keyCode)
{
    field.keyPressed (juce::KeyPress (keyCode));
}

// The framework's field reports a loss of focus through this command.
constexpr int textEditorFocusLossCommand = 0x10003004;
} // namespace

class InplaceTextEditorTest : public ::testing::Test
{
protected:
    InplaceTextEditorTest() { host.setSize (200, 100); }

    juce::TextEditor& open (juce::Rectangle<int> area = { 10, 20, 80, 16 })
    {
        new InplaceTextEditor (&target, &host, area);
        auto* field = fieldOf (host);
        EXPECT_NE (field, nullptr);
        return *field;
    }

    RecordingTarget target;
    juce::Component host;
};

TEST_F (InplaceTextEditorTest, FieldShowsTheTargetsTextOverTheArea)
{
    auto& field = open();
    EXPECT_TRUE (target.prepared);
    EXPECT_EQ (field.getText(), "Old name");
    EXPECT_EQ (field.getBounds(), juce::Rectangle<int> (10, 20, 80, 16));
    EXPECT_TRUE (field.isVisible());
    EXPECT_EQ (host.getChildren().getLast(), &field);

    press (field, juce::KeyPress::escapeKey);
    pumpMessages (target);
}

TEST_F (InplaceTextEditorTest, EmptyAreaCoversTheWholeHost)
{
    juce::Rectangle<int> area (5, 5, 0, 30);
    new InplaceTextEditor (&target, &host, area);
    EXPECT_EQ (area, host.getLocalBounds());
    ASSERT_NE (fieldOf (host), nullptr);
    EXPECT_EQ (fieldOf (host)->getBounds(), host.getLocalBounds());

    press (*fieldOf (host), juce::KeyPress::escapeKey);
    pumpMessages (target);
}

TEST_F (InplaceTextEditorTest, ReturnRenamesThenClosesAndLeavesTheHost)
{
    auto& field = open();
    press (field, juce::KeyPress::returnKey);
    pumpMessages (target);

    EXPECT_EQ (target.events.joinIntoString (","), "rename:Old name,closed");
    EXPECT_EQ (fieldOf (host), nullptr);
}

TEST_F (InplaceTextEditorTest, EscapeOrFocusLossOnlyCloses)
{
    auto& field = open();
    press (field, juce::KeyPress::escapeKey);
    pumpMessages (target);
    EXPECT_EQ (target.events.joinIntoString (","), "closed");
    EXPECT_EQ (fieldOf (host), nullptr);

    target.events.clear();
    auto& second = open();
    second.postCommandMessage (textEditorFocusLossCommand);
    pumpMessages (target);
    EXPECT_EQ (target.events.joinIntoString (","), "closed");
}

TEST_F (InplaceTextEditorTest, ReturnThenFocusLossRenamesAndClosesOnce)
{
    auto& field = open();
    field.setText ("New", false);
    press (field, juce::KeyPress::returnKey);
    field.postCommandMessage (textEditorFocusLossCommand);
    press (field, juce::KeyPress::returnKey);
    pumpMessages (target);

    EXPECT_EQ (target.events.joinIntoString (","), "rename:New,closed");
}

TEST_F (InplaceTextEditorTest, DeletingTheHostClosesAtOnce)
{
    auto host2 = std::make_unique<juce::Component>();
    host2->setSize (100, 20);
    juce::Rectangle<int> area;
    new InplaceTextEditor (&target, host2.get(), area);

    host2.reset();
    EXPECT_EQ (target.events.joinIntoString (","), "closed");
    pumpMessages (target);
    EXPECT_EQ (target.events.joinIntoString (","), "closed");
}

TEST_F (InplaceTextEditorTest, RenameThatDeletesTheHostStillClosesOnce)
{
    struct Panel : juce::Component
    {
        ~Panel() override { deleteAllChildren(); }
    };

    for (bool hostDeletesItsChildren : { false, true })
    {
        target.events.clear();
        std::unique_ptr<juce::Component> panel;
        if (hostDeletesItsChildren)
            panel = std::make_unique<Panel>();
        else
            panel = std::make_unique<juce::Component>();
        panel->setSize (100, 20);

        juce::Rectangle<int> area;
        new InplaceTextEditor (&target, panel.get(), area);
        target.onRename = [&panel] { panel.reset(); };

        press (*fieldOf (*panel), juce::KeyPress::returnKey);
        pumpMessages (target);
        EXPECT_EQ (panel, nullptr);
        EXPECT_EQ (target.events.joinIntoString (","), "rename:Old name,closed") << hostDeletesItsChildren;
    }
}

TEST_F (InplaceTextEditorTest, HostDeletingItsChildrenEndsTheEditing)
{
    open();
    host.deleteAllChildren();
    EXPECT_TRUE (target.events.isEmpty());
    pumpMessages (target);
    EXPECT_EQ (target.events.joinIntoString (","), "closed");
}

TEST_F (InplaceTextEditorTest, ATargetDestroyedWhileTheFieldIsOpenIsNotCalledAgain)
{
    // A window destroys its own members (the target) before its component base
    // lets go of the field: the field's end must not reach the dead target.
    struct LoggingTarget final : InplaceTextEditor::Target
    {
        explicit LoggingTarget (juce::StringArray& logToUse) : log (logToUse) {}
        void prepareTextEditor (juce::TextEditor&) override { log.add ("prepared"); }
        juce::String getEditText() override { return {}; }
        void renameTo (const juce::String&) override { log.add ("rename"); }
        void editorClosed() override { log.add ("closed"); }
        juce::StringArray& log;
    };

    juce::StringArray log;
    {
        juce::Component window;
        window.setSize (100, 20);
        auto renamer = std::make_unique<LoggingTarget> (log);
        juce::Rectangle<int> area;
        new InplaceTextEditor (renamer.get(), &window, area);
        renamer.reset();
    } // the host goes here and takes the editing with it

    juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
    EXPECT_EQ (log.joinIntoString (","), "prepared");
}
