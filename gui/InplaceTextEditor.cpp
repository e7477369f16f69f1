#include "gui/InplaceTextEditor.h"

namespace Korvalden::GUI
{
namespace
{
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
        then the field would take the keys typed next into the name. */
    bool keyPressed (const juce::KeyPress& key) override
    {
        if (key == juce::KeyPress::returnKey)
            owner.textEditorReturnKeyPressed (*this); // may delete this field
        else if (key.isKeyCode (juce::KeyPress::escapeKey))
            owner.textEditorEscapeKeyPressed (*this);
        else
            return juce::TextEditor::keyPressed (key);
        return true;
    }

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

/** Takes every key typed while it has the focus, and plays none. */
class InplaceTextEditor::KeysTypedAhead::Catcher final : public juce::Component
{
public:
    Catcher()
    {
        setWantsKeyboardFocus (true);
        setInterceptsMouseClicks (false, false);
    }

    bool keyPressed (const juce::KeyPress& key) override
    {
        keys.push_back (key);
        return true;
    }

    bool keyStateChanged (bool) override { return true; }

    std::vector<juce::KeyPress> keys;
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
    if (catcher == nullptr || field == nullptr || ! field->hasKeyboardFocus (false))
        return;
    const auto keys = std::move (catcher->keys);
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
