#include "gui/InplaceTextEditor.h"

#include "platform/DisplayInput.h"

#include <algorithm>
#include <utility>

namespace Korvalden::GUI
{
namespace
{
/** The character keys down as a name is asked for.  They were pressed for
    something else (a note, most often) and are no text: the presses of such
    a key, the repeats of a key held, are not typed until it has gone up.

    A key is let go of as soon as the framework has it up: at every key's
    change in the part of the window that holds the keys, and on a tick
    while keys are held, which notices a release that went elsewhere (to
    another program's window, or to another window of the program): the
    framework counts such a key up once the keys come back to its window,
    before the next press reaches it.  Message thread only. */
class KeysDownBefore final : private juce::Timer
{
public:
    KeysDownBefore() : characters (Korvalden::Platform::characterKeysHeldDown())
    {
        // A held key's repeats then come without releases, which would let it go.
        Korvalden::Platform::sendKeyRepeatsAsPressesAlone();
        watchWhileHeld();
    }

    /** Takes over the keys other holds; other holds none afterwards. */
    KeysDownBefore& operator= (KeysDownBefore&& other) noexcept
    {
        characters = std::exchange (other.characters, {});
        other.watchWhileHeld();
        watchWhileHeld();
        return *this;
    }

    /** Lets go of the keys the framework has up now. */
    void letGoOfKeysUp()
    {
        characters.erase (std::remove_if (characters.begin(), characters.end(),
                                          [] (juce::juce_wchar c) { return ! juce::KeyPress::isKeyCurrentlyDown ((int) c); }),
                          characters.end());
        watchWhileHeld();
    }

    /** Whether the press is of a key that has stayed down since. */
    bool isStillDown (const juce::KeyPress& key)
    {
        letGoOfKeysUp();
        const auto held = [this] (juce::juce_wchar c) { return std::find (characters.begin(), characters.end(), c) != characters.end(); };
        return held ((juce::juce_wchar) key.getKeyCode()) || held (key.getTextCharacter());
    }

private:
    void timerCallback() override { letGoOfKeysUp(); }

    void watchWhileHeld()
    {
        if (characters.empty())
            stopTimer();
        else if (! isTimerRunning())
            startTimer (20);
    }

    std::vector<juce::juce_wchar> characters;
};

/** Gives component the keyboard focus, and with it its window's input
    focus.  passingThroughLoss is set while the component hears of a loss
    that is none. */
void takeFocusWithItsWindow (juce::Component& component, bool& passingThroughLoss)
{
    component.grabKeyboardFocus();
    auto* peer = component.getPeer();
    if (peer == nullptr || ! component.hasKeyboardFocus (false))
        return;

    // When the window gets the input focus back (a menu that asked for the
    // field had taken it), it hands the keyboard focus to whatever held it
    // when the window lost it, without telling the component.  Passing the
    // window through a loss of focus now makes the component that one.
    const juce::ScopedValueSetter<bool> passing (passingThroughLoss, true);
    peer->handleFocusLoss();
    component.grabKeyboardFocus();
}
} // namespace

/** The text field, which keeps the keyboard focus once it has taken it. */
class InplaceTextEditor::Field final : public juce::TextEditor
{
public:
    explicit Field (InplaceTextEditor& ownerToTell) : juce::TextEditor ("NameQuestioner"), owner (ownerToTell) {}

    /** Takes the keyboard focus, and with it its window's input focus. */
    void takeFocus() { takeFocusWithItsWindow (*this, passingThroughLoss); }

    void focusLost (FocusChangeType cause) override
    {
        if (! passingThroughLoss)
            juce::TextEditor::focusLost (cause);
    }

    /** Only the first focus selects the whole text: the window gets the
        input focus back after the field opened (from the menu that opened
        it, or another window), and what was typed by then stays as typed. */
    void focusGained (FocusChangeType cause) override
    {
        juce::TextEditor::focusGained (cause);
        setSelectAllWhenFocused (false);
    }

