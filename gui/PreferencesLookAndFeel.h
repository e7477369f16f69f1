#pragma once

#include "gui/EmbeddedTypefaceLookAndFeel.h"

/** The options dialog's look-and-feel: the editor's shared traits with white
    combo boxes and black combo text, owned by the dialog alone.  Message
    thread only. */
class PreferencesLookAndFeel : public EmbeddedTypefaceLookAndFeel
{
public:
    PreferencesLookAndFeel();
    ~PreferencesLookAndFeel() override;

    /** A combo's list opens inside the combo's own window. */
    juce::PopupMenu::Options getOptionsForComboBoxPopupMenu (juce::ComboBox& box, juce::Label& label) override;

private:
    JUCE_DECLARE_NON_COPYABLE (PreferencesLookAndFeel)
};
