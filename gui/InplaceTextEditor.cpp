#include "gui/InplaceTextEditor.h"

namespace Korvalden::GUI
{
InplaceTextEditor::InplaceTextEditor (Target* targetToUse, juce::Component* hostToUse, juce::Rectangle<int>& area)
    : target (targetToUse)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    auto* field = new juce::TextEditor ("NameQuestioner");
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
        field->setText (t->getEditText(), true);
    }

    hostToUse->addAndMakeVisible (field, -1);
    field->toFront (false);
    field->grabKeyboardFocus();
}

InplaceTextEditor::~InplaceTextEditor()
{
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