    /** Return and Escape end the editing as they are pressed.  The framework
        tells its listeners on a later turn of the message loop, and until
        then the field would take the keys typed next into the name.  A key
        down since before the field was asked for types nothing. */
    bool keyPressed (const juce::KeyPress& key) override
    {
        if (keysDownBefore.isStillDown (key))
            return true;
        if (key == juce::KeyPress::returnKey)
            owner.textEditorReturnKeyPressed (*this); // may delete this field
        else if (key.isKeyCode (juce::KeyPress::escapeKey))
            owner.textEditorEscapeKeyPressed (*this);
        else
            return juce::TextEditor::keyPressed (key);
        return true;
    }

    /** Every key going down or up goes on to the parents too, unlike a
        framework field's: an on-screen keyboard there learns that the keys
        typed here play no note, also once the field has closed.  A key down
        since before the field was asked for is let go of as it goes up, so
        its next press types, however soon. */
    bool keyStateChanged (bool) override
    {
        keysDownBefore.letGoOfKeysUp();
        return false;
    }

    /** The keys down as the field was asked for (by default, as it opened). */
    KeysDownBefore keysDownBefore;

private:
    InplaceTextEditor& owner;
    bool passingThroughLoss = false;
};

namespace
{
/** Runs the choice of a menu item as the menu hears of it. */
class ChosenAtOnce final : public juce::PopupMenu::CustomCallback
{
public:
    explicit ChosenAtOnce (std::function<void()> chooseNow) : choose (std::move (chooseNow)) {}

    bool menuItemTriggered() override
    {
        if (choose != nullptr)
            choose();
        return false; // done: the menu's own callback hears of nothing chosen
    }

private:
    std::function<void()> choose;
};
} // namespace

void InplaceTextEditor::chooseAtOnce (juce::PopupMenu& menu, int itemId, std::function<void()> choose)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    for (juce::PopupMenu::MenuItemIterator items (menu); items.next();)
        if (auto& item = items.getItem(); item.itemID == itemId)
            item.customCallback = new ChosenAtOnce (choose);
}

/** Takes every key typed while it has the focus: a text field without a
    size to the rest of the window, so no key typed plays a note. */
class InplaceTextEditor::KeysTypedAhead::Catcher final : public juce::TextEditor
{
public:
    Catcher()
    {
        setWantsKeyboardFocus (true);
        setInterceptsMouseClicks (false, false);
    }

    bool keyPressed (const juce::KeyPress& key) override
    {
        if (! keysDownBefore.isStillDown (key))
            keys.push_back (key);
        return true;
    }

    /** As the field's: the keys typed ahead play no note, and a key down
        since the click is let go of as it goes up. */
    bool keyStateChanged (bool) override
    {
        keysDownBefore.letGoOfKeysUp();
        return false;
    }
    void focusGained (FocusChangeType) override {}
    void focusLost (FocusChangeType) override {}

    std::vector<juce::KeyPress> keys;
    KeysDownBefore keysDownBefore;
    bool passingThroughLoss = false;
};

InplaceTextEditor::KeysTypedAhead::KeysTypedAhead (juce::Component& window)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    auto* top = window.getTopLevelComponent();
    if (! window.isShowing() || top == nullptr)
        return;

    hadFocus = juce::Component::getCurrentlyFocusedComponent();
    catcher = std::make_unique<Catcher>();
    top->addAndMakeVisible (*catcher);
    takeFocusWithItsWindow (*catcher, catcher->passingThroughLoss);
}

InplaceTextEditor::KeysTypedAhead::~KeysTypedAhead()
{
    if (catcher == nullptr)
        return;
    const bool focused = catcher->hasKeyboardFocus (false);
    catcher.reset();
    if (auto* previous = hadFocus.getComponent(); focused && previous != nullptr && previous->isShowing())
        previous->grabKeyboardFocus();
}

