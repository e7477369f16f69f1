#pragma once

#include "linking/LinkableParameterKnob.h"
#include "tests/linking/LinkTestSupport.h"
#include "tests/support/MouseEvents.h"

/** A strip of 91 frames of 40 x 40 pixels, side by side, frame n filled
    with red = n and the device colour's green. */
inline juce::Image knobStripImage (juce::Colour tint = juce::Colour (0xFF45A200))
{
    constexpr int frames = 91, size = 40;
    juce::Image image (juce::Image::ARGB, frames * size, size, true);
    juce::Graphics g (image);
    for (int n = 0; n < frames; ++n)
    {
        const auto frame = juce::Rectangle<float> ((float) (n * size), 0.0f, (float) size, (float) size).reduced (3.0f);
        g.setColour (juce::Colour (0xFF3A3A3A));
        g.fillEllipse (frame);
        // The value arc over 300 degrees, as the bundle's knobs draw it.
        juce::Path arc;
        const float end = juce::degreesToRadians (-150.0f + 300.0f * (float) n / (float) (frames - 1));
        arc.addCentredArc (frame.getCentreX(), frame.getCentreY(), 15.0f, 15.0f, 0.0f,
                           juce::degreesToRadians (-150.0f), end, true);
        g.setColour (tint);
        g.strokePath (arc, juce::PathStrokeType (3.0f));
        g.setColour (juce::Colours::white);
        g.drawLine (juce::Line<float> (frame.getCentre(), frame.getCentre().getPointOnCircumference (11.0f, end)), 2.0f);
    }
    return image;
}

struct KnobFixture : LinkFixture
{
    static constexpr int knobSize = 60; // a 40-pixel strip frame leaves a 10-pixel margin and handle

    Korvalden::GUI::ImageStrip strip { knobStripImage(), 91, true };
    std::vector<std::unique_ptr<LinkableParameterKnob>> knobs;
    std::vector<std::unique_ptr<juce::Label>> labels;
    int notifications = 0;

    struct CountingListener final : ParameterLinkManager::Listener
    {
        explicit CountingListener (int& countToUse) : count (countToUse) {}
        void parameterLinksChanged() override { ++count; }
        int& count;
    } listener { notifications };

    KnobFixture() { manager.addListener (&listener); }
    ~KnobFixture() override { manager.removeListener (&listener); }

    /** A knob of 60 x 60 pixels with a value label, for an index given a processor value. */
    LinkableParameterKnob& knob (int index, float value, float ratio = 1.0f)
    {
        processor.storeQuietly (index, value);
        manager.getLinkEntry (index).ratio = ratio;
        knobs.push_back (std::make_unique<LinkableParameterKnob> ("Knob" + juce::String (index), &manager, index, &strip,
                                                                   juce::Image()));
        auto& k = *knobs.back();
        k.setBounds (0, 0, knobSize, knobSize);
        k.setVisible (true);
        labels.push_back (std::make_unique<juce::Label>());
        k.setValueLabel (labels.back().get());
        return k;
    }

    static juce::ModifierKeys left (int keys = 0)
    {
        return juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier | keys);
    }

    /** Presses at (30, y0), drags through the given y positions and, unless told not to, releases at the last. */
    static void drag (LinkableParameterKnob& k, float y0, std::initializer_list<float> ys, juce::ModifierKeys mods,
                      bool release = true)
    {
        const juce::Point<float> start (30.0f, y0);
        k.mouseDown (mouseAt (k, start, start, mods, false));
        float y = y0;
        for (auto next : ys)
        {
            y = next;
            k.mouseDrag (mouseAt (k, { start.x, y }, start, mods, true));
        }
        if (release)
            k.mouseUp (mouseAt (k, { start.x, y }, start, mods.withoutMouseButtons(), true));
    }
};
