#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** An image button that opens its URL in the default browser when clicked.
    Message thread. */
class ImageURLButton : public juce::ImageButton
{
public:
    explicit ImageURLButton (const juce::String& name = {}, const juce::URL& url = {});

    void setURL (const juce::URL& newURL) { url = newURL; }
    const juce::URL& getURL() const noexcept { return url; }

protected:
    void clicked (const juce::ModifierKeys& modifiers) override;

private:
    juce::URL url;
};
} // namespace Korvalden::GUI