void InplaceTextEditor::KeysTypedAhead::handTo (juce::TextEditor* field)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (catcher == nullptr || field == nullptr || field == catcher.get() || ! field->hasKeyboardFocus (false))
        return;
    const auto keys = std::move (catcher->keys);
    // The keys down as the click asked for the name, not those typed since.
    if (auto* opened = dynamic_cast<Field*> (field))
        opened->keysDownBefore = std::move (catcher->keysDownBefore);
    catcher.reset();
    // Return or Escape may close the field, and delete it.
    const juce::Component::SafePointer<juce::TextEditor> safeField (field);
    for (const auto& key : keys)
        if (safeField != nullptr && safeField->isVisible() && safeField->hasKeyboardFocus (false))
            safeField->keyPressed (key);
}

InplaceTextEditor::InplaceTextEditor (Target* targetToUse, juce::Component* hostToUse, juce::Rectangle<int>& area)
    : target (targetToUse)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    auto* field = new Field (*this);
    editor = field;

    if (hostToUse == nullptr)
    {
        triggerAsyncUpdate();
        return;
    }

    host = hostToUse;
    hostToUse->addComponentListener (this);
    field->addComponentListener (this);

    if (area.getWidth() <= 0 || area.getHeight() <= 0)
        area = hostToUse->getLocalBounds();

    field->setBounds (area);
    field->addListener (this);
    field->setSelectAllWhenFocused (true);

    if (auto* t = target.get())
    {
        t->prepareTextEditor (*field);
        // Without a change message: the framework would deliver it on a later
        // turn of the loop by setting this text again, over what was typed meanwhile.
        field->setText (t->getEditText(), false);
    }

    hostToUse->addAndMakeVisible (field, -1);
    field->toFront (false);
    juce::Desktop::getInstance().addGlobalMouseListener (this);
    field->takeFocus();
}

InplaceTextEditor::~InplaceTextEditor()
{
    juce::Desktop::getInstance().removeGlobalMouseListener (this);
    notifyClosed();
    detachFromHost();
    if (editor != nullptr)
    {
        editor->removeComponentListener (this);
        delete editor; // leaves the host's children
    }
    cancelPendingUpdate();
}

void InplaceTextEditor::textEditorReturnKeyPressed (juce::TextEditor& field)
{
    if (renamed || closedNotified)
        return;
    renamed = true;

    // The close is requested before the rename, which may delete the host.
    hideAndClose();
    const auto text = field.getText();
    if (auto* t = target.get())
    {
        ++callbackDepth;
        t->renameTo (text);
        --callbackDepth;
    }
}

void InplaceTextEditor::textEditorEscapeKeyPressed (juce::TextEditor&)
{
    hideAndClose();
}

void InplaceTextEditor::textEditorFocusLost (juce::TextEditor&)
{
    hideAndClose();
}

void InplaceTextEditor::componentBeingDeleted (juce::Component& component)
{
    if (&component == editor)
    {
        // The host deleted its children, the field with them: editing is over.
        component.removeComponentListener (this);
        editor = nullptr;
        triggerAsyncUpdate();
        return;
    }

    if (&component != host.getComponent())
        return;

    if (callbackDepth > 0)
    {
        // Inside renameTo: the target hears of the end now, the object goes
        // once the call has returned.
        notifyClosed();
        detachFromHost();
        triggerAsyncUpdate();
        return;
    }

    delete this;
}

void InplaceTextEditor::mouseDown (const juce::MouseEvent& e)
{
    // Presses in other windows (a menu, a dialog) are left to the focus rules.
    auto* pressed = e.originalComponent;
    if (editor == nullptr || ! editor->isVisible() || pressed == nullptr || pressed == editor || editor->isParentOf (pressed)
        || pressed->getTopLevelComponent() != editor->getTopLevelComponent())
        return;
    hideAndClose();
}

void InplaceTextEditor::handleAsyncUpdate()
{
    delete this;
}

void InplaceTextEditor::hideAndClose()
{
    if (editor != nullptr)
        editor->setVisible (false);
    triggerAsyncUpdate();
}

void InplaceTextEditor::notifyClosed()
{
    if (closedNotified)
        return;
    closedNotified = true;
    if (auto* t = target.get())
        t->editorClosed();
}

void InplaceTextEditor::detachFromHost()
{
    if (auto* h = host.getComponent())
        h->removeComponentListener (this);
    host = nullptr;
}
} // namespace Korvalden::GUI
