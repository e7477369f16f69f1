#include "gui/PreferencesLookAndFeel.h"

PreferencesLookAndFeel::PreferencesLookAndFeel()
    : EmbeddedTypefaceLookAndFeel (OwnColours { 0xFFFFFFFF, 0xFF000000, false })
{
}

PreferencesLookAndFeel::~PreferencesLookAndFeel() = default;

juce::PopupMenu::Options PreferencesLookAndFeel::getOptionsForComboBoxPopupMenu (juce::ComboBox& box, juce::Label& label)
{
    // A list in a window of its own closed again at once when a window
    // manager restacked the dialog after the press (a press raises the
    // dialog, above a tooltip that shows): the framework takes every move of
    // a window with a title bar for a drag of that bar and closes the
    // temporary windows it blocks.  A list inside the dialog stays open.
    return EmbeddedTypefaceLookAndFeel::getOptionsForComboBoxPopupMenu (box, label).withParentComponent (box.getTopLevelComponent());
}
