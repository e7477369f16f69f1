#include "gui/KESTLookAndFeel.h"

#include "gui/ResourceManager.h"

using Korvalden::Resources::ResourceManager;

namespace
{
/** The process-wide reference through which every editor finds the live instance. */
juce::WeakReference<KESTLookAndFeel>& sharedInstance()
{
    static juce::WeakReference<KESTLookAndFeel> instance;
    return instance;
}

void makeDefault (juce::LookAndFeel* lookAndFeel)
{
    juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel);
    // Fonts of unknown or default names resolve through the default
    // look-and-feel, and the framework caches what they resolved to.
    juce::Typeface::clearTypefaceCache();
}
} // namespace

KESTLookAndFeel::Ptr KESTLookAndFeel::getShared()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    Ptr instance (sharedInstance().get());
    if (instance == nullptr)
    {
        instance = new KESTLookAndFeel();
        sharedInstance() = instance.get();
    }

    if (&juce::LookAndFeel::getDefaultLookAndFeel() != instance.get())
        makeDefault (instance.get());
    return instance;
}

KESTLookAndFeel::KESTLookAndFeel()
    : EmbeddedTypefaceLookAndFeel (OwnColours { 0x00FFFFFF, 0xFFFFFFFF, true })
{
}

KESTLookAndFeel::~KESTLookAndFeel()
{
    // The framework's default must never point at a deleted look-and-feel.
    if (&juce::LookAndFeel::getDefaultLookAndFeel() == this)
        makeDefault (nullptr);
    masterReference.clear();
}

bool KESTLookAndFeel::areScrollbarButtonsVisible()
{
    return false;
}

void KESTLookAndFeel::drawScrollbar (juce::Graphics& g, juce::ScrollBar&, int x, int y, int width, int height,
                                     bool isScrollbarVertical, int thumbStartPosition, int thumbSize, bool, bool)
{
    const auto corner = 0.25f * (float) (isScrollbarVertical ? width : height);
    const auto track = isScrollbarVertical ? juce::Rectangle<int> (x, y, width / 2, height)
                                           : juce::Rectangle<int> (x, y, width, height / 2);
    const auto thumb = isScrollbarVertical ? juce::Rectangle<int> (x, thumbStartPosition, width / 2, thumbSize)
                                           : juce::Rectangle<int> (thumbStartPosition, y, thumbSize, height / 2);

    g.setColour (juce::Colour (0xFFA8A8A8));
    g.fillRoundedRectangle (track.toFloat(), corner);
    g.setColour (juce::Colours::black);
    g.fillRoundedRectangle (thumb.toFloat(), corner);
}

bool KESTLookAndFeel::isSplitPointSlider (juce::Slider& slider)
{
    return slider.getSliderStyle() == juce::Slider::ThreeValueHorizontal && slider.isHorizontal();
}

void KESTLookAndFeel::drawLinearSliderBackground (juce::Graphics& g, int x, int y, int width, int height,
                                                  float sliderPos, float minSliderPos, float maxSliderPos,
                                                  juce::Slider::SliderStyle style, juce::Slider& slider)
{
    if (! isSplitPointSlider (slider))
    {
        LookAndFeel_V2::drawLinearSliderBackground (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos,
                                                    style, slider);
        return;
    }

    // Four zones, one per device, meeting at the three split points; the zone
    // borders mark the points, so no thumb is drawn.
    const auto t = (float) (getSliderThumbRadius (slider) - 2);
    const auto half = t / 2.0f;
    const auto top = (float) y + (float) height / 2.0f - half;
    const auto left = (float) x;

    // isEnabled() is false when any parent is disabled.
    const auto shade = juce::Colours::black.withAlpha ((juce::uint8) (slider.isEnabled() ? 0x3F : 0x21));
    const auto bottomShade = juce::Colour (0x14000000);

    const std::array<juce::Rectangle<float>, 4> zones {
        juce::Rectangle<float> (left - half, top, (minSliderPos - left) + half, t),
        juce::Rectangle<float> (minSliderPos, top, sliderPos - minSliderPos, t),
        juce::Rectangle<float> (sliderPos, top, maxSliderPos - sliderPos, t),
        juce::Rectangle<float> (maxSliderPos, top, (float) width - (maxSliderPos - left) + t, t)
    };

    for (size_t device = 0; device < zones.size(); ++device)
    {
        // Split points out of order leave a zone without width: it is not drawn.
        if (! (zones[device].getWidth() > 0.0f))
            continue;
        const juce::Colour colour (deviceColour[device]);
        g.setGradientFill (juce::ColourGradient::vertical (colour.overlaidWith (shade), top,
                                                           colour.overlaidWith (bottomShade), top + t));
        g.fillRoundedRectangle (zones[device], 5.0f);
    }

    g.setColour (juce::Colour (0x4C000000));
    g.drawRoundedRectangle (left - half, top, (float) width + t, t, 5.0f, 0.5f);
}

void KESTLookAndFeel::drawLinearSliderThumb (juce::Graphics& g, int x, int y, int width, int height,
                                             float sliderPos, float minSliderPos, float maxSliderPos,
                                             juce::Slider::SliderStyle style, juce::Slider& slider)
{
    if (! isSplitPointSlider (slider))
        LookAndFeel_V2::drawLinearSliderThumb (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos,
                                               style, slider);
}

juce::Rectangle<int> KESTLookAndFeel::getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos,
                                                        juce::Rectangle<int> parentArea)
{
    const auto w = juce::roundToInt (font.withHeight (14.0f).getStringWidthFloat (tipText)) + 8;
    const auto h = 22;

    return juce::Rectangle<int> (screenPos.x > parentArea.getCentreX() ? screenPos.x - (w + 12) : screenPos.x + 24,
                                 screenPos.y > parentArea.getCentreY() ? screenPos.y - (h + 6) : screenPos.y + 6,
                                 w, h)
        .constrainedWithin (parentArea);
}

void KESTLookAndFeel::drawTooltip (juce::Graphics& g, const juce::String& text, int width, int height)
{
    g.fillAll (findColour (juce::TooltipWindow::backgroundColourId));
    g.setColour (findColour (juce::TooltipWindow::textColourId));
    g.setFont (font.withHeight (14.0f));
    g.drawText (text, 0, 0, width, height, juce::Justification::centred, false);
}

void KESTLookAndFeel::drawStretchableLayoutResizerBar (juce::Graphics& g, int w, int h, bool, bool, bool)
{
    ResourceManager::acquire();
    const auto& divider = ResourceManager::getImage ("PresetTreeDivider");
    if (divider.isValid())
        g.drawImageWithin (divider, 0, 0, w, h,
                           juce::RectanglePlacement::centred | juce::RectanglePlacement::doNotResize);
    ResourceManager::release();
}
