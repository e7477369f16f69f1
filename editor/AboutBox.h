#pragma once

#include "gui/MessageBox.h"

/** The about box: the bundle's "MessageBackground" with the version, the
    plug-in format, the credits, a line on what the instrument is, the
    licence notice and the technology logo drawn onto a private copy, and two
    links that open the project's README and LICENSE as local files.

    Without "MessageBackground" the box draws onto a blank plate of the
    message box's default size.  It has no numbered buttons: a click
    anywhere outside the links closes it.  Message thread only.
*/
class AboutBox : public Korvalden::GUI::MessageBox
{
public:
    AboutBox();

    /** "1.0.3": the project's version. */
    static juce::String getVersionText();
    /** The README and the licence text of the project. */
    static juce::File getReadmeFile();
    static juce::File getLicenceFile();

    /** The image the box shows: the drawn copy of the background. */
    const juce::Image& getImage() const noexcept { return backgroundImage; }

private:
    static juce::Image drawBackground();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutBox)
};
