#pragma once

#include "gui/EmbeddedTypefaceLookAndFeel.h"

/** The editor's look-and-feel: one instance shared by every open editor of
    the process, and the framework's default look-and-feel while it lives,
    so that the editor's children and the dialogs it opens draw with it.

    getShared() hands out counted references; the last one released deletes
    the instance, which first gives the default back to the framework, and
    the next editor builds a new one (colours, arrow image and typeface anew).

    Over the shared traits it draws slim scroll bars without buttons, the
    split-point slider as four device-coloured zones, dark tooltips and the
    preset tree's divider image.  Message thread only.
*/
class KESTLookAndFeel : public EmbeddedTypefaceLookAndFeel,
                        public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<KESTLookAndFeel>;

    /** The live shared instance, or a new one; either way it is made the
        framework's default look-and-feel.  Message thread. */
    static Ptr getShared();

    KESTLookAndFeel();
    /** Gives the default look-and-feel back to the framework if it is this one. */
    ~KESTLookAndFeel() override;

    bool areScrollbarButtonsVisible() override;
    void drawScrollbar (juce::Graphics&, juce::ScrollBar&, int x, int y, int width, int height,
                        bool isScrollbarVertical, int thumbStartPosition, int thumbSize,
                        bool isMouseOver, bool isMouseDown) override;
    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height,
                                     float sliderPos, float minSliderPos, float maxSliderPos,
                                     juce::Slider::SliderStyle, juce::Slider&) override;
    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height,
                                float sliderPos, float minSliderPos, float maxSliderPos,
                                juce::Slider::SliderStyle, juce::Slider&) override;
    /** Width: the text's width in the embedded font at 14, plus 8; height 22.
        Placed beside the mouse like the framework's tooltips. */
    juce::Rectangle<int> getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos,
                                           juce::Rectangle<int> parentArea) override;
    void drawTooltip (juce::Graphics&, const juce::String& text, int width, int height) override;
    void drawStretchableLayoutResizerBar (juce::Graphics&, int w, int h, bool isVerticalBar,
                                          bool isMouseOver, bool isMouseDragging) override;

private:
    static bool isSplitPointSlider (juce::Slider&);

    JUCE_DECLARE_WEAK_REFERENCEABLE (KESTLookAndFeel)
    JUCE_DECLARE_NON_COPYABLE (KESTLookAndFeel)
};
