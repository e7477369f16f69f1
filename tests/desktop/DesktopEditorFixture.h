#pragma once

// The editor of an engine in a window of its own on the X display, and the
// link menu and rename field as a user reaches them with mouse and keys.

#include "presets/PresetTreeComponent.h"
#include "presets/PresetTreeItems.h"
#include "tests/editor/EditorFixture.h"
#include "tests/support/XInput.h"

class DesktopEditorFixture : public EditorFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (XInput::available()) << "xdotool is missing: tools/setup.sh installs it";
        XInput::tolerateErrors();
        display.reset (XOpenDisplay (nullptr));
        ASSERT_NE (display, nullptr);
        EditorFixture::SetUp();
    }

    void TearDown() override
    {
        juce::PopupMenu::dismissAllActiveMenus();
        pump (50);
        EditorFixture::TearDown();
        display.reset();
    }

    /** Opens the editor in a window and waits until the server shows it. */
    MainControlPanel& showEditor()
    {
        auto& editor = openEditor();
        editor.addToDesktop (0);
        editor.setTopLeftPosition (60, 40);
        editor.setVisible (true);
        EXPECT_TRUE (waitFor ([&] { return XInput::screenBounds (display.get(), editor) == editor.getScreenBounds(); }))
            << "the window is at " << XInput::screenBounds (display.get(), editor).toString() << ", not " << editor.getScreenBounds().toString();
        settle();
        return editor;
    }

    /** A point of the target that no other target takes first, in screen
        coordinates (a section's plate, beside its knobs). */
    juce::Point<int> screenPointOf (const ParameterLinkEditor::LinkTarget& target)
    {
        auto& links = panel->getLinkEditor();
        const auto firstTargetAt = [&links] (juce::Point<int> p) -> const ParameterLinkEditor::LinkTarget*
        {
            for (auto& t : links.getTargets())
                if (t->area.contains (p))
                    return t.get();
            return nullptr;
        };

        auto point = target.centre();
        for (int y = target.area.getY(); firstTargetAt (point) != &target && y < target.area.getBottom(); y += 2)
            for (int x = target.area.getX(); x < target.area.getRight(); x += 2)
                if (firstTargetAt ({ x, y }) == &target)
                {
                    point = { x + 1, y + 1 };
                    break;
                }
        EXPECT_EQ (firstTargetAt (point), &target);
        return panel->localPointToGlobal (point);
    }

    ParameterLinkEditor::LinkTarget& targetOf (const std::vector<int>& indexes)
    {
        for (auto& t : panel->getLinkEditor().getTargets())
            if (t->indexes == indexes)
                return *t;
        ADD_FAILURE() << "no target for " << indexes.front();
        return *panel->getLinkEditor().getTargets().front();
    }

    /** The open menu window, if any. */
    static juce::Component* openMenu()
    {
        auto& desktop = juce::Desktop::getInstance();
        for (int i = 0; i < desktop.getNumComponents(); ++i)
            if (auto* c = desktop.getComponent (i); c != nullptr && c->getName() == "menu" && c->isShowing())
                return c;
        return nullptr;
    }

    /** The item with this text of an open menu, submenus too. */
    static juce::Component* menuItem (const juce::String& text)
    {
        auto& desktop = juce::Desktop::getInstance();
        for (int i = 0; i < desktop.getNumComponents(); ++i)
            if (auto* menu = desktop.getComponent (i); menu != nullptr && menu->getName() == "menu" && menu->isShowing())
                for (auto* item : menu->getChildren())
                    if (auto* handler = item->getAccessibilityHandler(); handler != nullptr && handler->getTitle() == text)
                        return item;
        return nullptr;
    }

    /** Presses at a screen point and holds the button until a menu has been
        open a while, as a user's press lasts, then lets go where it pressed:
        the menu must stay open with nothing chosen.  Where the server shows
        it; empty when no menu opened or the release closed it. */
    juce::Rectangle<int> menuAfterPressAt (juce::Point<int> screen, int button, bool withCtrl)
    {
        const auto menuShown = [this] { return openMenu() != nullptr && ! XInput::screenBounds (display.get(), *openMenu()).isEmpty(); };
        const juce::String number (button);
        EXPECT_TRUE (XInput::moveTo (screen));
        settle();
        if (withCtrl)
        {
            EXPECT_TRUE (XInput::xdotool ({ "keydown", "ctrl" }));
        }
        EXPECT_TRUE (XInput::xdotool ({ "mousedown", number }));
        const bool opened = waitFor (menuShown);
        // A menu of the framework takes a release only after its first quarter second.
        pump (400);
        EXPECT_TRUE (XInput::xdotool ({ "mouseup", number }));
        if (withCtrl)
        {
            EXPECT_TRUE (XInput::xdotool ({ "keyup", "ctrl" }));
        }
        waitFor ([] { return ! juce::Desktop::getInstance().getMainMouseSource().isDragging(); });
        settle();

        if (! opened)
        {
            ADD_FAILURE() << "no menu opened";
            return {};
        }
        if (! menuShown())
        {
            ADD_FAILURE() << "letting go of the press chose from the menu or closed it";
            return {};
        }
        return XInput::screenBounds (display.get(), *openMenu());
    }

    /** Clicks the open menu's items with these texts in turn (a submenu's
        after the item that opens it), as a user does, and waits until the
        menus closed. */
    bool chooseFromMenu (const juce::StringArray& texts)
    {
        for (auto& text : texts)
        {
            // A menu takes no release in its first quarter second, nor does a user click that fast.
            pump (400);
            auto* item = menuItem (text);
            if (item == nullptr || ! click (item->getScreenBounds().getCentre(), 1))
                return (ADD_FAILURE() << "no item " << text << " to click"), false;
        }
        return waitFor ([] { return openMenu() == nullptr; });
    }
    bool chooseFromMenu (const juce::String& text) { return chooseFromMenu (juce::StringArray (text)); }

    /** Counts the mouse presses and releases the program has read, in any
        of its windows, those a modal window blocks included. */
    struct MouseRead final : juce::MouseListener
    {
        MouseRead() { juce::Desktop::getInstance().addGlobalMouseListener (this); }
        ~MouseRead() override { juce::Desktop::getInstance().removeGlobalMouseListener (this); }
        void mouseDown (const juce::MouseEvent&) override { ++presses; }
        void mouseUp (const juce::MouseEvent&) override { ++releases; }
        int presses = 0, releases = 0;
    };

    /** Clicks at a screen point and waits until the editor has read the
        release too (a press that follows one whose release went unread is
        taken for a drag), also when a loaded machine delivers the press
        late.  A click where no window of the program is (a window manager's
        frame) is read by none: the wait for it is short. */
    bool click (juce::Point<int> screen, int button, bool withCtrl = false)
    {
        const MouseRead read;
        if (! XInput::clickAt (screen, button, withCtrl, [this] { settle(); }))
            return false;
        waitFor ([&read] { return read.releases > 0; }, 3000);
        return waitFor ([] { return ! juce::Desktop::getInstance().getMainMouseSource().isDragging(); });
    }

    /** Lets the editor read what the window system sent it. */
    void settle()
    {
        waitFor ([] { return false; }, 100);
    }

    /** Runs the message loop until done() or at least twenty seconds (a
        loaded machine, or a sanitizer, can make a window take seconds),
        nudging the editor's display connection meanwhile; the result of
        done(). */
    bool waitFor (const std::function<bool()>& done, int milliseconds = 20000)
    {
        for (int elapsed = 0; ! done() && elapsed < milliseconds; elapsed += 10)
        {
            if (elapsed % 50 == 0 && panel != nullptr && panel->getPeer() != nullptr)
                XInput::wake (display.get(), (::Window) (juce::pointer_sized_uint) panel->getPeer()->getNativeHandle());
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        }
        return done();
    }

    /** The options dialog on the screen, if any. */
    static juce::DialogWindow* optionsDialog()
    {
        auto& desktop = juce::Desktop::getInstance();
        for (int i = 0; i < desktop.getNumComponents(); ++i)
            if (auto* dialog = dynamic_cast<juce::DialogWindow*> (desktop.getComponent (i));
                dialog != nullptr && dialog->getName() == "Options" && dialog->isShowing())
                return dialog;
        return nullptr;
    }

    /** Opens the options dialog with the settings button and waits until the
        server shows it where the program has it (a window manager places a
        dialog over the window it belongs to after it is shown); null when it
        did not open. */
    juce::DialogWindow* openOptionsDialog()
    {
        auto* settings = child<juce::Button> (EditorNames::settingsButton);
        EXPECT_NE (settings, nullptr);
        const auto placed = [this]
        {
            auto* dialog = optionsDialog();
            return dialog != nullptr && XInput::screenBounds (display.get(), *dialog) == dialog->getScreenBounds();
        };
        if (settings == nullptr || ! click (settings->getScreenBounds().getCentre(), 1) || ! waitFor (placed))
            return nullptr;
        settle();
        return waitFor (placed) ? optionsDialog() : nullptr;
    }

    /** The alert window with this title on the screen, if any. */
    static juce::AlertWindow* alertTitled (const juce::String& title)
    {
        auto& desktop = juce::Desktop::getInstance();
        for (int i = 0; i < desktop.getNumComponents(); ++i)
            if (auto* alert = dynamic_cast<juce::AlertWindow*> (desktop.getComponent (i)); alert != nullptr && alert->getName() == title && alert->isShowing())
                return alert;
        return nullptr;
    }

    /** The first showing button below parent with this text (any text when empty). */
    static juce::Button* buttonWithText (juce::Component& parent, const juce::String& text = {})
    {
        for (auto* c : parent.getChildren())
        {
            if (auto* button = dynamic_cast<juce::Button*> (c); button != nullptr && button->isShowing() && (text.isEmpty() || button->getButtonText() == text))
                return button;
            if (auto* found = buttonWithText (*c, text))
                return found;
        }
        return nullptr;
    }

    /** The rename field shown in the editor, if any. */
    juce::TextEditor* renameField() const
    {
        std::function<juce::TextEditor* (juce::Component&)> find = [&find] (juce::Component& c) -> juce::TextEditor*
        {
            for (auto* child : c.getChildren())
            {
                if (child->getName() == "NameQuestioner" && child->isVisible())
                    return dynamic_cast<juce::TextEditor*> (child);
                if (auto* found = find (*child))
                    return found;
            }
            return nullptr;
        };
        return panel != nullptr ? find (*panel) : nullptr;
    }

    /** Writes a user preset before the editor opens (the engine that reads
        the preset folders is made again). */
    juce::File addUserPreset (const juce::String& name)
    {
        auto* folder = engine->getPresetManager().getUserFolderItem();
        EXPECT_NE (folder, nullptr);
        const auto file = folder->getFile().getChildFile (name + ".prs");
        EXPECT_TRUE (file.replaceWithText ("a preset's bytes"));
        engine = std::make_unique<AudioEngine>();
        return file;
    }

    /** The tree row of a user preset, its folder opened; the tree makes its
        rows on a later turn of the message loop. */
    juce::Component* userPresetRow (const juce::File& file)
    {
        auto* folder = engine->getPresetManager().getUserFolderItem();
        folder->setOpen (true);
        const auto row = [folder, &file]() -> juce::Component*
        {
            for (int i = 0; i < folder->getNumSubItems(); ++i)
                if (auto* item = dynamic_cast<Korvalden::Misc::PresetManager::FileRepresentingItem*> (folder->getSubItem (i));
                    item != nullptr && item->getFile() == file)
                    return item->getRowComponent();
            return nullptr;
        };
        waitFor ([&row] { return row() != nullptr && row()->isShowing(); });
        return row();
    }

    /** The tree row of the item at a tree path, its folders opened and the
        row scrolled into view; null when it does not show whole. */
    juce::Component* rowOf (const juce::String& path)
    {
        auto* item = engine->getPresetManager().findItemByPath (path);
        EXPECT_NE (item, nullptr) << path;
        if (item == nullptr)
            return nullptr;
        waitFor ([item]
        {
            if (! item->isRowShownWhole())
                item->scrollIntoView();
            return item->isRowShownWhole();
        });
        return item->isRowShownWhole() ? item->getRowComponent() : nullptr;
    }

    /** Presses at one screen point, moves there in steps as a hand does and
        lets go at the other. */
    bool drag (juce::Point<int> from, juce::Point<int> to)
    {
        if (! XInput::moveTo (from) || ! XInput::xdotool ({ "mousedown", "1" }))
            return false;
        settle();
        constexpr int steps = 8;
        for (int step = 1; step <= steps; ++step)
        {
            if (! XInput::moveTo (from + (to - from) * step / steps))
                return false;
            settle();
        }
        return XInput::xdotool ({ "mouseup", "1" })
               && waitFor ([] { return ! juce::Desktop::getInstance().getMainMouseSource().isDragging(); });
    }

    /** Counts the notes the editor's keyboard starts and ends while it listens. */
    struct NoteCounter final : juce::MidiKeyboardState::Listener
    {
        explicit NoteCounter (juce::MidiKeyboardState& stateToWatch) : state (stateToWatch) { state.addListener (this); }
        ~NoteCounter() override { state.removeListener (this); }
        void handleNoteOn (juce::MidiKeyboardState*, int, int, float) override { ++notesStarted; }
        void handleNoteOff (juce::MidiKeyboardState*, int, int, float) override { ++notesEnded; }

        juce::MidiKeyboardState& state;
        int notesStarted = 0, notesEnded = 0;
    };

    /** Holds a computer key that plays a note, as a user does, and lets go:
        whether the editor's keyboard started a note meanwhile. */
    bool heldKeyPlays()
    {
        NoteCounter notes (engine->getKeyboardState());
        const bool played = XInput::xdotool ({ "keydown", "a" }) && waitFor ([&notes] { return notes.notesStarted > 0; });
        EXPECT_TRUE (XInput::xdotool ({ "keyup", "a" }));
        settle();
        return played;
    }

    /** Whether the note of the computer key "a" sounds (48, on any channel). */
    bool noteOfASounds() const
    {
        return engine->getKeyboardState().isNoteOnForChannels (0xFFFF, 48);
    }

    /** Holds the computer key "a" until its note sounds. */
    bool holdA()
    {
        return XInput::xdotool ({ "keydown", "a" }) && waitFor ([this] { return noteOfASounds(); });
    }

    /** After "a" was let go while the editor's keyboard could not see it:
        its note ends, and holding another key does not start it again. */
    void expectTheNoteOfALetGoEnds()
    {
        EXPECT_TRUE (waitFor ([this] { return ! noteOfASounds(); })) << "the note of the key let go keeps sounding";
        NoteCounter notes (engine->getKeyboardState());
        EXPECT_TRUE (XInput::xdotool ({ "keydown", "s" }));
        EXPECT_TRUE (waitFor ([&notes] { return notes.notesStarted > 0; })) << "the keys play nothing";
        settle();
        EXPECT_FALSE (noteOfASounds()) << "the key let go plays again as another key goes down";
        EXPECT_TRUE (XInput::xdotool ({ "keyup", "s" }));
        settle();
    }

    /** The editor's own window on the display. */
    ::Window editorWindow() const
    {
        return (::Window) (juce::pointer_sized_uint) panel->getPeer()->getNativeHandle();
    }

    /** Gives a window the input focus, as a user turning to it does, and lets
        the editor read the change. */
    bool focusWindow (::Window window)
    {
        auto* x = display.get();
        const bool focused = waitFor ([x, window]
        {
            if (XInput::screenBounds (x, window).isEmpty())
                return false;
            if (XInput::focusedWindow (x) != window)
                XSetInputFocus (x, window, RevertToParent, CurrentTime);
            return XInput::focusedWindow (x) == window;
        });
        settle();
        return focused;
    }

    /** Lets go of "a" in another program's window: that window takes the
        input focus, the key goes up there, and the editor's window takes
        the focus back, all before the editor reads any of it (it sees no
        loss of focus, as when it is busy a moment). */
    bool letGoOfAElsewhere (::Window other)
    {
        auto* x = display.get();
        XSetInputFocus (x, other, RevertToParent, CurrentTime);
        const bool elsewhere = XInput::focusedWindow (x) == other && XInput::xdotool ({ "keyup", "a" });
        XSetInputFocus (x, editorWindow(), RevertToParent, CurrentTime);
        return elsewhere && XInput::focusedWindow (x) == editorWindow();
    }

    XInput::DisplayConnection display;
};
