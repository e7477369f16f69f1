#include "linking/ParameterLinkEditor.h"

namespace
{
const char* const allowedNameCharacters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890 _";

bool anyLinked (const ParameterLinkManager& manager, const std::vector<int>& indexes)
{
    for (const int index : indexes)
        if (manager.isLinked (index))
            return true;
    return false;
}
} // namespace

juce::PopupMenu ParameterLinkEditor::createMenu (const LinkTarget& target) const
{
    const juce::String plural = target.count() >= 2 ? "s" : "";
    juce::PopupMenu menu;

    if (target.count() == 1)
    {
        if (juce::isPositiveAndBelow (target.column, (int) columns.size()))
        {
            const auto& column = columns[(size_t) target.column];
            menu.addItem (linkColumnItem, "Link Column");
            menu.addItem (freeColumnItem, "Free Column", anyLinked (*manager, column));
            menu.addSeparator();
        }

        menu.addItem (freeParameterItem, "Free Parameter", manager->isLinked (target.indexes.front()));

        if (target.renamable)
        {
            menu.addSeparator();
            menu.addItem (renameItem, "Rename");
        }
    }
    else
    {
        menu.addItem (freeParameterItem, "Free Parameter Group", anyLinked (*manager, target.indexes));
    }

    menu.addSeparator();
    juce::PopupMenu copyMenu;
    copyMenu.addItem (copyValueItem, "Value");
    copyMenu.addItem (copyRatioItem, "Corona");
    copyMenu.addItem (copyValueAndRatioItem, "Value + Corona");
    menu.addSubMenu ("Copy Parameter" + plural, copyMenu);
    menu.addItem (pasteItem, "Paste Parameter" + plural, target.copyGroup != nullptr && target.copyGroup->canPaste());
    return menu;
}

void ParameterLinkEditor::showMenu (LinkTarget& target, juce::Point<int> screenPosition)
{
    flashOverlay();

    // Shown without a modal loop, which a plug-in host may not allow: the
    // choice arrives later, and only while this editor still exists.  It
    // opens where the press was, not at the panel's edge: beside the pressed
    // pixel, never over it, for the menu opens while the button is still
    // down and its release there must choose nothing.
    juce::WeakReference<ParameterLinkEditor> self (this);
    auto* chosenTarget = &target;
    const auto options = juce::PopupMenu::Options()
                             .withTargetComponent (panel.getComponent())
                             .withTargetScreenArea (juce::Rectangle<int> (screenPosition.x, screenPosition.y, 1, 1));
    // Rename runs as it is chosen: the keys typed next go into the name.
    auto menu = createMenu (target);
    Korvalden::GUI::InplaceTextEditor::chooseAtOnce (menu, renameItem, [self, chosenTarget]
    {
        if (auto* editor = self.get())
            editor->menuItemChosen (*chosenTarget, renameItem);
    });
    menu.showMenuAsync (options,
                                       [self, chosenTarget] (int itemId)
                                       {
                                           if (auto* editor = self.get())
                                               editor->menuItemChosen (*chosenTarget, itemId);
                                       });
}

void ParameterLinkEditor::menuItemChosen (LinkTarget& target, int itemId)
{
    const bool hasColumn = target.count() == 1 && juce::isPositiveAndBelow (target.column, (int) columns.size());
    const auto* column = hasColumn ? &columns[(size_t) target.column] : nullptr;

    switch (itemId)
    {
        case linkColumnItem:
            if (column != nullptr)
            {
                for (size_t i = 1; i < column->size(); ++i)
                    manager->link ((*column)[i - 1], (*column)[i]);
                updateConnections();
            }
            break;

        case freeColumnItem:
            if (column != nullptr)
            {
                for (const int index : *column)
                    manager->freeParameter (index);
                updateConnections();
            }
            break;

        case freeParameterItem:
            for (const int index : target.indexes)
                manager->freeParameter (index);
            updateConnections();
            break;

        case renameItem:
            if (auto* p = panel.getComponent(); p != nullptr && target.renamable && target.count() == 1)
            {
                nameEditTarget = &target;
                auto area = target.area.expanded (2);
                area.setSize (juce::jmax (0, area.getWidth()), juce::jmax (0, area.getHeight()));
                new Korvalden::GUI::InplaceTextEditor (this, p, area); // deletes itself
                updateConnections();
            }
            break;

        case copyValueItem:
        case copyRatioItem:
        case copyValueAndRatioItem:
            if (target.copyGroup != nullptr)
                target.copyGroup->copy (itemId - copyValueItem);
            break;

        case pasteItem:
            if (target.copyGroup != nullptr)
                target.copyGroup->paste();
            break;

        default:
            break;
    }

    fadeUnlessVisible();
}

//==============================================================================
void ParameterLinkEditor::prepareTextEditor (juce::TextEditor& editor)
{
    editor.setInputRestrictions (0, allowedNameCharacters);
    editor.setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00FFFFFF));
    editor.setColour (juce::TextEditor::outlineColourId, juce::Colour (0x00FFFFFF));
    editor.setColour (juce::TextEditor::focusedOutlineColourId, juce::Colour (0x00FFFFFF));
    editor.setColour (juce::TextEditor::highlightColourId, juce::Colour (0xFFD3D3D3));
    editor.setColour (juce::TextEditor::textColourId, juce::Colour (0xFF000000));
    editor.setColour (juce::TextEditor::highlightedTextColourId, juce::Colour (0xFF000000));
    editor.setColour (juce::CaretComponent::caretColourId, juce::Colour (0xFF000000));
    editor.setFont (juce::Font (10.0f));
}

juce::String ParameterLinkEditor::getEditText()
{
    if (nameEditTarget == nullptr || nameEditTarget->count() != 1)
        return {};
    const auto entry = manager->findLinkEntry (nameEditTarget->indexes.front());
    return entry ? entry->name : juce::String();
}

void ParameterLinkEditor::renameTo (const juce::String& newName)
{
    if (nameEditTarget != nullptr && nameEditTarget->count() == 1)
    {
        {
            const juce::ScopedLock sl (manager->getLock());
            manager->getLinkEntry (nameEditTarget->indexes.front()).name = newName;
        }
        manager->notifyListeners();
    }
    updateConnections();
}

void ParameterLinkEditor::editorClosed()
{
    nameEditTarget = nullptr;
    updateConnections();
}
