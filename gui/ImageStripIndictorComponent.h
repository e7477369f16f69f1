#pragma once

#include "gui/ImageStrip.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** Shows the current frame of its own image strip, centred and at its own
    size (the devices' LEDs).  Message thread. */
class ImageStripIndictorComponent : public juce::Component
{
public:
    ImageStripIndictorComponent (const juce::String& name, const juce::Image& strip, int count, bool horizontal);

    /** The strip; a value set on it shows at the next repaint. */
    ImageStrip& getStrip() noexcept { return strip; }

    /** Sets the strip's value and repaints when the frame changed. */
    void setValue (float v);

    void paint (juce::Graphics& g) override;

private:
    ImageStrip strip;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImageStripIndictorComponent)
};
} // namespace Korvalden::GUI
