#pragma once

#include "gui/MessageBox.h"

/** The product's message box: the bundle's "MessageBackground" image, black
    text in the default look-and-feel's font, a light cover over the parent,
    and image buttons 128 x 43 at x 225, 353 and 481 for numbers 1 to 3.
    Holds no resource-manager use after construction.  Message thread only. */
class KestMessageBox : public Korvalden::GUI::MessageBox
{
public:
    KestMessageBox();

protected:
    std::unique_ptr<juce::Button> createButton (int number) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KestMessageBox)
};
