#include "gui/ImageURLButton.h"

namespace Korvalden::GUI
{
ImageURLButton::ImageURLButton (const juce::String& name, const juce::URL& urlToOpen)
    : juce::ImageButton (name), url (urlToOpen)
{
}

void ImageURLButton::clicked (const juce::ModifierKeys&)
{
    if (! url.isEmpty())
        url.launchInDefaultBrowser();
}
} // namespace Korvalden::GUI
